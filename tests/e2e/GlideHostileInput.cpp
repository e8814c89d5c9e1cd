// Every export called with values no Glide program should pass: enumeration
// values out of range, texture units above 1, null pointers, huge counts and
// sizes; before a window is open and while one is.  The process survives,
// the failures that can be told are logged, and a correct frame is drawn
// afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <vector>

#include "common/TestWindow.h"
#include "support/GlideDll.h"

namespace {

using zelktest::GlideDll;
using zelktest::MakeVertex;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const FxU32 kHuge = 0x7FFFFFFF;
const FxU32 kAll = 0xFFFFFFFF;

struct HostileCall {
    const char* name;
    bool mustLog;  // a failure that the front end itself reports
    std::function<void(GlideDll&)> run;
};

// Calls that may run before and after the window opens.
std::vector<HostileCall> HostileCalls(HWND window)
{
    static GrVertex v[4];
    static const int badIndices[3] = {0, -7, 1};
    static FxU8 bytes[64];
    static GrState garbage;
    std::memset(&garbage, 0xFF, sizeof(garbage));
    const FxU32 handle = static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window));
    return {
        // Drawing.
        {"grDrawPoint", true, [](GlideDll& g) { g.grDrawPoint(nullptr); }},
        {"grAADrawPoint", true, [](GlideDll& g) { g.grAADrawPoint(nullptr); }},
        {"grDrawLine", true, [](GlideDll& g) { g.grDrawLine(&v[0], nullptr); }},
        {"grAADrawLine", true, [](GlideDll& g) { g.grAADrawLine(nullptr, &v[0]); }},
        {"grDrawTriangle", true, [](GlideDll& g) { g.grDrawTriangle(&v[0], &v[1], nullptr); }},
        {"grAADrawTriangle", true, [](GlideDll& g) { g.grAADrawTriangle(nullptr, nullptr, nullptr, 7, 8, 9); }},
        {"guDrawTriangleWithClip", true, [](GlideDll& g) { g.guDrawTriangleWithClip(nullptr, &v[0], &v[1]); }},
        {"guAADrawTriangleWithClip", true, [](GlideDll& g) { g.guAADrawTriangleWithClip(&v[0], nullptr, &v[1]); }},
        {"grDrawPolygon null", true, [](GlideDll& g) { g.grDrawPolygon(3, nullptr, v); }},
        {"grDrawPolygon index", true, [](GlideDll& g) { g.grDrawPolygon(3, badIndices, v); }},
        {"grDrawPolygon huge", true, [](GlideDll& g) { g.grDrawPolygon(0x7FFFFFFF, badIndices, v); }},
        {"grDrawPlanarPolygon", true, [](GlideDll& g) { g.grDrawPlanarPolygon(4, badIndices, nullptr); }},
        {"grAADrawPolygon", true, [](GlideDll& g) { g.grAADrawPolygon(0x10000000, nullptr, nullptr); }},
        {"grDrawPolygonVertexList", true, [](GlideDll& g) { g.grDrawPolygonVertexList(5, nullptr); }},
        {"grDrawPlanarPolygonVertexList", true, [](GlideDll& g) { g.grDrawPlanarPolygonVertexList(0x7FFFFFFF, v); }},
        {"grAADrawPolygonVertexList", true, [](GlideDll& g) { g.grAADrawPolygonVertexList(9, nullptr); }},
        {"guDrawPolygonVertexListWithClip", true, [](GlideDll& g) { g.guDrawPolygonVertexListWithClip(3, nullptr); }},
        // Buffers, board and window.
        {"grBufferClear", false, [](GlideDll& g) { g.grBufferClear(kAll, 0xFF, 0xFFFF); }},
        {"grBufferNumPending", false, [](GlideDll& g) { g.grBufferNumPending(); }},
        {"grRenderBuffer", false, [](GlideDll& g) { g.grRenderBuffer(kAll); }},
        {"grSstQueryBoards", true, [](GlideDll& g) { EXPECT_EQ(g.grSstQueryBoards(nullptr), FXFALSE); }},
        {"grSstQueryHardware", true, [](GlideDll& g) { EXPECT_EQ(g.grSstQueryHardware(nullptr), FXFALSE); }},
        {"grSstSelect", false, [](GlideDll& g) { g.grSstSelect(-5); }},
        {"grSstControl", false, [](GlideDll& g) { g.grSstControl(kAll); }},
        {"grSstOrigin", false, [](GlideDll& g) { g.grSstOrigin(77); }},
        {"grSstPerfStats", false, [](GlideDll& g) { g.grSstPerfStats(nullptr); }},
        {"grTriStats", false, [](GlideDll& g) { g.grTriStats(nullptr, nullptr); }},
        {"grErrorSetCallback", false, [](GlideDll& g) { g.grErrorSetCallback(nullptr); }},
        {"grCheckForRoom", false, [](GlideDll& g) { g.grCheckForRoom(-1); }},
        {"grSplash", false, [](GlideDll& g) { g.grSplash(kNaN, -1e30f, 1e30f, kNaN, kAll); }},
        {"grGlideShamelessPlug", false, [](GlideDll& g) { g.grGlideShamelessPlug(55); }},
        // State.
        {"grAlphaBlendFunction", false, [](GlideDll& g) { g.grAlphaBlendFunction(99, 98, 97, 96); }},
        {"grAlphaCombine", false, [](GlideDll& g) { g.grAlphaCombine(99, 99, 99, 99, 99); }},
        {"grColorCombine", false, [](GlideDll& g) { g.grColorCombine(kAll, kAll, kAll, kAll, -1); }},
        {"grAlphaControlsITRGBLighting", false, [](GlideDll& g) { g.grAlphaControlsITRGBLighting(-3); }},
        {"grAlphaTestFunction", false, [](GlideDll& g) { g.grAlphaTestFunction(99); }},
        {"grAlphaTestReferenceValue", false, [](GlideDll& g) { g.grAlphaTestReferenceValue(0xFF); }},
        {"grChromakeyMode", false, [](GlideDll& g) { g.grChromakeyMode(kAll); }},
        {"grChromakeyValue", false, [](GlideDll& g) { g.grChromakeyValue(kAll); }},
        {"grClipWindow", false, [](GlideDll& g) { g.grClipWindow(kAll, kAll, 0, 0); }},
        {"grColorMask", false, [](GlideDll& g) { g.grColorMask(-1, 2); }},
        {"grConstantColorValue", false, [](GlideDll& g) { g.grConstantColorValue(kAll); }},
        {"grConstantColorValue4", false, [](GlideDll& g) { g.grConstantColorValue4(kNaN, 1e30f, -1e30f, kNaN); }},
        {"grCullMode", false, [](GlideDll& g) { g.grCullMode(kAll); }},
        {"grDepthBiasLevel", false, [](GlideDll& g) { g.grDepthBiasLevel(-32768); }},
        {"grDepthBufferFunction", false, [](GlideDll& g) { g.grDepthBufferFunction(kAll); }},
        {"grDepthBufferMode", false, [](GlideDll& g) { g.grDepthBufferMode(kAll); }},
        {"grDepthMask", false, [](GlideDll& g) { g.grDepthMask(kAll); }},
        {"grDitherMode", false, [](GlideDll& g) { g.grDitherMode(kAll); }},
        {"grFogColorValue", false, [](GlideDll& g) { g.grFogColorValue(kAll); }},
        {"grFogMode", false, [](GlideDll& g) { g.grFogMode(kAll); }},
        {"grFogTable", true, [](GlideDll& g) { g.grFogTable(nullptr); }},
        {"grGammaCorrectionValue", false, [](GlideDll& g) { g.grGammaCorrectionValue(kNaN); }},
        {"grGammaCorrectionValue", false, [](GlideDll& g) { g.grGammaCorrectionValue(-1e30f); }},
        {"grHints", false, [](GlideDll& g) { g.grHints(0, kAll); }},
        {"grHints type", false, [](GlideDll& g) { g.grHints(kAll, kAll); }},
        {"grDisableAllEffects", false, [](GlideDll& g) { g.grDisableAllEffects(); }},
        {"grGlideGetState", true, [](GlideDll& g) { g.grGlideGetState(nullptr); }},
        {"grGlideSetState", true, [](GlideDll& g) { g.grGlideSetState(nullptr); }},
        {"grGlideSetState garbage", false, [](GlideDll& g) { g.grGlideSetState(&garbage); }},
        {"grGlideGetVersion", true, [](GlideDll& g) { g.grGlideGetVersion(nullptr); }},
        // Textures.
        {"grTexCalcMemRequired", false, [](GlideDll& g) { g.grTexCalcMemRequired(kAll, 99, 99, 99); }},
        {"grTexTextureMemRequired", false, [](GlideDll& g) { g.grTexTextureMemRequired(kAll, nullptr); }},
        {"grTexMinAddress", false, [](GlideDll& g) { g.grTexMinAddress(7); }},
        {"grTexMaxAddress", false, [](GlideDll& g) { g.grTexMaxAddress(-1); }},
        {"grTexSource", false, [](GlideDll& g) { g.grTexSource(2, kAll, kAll, nullptr); }},
        {"grTexMultibase", false, [](GlideDll& g) { g.grTexMultibase(9, 9); }},
        {"grTexMultibaseAddress", false, [](GlideDll& g) { g.grTexMultibaseAddress(5, 99, kAll, 9, nullptr); }},
        {"grTexClampMode", false, [](GlideDll& g) { g.grTexClampMode(3, 99, 99); }},
        {"grTexFilterMode", false, [](GlideDll& g) { g.grTexFilterMode(-1, 99, 99); }},
        {"grTexMipMapMode", false, [](GlideDll& g) { g.grTexMipMapMode(2, 99, 99); }},
        {"grTexLodBiasValue", false, [](GlideDll& g) { g.grTexLodBiasValue(7, kNaN); }},
        {"grTexDetailControl", false, [](GlideDll& g) { g.grTexDetailControl(2, 0x7FFFFFFF, 0xFF, kNaN); }},
        {"grTexCombine", false, [](GlideDll& g) { g.grTexCombine(9, 99, 99, 99, 99, 9, 9); }},
        {"grTexCombineFunction", false, [](GlideDll& g) { g.grTexCombineFunction(9, 99); }},
        {"grTexNCCTable", false, [](GlideDll& g) { g.grTexNCCTable(9, 99); }},
        {"grTexDownloadMipMap", false, [](GlideDll& g) { g.grTexDownloadMipMap(0, kAll, 3, nullptr); }},
        {"grTexDownloadMipMapLevel", false,
         [](GlideDll& g) { g.grTexDownloadMipMapLevel(0, 0, 99, 99, 99, 99, 3, nullptr); }},
        {"grTexDownloadMipMapLevel tmu", false,
         [](GlideDll& g) { g.grTexDownloadMipMapLevel(5, 0, GR_LOD_1, GR_LOD_1, 3, 10, 3, bytes); }},
        {"grTexDownloadMipMapLevelPartial", false,
         [](GlideDll& g) { g.grTexDownloadMipMapLevelPartial(0, 0, GR_LOD_1, GR_LOD_1, 3, 10, 3, bytes, -5, 1 << 30); }},
        {"grTexDownloadTable", false, [](GlideDll& g) { g.grTexDownloadTable(0, GR_TEXTABLE_PALETTE, nullptr); }},
        {"grTexDownloadTablePartial", false,
         [](GlideDll& g) { g.grTexDownloadTablePartial(0, GR_TEXTABLE_PALETTE, bytes, -100, 100000); }},
        {"ConvertAndDownloadRle", false,
         [](GlideDll& g) { g.ConvertAndDownloadRle(9, 0, 99, 99, 99, 99, 9, nullptr, -1, kAll, kAll, kAll, kAll, kAll, kAll, nullptr); }},
        {"guTexAllocateMemory", false,
         [](GlideDll& g) { g.guTexAllocateMemory(7, 9, -1, -1, 99, 99, 99, 99, 99, 99, 99, 99, 99, kNaN, 9); }},
        {"guTexChangeAttributes", false,
         [](GlideDll& g) { g.guTexChangeAttributes(kAll, -1, -1, 99, 99, 99, 99, 99, 99, 99, 99, 99); }},
        {"guTexCombineFunction", false, [](GlideDll& g) { g.guTexCombineFunction(-1, 99); }},
        {"guTexGetCurrentMipMap", false, [](GlideDll& g) { g.guTexGetCurrentMipMap(9); }},
        {"guTexGetMipMapInfo", false, [](GlideDll& g) { EXPECT_EQ(g.guTexGetMipMapInfo(kAll), nullptr); }},
        {"guTexMemQueryAvail", false, [](GlideDll& g) { g.guTexMemQueryAvail(9); }},
        {"guTexDownloadMipMap", false, [](GlideDll& g) { g.guTexDownloadMipMap(kAll, nullptr, nullptr); }},
        {"guTexDownloadMipMapLevel", false, [](GlideDll& g) { g.guTexDownloadMipMapLevel(kAll, 99, nullptr); }},
        {"guTexSource", false, [](GlideDll& g) { g.guTexSource(kAll); }},
        {"guTexCreateColorMipMap", false, [](GlideDll& g) { g.guTexCreateColorMipMap(); }},
        {"gu3dfGetInfo", false, [](GlideDll& g) { g.gu3dfGetInfo(nullptr, nullptr); }},
        {"gu3dfLoad", false, [](GlideDll& g) { g.gu3dfLoad("Z:\\\\no\\\\such.3df", nullptr); }},
        // Frame buffer.
        {"grLfbLock", false, [](GlideDll& g) { g.grLfbLock(kAll, kAll, kAll, kAll, 9, nullptr); }},
        {"grLfbUnlock", false, [](GlideDll& g) { g.grLfbUnlock(kAll, kAll); }},
        {"grLfbConstantAlpha", false, [](GlideDll& g) { g.grLfbConstantAlpha(0xFF); }},
        {"grLfbConstantDepth", false, [](GlideDll& g) { g.grLfbConstantDepth(0xFFFF); }},
        {"grLfbWriteColorSwizzle", false, [](GlideDll& g) { g.grLfbWriteColorSwizzle(9, 9); }},
        {"grLfbWriteColorFormat", false, [](GlideDll& g) { g.grLfbWriteColorFormat(kAll); }},
        {"grLfbWriteRegion", false,
         [](GlideDll& g) { g.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, kHuge, kHuge, 99, kHuge, kHuge, -1, nullptr); }},
        {"grLfbReadRegion", false,
         [](GlideDll& g) { g.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, kHuge, kHuge, 0, nullptr); }},
        {"grLfbWriteRegionImpl", false,
         [](GlideDll& g) { g.grLfbWriteRegionImpl(kAll, 0, 0, 0, kHuge, 4, 0, 0, nullptr); }},
        // Utility library.
        {"guAlphaSource", false, [](GlideDll& g) { g.guAlphaSource(kAll); }},
        {"guColorCombineFunction", false, [](GlideDll& g) { g.guColorCombineFunction(kAll); }},
        {"guEncodeRLE16", false, [](GlideDll& g) { g.guEncodeRLE16(nullptr, nullptr, kAll, kAll); }},
        {"guFogTableIndexToW", false, [](GlideDll& g) { g.guFogTableIndexToW(0x7FFFFFFF); }},
        {"guFogTableIndexToW", false, [](GlideDll& g) { g.guFogTableIndexToW(-0x7FFFFFFF); }},
        {"guFogGenerateExp", true, [](GlideDll& g) { g.guFogGenerateExp(nullptr, 1.0f); }},
        {"guFogGenerateExp2", true, [](GlideDll& g) { g.guFogGenerateExp2(nullptr, kNaN); }},
        {"guFogGenerateLinear", true, [](GlideDll& g) { g.guFogGenerateLinear(nullptr, kNaN, kNaN); }},
        {"guEndianSwapWords", false, [](GlideDll& g) { EXPECT_EQ(g.guEndianSwapWords(0x12345678), 0x56781234u); }},
        {"guEndianSwapBytes", false, [](GlideDll& g) { EXPECT_EQ(g.guEndianSwapBytes(0x5678), 0x7856); }},
        // Later entry points.
        {"grGetImpl", false, [](GlideDll& g) { g.grGetImpl(kAll, kAll, nullptr); }},
        {"grGetStringImpl", false, [](GlideDll& g) { g.grGetStringImpl(kAll); }},
        {"grResetImpl", false, [](GlideDll& g) { g.grResetImpl(kAll); }},
        {"grGetProcAddressImpl", false, [](GlideDll& g) { g.grGetProcAddressImpl(nullptr); }},
        {"grEnableImpl", false, [](GlideDll& g) { g.grEnableImpl(kAll); }},
        {"grDisableImpl", false, [](GlideDll& g) { g.grDisableImpl(kAll); }},
        {"grCoordinateSpaceImpl", false, [](GlideDll& g) { g.grCoordinateSpaceImpl(kAll); }},
        {"grDepthRangeImpl", false, [](GlideDll& g) { g.grDepthRangeImpl(kNaN, kNaN); }},
        {"grViewportImpl", false, [](GlideDll& g) { g.grViewportImpl(-1, -1, -1, -1); }},
        {"grVertexLayoutImpl", false, [](GlideDll& g) { g.grVertexLayoutImpl(kAll, -1, kAll); }},
        {"grDrawVertexArrayImpl", false, [](GlideDll& g) { g.grDrawVertexArrayImpl(kAll, kAll, nullptr); }},
        {"grDrawVertexArrayLinearImpl", false,
         [](GlideDll& g) { g.grDrawVertexArrayLinearImpl(kAll, kAll, nullptr, kAll); }},
        {"grLoadGammaTableImpl", false, [](GlideDll& g) { g.grLoadGammaTableImpl(kAll, nullptr, nullptr, nullptr); }},
        {"guGammaCorrectionRGBImpl", false, [](GlideDll& g) { g.guGammaCorrectionRGBImpl(kNaN, -1, 1e30f); }},
        {"grTexNCCTableImpl", false, [](GlideDll& g) { g.grTexNCCTableImpl(kAll); }},
        // Window.
        {"grSstWinOpen window", true,
         [](GlideDll& g) { EXPECT_EQ(g.grSstWinOpen(0x1234, GR_RESOLUTION_1024x768, 0, 0, 0, 2, 1), FXFALSE); }},
        {"grSstWinOpen format", true,
         [handle](GlideDll& g) { EXPECT_EQ(g.grSstWinOpen(handle, GR_RESOLUTION_1024x768, 0, 17, 0, 2, 1), FXFALSE); }},
        // A resolution code past the table keeps the display's size: it opens.
        {"grSstWinOpen size", false,
         [handle](GlideDll& g) { EXPECT_EQ(g.grSstWinOpen(handle, 0x7FFFFFF0, 0, 0, 0, 2, 1), FXTRUE); }},
    };
}

class GlideHostileInput : public testing::Test {
protected:
    void SetUp() override
    {
        std::string missing;
        ASSERT_TRUE(glide.Load(missing)) << missing;
        window = std::make_unique<zelktest::TestWindow>(1024, 768, "hostile");
        zelktest::SetSetting("lfb accessing", "enable back buffer reading", 1);
    }
    void TearDown() override
    {
        glide.grGlideShutdown();
        zelktest::RemoveSettings();
        window.reset();
        glide.Unload();
    }

    FxBool Open()
    {
        return glide.grSstWinOpen(static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window->Handle())),
                                  GR_RESOLUTION_1024x768, GR_REFRESH_60Hz, GR_COLORFORMAT_ARGB, GR_ORIGIN_UPPER_LEFT,
                                  2, 1);
    }

    void RunAll(bool windowOpen)
    {
        for (const HostileCall& call : HostileCalls(window->Handle())) {
            if (std::strncmp(call.name, "grSstWinOpen", 12) == 0 && windowOpen) {
                continue;  // would close the window under test
            }
            const int before = zelktest::LogCount("An exception was thrown");
            call.run(glide);
            if (call.mustLog) {
                EXPECT_GT(zelktest::LogCount("An exception was thrown"), before)
                    << call.name << (windowOpen ? " with a window" : " without a window");
            }
        }
    }

    // Draws red over blue and reads the picture back.
    void DrawCorrectFrame()
    {
        glide.guColorCombineFunction(GR_COLORCOMBINE_ITRGB);
        glide.grBufferClear(0x000000FF, 0, 0xFFFF);
        GrVertex a = MakeVertex(100, 100, 255, 0, 0), b = MakeVertex(400, 100, 255, 0, 0),
                 c = MakeVertex(100, 400, 255, 0, 0);
        glide.grDrawTriangle(&a, &b, &c);
        GrLfbInfo_t info = {};
        info.size = sizeof(info);
        ASSERT_EQ(glide.grLfbLock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER, GR_LFBWRITEMODE_ANY, GR_ORIGIN_UPPER_LEFT,
                                  FXFALSE, &info),
                  FXTRUE);
        const FxU16* pixels = static_cast<const FxU16*>(info.lfbPtr);
        const FxU32 pitch = info.strideInBytes / 2;
        EXPECT_EQ(pixels[150 * pitch + 150], 0xF800);
        EXPECT_EQ(pixels[600 * pitch + 800], 0x001F);
        glide.grLfbUnlock(GR_LFB_READ_ONLY, GR_BUFFER_BACKBUFFER);
        glide.grBufferSwap(1);
    }

    GlideDll glide;
    std::unique_ptr<zelktest::TestWindow> window;
};

TEST_F(GlideHostileInput, TheProcessSurvivesAndDrawsCorrectlyAfterwards)
{
    RunAll(false);
    glide.grGlideShutdown();
    ASSERT_EQ(Open(), FXTRUE) << zelktest::LogText();
    GrState defaults;
    glide.grGlideGetState(&defaults);
    RunAll(true);
    // Back to a sane state (the hostile calls changed much of it), then a
    // correct frame.
    glide.grGlideSetState(&defaults);
    glide.grRenderBuffer(GR_BUFFER_BACKBUFFER);
    DrawCorrectFrame();
    glide.grSstWinClose();
}

}  // namespace
