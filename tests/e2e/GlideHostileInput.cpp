// Every export called with values no Glide program should pass: enumeration
// values out of range, texture units above 1, null pointers, huge counts and
// sizes; before a window is open and while one is.  The process survives,
// each refused call logs the line the table gives (and nothing else logs),
// and a correct frame is drawn afterwards.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <functional>
#include <limits>
#include <string>
#include <vector>

#include "common/TestWindow.h"
#include "support/GlideDll.h"

namespace {

using zelktest::GlideDll;
using zelktest::MakeVertex;

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const FxU32 kHuge = 0x7FFFFFFF;
const FxU32 kAll = 0xFFFFFFFF;

const char* const kAsOpen = "the same line as with a window";
const char* const kNoWindow = "There is no open window.";

// The line the error log must gain, with a window open and without one
// (kAsOpen: the same); empty: the call must log nothing.
struct HostileCall {
    const char* name;
    std::string log;
    std::function<void(GlideDll&)> run;
    std::string logClosed = kAsOpen;
};

std::string P(const char* parameter)
{
    return std::string("The parameter [ ") + parameter + " ] is invalid.";
}

// Calls that may run before and after the window opens.
std::vector<HostileCall> HostileCalls(HWND window)
{
    static GrVertex v[4];
    static const int badIndices[3] = {0, -7, 1};
    static FxU8 bytes[1024];  // a whole palette
    static GrState garbage;
    std::memset(&garbage, 0xFF, sizeof(garbage));
    const FxU32 handle = static_cast<FxU32>(reinterpret_cast<ULONG_PTR>(window));
    return {
        // Drawing.
        {"grDrawPoint", P("const GrVertex* pt"), [](GlideDll& g) { g.grDrawPoint(nullptr); }, kNoWindow},
        {"grAADrawPoint", P("const GrVertex* pt"), [](GlideDll& g) { g.grAADrawPoint(nullptr); }, kNoWindow},
        {"grDrawLine", P("const GrVertex* v2"), [](GlideDll& g) { g.grDrawLine(&v[0], nullptr); }, kNoWindow},
        {"grAADrawLine", P("const GrVertex* v1"), [](GlideDll& g) { g.grAADrawLine(nullptr, &v[0]); }, kNoWindow},
        {"grDrawTriangle", P("const GrVertex* c"),
         [](GlideDll& g) { g.grDrawTriangle(&v[0], &v[1], nullptr); }, kNoWindow},
        {"grAADrawTriangle", P("const GrVertex* a"),
         [](GlideDll& g) { g.grAADrawTriangle(nullptr, nullptr, nullptr, 7, 8, 9); }, kNoWindow},
        {"guDrawTriangleWithClip", P("const GrVertex* a"),
         [](GlideDll& g) { g.guDrawTriangleWithClip(nullptr, &v[0], &v[1]); }, kNoWindow},
        {"guAADrawTriangleWithClip", P("const GrVertex* b"),
         [](GlideDll& g) { g.guAADrawTriangleWithClip(&v[0], nullptr, &v[1]); }, kNoWindow},
        {"grDrawPolygon null", P("const int ilist[]"), [](GlideDll& g) { g.grDrawPolygon(3, nullptr, v); }, kNoWindow},
        {"grDrawPolygon index", P("const int ilist[]"),
         [](GlideDll& g) { g.grDrawPolygon(3, badIndices, v); }, kNoWindow},
        {"grDrawPolygon huge", P("const int ilist[]"),
         [](GlideDll& g) { g.grDrawPolygon(0x7FFFFFFF, badIndices, v); }, kNoWindow},
        {"grDrawPlanarPolygon", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.grDrawPlanarPolygon(4, badIndices, nullptr); }, kNoWindow},
        {"grAADrawPolygon", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.grAADrawPolygon(0x10000000, nullptr, nullptr); }, kNoWindow},
        {"grDrawPolygonVertexList", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.grDrawPolygonVertexList(5, nullptr); }, kNoWindow},
        {"grDrawPlanarPolygonVertexList", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.grDrawPlanarPolygonVertexList(0x7FFFFFFF, nullptr); }, kNoWindow},
        {"grAADrawPolygonVertexList", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.grAADrawPolygonVertexList(9, nullptr); }, kNoWindow},
        {"guDrawPolygonVertexListWithClip", P("const GrVertex vlist[]"),
         [](GlideDll& g) { g.guDrawPolygonVertexListWithClip(3, nullptr); }, kNoWindow},
        // Buffers, board and window.
        {"grBufferClear", "", [](GlideDll& g) { g.grBufferClear(kAll, 0xFF, 0xFFFF); }, kNoWindow},
        {"grBufferNumPending", "", [](GlideDll& g) { g.grBufferNumPending(); }},
        {"grRenderBuffer", "", [](GlideDll& g) { g.grRenderBuffer(kAll); }},
        {"grSstQueryBoards", P("GrHwConfiguration* hwconfig"),
         [](GlideDll& g) { EXPECT_EQ(g.grSstQueryBoards(nullptr), FXFALSE); }},
        {"grSstQueryHardware", P("GrHwConfiguration* hwconfig"),
         [](GlideDll& g) { EXPECT_EQ(g.grSstQueryHardware(nullptr), FXFALSE); }},
        {"grSstSelect", "", [](GlideDll& g) { g.grSstSelect(-5); }},
        {"grSstControl", "", [](GlideDll& g) { g.grSstControl(kAll); }},
        {"grSstOrigin", "", [](GlideDll& g) { g.grSstOrigin(77); }},
        {"grSstPerfStats", "", [](GlideDll& g) { g.grSstPerfStats(nullptr); }},
        {"grTriStats", "", [](GlideDll& g) { g.grTriStats(nullptr, nullptr); }},
        {"grErrorSetCallback", "", [](GlideDll& g) { g.grErrorSetCallback(nullptr); }},
        {"grCheckForRoom", "", [](GlideDll& g) { g.grCheckForRoom(-1); }},
        {"grSplash", "", [](GlideDll& g) { g.grSplash(kNaN, -1e30f, 1e30f, kNaN, kAll); }},
        {"grGlideShamelessPlug", "", [](GlideDll& g) { g.grGlideShamelessPlug(55); }},
        // State.
        {"grAlphaBlendFunction", P("GrAlphaBlendFnc_t rgb_sf"),
         [](GlideDll& g) { g.grAlphaBlendFunction(99, 98, 97, 96); }},
        {"grAlphaCombine", "", [](GlideDll& g) { g.grAlphaCombine(99, 99, 99, 99, 99); }},
        {"grColorCombine", "", [](GlideDll& g) { g.grColorCombine(kAll, kAll, kAll, kAll, -1); }},
        {"grAlphaControlsITRGBLighting", "", [](GlideDll& g) { g.grAlphaControlsITRGBLighting(-3); }},
        {"grAlphaTestFunction", P("GrCmpFnc_t function"), [](GlideDll& g) { g.grAlphaTestFunction(99); }},
        {"grAlphaTestReferenceValue", "", [](GlideDll& g) { g.grAlphaTestReferenceValue(0xFF); }},
        {"grChromakeyMode", P("GrChromakeyMode_t mode"), [](GlideDll& g) { g.grChromakeyMode(kAll); }},
        {"grChromakeyValue", "", [](GlideDll& g) { g.grChromakeyValue(kAll); }},
        {"grClipWindow", "", [](GlideDll& g) { g.grClipWindow(kAll, kAll, 0, 0); }},
        {"grColorMask", "", [](GlideDll& g) { g.grColorMask(-1, 2); }},
        {"grConstantColorValue", "", [](GlideDll& g) { g.grConstantColorValue(kAll); }},
        {"grConstantColorValue4", "", [](GlideDll& g) { g.grConstantColorValue4(kNaN, 1e30f, -1e30f, kNaN); }},
        {"grCullMode", P("GrCullMode_t mode"), [](GlideDll& g) { g.grCullMode(kAll); }},
        {"grDepthBiasLevel", "", [](GlideDll& g) { g.grDepthBiasLevel(-32768); }},
        {"grDepthBufferFunction", P("GrCmpFnc_t function"), [](GlideDll& g) { g.grDepthBufferFunction(kAll); }},
        {"grDepthBufferMode", P("GrDepthBufferMode_t mode"), [](GlideDll& g) { g.grDepthBufferMode(kAll); }},
        {"grDepthMask", "", [](GlideDll& g) { g.grDepthMask(kAll); }},
        {"grDitherMode", "", [](GlideDll& g) { g.grDitherMode(kAll); }},
        {"grFogColorValue", "", [](GlideDll& g) { g.grFogColorValue(kAll); }},
        {"grFogMode", P("GrFogMode_t mode"), [](GlideDll& g) { g.grFogMode(kAll); }},
        {"grFogTable", P("const GrFog_t ft[]"), [](GlideDll& g) { g.grFogTable(nullptr); }, kNoWindow},
        {"grGammaCorrectionValue", "", [](GlideDll& g) { g.grGammaCorrectionValue(kNaN); }},
        {"grGammaCorrectionValue", "", [](GlideDll& g) { g.grGammaCorrectionValue(-1e30f); }},
        {"grHints", "", [](GlideDll& g) { g.grHints(0, kAll); }},
        {"grHints type", "", [](GlideDll& g) { g.grHints(kAll, kAll); }},
        {"grDisableAllEffects", "", [](GlideDll& g) { g.grDisableAllEffects(); }},
        {"grGlideGetState", P("GrState* state"), [](GlideDll& g) { g.grGlideGetState(nullptr); }},
        {"grGlideSetState", P("const GrState* state"), [](GlideDll& g) { g.grGlideSetState(nullptr); }},
        {"grGlideSetState garbage", P("GrAlphaBlendFnc_t rgb_sf"), [](GlideDll& g) { g.grGlideSetState(&garbage); }},
        {"grGlideGetVersion", P("char version[80]"), [](GlideDll& g) { g.grGlideGetVersion(nullptr); }},
        // Textures.
        {"grTexCalcMemRequired", P("GrLOD_t lod"), [](GlideDll& g) { g.grTexCalcMemRequired(kAll, 99, 99, 99); }},
        {"grTexTextureMemRequired", P("GrTexInfo* info"),
         [](GlideDll& g) { g.grTexTextureMemRequired(kAll, nullptr); }},
        {"grTexMinAddress", "", [](GlideDll& g) { g.grTexMinAddress(7); }},
        {"grTexMaxAddress", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexMaxAddress(-1); }},
        {"grTexSource", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexSource(2, kAll, kAll, nullptr); }},
        {"grTexMultibase", "", [](GlideDll& g) { g.grTexMultibase(9, 9); }},
        {"grTexMultibaseAddress", P("GrChipID_t tmu"),
         [](GlideDll& g) { g.grTexMultibaseAddress(5, 99, kAll, 9, nullptr); }},
        {"grTexClampMode", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexClampMode(3, 99, 99); }},
        {"grTexFilterMode", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexFilterMode(-1, 99, 99); }},
        {"grTexMipMapMode", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexMipMapMode(2, 99, 99); }},
        {"grTexClampMode mode", P("GrTextureClampMode_t clampMode"), [](GlideDll& g) { g.grTexClampMode(0, 9, 9); }},
        {"grTexFilterMode mode", P("GrTextureFilterMode_t filterMode"),
         [](GlideDll& g) { g.grTexFilterMode(0, 9, 9); }},
        {"grTexMipMapMode mode", P("GrMipMapMode_t mode"), [](GlideDll& g) { g.grTexMipMapMode(0, 9, 0); }},
        {"grTexLodBiasValue", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexLodBiasValue(7, kNaN); }},
        {"grTexDetailControl", P("GrChipID_t tmu"),
         [](GlideDll& g) { g.grTexDetailControl(2, 0x7FFFFFFF, 0xFF, kNaN); }},
        {"grTexCombine", P("GrChipID_t tmu"), [](GlideDll& g) { g.grTexCombine(9, 99, 99, 99, 99, 9, 9); }},
        {"grTexCombineFunction", "", [](GlideDll& g) { g.grTexCombineFunction(9, 99); }},
        {"grTexNCCTable", "", [](GlideDll& g) { g.grTexNCCTable(9, 99); }},
        {"grTexDownloadMipMap", P("GrTexInfo* info"), [](GlideDll& g) { g.grTexDownloadMipMap(0, kAll, 3, nullptr); }},
        {"grTexDownloadMipMapLevel", P("GrLOD_t lod"), 
         [](GlideDll& g) { g.grTexDownloadMipMapLevel(0, 0, 99, 99, 99, 99, 3, nullptr); }},
        {"grTexDownloadMipMapLevel tmu", P("GrChipID_t tmu"), 
         [](GlideDll& g) { g.grTexDownloadMipMapLevel(5, 0, GR_LOD_1, GR_LOD_1, 3, 10, 3, bytes); }},
        {"grTexDownloadMipMapLevelPartial", P("int start, int end"), 
         [](GlideDll& g) { g.grTexDownloadMipMapLevelPartial(0, 0, GR_LOD_1, GR_LOD_1, 3, 10, 3, bytes, -5, 1 << 30); }},
        {"grTexDownloadTable", P("void* data"),
         [](GlideDll& g) { g.grTexDownloadTable(0, GR_TEXTABLE_PALETTE, nullptr); }},
        {"grTexDownloadTablePartial", "",
         [](GlideDll& g) { g.grTexDownloadTablePartial(0, GR_TEXTABLE_PALETTE, bytes, -100, 100000); }},
        {"ConvertAndDownloadRle", "",
         [](GlideDll& g) { g.ConvertAndDownloadRle(9, 0, 99, 99, 99, 99, 9, nullptr, -1, kAll, kAll, kAll, kAll, kAll, kAll, nullptr); }},
        {"guTexAllocateMemory", P("GrChipID_t tmu"), 
         [](GlideDll& g) { g.guTexAllocateMemory(7, 9, -1, -1, 99, 99, 99, 99, 99, 99, 99, 99, 99, kNaN, 9); }},
        {"guTexChangeAttributes", "",
         [](GlideDll& g) { g.guTexChangeAttributes(kAll, -1, -1, 99, 99, 99, 99, 99, 99, 99, 99, 99); }},
        {"guTexCombineFunction", "", [](GlideDll& g) { g.guTexCombineFunction(-1, 99); }},
        {"guTexGetCurrentMipMap", P("GrChipID_t tmu"), [](GlideDll& g) { g.guTexGetCurrentMipMap(9); }},
        {"guTexGetMipMapInfo", "", [](GlideDll& g) { EXPECT_EQ(g.guTexGetMipMapInfo(kAll), nullptr); }},
        {"guTexMemQueryAvail", P("GrChipID_t tmu"), [](GlideDll& g) { g.guTexMemQueryAvail(9); }},
        {"guTexDownloadMipMap", "", [](GlideDll& g) { g.guTexDownloadMipMap(kAll, nullptr, nullptr); }},
        {"guTexDownloadMipMapLevel", "", [](GlideDll& g) { g.guTexDownloadMipMapLevel(kAll, 99, nullptr); }},
        {"guTexSource", "", [](GlideDll& g) { g.guTexSource(kAll); }},
        {"guTexCreateColorMipMap", "", [](GlideDll& g) { g.guTexCreateColorMipMap(); }},
        {"gu3dfGetInfo", "", [](GlideDll& g) { g.gu3dfGetInfo(nullptr, nullptr); }},
        {"gu3dfLoad", "", [](GlideDll& g) { g.gu3dfLoad("Z:\\\\no\\\\such.3df", nullptr); }},
        // Frame buffer.
        {"grLfbLock", P("GrLfbInfo_t* info"), [](GlideDll& g) { g.grLfbLock(kAll, kAll, kAll, kAll, 9, nullptr); }},
        {"grLfbUnlock", P("GrBuffer_t bufferType"), [](GlideDll& g) { g.grLfbUnlock(kAll, kAll); }},
        {"grLfbConstantAlpha", "", [](GlideDll& g) { g.grLfbConstantAlpha(0xFF); }},
        {"grLfbConstantDepth", "", [](GlideDll& g) { g.grLfbConstantDepth(0xFFFF); }},
        {"grLfbWriteColorSwizzle", "", [](GlideDll& g) { g.grLfbWriteColorSwizzle(9, 9); }},
        {"grLfbWriteColorFormat", "", [](GlideDll& g) { g.grLfbWriteColorFormat(kAll); }},
        {"grLfbWriteRegion", P("GrLfbSrcFmt_t srcFormat"),
         [](GlideDll& g) { g.grLfbWriteRegion(GR_BUFFER_BACKBUFFER, kHuge, kHuge, 99, kHuge, kHuge, -1, nullptr); }},
        {"grLfbReadRegion", "",
         [](GlideDll& g) { g.grLfbReadRegion(GR_BUFFER_BACKBUFFER, 0, 0, kHuge, kHuge, 0, nullptr); },
         "It failed in LFB creation."},
        {"grLfbWriteRegionImpl", P("GrBuffer_t bufferType"),
         [](GlideDll& g) { g.grLfbWriteRegionImpl(kAll, 0, 0, 0, kHuge, 4, 0, 0, nullptr); }},
        // Utility library.
        {"guAlphaSource", "", [](GlideDll& g) { g.guAlphaSource(kAll); }},
        {"guColorCombineFunction", "", [](GlideDll& g) { g.guColorCombineFunction(kAll); }},
        {"guEncodeRLE16", "", [](GlideDll& g) { g.guEncodeRLE16(nullptr, nullptr, kAll, kAll); }},
        {"guFogTableIndexToW", "", [](GlideDll& g) { g.guFogTableIndexToW(0x7FFFFFFF); }},
        {"guFogTableIndexToW", "", [](GlideDll& g) { g.guFogTableIndexToW(-0x7FFFFFFF); }},
        {"guFogGenerateExp", P("GrFog_t fogtable[]"), [](GlideDll& g) { g.guFogGenerateExp(nullptr, 1.0f); }},
        {"guFogGenerateExp2", P("GrFog_t fogtable[]"), [](GlideDll& g) { g.guFogGenerateExp2(nullptr, kNaN); }},
        {"guFogGenerateLinear", P("GrFog_t fogtable[]"),
         [](GlideDll& g) { g.guFogGenerateLinear(nullptr, kNaN, kNaN); }},
        {"guEndianSwapWords", "", [](GlideDll& g) { EXPECT_EQ(g.guEndianSwapWords(0x12345678), 0x56781234u); }},
        {"guEndianSwapBytes", "", [](GlideDll& g) { EXPECT_EQ(g.guEndianSwapBytes(0x5678), 0x7856); }},
        // Later entry points.
        {"grGetImpl", "", [](GlideDll& g) { g.grGetImpl(kAll, kAll, nullptr); }},
        {"grGetStringImpl", "", [](GlideDll& g) { g.grGetStringImpl(kAll); }},
        {"grResetImpl", "", [](GlideDll& g) { g.grResetImpl(kAll); }},
        {"grGetProcAddressImpl", "", [](GlideDll& g) { g.grGetProcAddressImpl(nullptr); }},
        {"grEnableImpl", "", [](GlideDll& g) { g.grEnableImpl(kAll); }},
        {"grDisableImpl", "", [](GlideDll& g) { g.grDisableImpl(kAll); }},
        {"grCoordinateSpaceImpl", "", [](GlideDll& g) { g.grCoordinateSpaceImpl(kAll); }},
        {"grDepthRangeImpl", "", [](GlideDll& g) { g.grDepthRangeImpl(kNaN, kNaN); }},
        {"grViewportImpl", "", [](GlideDll& g) { g.grViewportImpl(-1, -1, -1, -1); }},
        {"grVertexLayoutImpl", "", [](GlideDll& g) { g.grVertexLayoutImpl(kAll, -1, kAll); }},
        {"grDrawVertexArrayImpl", "", [](GlideDll& g) { g.grDrawVertexArrayImpl(kAll, kAll, nullptr); }},
        {"grDrawVertexArrayLinearImpl", "",
         [](GlideDll& g) { g.grDrawVertexArrayLinearImpl(kAll, kAll, nullptr, kAll); }},
        {"grLoadGammaTableImpl", "", [](GlideDll& g) { g.grLoadGammaTableImpl(kAll, nullptr, nullptr, nullptr); }},
        {"guGammaCorrectionRGBImpl", "", [](GlideDll& g) { g.guGammaCorrectionRGBImpl(kNaN, -1, 1e30f); }},
        {"grTexNCCTableImpl", "", [](GlideDll& g) { g.grTexNCCTableImpl(kAll); }},
        // Window.
        {"grSstWinOpen window", "Couldn't get the handle of the window.", 
         [](GlideDll& g) { EXPECT_EQ(g.grSstWinOpen(0x1234, GR_RESOLUTION_1024x768, 0, 0, 0, 2, 1), FXFALSE); }},
        {"grSstWinOpen format", P("GrColorFormat_t colorFormat"), 
         [handle](GlideDll& g) { EXPECT_EQ(g.grSstWinOpen(handle, GR_RESOLUTION_1024x768, 0, 17, 0, 2, 1), FXFALSE); }},
        // A resolution code past the table keeps the display's size: it opens.
        {"grSstWinOpen size", "",
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
            const size_t nameLength = std::strlen(call.name);
            if (!zelktest::kDecoratedExports && nameLength > 4 &&
                std::strcmp(call.name + nameLength - 4, "Impl") == 0) {
                continue;  // a decorated entry point this build does not export
            }
            const std::string& line = windowOpen || call.logClosed == kAsOpen ? call.log : call.logClosed;
            // A vertex-shader variant this machine's compiler refuses may be
            // logged at open; everything else counts.
            const int before = zelktest::UnexpectedLogEntries();
            const int lines = line.empty() ? 0 : zelktest::LogCount(line);
            call.run(glide);
            const char* const when = windowOpen ? " with a window" : " without a window";
            const std::string log = zelktest::LogText();
            const size_t at = log.rfind("Function name");
            const std::string last = at == std::string::npos ? std::string() : log.substr(at);
            if (line.empty()) {
                EXPECT_EQ(zelktest::UnexpectedLogEntries(), before) << call.name << when << "\n" << last;
            } else {
                EXPECT_EQ(zelktest::UnexpectedLogEntries(), before + 1) << call.name << when << "\n" << last;
                EXPECT_EQ(zelktest::LogCount(line), lines + 1) << call.name << when << ": " << line;
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
