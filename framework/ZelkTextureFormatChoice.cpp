#include "framework/ZelkTextureFormatChoice.h"

#include "framework/ZelkD3DFormats.h"

namespace zelk {

namespace {

constexpr D3DFORMAT kNone = D3DFMT_UNKNOWN;

const ZelkTextureFormatRule kNeverConverted = {kNone, {}};

// By Glide texture format code 0 to 15.
const ZelkTextureFormatRule kRules[16] = {
    {D3DFMT_R3G3B2, {D3DFMT_R3G3B2, D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, kNone}},                  // RGB 332
    kNeverConverted,                                                                           // YIQ 422
    {D3DFMT_A8, {D3DFMT_A8L8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A8R3G3B2}},           // alpha 8
    {D3DFMT_L8, {D3DFMT_L8, D3DFMT_A8L8, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8}},                 // intensity 8
    {D3DFMT_A4L4, {D3DFMT_A4L4, D3DFMT_A8L8, D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8}},             // alpha-intensity 44
    {D3DFMT_P8, {D3DFMT_P8, D3DFMT_A8P8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5}},                   // palette 8
    kNeverConverted,                                                                           // reserved
    kNeverConverted,                                                                           // reserved
    {D3DFMT_A8R3G3B2, {D3DFMT_A8R3G3B2, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}}, // ARGB 8332
    kNeverConverted,                                                                           // AYIQ 8422
    {D3DFMT_R5G6B5, {D3DFMT_R5G6B5, D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_X1R5G5B5}},     // RGB 565
    {D3DFMT_A1R5G5B5, {D3DFMT_A1R5G5B5, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_R5G6B5}},   // ARGB 1555
    {D3DFMT_A4R4G4B4, {D3DFMT_A4R4G4B4, D3DFMT_A8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A8R3G3B2}}, // ARGB 4444
    {D3DFMT_A8L8, {D3DFMT_A8L8, D3DFMT_A4L4, D3DFMT_A8R8G8B8, D3DFMT_A8R3G3B2}},             // alpha-intensity 88
    {D3DFMT_A8P8, {D3DFMT_A8P8, D3DFMT_P8, D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}},               // alpha-palette 88
    kNeverConverted,                                                                           // reserved
};

// Formats never offered: unknown, signed (bump-map), depth, buffer, video
// and multi-element formats.
bool IsExcludedFormat(DWORD format)
{
    if (IsBumpMapFormat(static_cast<D3DFORMAT>(format))) {
        return true;
    }
    switch (format) {
    case D3DFMT_UNKNOWN:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D32:
    case D3DFMT_D15S1:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D16:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
    case D3DFMT_VERTEXDATA:
    case D3DFMT_INDEX16:
    case D3DFMT_INDEX32:
    case D3DFMT_YUY2:
    case D3DFMT_UYVY:
    case D3DFMT_G8R8_G8B8:
    case D3DFMT_R8G8_B8G8:
    case D3DFMT_MULTI2_ARGB8:
        return true;
    default:
        return false;
    }
}

}  // namespace

const ZelkTextureFormatRule& GetTextureFormatRule(unsigned glideFormat)
{
    return glideFormat < 16 ? kRules[glideFormat] : kNeverConverted;
}

bool IsConvertibleFormat(DWORD source, DWORD target)
{
    if (IsExcludedFormat(source) || IsExcludedFormat(target)) {
        return false;
    }
    // Sources from A2B10G10R10 (31) to P8 (41), the palettized ones among
    // them, may go into any format.
    if (source >= D3DFMT_A2B10G10R10 && source <= D3DFMT_P8) {
        return true;
    }
    return target != D3DFMT_P8 && target != D3DFMT_A8P8;
}

bool IsTextureFormatFor(unsigned glideFormat, DWORD format)
{
    const D3DFORMAT source = GetTextureFormatRule(glideFormat).source;
    if (source == kNone || !IsConvertibleFormat(source, format)) {
        return false;
    }
    return !(source == D3DFMT_A8 && format == D3DFMT_A8);
}

}  // namespace zelk
