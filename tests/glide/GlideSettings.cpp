// Reading the settings from the registry: defaults, stored values, and the
// checks of stored Direct3D list positions.
#include <gtest/gtest.h>

#include <atomic>

#include "framework/ZelkD3D.h"
#include "glide/ZelkGlideSettings.h"
#include "support/GlideRegistry.h"

namespace {

using zelk::ZelkD3D;
using zelk::ZelkGlideSettings;
using zelktest::GlideRegistry;

const char* const kDevice = "direct3d device setting";
const char* const kRendering = "primitive rendering";
const char* const kTexture = "texture setting";
const char* const kCard = "card style";
const char* const kLfb = "lfb accessing";
const char* const kMisc = "misc";

std::atomic<int> g_creations{0};
IDirect3D9* WINAPI CountingCreate(UINT sdkVersion)
{
    ++g_creations;
    return Direct3DCreate9(sdkVersion);
}

class GlideSettingsTest : public testing::Test {
protected:
    void SetUp() override { ZelkD3D::DestroyD3D(); }
    void TearDown() override
    {
        ZelkD3D::DestroyD3D();
        zelk::SetDirect3DCreateFunction(nullptr);
    }
    GlideRegistry registry;
};

TEST_F(GlideSettingsTest, NoKeyGivesDefaultsWithoutCreatingDirect3D)
{
    g_creations = 0;
    zelk::SetDirect3DCreateFunction(&CountingCreate);
    const ZelkGlideSettings s = zelk::ReadGlideSettings();
    EXPECT_EQ(g_creations.load(), 0);

    EXPECT_EQ(s.adapterOrdinal, 0u);
    EXPECT_EQ(s.tmuCount, 2u);
    EXPECT_EQ(s.fbiMemorySize, 4u);
    EXPECT_EQ(s.tmuMemorySize, 4u);
    EXPECT_EQ(s.vertexConvertType, 1u);
    EXPECT_EQ(s.texelBlendingType, 0x10000u);
    EXPECT_EQ(s.enableSli + s.forceAnisotropicMin + s.forceAnisotropicMag + s.adjustOwnerWindow + s.hideChildWindows, 0);
    EXPECT_EQ(s.enableLfbAccessing, 1);
    EXPECT_EQ(s.renderer.rendererTmuCount, 2u);
    EXPECT_EQ(s.renderer.vertexShaderVersion, 0u);
    EXPECT_EQ(s.renderer.useBackgroundThread, 0);
    EXPECT_EQ(s.renderer.useTriangleStrip, 0);
    EXPECT_EQ(s.renderer.assumeOFogValid, 1);
    EXPECT_EQ(s.renderer.displayStatistics, 0);
    EXPECT_EQ(s.renderer.maxQueueSize, 16u);
    EXPECT_EQ(s.renderer.threadPriority, 0u);
    EXPECT_EQ(s.texture.createMipmap, 1);
    const std::uint32_t formats[16] = {27, 0, 28, 50, 52, 41, 0, 0, 29, 0, 23, 25, 26, 51, 40, 0};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(s.texture.format[i], formats[i]) << "format " << i;
    }
    EXPECT_EQ(s.lfb.readFront, 0);
    EXPECT_EQ(s.lfb.readBack, 0);
    EXPECT_EQ(s.lfb.readDepth, 0);
    EXPECT_EQ(s.lfb.writeFront, 0);
    EXPECT_EQ(s.lfb.writeBack, 1);
    EXPECT_EQ(s.lfb.writeDepth, 0);
}

TEST_F(GlideSettingsTest, StoredValuesAreReadFlagsNormalisedTmuCountCapped)
{
    registry.SetDword(kRendering, "vertex convert function type", 2);
    registry.SetDword(kRendering, "texel blending function type", 0);
    registry.SetDword(kRendering, "vertex shader version", 0xFFFE0200);
    registry.SetDword(kRendering, "use background thread", 9);
    registry.SetDword(kRendering, "use triangle strip", 1);
    registry.SetDword(kRendering, "assume oFog is valid", 0);
    registry.SetDword(kRendering, "maximum size of rendering queue", 1000);
    registry.SetDword(kRendering, "background thread priority level", 2);
    registry.SetDword(kTexture, "force anisotropic filtering", 7);
    registry.SetDword(kTexture, "create mipmap", 0);
    registry.SetDword(kTexture, "R5G6B5", 22);
    registry.SetDword(kTexture, "P8", 21);
    registry.SetDword(kCard, "fbi memory size", 8);
    registry.SetDword(kCard, "number of tmu", 5);
    registry.SetDword(kCard, "tmu memory size", 12);
    registry.SetDword(kCard, "enable sli", 3);
    registry.SetDword(kLfb, "enable lfb accessing", 0);
    registry.SetDword(kLfb, "enable front buffer reading", 1);
    registry.SetDword(kLfb, "enable depth buffer writing", 4);
    registry.SetDword(kLfb, "enable back buffer writing", 0);
    registry.SetDword(kMisc, "adjust owner window", 1);
    registry.SetDword(kMisc, "enable ultrahle fix", 1);
    registry.SetDword(kMisc, "display rendering statistics", 1);
    // A value that does not fit four bytes keeps its default.
    registry.SetString(kCard, "fbi memory size", "a string far longer than four bytes");

    const ZelkGlideSettings s = zelk::ReadGlideSettings();
    EXPECT_EQ(s.vertexConvertType, 2u);
    EXPECT_EQ(s.texelBlendingType, 0u);
    EXPECT_EQ(s.renderer.vertexShaderVersion, 0xFFFE0200u);
    EXPECT_EQ(s.renderer.useBackgroundThread, 1);
    EXPECT_EQ(s.renderer.useTriangleStrip, 1);
    EXPECT_EQ(s.renderer.assumeOFogValid, 0);
    EXPECT_EQ(s.renderer.maxQueueSize, 1000u);
    EXPECT_EQ(s.renderer.threadPriority, 2u);
    EXPECT_EQ(s.forceAnisotropicMin, 1);
    EXPECT_EQ(s.forceAnisotropicMag, 1);
    EXPECT_EQ(s.texture.createMipmap, 0);
    EXPECT_EQ(s.texture.format[10], 22u);
    EXPECT_EQ(s.texture.format[5], 21u);
    EXPECT_EQ(s.texture.format[0], 27u);
    // Only the two stored formats count as stored.
    EXPECT_EQ(s.texture.storedFormats, (1u << 10) | (1u << 5));
    EXPECT_EQ(s.fbiMemorySize, 4u);
    EXPECT_EQ(s.tmuCount, 2u);
    EXPECT_EQ(s.tmuMemorySize, 12u);
    EXPECT_EQ(s.enableSli, 1);
    EXPECT_EQ(s.enableLfbAccessing, 0);
    EXPECT_EQ(s.lfb.readFront, 1);
    EXPECT_EQ(s.lfb.writeDepth, 1);
    EXPECT_EQ(s.lfb.writeBack, 0);
    EXPECT_EQ(s.adjustOwnerWindow, 1);
    EXPECT_EQ(s.hideChildWindows, 1);
    EXPECT_EQ(s.renderer.displayStatistics, 1);
}

TEST_F(GlideSettingsTest, AdapterOrdinalBeyondTheAdaptersBecomesNoAdapter)
{
    for (std::uint32_t ordinal : {255u, 7u, 0x80000000u}) {
        registry.SetDword(kDevice, "adapter ordinal", ordinal);
        registry.SetDword(kDevice, "device type", 0);
        EXPECT_EQ(zelk::ReadGlideSettings().adapterOrdinal, 255u) << ordinal;
    }
}

// Each stored position outside its list restores the record's default and
// leaves the later values of the subkey unread.
TEST_F(GlideSettingsTest, OutOfRangePositionsRestoreDefaults)
{
    ZelkD3D* d3d = ZelkD3D::GetD3D();
    ASSERT_NE(d3d, nullptr);
    zelk::ZelkD3DAdapterInfo* adapter = d3d->GetAdapterInfo(0);
    ASSERT_NE(adapter, nullptr);
    ASSERT_FALSE(adapter->devices.empty());
    zelk::ZelkD3DDeviceInfo& device = adapter->devices[static_cast<size_t>(adapter->defaultDeviceIndex)];
    const bool startWindowed = device.selectedWindowed;

    // A device type past the list (also as a "negative" number): default
    // device, and "use window mode" is not read.
    for (std::uint32_t bad : {static_cast<std::uint32_t>(adapter->devices.size()), 0xFFFFFFFFu}) {
        registry.SetDword(kDevice, "adapter ordinal", 0);
        registry.SetDword(kDevice, "device type", bad);
        registry.SetDword(kDevice, "use window mode", startWindowed ? 0 : 1);
        EXPECT_EQ(zelk::ReadGlideSettings().adapterOrdinal, 0u);
        EXPECT_EQ(adapter->selectedDeviceIndex, adapter->defaultDeviceIndex);
        EXPECT_EQ(device.selectedWindowed, startWindowed);
    }

    // A processing type past the list, or one naming the pure hardware
    // device, gives the default behaviour set.
    registry.SetDword(kDevice, "device type", static_cast<std::uint32_t>(adapter->defaultDeviceIndex));
    registry.SetDword(kDevice, "use window mode", 1);
    std::vector<std::uint32_t> badBehaviors = {0xFFFFFFFFu, static_cast<std::uint32_t>(device.behaviorFlags.size())};
    for (size_t i = 0; i < device.behaviorFlags.size(); ++i) {
        if (device.behaviorFlags[i] == zelk::kBehaviorPureDeviceHwTnL) {
            badBehaviors.push_back(static_cast<std::uint32_t>(i));
        }
    }
    for (std::uint32_t bad : badBehaviors) {
        device.selectedBehaviorIndex = -7;
        registry.SetDword(kDevice, "processing type", bad);
        zelk::ReadGlideSettings();
        EXPECT_EQ(device.selectedBehaviorIndex, device.defaultBehaviorIndex) << bad;
        EXPECT_TRUE(device.selectedWindowed);
    }

    // A display format past the list: default format, depth format unread.
    ASSERT_FALSE(device.windowedFormats.empty());
    registry.SetDword(kDevice, "processing type", 0);
    registry.SetDword(kDevice, "display format", 0xFFFFFFFFu);
    registry.SetDword(kDevice, "depth buffer format", 0);
    zelk::ZelkD3DFormatInfo& format = device.windowedFormats[static_cast<size_t>(device.defaultWindowedFormatIndex)];
    format.selectedDepthStencilFormatIndex = -5;
    zelk::ReadGlideSettings();
    EXPECT_EQ(device.selectedWindowedFormatIndex, device.defaultWindowedFormatIndex);
    EXPECT_EQ(format.selectedDepthStencilFormatIndex, -5);

    // A depth format past its list gives the default depth format.
    registry.SetDword(kDevice, "display format", static_cast<std::uint32_t>(device.defaultWindowedFormatIndex));
    registry.SetDword(kDevice, "depth buffer format", 0x80000000u);
    zelk::ReadGlideSettings();
    EXPECT_EQ(format.selectedDepthStencilFormatIndex, format.defaultDepthStencilFormatIndex);
}

}  // namespace
