// Rodoz2o.dll loaded by name draws one texture of every Glide texture format
// that has a converter, whatever the settings tree says about the Direct3D
// formats: with the placeholders a configurator writes before its Texture
// page is opened, with no texture settings at all, and with formats the
// device cannot use.  Each texel is read back from the frame buffer: its
// colour drawn as it is, its alpha drawn as grey.
#include <gtest/gtest.h>

#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "common/TextureFiles.h"
#include "support/GlideDll.h"

namespace {

constexpr unsigned kW = 1024;
constexpr unsigned kH = 768;

// One texture filled with a single texel value, and that texel as the
// frame buffer should show it.  Channels widen by a shift or by repeating
// their top bits, which the tolerance covers.
struct FormatCase {
    const char* name;
    GrTextureFormat_t format;
    std::uint16_t texel;  // the low byte alone for 8-bit formats
    std::uint32_t argb;   // expected 0xAARRGGBB
};

const FormatCase kCases[] = {
    {"RGB 332", GR_TEXFMT_RGB_332, 0xE3, 0xFFE000C0},
    {"alpha 8, opaque", GR_TEXFMT_ALPHA_8, 0xFF, 0xFFFFFFFF},
    {"alpha 8, half", GR_TEXFMT_ALPHA_8, 0x80, 0x80808080},
    {"intensity 8", GR_TEXFMT_INTENSITY_8, 0x60, 0xFF606060},
    {"alpha-intensity 44", GR_TEXFMT_ALPHA_INTENSITY_44, 0xA5, 0xA5525252},
    {"palette 8", GR_TEXFMT_P_8, 0x07, 0xFFFF8000},
    {"ARGB 8332", GR_TEXFMT_ARGB_8332, 0x40E3, 0x40E000C0},
    {"RGB 565", GR_TEXFMT_RGB_565, 0xFC00, 0xFFFC8100},
    {"ARGB 1555", GR_TEXFMT_ARGB_1555, 0x7C1F, 0x00FC00FC},
    {"ARGB 4444", GR_TEXFMT_ARGB_4444, 0x8F40, 0x84F84200},
    {"alpha-intensity 88", GR_TEXFMT_ALPHA_INTENSITY_88, 0x40C0, 0x40C0C0C0},
    {"alpha-palette 88", GR_TEXFMT_AP_88, 0x9007, 0x90FF8000},
};

// Palette entry 7 of the palettised cases; every other entry is black.
constexpr std::uint32_t kPaletteEntry7 = 0x00FF8000;
constexpr int kTolerance = 0x20;

const char* const kReplaced = "is used in its place.";
const char* const kAlpha8Replaced =
    "Message : The Direct3D format [ A8 ] of the texture setting [ A8 ] cannot be used; [ A8L8 ]";

// A 565 pixel as 0x00RRGGBB, each channel widened by a zero shift.
std::uint32_t From565(std::uint16_t p)
{
    return ((p >> 11) << 19) | (((p >> 5) & 63) << 10) | ((p & 31) << 3);
}

bool Near(std::uint32_t a, std::uint32_t b)
{
    for (int shift = 0; shift < 24; shift += 8) {
        if (std::abs(int((a >> shift) & 0xFF) - int((b >> shift) & 0xFF)) > kTolerance) {
            return false;
        }
    }
    return true;
}

std::string Hex(std::uint32_t value)
{
    std::ostringstream text;
    text << "0x" << std::hex << value;
    return text.str();
}

class TextureFormatsTest : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        window = new zelktest::TestWindow(kW, kH, "texture formats");
        loaded = glide.Load(missing);
    }
    static void TearDownTestSuite()
    {
        glide.Unload();
        delete window;
        zelktest::RemoveSettings();
    }
    void SetUp() override
    {
        ASSERT_TRUE(loaded) << missing;
        zelktest::RemoveSettings();
        // Windowed, with a readable back buffer; the rest at its defaults.
        zelktest::SetSetting("direct3d device setting", "use window mode", 1);
        zelktest::SetSetting("lfb accessing", "enable back buffer reading", 1);
    }

    // Opens the window, draws every case and reads each back: colour in the
    // left square, alpha as grey in the right one.
    void DrawEveryFormat()
    {
        glide.grGlideInit();
        ASSERT_EQ(glide.grSstWinOpen(FxU32(reinterpret_cast<ULONG_PTR>(window->Handle())), GR_RESOLUTION_1024x768,
                                     GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT, 2, 1),
                  FXTRUE)
            << zelktest::LogText();
        std::vector<std::uint32_t> palette(256, 0);
        palette[7] = kPaletteEntry7;
        glide.grTexDownloadTable(GR_TMU0, GR_TEXTABLE_PALETTE, palette.data());
        glide.grTexCombineFunction(GR_TMU0, GR_TEXTURECOMBINE_DECAL);
        glide.grTexFilterMode(GR_TMU0, GR_TEXTUREFILTER_POINT_SAMPLED, GR_TEXTUREFILTER_POINT_SAMPLED);
        glide.grTexMipMapMode(GR_TMU0, GR_MIPMAP_DISABLE, FXFALSE);
        glide.grTexClampMode(GR_TMU0, GR_TEXTURECLAMP_CLAMP, GR_TEXTURECLAMP_CLAMP);
        glide.grConstantColorValue(0xFFFFFFFF);

        for (const FormatCase& c : kCases) {
            SCOPED_TRACE(c.name);
            // An 8x8 texture of the one texel.
            std::vector<std::uint8_t> texels;
            for (int i = 0; i < 64; ++i) {
                texels.push_back(std::uint8_t(c.texel));
                if (c.format >= GR_TEXFMT_16BIT) {
                    texels.push_back(std::uint8_t(c.texel >> 8));
                }
            }
            GrTexInfo info = {GR_LOD_8, GR_LOD_8, GR_ASPECT_1x1, c.format, texels.data()};
            glide.grTexDownloadMipMap(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);
            glide.grTexSource(GR_TMU0, 0, GR_MIPMAPLEVELMASK_BOTH, &info);

            glide.grBufferClear(0x00204060, 0, 0);
            glide.grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_ONE, GR_COMBINE_LOCAL_NONE,
                                 GR_COMBINE_OTHER_TEXTURE, FXFALSE);
            DrawSquare(0);
            glide.grColorCombine(GR_COMBINE_FUNCTION_SCALE_OTHER, GR_COMBINE_FACTOR_TEXTURE_ALPHA,
                                 GR_COMBINE_LOCAL_NONE, GR_COMBINE_OTHER_CONSTANT, FXFALSE);
            DrawSquare(64);

            GrLfbInfo_t lock = {};
            lock.size = sizeof lock;
            ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_565,
                                      GR_ORIGIN_UPPER_LEFT, FXFALSE, &lock),
                      FXTRUE)
                << zelktest::LogText();
            const auto pixel = [&lock](unsigned x, unsigned y) {
                return From565(reinterpret_cast<const std::uint16_t*>(static_cast<const std::uint8_t*>(lock.lfbPtr) +
                                                                      std::size_t(y) * lock.strideInBytes)[x]);
            };
            const std::uint32_t colour = pixel(32, 32);
            const std::uint32_t alpha = pixel(96, 32) & 0xFF;
            glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
            glide.grBufferSwap(0);

            EXPECT_TRUE(Near(colour, c.argb & 0xFFFFFF)) << "colour " << Hex(colour) << ", expected "
                                                         << Hex(c.argb & 0xFFFFFF);
            EXPECT_LE(std::abs(int(alpha) - int(c.argb >> 24)), kTolerance)
                << "alpha " << Hex(alpha) << ", expected " << Hex(c.argb >> 24);
        }
        glide.grSstWinClose();
        glide.grGlideShutdown();
    }

    void DrawSquare(float left)
    {
        const GrVertex a = Textured(left, 0, 0, 0), b = Textured(left + 64, 0, 256, 0),
                       c = Textured(left + 64, 64, 256, 256), d = Textured(left, 64, 0, 256);
        glide.grDrawTriangle(&a, &b, &c);
        glide.grDrawTriangle(&a, &c, &d);
    }

    static GrVertex Textured(float x, float y, float s, float t)
    {
        GrVertex v = zelktest::TexturedVertex(x, y, s, t);
        v.ooz = 65535.0f * 0.5f;
        return v;
    }

    static zelktest::TestWindow* window;
    static zelktest::GlideDll glide;
    static std::string missing;
    static bool loaded;
};
zelktest::TestWindow* TextureFormatsTest::window = nullptr;
zelktest::GlideDll TextureFormatsTest::glide;
std::string TextureFormatsTest::missing;
bool TextureFormatsTest::loaded = false;

// The values of "texture setting" in the configurator's order.
const char* const kSlotNames[13] = {"R3G3B2", "Y4I2Q2", "A8",   "L8", "A4L4", "A4R4G4B4", "A1R5G5B5",
                                    "R5G6B5", "A8Y4I2Q2", "A8L8", "P8", "A8P8", "A8R3G3B2"};

// The configurator's first start writes every page's new key; its texture
// page stores "no choice yet" (1002) in every slot until it is opened.
TEST_F(TextureFormatsTest, ConfiguratorPlaceholdersAreReplacedByUsableFormats)
{
    for (const char* name : kSlotNames) {
        zelktest::SetSetting("texture setting", name, 1002);
    }
    zelktest::SetSetting("texture setting", "force anisotropic filtering", 0);
    zelktest::SetSetting("texture setting", "create mipmap", 1);
    DrawEveryFormat();
    // Each of the eleven convertible formats is replaced once; the YIQ
    // formats stay unsupported without a word.
    EXPECT_EQ(zelktest::LogCount(kReplaced), 11) << zelktest::LogText();
    EXPECT_EQ(zelktest::LogCount("[ 1002 ] of the texture setting [ Y4I2Q2"), 0);
    EXPECT_EQ(zelktest::UnexpectedLogEntries(), 11) << zelktest::LogText();
}

// Without texture settings the defaults serve, also where the device has no
// palettised or alpha-only textures; defaults that are replaced are not
// logged.
TEST_F(TextureFormatsTest, DefaultsDrawEveryFormat)
{
    DrawEveryFormat();
    EXPECT_EQ(zelktest::UnexpectedLogEntries(), 0) << zelktest::LogText();
}

// Stored formats that cannot hold the texels as Glide shows them, or that
// the device lacks, are replaced at each open and logged each time.
TEST_F(TextureFormatsTest, StoredAlphaOnlyAndUnknownFormatsAreReplaced)
{
    zelktest::SetSetting("texture setting", "A8", 28);      // A8: colour would read black
    zelktest::SetSetting("texture setting", "R5G6B5", 4711);  // no format at all
    zelktest::SetSetting("texture setting", "A8L8", 51);    // fine as it is
    DrawEveryFormat();
    EXPECT_EQ(zelktest::LogCount(kAlpha8Replaced), 1) << zelktest::LogText();
    EXPECT_EQ(zelktest::LogCount("[ 4711 ] of the texture setting [ R5G6B5 ] cannot be used; [ R5G6B5 ] is used"), 1)
        << zelktest::LogText();
    EXPECT_EQ(zelktest::UnexpectedLogEntries(), 2) << zelktest::LogText();
}

}  // namespace
