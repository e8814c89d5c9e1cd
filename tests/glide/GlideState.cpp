// The Glide state kept by the front end and what it records for the
// renderer: commands, render states and clip rectangles, through the export
// bodies as an application calls them.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "glide/ZelkGlide.h"
#include "glide/ZelkGlideBodies.h"
#include "glide/ZelkGlideExportGuard.h"
#include "support/GlideRegistry.h"
#include "support/RecordingRenderer.h"

namespace {

namespace body = zelk::glidebody;
using zelk::ZelkGrRenderCommand;
using zelk::ZelkGrRenderStatePair;
using zelktest::RecordingRenderer;

int LogCount(const std::string& text)
{
    const std::string log = zelktest::ReadFileText("vezoRerez.log");
    int count = 0;
    for (size_t at = log.find(text); at != std::string::npos; at = log.find(text, at + 1)) {
        ++count;
    }
    return count;
}

class GlideStateTest : public testing::Test {
protected:
    void SetUp() override { renderer = zelktest::OpenRecordingGlide(); }
    void TearDown() override { zelk::DestroyGlide(); }

    zelk::ZelkGlide* Glide() { return zelk::GetGlide(); }
    std::vector<ZelkGrRenderCommand> Commands() { return renderer->Commands(); }
    std::vector<ZelkGrRenderStatePair> States() { return renderer->States(); }
    // The last recorded value of a render state, or ~0 when none.
    std::uint32_t LastState(D3DRENDERSTATETYPE state)
    {
        std::uint32_t value = ~0u;
        for (const auto& pair : States()) {
            if (pair.state == static_cast<std::uint32_t>(state)) {
                value = pair.value;
            }
        }
        return value;
    }
    std::size_t Recorded() { return Commands().size() + States().size(); }

    zelktest::GlideRegistry registry;
    RecordingRenderer* renderer = nullptr;
};

TEST_F(GlideStateTest, EachSetterRecordsOnceForAnUnchangedValue)
{
    struct Setter {
        const char* name;
        void (*call)();
    };
    const Setter setters[] = {
        {"grAlphaBlendFunction", [] { body::grAlphaBlendFunction(1, 5, 4, 0); }},
        {"grAlphaCombine", [] { body::grAlphaCombine(3, 1, 0, 1, 0); }},
        {"grColorCombine", [] { body::grColorCombine(3, 1, 0, 1, 1); }},
        {"grAlphaControlsITRGBLighting", [] { body::grAlphaControlsITRGBLighting(1); }},
        {"grAlphaTestFunction", [] { body::grAlphaTestFunction(4); }},
        {"grAlphaTestReferenceValue", [] { body::grAlphaTestReferenceValue(0x40); }},
        {"grChromakeyValue", [] { body::grChromakeyValue(0x123456); }},
        {"grConstantColorValue", [] { body::grConstantColorValue(0x80112233); }},
        {"grColorMask", [] { body::grColorMask(0, 1); }},
        {"grCullMode", [] { body::grCullMode(1); }},
        {"grDepthBufferFunction", [] { body::grDepthBufferFunction(1); }},
        {"grDepthBufferMode", [] { body::grDepthBufferMode(1); }},
        {"grDepthMask", [] { body::grDepthMask(0); }},
        {"grDitherMode", [] { body::grDitherMode(2); }},
        {"grFogColorValue", [] { body::grFogColorValue(0xFF00FF); }},
        {"grFogMode", [] { body::grFogMode(1); }},
        {"grGammaCorrectionValue", [] { body::grGammaCorrectionValue(1.7f); }},
        {"grSstOrigin", [] { body::grSstOrigin(1); }},
        {"grHints", [] { body::grHints(0, 3); }},
        {"grChromakeyMode", [] { body::grChromakeyMode(1); }},
    };
    for (const Setter& setter : setters) {
        renderer->Forget();
        setter.call();
        const std::size_t once = Recorded();
        EXPECT_GT(once, 0u) << setter.name;
        setter.call();
        EXPECT_EQ(Recorded(), once) << setter.name;
    }
}

TEST_F(GlideStateTest, PackingOfCommandsAndRenderStates)
{
    body::grColorCombine(4, 8, 1, 2, 5);  // invert 5 is not 1: stored and packed as 0
    body::grAlphaCombine(3, 1, 0, 1, 1);
    body::grAlphaBlendFunction(1, 5, 4, 0);
    body::grDepthBufferFunction(2);
    body::grColorMask(1, 0);
    body::grDitherMode(2);
    body::grGammaCorrectionValue(1.5f);
    const std::vector<ZelkGrRenderCommand> commands = Commands();
    ASSERT_EQ(commands.size(), 4u);
    EXPECT_EQ(commands[0].id, 12u);
    EXPECT_EQ(commands[0].value, 0x04081200u);
    EXPECT_EQ(Glide()->state.colorCombineInvert, 0);
    EXPECT_EQ(commands[1].id, 13u);
    EXPECT_EQ(commands[1].value, 0x03010101u);
    EXPECT_EQ(commands[2].id, 4u);
    EXPECT_EQ(commands[2].value, 0x01050400u);
    EXPECT_EQ(commands[3].id, 11u);
    EXPECT_EQ(commands[3].value, 0x3FC00000u);
    EXPECT_EQ(LastState(D3DRS_ZFUNC), 3u);
    EXPECT_EQ(LastState(D3DRS_COLORWRITEENABLE), 7u);
    EXPECT_EQ(LastState(D3DRS_DITHERENABLE), 1u);
}

TEST_F(GlideStateTest, CullModeFollowsTheOrigin)
{
    body::grCullMode(1);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 3u);
    body::grCullMode(2);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 2u);
    body::grSstOrigin(1);
    body::grCullMode(1);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 2u);
    body::grCullMode(2);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 3u);
    body::grCullMode(0);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 1u);
}

// Glide culls by the sign of the triangle as the program gave it; the
// device sees the lower-left origin's triangles mirrored, so a later origin
// change must turn the device's cull mode round.  Both orders of the calls
// end with the same cull mode, and going back restores the first.
TEST_F(GlideStateTest, CullModeFollowsAnOriginChangeMadeAfterIt)
{
    struct Case {
        const char* what;
        bool cullFirst;
        std::uint32_t cull, origin;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {"positive, then lower left", true, 2, 1, 3},
        {"lower left, then positive", false, 2, 1, 3},
        {"negative, then lower left", true, 1, 1, 2},
        {"lower left, then negative", false, 1, 1, 2},
        {"positive, then any (not mirrored)", true, 2, 0xFF, 2},
        {"negative, then any (not mirrored)", true, 1, 0xFF, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        body::grCullMode(0);
        body::grSstOrigin(0);
        if (c.cullFirst) {
            body::grCullMode(c.cull);
            body::grSstOrigin(c.origin);
        } else {
            body::grSstOrigin(c.origin);
            body::grCullMode(c.cull);
        }
        EXPECT_EQ(LastState(D3DRS_CULLMODE), c.expected);
        body::grSstOrigin(0);
        EXPECT_EQ(LastState(D3DRS_CULLMODE), c.cull == 2 ? 2u : 3u);
    }
    // Culling off is the same for every origin: nothing to re-apply.
    body::grCullMode(0);
    renderer->Forget();
    body::grSstOrigin(1);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), ~0u);

    // A saved state restores the cull mode that fits its origin.
    body::grCullMode(2);
    GrState lowerLeft;
    body::grGlideGetState(&lowerLeft);
    body::grSstOrigin(0);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 2u);
    body::grGlideSetState(&lowerLeft);
    EXPECT_EQ(LastState(D3DRS_CULLMODE), 3u);
}

// Values outside their Glide enumeration are refused with a logged
// parameter error; nothing is stored or recorded.
TEST_F(GlideStateTest, OutOfRangeValuesAreRefusedAndChangeNothing)
{
    struct Case {
        const char* name;
        void (*call)();
        const char* log;
    };
    const Case cases[] = {
        {"grCullMode", [] { body::grCullMode(0xFFFFFFFF); }, "The parameter [ GrCullMode_t mode ] is invalid."},
        {"grCullMode 3", [] { body::grCullMode(3); }, "The parameter [ GrCullMode_t mode ] is invalid."},
        {"grAlphaBlendFunction", [] { body::grAlphaBlendFunction(99, 0, 4, 0); },
         "The parameter [ GrAlphaBlendFnc_t rgb_sf ] is invalid."},
        {"grAlphaBlendFunction reserved", [] { body::grAlphaBlendFunction(4, 0, 4, 8); },
         "The parameter [ GrAlphaBlendFnc_t alpha_df ] is invalid."},
        {"grDepthBufferMode", [] { body::grDepthBufferMode(7); },
         "The parameter [ GrDepthBufferMode_t mode ] is invalid."},
        {"grDepthBufferFunction", [] { body::grDepthBufferFunction(9); },
         "The parameter [ GrCmpFnc_t function ] is invalid."},
        {"grFogMode", [] { body::grFogMode(0x100); }, "The parameter [ GrFogMode_t mode ] is invalid."},
        {"grFogMode 4", [] { body::grFogMode(4); }, "The parameter [ GrFogMode_t mode ] is invalid."},
        {"grChromakeyMode", [] { body::grChromakeyMode(5); }, "The parameter [ GrChromakeyMode_t mode ] is invalid."},
        {"grAlphaTestFunction", [] { body::grAlphaTestFunction(8); },
         "The parameter [ GrCmpFnc_t function ] is invalid."},
    };
    GrState before;
    body::grGlideGetState(&before);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const int logged = LogCount(c.log);
        zelk::GuardGlideCall<void>(c.name, c.call);
        EXPECT_EQ(LogCount(c.log), logged + 1);
        EXPECT_EQ(Recorded(), 0u);
        GrState after;
        body::grGlideGetState(&after);
        EXPECT_EQ(std::memcmp(&before, &after, sizeof before), 0);
    }
    // The values at the ends of the ranges are taken.
    body::grCullMode(2);
    body::grAlphaBlendFunction(0xF, 7, 1, 0xF);
    body::grDepthBufferMode(4);
    body::grDepthBufferFunction(7);
    body::grFogMode(0x303);
    body::grChromakeyMode(1);
    body::grAlphaTestFunction(0);
    EXPECT_EQ(Commands().size(), 4u);
    EXPECT_EQ(Glide()->state.fogMode, 0x303u);
}

// A saved state is checked whole before any of it is applied.
TEST_F(GlideStateTest, MalformedSavedStateChangesNothing)
{
    body::grAlphaBlendFunction(1, 5, 4, 0);
    body::grSstOrigin(1);
    GrState good;
    body::grGlideGetState(&good);
    body::grSstOrigin(0);
    body::grAlphaBlendFunction(4, 0, 4, 0);

    // The state block's words are private to the front end: a bad alpha
    // test is planted by saving it from a state that holds one.
    zelk::ZelkGlide* glide = Glide();
    const zelk::ZelkGlideState current = glide->state;
    struct Corruption {
        const char* what;
        void (*corrupt)(zelk::ZelkGlideState&, zelk::ZelkGlideTmuState&);
        const char* log;
    };
    const Corruption corruptions[] = {
        {"alpha test 9", [](zelk::ZelkGlideState& s, zelk::ZelkGlideTmuState&) { s.requestedAlphaTestFunction = 9; },
         "The parameter [ GrCmpFnc_t function ] is invalid."},
        {"depth mode 5", [](zelk::ZelkGlideState& s, zelk::ZelkGlideTmuState&) { s.depthBufferMode = 5; },
         "The parameter [ GrDepthBufferMode_t mode ] is invalid."},
        {"clamp mode 2", [](zelk::ZelkGlideState&, zelk::ZelkGlideTmuState& t) { t.tClampMode = 2; },
         "The parameter [ GrTextureClampMode_t clampMode ] is invalid."},
    };
    for (const Corruption& c : corruptions) {
        SCOPED_TRACE(c.what);
        zelk::ZelkGlideState savedState = current;
        zelk::ZelkGlideTmuState savedTmu = glide->tmuState[1];
        glide->state.origin = 1;
        glide->state.blendRgbSource = 1;
        glide->state.blendRgbDestination = 5;
        c.corrupt(glide->state, glide->tmuState[1]);
        GrState bad;
        body::grGlideGetState(&bad);
        glide->state = savedState;
        glide->tmuState[1] = savedTmu;

        renderer->Forget();
        const int logged = LogCount(c.log);
        zelk::GuardGlideCall<void>("grGlideSetState", [&] { body::grGlideSetState(&bad); });
        EXPECT_EQ(LogCount(c.log), logged + 1);
        EXPECT_EQ(Recorded(), 0u);
        EXPECT_EQ(glide->state.origin, 0u);
        EXPECT_EQ(glide->state.blendRgbSource, 4u);
    }
    // The sound state is applied whole.
    body::grGlideSetState(&good);
    EXPECT_EQ(glide->state.origin, 1u);
    EXPECT_EQ(glide->state.blendRgbSource, 1u);
}

// The renderer draws polygons of any size in parts: the front end passes
// them on.
TEST_F(GlideStateTest, LargePolygonsArePassedOn)
{
    const int count = 70000;
    std::vector<GrVertex> vertices(count);
    std::vector<int> indices(count);
    for (int i = 0; i < count; ++i) {
        indices[i] = i;
    }
    body::grDrawPolygonVertexList(count, vertices.data());
    body::grDrawPolygon(count, indices.data(), vertices.data());
    EXPECT_EQ(renderer->draws, 2);
}

// Chroma-keying changes the alpha test in force, never the one the
// application asked for: turning it off restores the request.
TEST_F(GlideStateTest, ChromakeyingKeepsTheRequestedAlphaTest)
{
    body::grChromakeyMode(1);
    EXPECT_EQ(LastState(D3DRS_ALPHAFUNC), 7u);  // always became greater-or-equal
    EXPECT_EQ(LastState(D3DRS_ALPHATESTENABLE), 1u);
    EXPECT_EQ(LastState(D3DRS_ALPHAREF), 1u);   // reference 0 became 1

    renderer->Forget();
    body::grAlphaTestFunction(7);  // asked while keying: still greater-or-equal
    EXPECT_EQ(Recorded(), 0u);

    body::grChromakeyMode(0);
    EXPECT_EQ(LastState(D3DRS_ALPHAFUNC), 8u);
    EXPECT_EQ(LastState(D3DRS_ALPHATESTENABLE), 0u);
    EXPECT_EQ(LastState(D3DRS_ALPHAREF), 0u);
    EXPECT_EQ(Glide()->state.alphaTestFunction, 7u);

    // A request for less-than survives keying on and off unchanged.
    body::grAlphaTestFunction(1);
    body::grAlphaTestReferenceValue(0x30);
    renderer->Forget();
    body::grChromakeyMode(1);
    body::grChromakeyMode(0);
    EXPECT_EQ(States().size(), 0u);
}

TEST_F(GlideStateTest, ChromakeyColourReachesTheTexturesOnlyWhileKeying)
{
    zelk::ZelkGlide* glide = Glide();
    glide->settings.texelBlendingType = 0;
    body::grChromakeyValue(0x00112233);
    EXPECT_EQ(glide->textureManager.colourKey, 0u);
    body::grChromakeyMode(1);
    EXPECT_EQ(glide->textureManager.colourKey, 0xFF112233u);
    body::grChromakeyValue(0x00445566);
    EXPECT_EQ(glide->textureManager.colourKey, 0xFF445566u);
    body::grChromakeyMode(0);
    EXPECT_EQ(glide->textureManager.colourKey, 0u);
    body::grChromakeyValue(0x00778899);
    EXPECT_EQ(glide->textureManager.colourKey, 0u);
}

TEST_F(GlideStateTest, ClipWindowRectangles)
{
    struct Case {
        std::uint32_t origin, minX, minY, maxX, maxY;
        zelk::ZelkGrRect expected;
    };
    const Case cases[] = {
        {0, 1, 0, 640, 480, {1, 0, 640, 480}},
        {0, 10, 20, 100, 200, {10, 20, 100, 200}},
        {0, 700, 10, 800, 20, {639, 10, 640, 20}},
        {0, 5, 5, 5, 5, {5, 5, 6, 6}},
        {1, 0, 0, 640, 240, {0, 239, 640, 479}},
        {0, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, 0xFFFFFFFF, {639, 479, 640, 480}},
    };
    for (const Case& c : cases) {
        body::grSstOrigin(c.origin);
        body::grClipWindow(c.minX, c.minY, c.maxX, c.maxY);
        const zelk::ZelkGrRect& got = renderer->openRecord.parameters;
        EXPECT_EQ(got.left, c.expected.left) << c.minX;
        EXPECT_EQ(got.top, c.expected.top) << c.minY;
        EXPECT_EQ(got.right, c.expected.right) << c.maxX;
        EXPECT_EQ(got.bottom, c.expected.bottom) << c.maxY;
    }
}

TEST_F(GlideStateTest, HintsOfAnotherTypeChangeNothing)
{
    body::grHints(1, 5);
    EXPECT_EQ(Recorded(), 0u);
    EXPECT_EQ(Glide()->state.hintMask, 1u);
    body::grHints(0, 5);
    ASSERT_EQ(Commands().size(), 1u);
    EXPECT_EQ(Commands()[0].id, 2u);
    EXPECT_EQ(Commands()[0].value, 5u);
}

TEST_F(GlideStateTest, SavedStateRoundTripsAndRestoresDifferences)
{
    body::grAlphaBlendFunction(1, 5, 4, 0);
    body::grDepthBufferMode(1);
    body::grClipWindow(10, 10, 300, 200);
    GrState saved;
    body::grGlideGetState(&saved);
    renderer->Forget();
    body::grGlideSetState(&saved);
    EXPECT_EQ(Recorded(), 0u);

    body::grAlphaBlendFunction(5, 4, 2, 3);
    body::grDepthBufferMode(0);
    renderer->Forget();
    body::grGlideSetState(&saved);
    ASSERT_EQ(Commands().size(), 2u);
    EXPECT_EQ(Commands()[0].id, 4u);
    EXPECT_EQ(Commands()[0].value, 0x01050400u);
    EXPECT_EQ(Commands()[1].id, 9u);
    EXPECT_EQ(Commands()[1].value, 1u);
}

TEST_F(GlideStateTest, DisableAllEffects)
{
    body::grDisableAllEffects();
    EXPECT_EQ(Recorded(), 0u);
    body::grAlphaBlendFunction(1, 5, 4, 0);
    body::grFogMode(1);
    body::grDepthBufferMode(2);
    renderer->Forget();
    body::grDisableAllEffects();
    std::vector<std::uint32_t> ids;
    for (const auto& command : Commands()) {
        ids.push_back(command.id);
    }
    EXPECT_EQ(ids, (std::vector<std::uint32_t>{4, 9, 10}));
    EXPECT_EQ(Commands()[0].value, 0x04000400u);
}

TEST_F(GlideStateTest, ClearConstantColourAndPendingSwaps)
{
    body::grBufferClear(0x00102030, 0x80, 0xFFFF);
    EXPECT_EQ(renderer->openRecord.kind, static_cast<std::uint32_t>(zelk::kBatchClear));
    EXPECT_EQ(renderer->openRecord.parameters.left, static_cast<std::int32_t>(0x80102030));
    float depth = 0.0f;
    std::memcpy(&depth, &renderer->openRecord.parameters.top, sizeof(depth));
    EXPECT_FLOAT_EQ(depth, 1.0f);

    body::grConstantColorValue4(0.5f, 2.0f, -1.0f, 1.0f);
    ASSERT_FALSE(Commands().empty());
    EXPECT_EQ(Commands().back().id, 7u);
    EXPECT_EQ(Commands().back().value, 0x7FFF00FFu);
    EXPECT_EQ(Glide()->lfbAccessor.constantColor, 0x7FFF00FFu);

    renderer->pendingSwaps = 9;
    EXPECT_EQ(body::grBufferNumPending(), 7);
    EXPECT_EQ(body::grSstIsBusy(), FXTRUE);
    renderer->pendingSwaps = 0;
}

TEST_F(GlideStateTest, PolygonsBelowThreeVerticesDrawNothing)
{
    GrVertex vertices[3] = {};
    const int indices[3] = {0, 1, 2};
    body::grDrawPolygon(2, indices, vertices);
    body::grDrawPolygonVertexList(-5, vertices);
    EXPECT_EQ(renderer->draws, 0);
    body::grDrawPolygon(3, indices, vertices);
    body::guDrawPolygonVertexListWithClip(3, vertices);
    EXPECT_EQ(renderer->draws, 2);
    Glide()->settings.renderer.useTriangleStrip = 1;
    body::grAADrawPolygonVertexList(3, vertices);
    EXPECT_EQ(renderer->strips, 1);
}

TEST(GlideStateWithoutWindow, SettersRecordNothingAndDrawsFailCleanly)
{
    zelktest::GlideRegistry registry;
    body::grGlideInit();
    body::grAlphaBlendFunction(1, 5, 4, 0);
    body::grClipWindow(0, 0, 10, 10);
    body::grChromakeyMode(1);
    EXPECT_EQ(zelk::GetGlide()->state.blendRgbSource, 4u);
    EXPECT_EQ(body::grBufferNumPending(), 0);
    body::grSstIdle();
    GrVertex v = {};
    EXPECT_THROW(body::grDrawTriangle(&v, &v, &v), zelk::ZelkException);
    EXPECT_THROW(body::grBufferSwap(1), zelk::ZelkException);
    body::grGlideShutdown();
    EXPECT_EQ(zelk::FindGlide(), nullptr);
}

}  // namespace
