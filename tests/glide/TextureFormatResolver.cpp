// Resolving the configured Direct3D format of each Glide texture format
// against what a device supports: kept, replaced by the preference list or
// the first fitting candidate, left at none, and logged when the replaced
// value was stored.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "common/TestDirectory.h"
#include "glide/ZelkGlideSettings.h"
#include "glide/ZelkGrTextureFormatResolver.h"

namespace {

using zelk::ZelkGrTextureSettings;

// Glide texture format codes.
constexpr unsigned kRgb332 = 0, kYiq = 1, kAlpha8 = 2, kPalette8 = 5, kRgb565 = 10, kAp88 = 14;

std::string Log() { return zelktest::ReadFileText("vezoRerez.log"); }

// A device that supports the listed formats only.
zelk::ZelkTextureFormatSupport Supports(std::set<D3DFORMAT> formats)
{
    return [formats](D3DFORMAT format) { return formats.count(format) != 0; };
}

// The formats of Wine's windowed X8R8G8B8 record that matter here: no
// R3G3B2, A4L4, A8R3G3B2, P8 or A8P8.
const std::set<D3DFORMAT> kWineLike = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_R5G6B5, D3DFMT_X1R5G5B5,
                                       D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4, D3DFMT_A8,      D3DFMT_L8,
                                       D3DFMT_A8L8,     D3DFMT_L16};

TEST(TextureFormatResolver, EachGlideFormatGetsAFormatThatHoldsItsTexels)
{
    struct Case {
        const char* what;
        unsigned glideFormat;
        DWORD configured;
        std::set<D3DFORMAT> supported;
        DWORD resolved;
    };
    const Case cases[] = {
        {"supported and fitting: kept", kRgb565, D3DFMT_X8R8G8B8, kWineLike, D3DFMT_X8R8G8B8},
        {"not chosen yet: first preference", kRgb565, 1002, kWineLike, D3DFMT_R5G6B5},
        {"never converted: first preference", kRgb565, 1000, kWineLike, D3DFMT_R5G6B5},
        {"unknown number", kRgb565, 4711, kWineLike, D3DFMT_R5G6B5},
        {"no palettised textures", kPalette8, D3DFMT_P8, kWineLike, D3DFMT_X8R8G8B8},
        {"no palettised or X8R8G8B8 textures", kPalette8, D3DFMT_P8, {D3DFMT_R5G6B5, D3DFMT_A8R8G8B8},
         D3DFMT_R5G6B5},
        {"palettised textures there", kPalette8, D3DFMT_P8, {D3DFMT_P8}, D3DFMT_P8},
        {"alpha-palette without A8P8 or P8", kAp88, D3DFMT_A8P8, kWineLike, D3DFMT_A8R8G8B8},
        {"R3G3B2 missing", kRgb332, D3DFMT_R3G3B2, kWineLike, D3DFMT_R5G6B5},
        {"alpha 8 in an alpha-only format", kAlpha8, D3DFMT_A8, kWineLike, D3DFMT_A8L8},
        {"alpha 8 without A8L8", kAlpha8, D3DFMT_A8, {D3DFMT_A8, D3DFMT_A8R8G8B8}, D3DFMT_A8R8G8B8},
        {"alpha 8 in a format with colour: kept", kAlpha8, D3DFMT_A4R4G4B4, kWineLike, D3DFMT_A4R4G4B4},
        {"a stored palettised format for RGB 565 cannot be converted into", kRgb565, D3DFMT_P8,
         {D3DFMT_P8, D3DFMT_R5G6B5}, D3DFMT_R5G6B5},
        {"no preference supported: first fitting candidate", kRgb565, 1002, {D3DFMT_P8, D3DFMT_L16}, D3DFMT_L16},
        {"nothing fits", kRgb565, 1002, {D3DFMT_P8}, 0},
        {"none stays none", kRgb565, 0, kWineLike, 0},
        {"YIQ placeholder becomes none", kYiq, 1000, kWineLike, 0},
        {"YIQ in a supported format: kept", kYiq, D3DFMT_L8, kWineLike, D3DFMT_L8},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZelkGrTextureSettings settings = zelk::DefaultTextureSettings();
        settings.format[c.glideFormat] = c.configured;
        zelk::ResolveTextureFormats(settings, Supports(c.supported));
        EXPECT_EQ(settings.format[c.glideFormat], c.resolved);
    }
}

TEST(TextureFormatResolver, ReplacedStoredFormatsAreLoggedOnce)
{
    ZelkGrTextureSettings settings = zelk::DefaultTextureSettings();
    settings.format[kAlpha8] = D3DFMT_A8;
    settings.format[kRgb565] = 1002;
    settings.format[kYiq] = 1000;
    settings.storedFormats = (1u << kAlpha8) | (1u << kRgb565) | (1u << kYiq) | (1u << 3);
    zelk::ResolveTextureFormats(settings, Supports(kWineLike));
    const std::string log = Log();
    // Each entry names the manager's construction, which resolves the formats.
    EXPECT_NE(log.find("Function name : ZelkGrTextureManager::ZelkGrTextureManager"), std::string::npos) << log;
    EXPECT_NE(log.find("Message : The Direct3D format [ A8 ] of the texture setting [ A8 ] cannot be used; "
                       "[ A8L8 ] is used in its place."),
              std::string::npos)
        << log;
    EXPECT_NE(log.find("Message : The Direct3D format [ 1002 ] of the texture setting [ R5G6B5 ] cannot be used; "
                       "[ R5G6B5 ] is used in its place."),
              std::string::npos)
        << log;
    // The default P8, A8P8, R3G3B2, A4L4 and A8R3G3B2 were replaced too, but
    // were not stored; the stored L8 was kept; YIQ has nothing to replace.
    int entries = 0;
    for (size_t at = log.find("An exception was thrown"); at != std::string::npos;
         at = log.find("An exception was thrown", at + 1)) {
        ++entries;
    }
    EXPECT_EQ(entries, 2) << log;
    EXPECT_EQ(settings.format[kPalette8], static_cast<DWORD>(D3DFMT_X8R8G8B8));

    // Nothing that fits says so.
    ZelkGrTextureSettings none = zelk::DefaultTextureSettings();
    none.storedFormats = 1u << kRgb565;
    none.format[kRgb565] = D3DFMT_P8;
    zelk::ResolveTextureFormats(none, Supports({}));
    EXPECT_NE(Log().find("Message : The Direct3D format [ P8 ] of the texture setting [ R5G6B5 ] cannot be used, "
                         "and the device has no format for it."),
              std::string::npos)
        << Log();
}

}  // namespace
