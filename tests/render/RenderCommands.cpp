// The render-state commands: the fields they set and the device states they
// reach, read back from a real device.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>

#include "support/RenderBaseTestSupport.h"

using zelk::ZelkGrRenderCommand;
using zelktest::BlendValue;
using zelktest::D3DProxyCaps;
using zelktest::RendererSettings;
using zelktest::RenderTestDevice;
using zelktest::TestRendererSW;

namespace {

std::uint32_t Bits(float value)
{
    std::uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

class RenderCommands : public zelktest::SoftwareRendererTest {
protected:
    void SetUp() override
    {
        device = RenderTestDevice::Get(D3DFMT_X8R8G8B8);
        ASSERT_NE(device, nullptr);
        BuildRenderer(false);
    }

    void Run(std::uint32_t id, std::uint32_t value, std::uint32_t arg = 0)
    {
        renderer->RunCommand(ZelkGrRenderCommand{id, value, arg});
    }

    DWORD SamplerState(DWORD sampler, D3DSAMPLERSTATETYPE state)
    {
        DWORD value = 0;
        device->GetSamplerState(sampler, state, &value);
        return value;
    }
};

TEST_F(RenderCommands, BlendFunctionWithSeparateAlphaBlending)
{
    ASSERT_TRUE(renderer->caps.PrimitiveMiscCaps & D3DPMISCCAPS_SEPARATEALPHABLEND);
    const struct {
        std::uint32_t value;
        DWORD src, dst, srcAlpha, dstAlpha, enable, separate;
    } cases[] = {
        // Alpha is blended with its own pair whenever the pairs differ.
        {BlendValue(1, 5, 4, 0), D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_ONE, D3DBLEND_ZERO, 1, 1},
        {BlendValue(1, 5, 1, 5), D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 1,
         0},
        {BlendValue(4, 0, 4, 0), D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_ZERO, 0, 0},
        // A copied colour does not turn blending off while alpha blends.
        {BlendValue(4, 0, 2, 2), D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_DESTCOLOR, D3DBLEND_SRCCOLOR, 1, 1},
        {BlendValue(6, 6, 7, 7), D3DBLEND_INVDESTCOLOR, D3DBLEND_INVSRCCOLOR, D3DBLEND_INVDESTALPHA,
         D3DBLEND_INVDESTALPHA, 1, 1},
        {BlendValue(15, 15, 3, 3), D3DBLEND_SRCALPHASAT, D3DBLEND_SRCALPHA, D3DBLEND_DESTALPHA, D3DBLEND_DESTALPHA, 1,
         1},
        // Codes that are no Glide factor leave the colour as it is.
        {BlendValue(9, 12, 200, 8), D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLEND_ONE, D3DBLEND_ZERO, 0, 0},
    };
    for (const auto& c : cases) {
        Run(4, c.value);
        EXPECT_EQ(RenderState(D3DRS_SRCBLEND), c.src) << std::hex << c.value;
        EXPECT_EQ(RenderState(D3DRS_DESTBLEND), c.dst) << std::hex << c.value;
        EXPECT_EQ(RenderState(D3DRS_SRCBLENDALPHA), c.srcAlpha) << std::hex << c.value;
        EXPECT_EQ(RenderState(D3DRS_DESTBLENDALPHA), c.dstAlpha) << std::hex << c.value;
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), c.enable) << std::hex << c.value;
        EXPECT_EQ(RenderState(D3DRS_SEPARATEALPHABLENDENABLE), c.separate) << std::hex << c.value;
        EXPECT_EQ(renderer->srcBlendAlpha, c.srcAlpha);
    }
}

TEST_F(RenderCommands, BlendEnableWithoutSeparateAlphaBlending)
{
    BuildRenderer(true);
    const struct {
        std::uint32_t value;
        std::uint8_t backBufferHasAlpha;
        DWORD enable;
    } cases[] = {
        {BlendValue(4, 0, 4, 0), 0, 0},
        {BlendValue(4, 0, 0, 0), 0, 0},  // alpha kept nowhere: (ZERO, ZERO) is no blending
        {BlendValue(4, 0, 0, 0), 1, 1},  // kept: alpha is written as 0, which needs blending
        {BlendValue(4, 0, 1, 0), 0, 1},
        {BlendValue(1, 5, 4, 0), 0, 1},
        {BlendValue(4, 0, 4, 4), 1, 1},
    };
    for (const auto& c : cases) {
        renderer->backBufferHasAlpha = c.backBufferHasAlpha;
        Run(4, c.value);
        EXPECT_EQ(RenderState(D3DRS_ALPHABLENDENABLE), c.enable)
            << std::hex << c.value << " alpha back buffer " << int(c.backBufferHasAlpha);
    }
    // Only the enable switch is set here; the factors go with each draw.
    EXPECT_EQ(RenderState(D3DRS_SRCBLENDALPHA), static_cast<DWORD>(D3DBLEND_ONE));
}

TEST_F(RenderCommands, DepthAndFogModes)
{
    renderer->caps.RasterCaps |= D3DPRASTERCAPS_WBUFFER;  // a device with a w-buffer of its own
    const struct {
        std::uint32_t mode;
        DWORD zenable;
        std::uint32_t field;
    } depth[] = {{1, D3DZB_TRUE, 1}, {0, D3DZB_FALSE, 0}, {2, D3DZB_USEW, 2}, {3, D3DZB_FALSE, 0},
                 {4, D3DZB_FALSE, 0}, {0x12345, D3DZB_FALSE, 0}};
    for (const auto& c : depth) {
        Run(9, c.mode);
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), c.zenable) << c.mode;
        EXPECT_EQ(renderer->depthBufferMode, c.field) << c.mode;
    }
    const struct {
        std::uint32_t mode;
        DWORD enable;
        std::uint32_t field;
    } fog[] = {{0x102, 1, 2}, {3, 0, 0}, {1, 1, 1}, {0x100, 0, 0}, {2, 1, 2}, {0xFF, 0, 0}};
    for (const auto& c : fog) {
        Run(10, c.mode);
        EXPECT_EQ(RenderState(D3DRS_FOGENABLE), c.enable) << c.mode;
        EXPECT_EQ(renderer->fogMode, c.field) << c.mode;
    }
    // Whatever the values, the variant stays within the 72.
    renderer->depthBufferMode = 7;
    renderer->fogMode = 9;
    EXPECT_LT(renderer->VariantIndex(), 72u);
}

TEST_F(RenderCommands, WBufferingUsesTheDeviceWBufferOnlyWhereThereIsOne)
{
    // Without one the device compares z, which the vertex conversion then
    // derives from w.
    for (bool hasWBuffer : {false, true, false}) {
        if (hasWBuffer) {
            renderer->caps.RasterCaps |= D3DPRASTERCAPS_WBUFFER;
        } else {
            renderer->caps.RasterCaps &= ~static_cast<DWORD>(D3DPRASTERCAPS_WBUFFER);
        }
        Run(9, 0);
        Run(9, 2);
        EXPECT_EQ(RenderState(D3DRS_ZENABLE), static_cast<DWORD>(hasWBuffer ? D3DZB_USEW : D3DZB_TRUE)) << hasWBuffer;
        EXPECT_EQ(renderer->depthBufferMode, 2u);
    }
}

TEST_F(RenderCommands, HintMasksApplyEachBit)
{
    const struct {
        std::uint32_t mask;
        std::uint32_t w0, w1, st0, st1;
    } cases[] = {
        // From TMU 0 w 0 / st 1 and TMU 1 w 0 / st 1 (set below).
        {8, 0, 1, 1, 1},
        {0x18, 0, 1, 1, 1},
        {0x02, 0, 0, 1, 1},
        {0x04, 0, 0, 0, 0},
        {0x05, 2, 2, 0, 0},
        {0, 2, 2, 0, 0},
        {0x40, 2, 2, 0, 0},  // no bit of the two units: the reset
    };
    for (const auto& c : cases) {
        for (auto& tmu : renderer->tmuState) {
            tmu.activeW = 0;
            tmu.activeST = 1;
        }
        Run(2, c.mask);
        EXPECT_EQ(renderer->tmuState[0].activeW, c.w0) << c.mask;
        EXPECT_EQ(renderer->tmuState[1].activeW, c.w1) << c.mask;
        EXPECT_EQ(renderer->tmuState[0].activeST, c.st0) << c.mask;
        EXPECT_EQ(renderer->tmuState[1].activeST, c.st1) << c.mask;
    }
}

TEST_F(RenderCommands, CombineCommandsUnpackAndMarkThePipeline)
{
    Run(12, 0x0304A1FF);
    EXPECT_EQ(renderer->combineFunction[0], 3u);
    EXPECT_EQ(renderer->combineFactor[0], 4u);
    EXPECT_EQ(renderer->combineLocal[0], 0xAu);
    EXPECT_EQ(renderer->combineOther[0], 1u);
    EXPECT_EQ(renderer->combineInvert[0], 1u);
    EXPECT_EQ(renderer->pipelineKey.colorCombine, 0x0304A1FFu);
    EXPECT_EQ(renderer->texelPipelineDirty, 1);

    renderer->texelPipelineDirty = 0;
    Run(13, 0x01020100);
    EXPECT_EQ(renderer->combineFunction[1], 1u);
    EXPECT_EQ(renderer->combineFactor[1], 2u);
    EXPECT_EQ(renderer->combineLocal[1], 0u);
    EXPECT_EQ(renderer->combineOther[1], 1u);
    EXPECT_EQ(renderer->combineInvert[1], 0u);
    EXPECT_EQ(renderer->pipelineKey.alphaCombine, 0x01020100u);
    EXPECT_EQ(renderer->texelPipelineDirty, 1);

    // Texture combine: functions, factors and the two inverts.
    Run(14, 0x0102C410, 0);
    const auto& tmu0 = renderer->tmuState[0];
    EXPECT_EQ(tmu0.rgbFunction, 1u);
    EXPECT_EQ(tmu0.alphaFunction, 2u);
    EXPECT_EQ(tmu0.rgbFactor, 12u);
    EXPECT_EQ(tmu0.alphaFactor, 4u);
    EXPECT_EQ(tmu0.rgbInvert, 1u);
    EXPECT_EQ(tmu0.alphaInvert, 0u);
    EXPECT_EQ(renderer->detailFactorEnabled, 1);
    EXPECT_EQ(renderer->pipelineKey.texCombine[0], 0x0102C410u);

    // TMU 1's combine leaves the detail flag, which follows TMU 0.
    Run(14, 0x01010000, 1);
    EXPECT_EQ(renderer->detailFactorEnabled, 1);
    EXPECT_EQ(renderer->pipelineKey.texCombine[1], 0x01010000u);
    Run(14, 0x01010101, 0);  // factors 0 and 1
    EXPECT_EQ(renderer->detailFactorEnabled, 0);
    EXPECT_EQ(renderer->tmuState[0].alphaInvert, 1u);
    Run(14, 0x01010C00, 1);
    EXPECT_EQ(renderer->detailFactorEnabled, 0);
    // A unit beyond the two is ignored.
    Run(14, 0x0A0A0000, 2);
    EXPECT_EQ(renderer->pipelineKey.texCombine[1], 0x01010C00u);
}

TEST_F(RenderCommands, SwitchesColoursAndUnknownIds)
{
    Run(1, 1);
    EXPECT_EQ(renderer->originUpperLeft, 1);
    Run(1, 255);
    EXPECT_EQ(renderer->originUpperLeft, 0);

    Run(5, 1);
    EXPECT_EQ(renderer->chromakeyMode, 1u);
    EXPECT_EQ(renderer->pipelineKey.chromakeyEnabled, 1);
    Run(3, 1);
    EXPECT_EQ(renderer->alphaControlsItrgbLighting, 1);
    EXPECT_EQ(renderer->pipelineKey.itrgbLighting, 1);

    Run(6, 0x80FF0040);
    EXPECT_FLOAT_EQ(renderer->chromakeyColor[0], 1.0f);
    EXPECT_FLOAT_EQ(renderer->chromakeyColor[1], 0.0f);
    EXPECT_FLOAT_EQ(renderer->chromakeyColor[2], 64.0f / 255.0f);
    EXPECT_FLOAT_EQ(renderer->chromakeyColor[3], 128.0f / 255.0f);

    Run(7, 0x12345678);
    EXPECT_EQ(RenderState(D3DRS_TEXTUREFACTOR), 0x12345678u);

    const zelk::ZelkGrTmuState before = renderer->tmuState[0];
    Run(0, 5);
    Run(22, 5);
    Run(15, 0x00030003, 5);
    EXPECT_EQ(std::memcmp(&before, &renderer->tmuState[0], sizeof before), 0);
}

TEST_F(RenderCommands, SamplerCommandsReachTheDevice)
{
    Run(15, 0x00030001, 1);
    EXPECT_EQ(renderer->tmuState[1].clampU, 3u);
    EXPECT_EQ(renderer->tmuState[1].clampV, 1u);
    EXPECT_EQ(SamplerState(1, D3DSAMP_ADDRESSU), static_cast<DWORD>(D3DTADDRESS_CLAMP));
    EXPECT_EQ(SamplerState(1, D3DSAMP_ADDRESSV), static_cast<DWORD>(D3DTADDRESS_WRAP));

    Run(16, 0x00020001, 0);
    EXPECT_EQ(SamplerState(0, D3DSAMP_MINFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(SamplerState(0, D3DSAMP_MAGFILTER), static_cast<DWORD>(D3DTEXF_POINT));
    Run(17, 2, 0);
    EXPECT_EQ(SamplerState(0, D3DSAMP_MIPFILTER), static_cast<DWORD>(D3DTEXF_LINEAR));
    EXPECT_EQ(renderer->tmuState[0].mipFilter, 2u);

    Run(18, Bits(1.0f), 0);
    EXPECT_EQ(SamplerState(0, D3DSAMP_MIPMAPLODBIAS), Bits(1.0f));
    EXPECT_FLOAT_EQ(renderer->tmuState[0].lodBiasValue, 1.0f / 255.0f);
}

TEST_F(RenderCommands, ApplicationFloatsAreClampedFirst)
{
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float infinity = std::numeric_limits<float>::infinity();

    Run(18, Bits(nan), 0);
    EXPECT_EQ(renderer->tmuState[0].lodBias, 0.0f);
    EXPECT_EQ(renderer->tmuState[0].lodBiasValue, 0.0f);
    EXPECT_EQ(SamplerState(0, D3DSAMP_MIPMAPLODBIAS), Bits(0.0f));
    Run(18, Bits(infinity), 0);
    EXPECT_TRUE(std::isfinite(renderer->tmuState[0].lodBiasValue));

    const struct {
        std::uint32_t id;
        std::uint32_t value;
        float zelk::ZelkGrTmuState::*field;
        float expected;
    } cases[] = {
        {19, 2, &zelk::ZelkGrTmuState::detailBias, 3.0f / 255.0f},
        {19, static_cast<std::uint32_t>(-1), &zelk::ZelkGrTmuState::detailBias, -0.5f / 255.0f},
        {20, 3, &zelk::ZelkGrTmuState::detailScale, 7.0f / 255.0f},
        {21, Bits(0.5f), &zelk::ZelkGrTmuState::detailMax, 0.5f},
        {21, Bits(nan), &zelk::ZelkGrTmuState::detailMax, 0.0f},
        {21, Bits(2.0f), &zelk::ZelkGrTmuState::detailMax, 1.0f},
        {21, Bits(-infinity), &zelk::ZelkGrTmuState::detailMax, 0.0f},
    };
    for (const auto& c : cases) {
        Run(c.id, c.value, 1);
        EXPECT_FLOAT_EQ(renderer->tmuState[1].*c.field, c.expected) << c.id << " " << std::hex << c.value;
    }
    // Exponents far outside Glide's range still give finite values.
    Run(19, static_cast<std::uint32_t>(INT_MAX), 1);
    EXPECT_TRUE(std::isfinite(renderer->tmuState[1].detailBias));
    Run(20, 0xFFFFFFFF, 1);
    EXPECT_TRUE(std::isfinite(renderer->tmuState[1].detailScale));
}

// Worked ramps: entry i is (256 i / 65535) ^ (1 / gamma) * 65535, cut to an
// integer, with the single-precision 1/65535 (just below the true value).
// A gamma of 0 or below, or NaN, takes the largest exponent (every entry 0);
// a huge gamma the smallest (every entry but the first just below 65535).
TEST(GammaRamp, EntriesFromTheGamma)
{
    const int indices[] = {0, 1, 2, 64, 128, 192, 254, 255};
    struct Case {
        float gamma;
        WORD entries[8];  // at the indices above
        int tolerance;    // the power function may round differently
    };
    const Case cases[] = {
        {1.0f, {0, 255, 511, 16383, 32767, 49151, 65023, 65279}, 0},
        {0.5f, {0, 1, 4, 4096, 16384, 36864, 64516, 65025}, 0},
        {2.2f, {0, 5270, 7221, 34898, 47823, 57502, 65302, 65418}, 1},
        {-1.0f, {0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {0.0f, {0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {std::numeric_limits<float>::quiet_NaN(), {0, 0, 0, 0, 0, 0, 0, 0}, 0},
        {1.0e30f, {0, 65534, 65534, 65534, 65534, 65534, 65534, 65534}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.gamma);
        WORD ramp[256];
        std::memset(ramp, 0xAB, sizeof ramp);
        zelk::ZelkGrPrimitiveRenderer::GammaRampEntries(c.gamma, ramp);
        for (int k = 0; k < 8; ++k) {
            EXPECT_NEAR(ramp[indices[k]], c.entries[k], c.tolerance) << "entry " << indices[k];
        }
        for (int i = 1; i < 256; ++i) {
            EXPECT_GE(ramp[i], ramp[i - 1]) << "entry " << i;
        }
    }
}

TEST_F(RenderCommands, GammaReachesTheDeviceOnlyWithFullScreenGamma)
{
    const UINT before = RenderTestDevice::Proxy().CallCount(zelktest::D3DCall::Device_SetGammaRamp);
    Run(11, Bits(1.5f));
    const UINT expected = (renderer->caps.Caps2 & D3DCAPS2_FULLSCREENGAMMA) ? 1 : 0;
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(zelktest::D3DCall::Device_SetGammaRamp), before + expected);
    renderer->caps.Caps2 &= ~D3DCAPS2_FULLSCREENGAMMA;
    Run(11, Bits(1.5f));
    EXPECT_EQ(RenderTestDevice::Proxy().CallCount(zelktest::D3DCall::Device_SetGammaRamp), before + expected);
}

}  // namespace
