// The fixed-function texel half on the device: stage setups cached by the
// combine state, cut to the device's stages, sampler states and textures by
// each stage's TMU; and the renderer class selection.
#include <gtest/gtest.h>

#include "common/ReadBack.h"
#include "common/TestDirectory.h"
#include "framework/ZelkException.h"
#include "render/ZelkGrRendererClasses.h"
#include "render/ZelkGrRendererSWFixed.h"
#include "support/RenderBaseTestSupport.h"

#include <cstring>
#include <string>

using namespace zelk;
using zelktest::RenderTestDevice;
using zelktest::RendererSettings;

namespace {

class FixedPipeline : public testing::Test {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get();
        ASSERT_TRUE(device != nullptr);
        renderer = std::make_unique<ZelkGrRendererSWFixed>(device, 64, 64, RendererSettings(false));
    }

    // Sets the combine state directly, as the played commands do.
    void Combine(std::uint32_t color, std::uint32_t alpha, std::uint32_t tex0, std::uint32_t tex1)
    {
        renderer->SetTexCombine({14, tex1, 1});
        renderer->SetTexCombine({14, tex0, 0});
        renderer->SetColorCombine({12, color, 0});
        renderer->SetAlphaCombine({13, alpha, 0});
    }

    DWORD StageState(DWORD stage, D3DTEXTURESTAGESTATETYPE type)
    {
        DWORD value = 0xDEADBEEF;
        device->GetTextureStageState(stage, type, &value);
        return value;
    }
    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE type)
    {
        DWORD value = 0xDEADBEEF;
        device->GetSamplerState(sampler, type, &value);
        return value;
    }
    IDirect3DBaseTexture9* BoundTexture(DWORD stage)
    {
        IDirect3DBaseTexture9* texture = nullptr;
        device->GetTexture(stage, &texture);
        if (texture != nullptr) texture->Release();
        return texture;
    }

    IDirect3DDevice9* device = nullptr;
    std::unique_ptr<ZelkGrRendererSWFixed> renderer;
};

const char* const kApproximationText =
    "The combine state needs more texture stages than the device has: the texture combine is approximated.";

std::string ReadLog()
{
    return zelktest::ReadFileText(zelk::kErrorLogFileName);
}

int Occurrences(const std::string& text, const std::string& part)
{
    int count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) {
        ++count;
    }
    return count;
}

// Packed combine words: function << 24 | factor << 16 | local << 12 | other << 8 | invert.
constexpr std::uint32_t kDecalCombine = 3u << 24 | 8u << 16 | 0u << 12 | 1u << 8;
constexpr std::uint32_t kFlatCombine = 1u << 24 | 0u << 16 | 0u << 12 | 2u << 8;
// Texture combine: rgb function << 24 | alpha function << 16 | factors, inverts.
constexpr std::uint32_t kTexLocal = 1u << 24 | 1u << 16;
// SCALE_OTHER_MINUS_LOCAL by OTHER_ALPHA on rgb, inverted on both sides.
constexpr std::uint32_t kTexHeavy = 6u << 24 | 1u << 16 | 2u << 12 | 0x11u;

}  // namespace

TEST_F(FixedPipeline, StartsEmptyWithAtMostEightStages)
{
    EXPECT_EQ(0u, renderer->stageSetup.numStages);
    for (const D3DFixedBlendStagePair& s : renderer->stageSetup.stages) {
        EXPECT_EQ(0xFFFFFFFFu, s.chipOrdinal);
        EXPECT_EQ(1, s.result);
        EXPECT_EQ(-1, s.color.op);
        EXPECT_EQ(20, s.alpha.arg0);
    }
    EXPECT_TRUE(renderer->stageSetupCache.empty());
    EXPECT_EQ(0, renderer->samplerStateDirty);
    EXPECT_LE(renderer->caps.MaxTextureBlendStages, 8u);
}

TEST_F(FixedPipeline, SetupsAreCachedByCombineState)
{
    Combine(kDecalCombine, kDecalCombine, kTexLocal, kTexLocal);
    renderer->UpdateTexelPipeline();
    ASSERT_EQ(2u, renderer->stageSetup.numStages);
    EXPECT_EQ(0, renderer->texelPipelineDirty);
    EXPECT_EQ(D3DTOP_SELECTARG1, StageState(0, D3DTSS_COLOROP));
    EXPECT_EQ(D3DTA_TEXTURE, StageState(0, D3DTSS_COLORARG1));
    EXPECT_EQ(0u, StageState(0, D3DTSS_TEXCOORDINDEX));
    EXPECT_EQ(D3DTA_CURRENT, StageState(1, D3DTSS_COLORARG1));
    EXPECT_EQ(3u, StageState(1, D3DTSS_TEXCOORDINDEX));
    EXPECT_EQ(D3DTOP_DISABLE, StageState(2, D3DTSS_COLOROP));
    EXPECT_EQ(D3DTOP_DISABLE, StageState(2, D3DTSS_ALPHAOP));

    // Flat shading: no texture stage.
    Combine(kFlatCombine, kFlatCombine, kTexLocal, kTexLocal);
    renderer->UpdateTexelPipeline();
    ASSERT_EQ(1u, renderer->stageSetup.numStages);
    EXPECT_EQ(D3DTA_DIFFUSE, StageState(0, D3DTSS_COLORARG1));
    EXPECT_EQ(D3DTOP_DISABLE, StageState(1, D3DTSS_COLOROP));
    EXPECT_EQ(2u, renderer->stageSetupCache.size());

    // Back to the first: found in the cache, no new entry.
    Combine(kDecalCombine, kDecalCombine, kTexLocal, kTexLocal);
    renderer->UpdateTexelPipeline();
    EXPECT_EQ(2u, renderer->stageSetup.numStages);
    EXPECT_EQ(2u, renderer->stageSetupCache.size());

    // Chroma-key and ITRGB commands change neither the key nor the state.
    const ZelkGrTexPipelineKey before = renderer->pipelineKey;
    renderer->SetChromakeyMode({5, 1, 0});
    renderer->SetAlphaControlsITRGBLighting({3, 1, 0});
    EXPECT_TRUE(before == renderer->pipelineKey);
    EXPECT_EQ(0u, renderer->chromakeyMode);
    EXPECT_EQ(0, renderer->alphaControlsItrgbLighting);
    EXPECT_EQ(0, renderer->texelPipelineDirty);
}

// A device with three stages: the texture chain is translated with less,
// the colour/alpha combine unit stays last, and the approximation is logged.
TEST_F(FixedPipeline, SetupFitsTheDeviceStagesAndKeepsTheCombineUnit)
{
    const int logged = Occurrences(ReadLog(), kApproximationText);
    renderer->caps.MaxTextureBlendStages = 3;
    Combine(kDecalCombine, kDecalCombine, kTexHeavy, kTexLocal);
    renderer->UpdateTexelPipeline();
    ASSERT_LE(renderer->stageSetup.numStages, 3u);
    ASSERT_GE(renderer->stageSetup.numStages, 1u);
    EXPECT_EQ(3u, renderer->stageSetup.stages[renderer->stageSetup.numStages - 1].chipOrdinal);
    ASSERT_EQ(1u, renderer->stageSetupCache.size());
    EXPECT_EQ(renderer->stageSetup.numStages, renderer->stageSetupCache.begin()->second.numStages);
    EXPECT_EQ(logged + 1, Occurrences(ReadLog(), kApproximationText));
}

// Both TMUs (other - local) x other alpha, inverted, need the eight stages
// by themselves (the alpha side scales by the local alpha); the colour combine unit (texture x iterated colour) is
// still carried out.  TMU 1's texel is white, so that its own combine gives
// white too, and TMU 0 then gives its texel: the pixel is TMU 0's texel
// times the vertex colour.
TEST_F(FixedPipeline, TheCombineUnitIsKeptWhenTheTextureChainFillsTheStages)
{
    const int logged = Occurrences(ReadLog(), kApproximationText);
    const auto makeTexture = [this](D3DCOLOR color) {
        IDirect3DTexture9* texture = nullptr;
        EXPECT_EQ(D3D_OK, device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
        D3DLOCKED_RECT locked;
        if (texture != nullptr && SUCCEEDED(texture->LockRect(0, &locked, nullptr, 0))) {
            for (int y = 0; y < 2; ++y) {
                D3DCOLOR* row = reinterpret_cast<D3DCOLOR*>(static_cast<BYTE*>(locked.pBits) + y * locked.Pitch);
                row[0] = row[1] = color;
            }
            texture->UnlockRect(0);
        }
        return texture;
    };
    IDirect3DTexture9* texel0 = makeTexture(0xFFC86432);
    IDirect3DTexture9* texel1 = makeTexture(0xFFFFFFFF);
    ASSERT_TRUE(texel0 != nullptr && texel1 != nullptr);
    renderer->stageBindings[0] = ZelkGrTextureBinding(0, texel0, 1.0f, 1.0f);
    renderer->stageBindings[1] = ZelkGrTextureBinding(1, texel1, 1.0f, 1.0f);
    texel0->Release();
    texel1->Release();

    // rgb SCALE_OTHER_MINUS_LOCAL by OTHER_ALPHA, alpha the same by LOCAL,
    // both inverted: four stages per TMU.
    constexpr std::uint32_t kTexOtherMinusLocal = 6u << 24 | 6u << 16 | 2u << 12 | 1u << 8 | 0x11u;
    // SCALE_OTHER by LOCAL, local iterated, other texture.
    constexpr std::uint32_t kModulateCombine = 3u << 24 | 1u << 16 | 0u << 12 | 1u << 8;
    Combine(kModulateCombine, kDecalCombine, kTexOtherMinusLocal, kTexOtherMinusLocal);
    renderer->RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
    renderer->RecordClear(0xFF000000, 1.0f);
    GrVertex v[4] = {zelktest::MakeVertex(0, 0, 128, 255, 255), zelktest::MakeVertex(32, 0, 128, 255, 255),
                     zelktest::MakeVertex(32, 32, 128, 255, 255), zelktest::MakeVertex(0, 32, 128, 255, 255)};
    renderer->DrawPolygonVertexList(4, v);
    renderer->Flush(true);
    EXPECT_TRUE(zelktest::ReadBack(device).RegionNear(4, 4, 28, 28, 0x646432, 3));

    const ZelkGrFixedStageSetup& setup = renderer->stageSetup;
    ASSERT_LE(setup.numStages, kMaxFixedStages);
    EXPECT_EQ(3u, setup.stages[setup.numStages - 1].chipOrdinal);
    // Logged once for the setup: the second update finds it cached.
    renderer->texelPipelineDirty = 1;
    renderer->UpdateTexelPipeline();
    EXPECT_EQ(logged + 1, Occurrences(ReadLog(), kApproximationText));
}

// The alpha local DEPTH reads zero.  A device without per-stage constants
// has no D3DTA_CONSTANT: no stage reads it, and the pixel is still right.
TEST_F(FixedPipeline, DepthAsAlphaLocalNeedsNoStageConstant)
{
    zelktest::D3DProxyCaps caps;
    caps.clearPrimitiveMiscCaps = D3DPMISCCAPS_PERSTAGECONSTANT;
    RenderTestDevice::Proxy().SetCaps(caps);
    renderer = std::make_unique<ZelkGrRendererSWFixed>(device, 64, 64, RendererSettings(false));
    RenderTestDevice::Proxy().SetCaps(zelktest::D3DProxyCaps());
    ASSERT_EQ(0u, renderer->caps.PrimitiveMiscCaps & D3DPMISCCAPS_PERSTAGECONSTANT);

    // colour, alpha combine words (local DEPTH in the alpha unit) and the
    // pixel for a vertex colour of (40, 80, 120), alpha 200.
    const struct {
        std::uint32_t color, alpha;
        D3DCOLOR pixel;
    } cases[] = {
        // iterated x (1 - local alpha): the vertex colour.
        {3u << 24 | 11u << 16 | 0u << 12 | 0u << 8, 1u << 24 | 0u << 16 | 2u << 12 | 0u << 8, 0x285078},
        // iterated x local alpha: black.
        {3u << 24 | 3u << 16 | 0u << 12 | 0u << 8, 1u << 24 | 0u << 16 | 2u << 12 | 0u << 8, 0x000000},
        // (iterated - constant) x 1 + local alpha, constant black: the vertex colour.
        {8u << 24 | 8u << 16 | 1u << 12 | 0u << 8, 4u << 24 | 1u << 16 | 2u << 12 | 0u << 8, 0x285078},
    };
    renderer->RecordClipWindow(ZelkGrRect(0, 0, 64, 64));
    renderer->RecordCommand(7, 0xFF000000, 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.color);
        renderer->RecordClear(0xFFFFFFFF, 1.0f);
        renderer->RecordCommand(12, c.color, 0);
        renderer->RecordCommand(13, c.alpha, 0);
        GrVertex v[4] = {zelktest::MakeVertex(0, 0, 40, 80, 120, 200), zelktest::MakeVertex(32, 0, 40, 80, 120, 200),
                         zelktest::MakeVertex(32, 32, 40, 80, 120, 200), zelktest::MakeVertex(0, 32, 40, 80, 120, 200)};
        renderer->DrawPolygonVertexList(4, v);
        renderer->Flush(true);
        EXPECT_TRUE(zelktest::ReadBack(device).RegionNear(4, 4, 28, 28, c.pixel, 3));
        for (DWORD stage = 0; stage < renderer->stageSetup.numStages; ++stage) {
            for (D3DTEXTURESTAGESTATETYPE type : {D3DTSS_COLORARG0, D3DTSS_COLORARG1, D3DTSS_COLORARG2,
                                                  D3DTSS_ALPHAARG0, D3DTSS_ALPHAARG1, D3DTSS_ALPHAARG2}) {
                EXPECT_NE(static_cast<DWORD>(D3DTA_CONSTANT), StageState(stage, type) & D3DTA_SELECTMASK)
                    << "stage " << stage << " state " << type;
            }
        }
    }
}

TEST_F(FixedPipeline, SamplersAndTexturesFollowEachStagesTmu)
{
    IDirect3DTexture9* texture = nullptr;
    ASSERT_EQ(D3D_OK, device->CreateTexture(2, 2, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &texture, nullptr));
    renderer->stageBindings[0] = ZelkGrTextureBinding(0, texture, 0.5f, 0.5f);
    texture->Release();

    // TMU 0 clamps and filters linearly; the command only raises the flag.
    renderer->SetTexClampMode({15, D3DTADDRESS_CLAMP << 16 | D3DTADDRESS_MIRROR, 0});
    renderer->SetTexFilterMode({16, D3DTEXF_LINEAR << 16 | D3DTEXF_LINEAR, 0});
    EXPECT_EQ(1, renderer->samplerStateDirty);

    Combine(kDecalCombine, kDecalCombine, kTexLocal, kTexLocal);
    renderer->UpdateTexelPipeline();
    EXPECT_EQ(0, renderer->samplerStateDirty);
    EXPECT_EQ(D3DTADDRESS_CLAMP, SamplerState(0, D3DSAMP_ADDRESSU));
    EXPECT_EQ(D3DTADDRESS_MIRROR, SamplerState(0, D3DSAMP_ADDRESSV));
    EXPECT_EQ(D3DTEXF_LINEAR, SamplerState(0, D3DSAMP_MINFILTER));
    // Stage 1 belongs to the combine unit: wrap, point, no texture.
    EXPECT_EQ(D3DTADDRESS_WRAP, SamplerState(1, D3DSAMP_ADDRESSU));
    EXPECT_EQ(D3DTEXF_POINT, SamplerState(1, D3DSAMP_MAGFILTER));
    EXPECT_EQ(static_cast<IDirect3DBaseTexture9*>(texture), BoundTexture(0));
    EXPECT_EQ(nullptr, BoundTexture(1));
    EXPECT_EQ(nullptr, BoundTexture(2));

    // Textures are bound at every update: an unbound TMU unbinds stage 0.
    renderer->stageBindings[0] = ZelkGrTextureBinding();
    renderer->UpdateTexelPipeline();
    EXPECT_EQ(nullptr, BoundTexture(0));
}

TEST(RendererClasses, SettingsSelectTheClass)
{
    std::uint32_t count = 0;
    const ZelkGrRendererClass* classes = GetRendererClasses(&count);
    ASSERT_EQ(4u, count);
    const std::pair<std::uint32_t, std::string> expected[] = {{0x00000, "ZelkGrRendererSWFixed"},
                                                              {0x10000, "ZelkGrRendererSWPS13"},
                                                              {0x10001, "ZelkGrRendererVS11PS13"},
                                                              {0x10002, "ZelkGrRendererVS2xPS13"}};
    for (std::uint32_t i = 0; i < count; ++i) {
        EXPECT_EQ(expected[i].first, classes[i].key);
        EXPECT_EQ(expected[i].second, classes[i].className);
    }

    // Keys of the table keep their class and settings; other keys become
    // 0, 0 and the fixed-function class.
    const struct {
        std::uint32_t texel, convert;
        const char* className;
        std::uint32_t texelAfter, convertAfter;
    } cases[] = {
        {0, 0, "ZelkGrRendererSWFixed", 0, 0},          {0x10000, 0, "ZelkGrRendererSWPS13", 0x10000, 0},
        {0x10000, 1, "ZelkGrRendererVS11PS13", 0x10000, 1}, {0x10000, 2, "ZelkGrRendererVS2xPS13", 0x10000, 2},
        {0, 2, "ZelkGrRendererSWFixed", 0, 0},          {0, 1, "ZelkGrRendererSWFixed", 0, 0},
        {0x10000, 3, "ZelkGrRendererSWFixed", 0, 0},    {7, 0, "ZelkGrRendererSWFixed", 0, 0},
    };
    for (const auto& c : cases) {
        std::uint32_t texel = c.texel, convert = c.convert;
        const ZelkGrRendererClass& chosen = SelectRendererClass(texel, convert);
        EXPECT_STREQ(c.className, chosen.className) << c.texel << " " << c.convert;
        EXPECT_NE(nullptr, chosen.create);
        EXPECT_EQ(c.texelAfter, texel) << c.texel << " " << c.convert;
        EXPECT_EQ(c.convertAfter, convert) << c.texel << " " << c.convert;
    }

    // Creation without a device builds the fixed-function class.
    std::uint32_t texel = 0, convert = 2;
    std::unique_ptr<ZelkGrPrimitiveRenderer> r = CreateRenderer(texel, convert, nullptr, 64, 64, RendererSettings());
    EXPECT_NE(nullptr, dynamic_cast<ZelkGrRendererSWFixed*>(r.get()));
    EXPECT_EQ(0u, convert);
}
