// The fixed-function texel half on the device: stage setups cached by the
// combine state, cut to the device's stages, sampler states and textures by
// each stage's TMU; and the renderer class selection.
#include <gtest/gtest.h>

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

TEST_F(FixedPipeline, SetupIsCutToTheDeviceStages)
{
    renderer->caps.MaxTextureBlendStages = 3;
    Combine(kDecalCombine, kDecalCombine, kTexHeavy, kTexLocal);
    renderer->UpdateTexelPipeline();
    EXPECT_EQ(3u, renderer->stageSetup.numStages);
    ASSERT_EQ(1u, renderer->stageSetupCache.size());
    EXPECT_EQ(5u, renderer->stageSetupCache.begin()->second.numStages);  // the cache keeps it whole
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

    struct Case {
        std::uint32_t texel, convert;
    };
    // Keys of the table, and keys that are not: those become 0, 0.
    for (const Case c : {Case{0, 0}, Case{0x10000, 0}, Case{0x10000, 1}, Case{0x10000, 2}, Case{0, 2}, Case{0, 1},
                         Case{0x10000, 3}, Case{7, 0}}) {
        std::uint32_t texel = c.texel, convert = c.convert;
        const ZelkGrRendererClass& chosen = SelectRendererClass(texel, convert);
        const bool listed = (c.texel == 0 && c.convert == 0) || (c.texel == 0x10000 && c.convert <= 2);
        if (listed && chosen.key == RendererSelectionKey(c.texel, c.convert)) {
            // The class is built into the library: the settings stay.
            EXPECT_EQ(c.texel, texel);
            EXPECT_EQ(c.convert, convert);
            EXPECT_NE(nullptr, chosen.create);
        } else {
            EXPECT_STREQ("ZelkGrRendererSWFixed", chosen.className) << c.texel << " " << c.convert;
            EXPECT_EQ(0u, texel);
            EXPECT_EQ(0u, convert);
        }
    }

    // Creation without a device builds the fixed-function class.
    std::uint32_t texel = 0, convert = 2;
    std::unique_ptr<ZelkGrPrimitiveRenderer> r = CreateRenderer(texel, convert, nullptr, 64, 64, RendererSettings());
    EXPECT_NE(nullptr, dynamic_cast<ZelkGrRendererSWFixed*>(r.get()));
    EXPECT_EQ(0u, convert);
}
