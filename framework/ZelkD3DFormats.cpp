#include "framework/ZelkD3DFormats.h"

namespace zelk {

UINT GetFormatBytesPerPixel(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
        return 1;

    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
    case D3DFMT_L16:
    case D3DFMT_INDEX16:
    case D3DFMT_R16F:
    case D3DFMT_CxV8U8:
        return 2;

    case D3DFMT_R8G8B8:
        return 3;

    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_A2B10G10R10:
    case D3DFMT_A8B8G8R8:
    case D3DFMT_X8B8G8R8:
    case D3DFMT_G16R16:
    case D3DFMT_A2R10G10B10:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
    case D3DFMT_D32F_LOCKABLE:
    case D3DFMT_D24FS8:
    case D3DFMT_INDEX32:
    case D3DFMT_G16R16F:
    case D3DFMT_R32F:
    case D3DFMT_R8G8_B8G8:
    case D3DFMT_G8R8_G8B8:
        return 4;

    case D3DFMT_A16B16G16R16:
    case D3DFMT_Q16W16V16U16:
    case D3DFMT_A16B16G16R16F:
    case D3DFMT_G32R32F:
        return 8;

    case D3DFMT_A32B32G32R32F:
        return 16;

    default:
        return 0;
    }
}

const ZelkD3DCandidateFormat kCandidateFormats[kCandidateFormatCount] = {
    {D3DFMT_UNKNOWN, "UNKNOWN"},
    {D3DFMT_R8G8B8, "R8G8B8"},
    {D3DFMT_A8R8G8B8, "A8R8G8B8"},
    {D3DFMT_X8R8G8B8, "X8R8G8B8"},
    {D3DFMT_R5G6B5, "R5G6B5"},
    {D3DFMT_X1R5G5B5, "X1R5G5B5"},
    {D3DFMT_A1R5G5B5, "A1R5G5B5"},
    {D3DFMT_A4R4G4B4, "A4R4G4B4"},
    {D3DFMT_R3G3B2, "R3G3B2"},
    {D3DFMT_A8, "A8"},
    {D3DFMT_A8R3G3B2, "A8R3G3B2"},
    {D3DFMT_X4R4G4B4, "X4R4G4B4"},
    {D3DFMT_A2B10G10R10, "A2B10G10R10"},
    {D3DFMT_A8B8G8R8, "A8B8G8R8"},
    {D3DFMT_X8B8G8R8, "X8B8G8R8"},
    {D3DFMT_G16R16, "G16R16"},
    {D3DFMT_A2R10G10B10, "A2R10G10B10"},
    {D3DFMT_A16B16G16R16, "A16B16G16R16"},
    {D3DFMT_A8P8, "A8P8"},
    {D3DFMT_P8, "P8"},
    {D3DFMT_L8, "L8"},
    {D3DFMT_A8L8, "A8L8"},
    {D3DFMT_A4L4, "A4L4"},
    {D3DFMT_V8U8, "V8U8"},
    {D3DFMT_L6V5U5, "L6V5U5"},
    {D3DFMT_X8L8V8U8, "X8L8V8U8"},
    {D3DFMT_Q8W8V8U8, "Q8W8V8U8"},
    {D3DFMT_V16U16, "V16U16"},
    {D3DFMT_A2W10V10U10, "A2W10V10U10"},
    {D3DFMT_UYVY, "UYVY"},
    {D3DFMT_R8G8_B8G8, "R8G8_B8G8"},
    {D3DFMT_YUY2, "YUY2"},
    {D3DFMT_G8R8_G8B8, "G8R8_G8B8"},
    {D3DFMT_DXT1, "DXT1"},
    {D3DFMT_DXT2, "DXT2"},
    {D3DFMT_DXT3, "DXT3"},
    {D3DFMT_DXT4, "DXT4"},
    {D3DFMT_DXT5, "DXT5"},
    {D3DFMT_D16_LOCKABLE, "D16_LOCKABLE"},
    {D3DFMT_D32, "D32"},
    {D3DFMT_D15S1, "D15S1"},
    {D3DFMT_D24S8, "D24S8"},
    {D3DFMT_D24X8, "D24X8"},
    {D3DFMT_D24X4S4, "D24X4S4"},
    {D3DFMT_D16, "D16"},
    {D3DFMT_D32F_LOCKABLE, "D32F_LOCKABLE"},
    {D3DFMT_D24FS8, "D24FS8"},
    {D3DFMT_L16, "L16"},
    {D3DFMT_VERTEXDATA, "VERTEXDATA"},
    {D3DFMT_INDEX16, "INDEX16"},
    {D3DFMT_INDEX32, "INDEX32"},
    {D3DFMT_Q16W16V16U16, "Q16W16V16U16"},
    {D3DFMT_MULTI2_ARGB8, "MULTI2_ARGB8"},
    {D3DFMT_R16F, "R16F"},
    {D3DFMT_G16R16F, "G16R16F"},
    {D3DFMT_A16B16G16R16F, "A16B16G16R16F"},
    {D3DFMT_R32F, "R32F"},
    {D3DFMT_G32R32F, "G32R32F"},
    {D3DFMT_A32B32G32R32F, "A32B32G32R32F"},
    {D3DFMT_CxV8U8, "CxV8U8"},
};

const D3DFORMAT kFullScreenDisplayFormats[kFullScreenDisplayFormatCount] = {
    D3DFMT_X8R8G8B8, D3DFMT_A8R8G8B8, D3DFMT_A2R10G10B10,
    D3DFMT_X1R5G5B5, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5,
};

bool IsBumpMapFormat(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_A2W10V10U10:
    case D3DFMT_Q16W16V16U16:
    case D3DFMT_CxV8U8:
        return true;
    default:
        return false;
    }
}

bool HasFrameBufferConversion(D3DFORMAT format)
{
    switch (format) {
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
        return true;
    default:
        return false;
    }
}

}  // namespace zelk
