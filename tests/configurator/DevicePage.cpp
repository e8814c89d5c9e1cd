// The Direct3D device page's rules: the stored positions read with their
// fallbacks, the fill chain over Wine's adapter and made-up adapters, the
// handlers, "Default" and what Save writes.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "common/D3DProxy.h"
#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrD3DDevicePage.h"
#include "framework/ZelkException.h"
#include "framework/ZelkD3D.h"
#include "support/ConfiguratorTestSupport.h"

using zelk::ZelkD3D;
using zelk::ZelkGrD3DDevicePage;
using zelktest::D3DProxy;
using zelktest::D3DProxyAdapter;

namespace {

const char* const kKey = "direct3d device setting";
const int kAllControls[] = {IDC_ZELK_ADAPTER,        IDC_ZELK_DEVICE_TYPE,  IDC_ZELK_PROCESSING_TYPE,
                            IDC_ZELK_DISPLAY_FORMAT, IDC_ZELK_DEPTH_FORMAT, IDC_ZELK_USE_WINDOW_MODE};

using Values = std::map<std::string, DWORD>;

Values DeviceValues(DWORD adapter, DWORD device, DWORD processing, DWORD window, DWORD display, DWORD depth)
{
    return {{"adapter ordinal", adapter}, {"device type", device},     {"processing type", processing},
            {"use window mode", window},  {"display format", display}, {"depth buffer format", depth}};
}

class DevicePageTest : public testing::Test {
protected:
    // Two adapters on the real one: the second without windowed formats and
    // with a 40-character description.
    void UseTwoAdapters()
    {
        proxy_ = std::make_unique<D3DProxy>();
        D3DProxyAdapter first;
        D3DProxyAdapter second;
        second.noWindowedFormats = true;
        second.description = "Forty Characters Of Adapter Description!";
        proxy_->SetAdapters({first, second});
    }

    ZelkD3D* Enumeration()
    {
        ZelkD3D* enumeration = ZelkD3D::GetD3D();
        EXPECT_NE(enumeration, nullptr);
        return enumeration;
    }

    std::unique_ptr<ZelkGrD3DDevicePage> MakePage()
    {
        return std::make_unique<ZelkGrD3DDevicePage>(Enumeration(), &ordinal_, root_.Key());
    }

    std::unique_ptr<D3DProxy> proxy_;
    zelktest::EnumerationReset reset_;
    zelktest::RegistryRoot root_;
    std::uint32_t ordinal_ = 77;
};

TEST_F(DevicePageTest, NewKeyStoresTheEnumerationDefaults)
{
    auto page = MakePage();
    EXPECT_EQ(ordinal_, 0u);
    // Wine's adapter has windowed formats, so the default is windowed, on
    // the first record whose back buffer the frame-buffer access converts:
    // A8R8G8B8 at 1, after the packed 24-bit one.
    EXPECT_EQ(root_.Values(kKey), DeviceValues(0, 0, 0, 1, 1, 0));
}

TEST_F(DevicePageTest, NewKeyWithoutWindowedFormatsStoresFullScreen)
{
    proxy_ = std::make_unique<D3DProxy>();
    D3DProxyAdapter only;
    only.noWindowedFormats = true;
    proxy_->SetAdapters({only});
    auto page = MakePage();
    EXPECT_EQ(root_.Values(kKey), DeviceValues(0, 0, 0, 0, 0, 0));
}

// Each stored set is read with its fallbacks and then saved again: what Save
// writes shows what the selections became.
TEST_F(DevicePageTest, StoredPositionsFallBack)
{
    UseTwoAdapters();
    struct Case {
        const char* what;
        Values stored;
        std::uint32_t ordinal;
        bool saves;
        Values saved;
    };
    // Wine's device: HAL and REF; processing 0x20, 0x40, 0x80, 0x50; 25
    // windowed and 3 full-screen records; 6 depth formats each.
    const Case cases[] = {
        {"all in range", DeviceValues(0, 1, 2, 0, 2, 3), 0, true, DeviceValues(0, 1, 2, 0, 2, 3)},
        {"only the adapter stored", {{"adapter ordinal", 1}}, 1, true, DeviceValues(1, 0, 0, 0, 0, 0)},
        {"adapter past the list", DeviceValues(7, 1, 1, 0, 1, 1), 255, false, {}},
        {"adapter 255", DeviceValues(255, 1, 1, 0, 1, 1), 255, false, {}},
        {"device type past the list stops reading", DeviceValues(0, 2, 1, 0, 1, 1), 0, true,
         DeviceValues(0, 0, 0, 1, 1, 0)},
        {"pure-device processing falls back, reading goes on", DeviceValues(0, 0, 3, 0, 1, 1), 0, true,
         DeviceValues(0, 0, 0, 0, 1, 1)},
        {"processing past the list falls back", DeviceValues(0, 0, 0x80000000, 1, 4, 5), 0, true,
         DeviceValues(0, 0, 0, 1, 4, 5)},
        {"display format past the list stops reading", DeviceValues(0, 0, 1, 0, 3, 2), 0, true,
         DeviceValues(0, 0, 1, 0, 0, 0)},
        {"depth past the list falls back", DeviceValues(0, 0, 1, 1, 24, 6), 0, true,
         DeviceValues(0, 0, 1, 1, 24, 0)},
        {"window mode on a device without windowed formats", DeviceValues(1, 0, 0, 1, 0, 0), 1, true,
         DeviceValues(1, 0, 0, 1, 0, 0xFFFFFFFF)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        {
            zelktest::RegistryRoot root;
            root.Write(kKey, c.stored);
            ZelkD3D::DestroyD3D();
            ZelkGrD3DDevicePage page(Enumeration(), &ordinal_, root.Key());
            EXPECT_EQ(ordinal_, c.ordinal);
            root.Write(kKey, "adapter ordinal", 0x1234);  // Save must rewrite it
            EXPECT_EQ(page.SaveSettings(), c.saves);
            if (c.saves) {
                EXPECT_EQ(root.Values(kKey), c.saved);
            } else {
                EXPECT_EQ(root.Read(kKey, "adapter ordinal"), 0x1234u);
            }
        }
    }
}

TEST_F(DevicePageTest, FillChainShowsTheSelectedRecords)
{
    UseTwoAdapters();
    auto page = MakePage();
    page->InitDialog();

    const auto& adapters = page->Control(IDC_ZELK_ADAPTER);
    ASSERT_EQ(adapters.items.size(), 2u);
    EXPECT_EQ(adapters.items[1].label, "Forty Characters Of Adapter Des");  // 31 bytes
    EXPECT_EQ(adapters.selected, 0);
    EXPECT_TRUE(adapters.enabled);

    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_DEVICE_TYPE)), "HAL|REF");
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_PROCESSING_TYPE)), "SoftwareTnL|HardwareTnL|MixedTnL");
    EXPECT_TRUE(page->Control(IDC_ZELK_USE_WINDOW_MODE).checked);
    EXPECT_TRUE(page->Control(IDC_ZELK_USE_WINDOW_MODE).enabled);

    const auto& formats = page->Control(IDC_ZELK_DISPLAY_FORMAT);
    ASSERT_EQ(formats.items.size(), 25u);
    EXPECT_EQ(formats.items[0].label, "  X8R8G8B8     R8G8B8");
    EXPECT_EQ(formats.items[1].label, "  X8R8G8B8   A8R8G8B8");
    EXPECT_EQ(formats.items[2].label, "  X8R8G8B8   X8R8G8B8");
    EXPECT_EQ(formats.selected, 1);
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_DEPTH_FORMAT)),
              "D16_LOCKABLE|D24S8|D24X8|D16|D32F_LOCKABLE|D24FS8");
}

TEST_F(DevicePageTest, HandlersChangeTheSelectionsAndRefillWhatDependsOnThem)
{
    UseTwoAdapters();
    auto page = MakePage();
    page->InitDialog();
    page->TakeChanged();

    // Windowed record 15 (X8R8G8B8 on VERTEXDATA) has no depth format.
    page->ComboChanged(IDC_ZELK_DISPLAY_FORMAT, 15);
    EXPECT_EQ(page->TakeChanged(), (std::set<int>{IDC_ZELK_DEPTH_FORMAT}));
    EXPECT_FALSE(page->Control(IDC_ZELK_DEPTH_FORMAT).enabled);
    EXPECT_TRUE(page->Control(IDC_ZELK_DEPTH_FORMAT).items.empty());

    // Full screen keeps its own position; back to windowed finds 15 again.
    page->CheckClicked(IDC_ZELK_USE_WINDOW_MODE, false);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).items.size(), 3u);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).selected, 0);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).items[2].label, "    R5G6B5     R5G6B5");
    page->ComboChanged(IDC_ZELK_DISPLAY_FORMAT, 1);
    page->ComboChanged(IDC_ZELK_DEPTH_FORMAT, 3);
    page->ComboChanged(IDC_ZELK_PROCESSING_TYPE, 2);
    page->CheckClicked(IDC_ZELK_USE_WINDOW_MODE, true);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).selected, 15);
    page->CheckClicked(IDC_ZELK_USE_WINDOW_MODE, false);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), DeviceValues(0, 0, 2, 0, 1, 3));

    // The second adapter has no windowed formats: the box is disabled.
    page->ComboChanged(IDC_ZELK_ADAPTER, 1);
    EXPECT_EQ(ordinal_, 1u);
    EXPECT_FALSE(page->Control(IDC_ZELK_USE_WINDOW_MODE).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_USE_WINDOW_MODE).checked);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).items.size(), 3u);
    page->ComboChanged(IDC_ZELK_DEVICE_TYPE, 1);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), DeviceValues(1, 1, 0, 0, 0, 0));

    // Data that names no record changes nothing.
    page->ComboChanged(IDC_ZELK_ADAPTER, 2);
    page->ComboChanged(IDC_ZELK_DEVICE_TYPE, 9);
    page->ComboChanged(IDC_ZELK_DISPLAY_FORMAT, 3);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), DeviceValues(1, 1, 0, 0, 0, 0));
}

TEST_F(DevicePageTest, MissingAdapterDisablesEverythingUntilDefault)
{
    UseTwoAdapters();
    root_.Write(kKey, DeviceValues(7, 1, 1, 0, 1, 1));
    auto page = MakePage();
    ASSERT_EQ(ordinal_, 255u);
    page->InitDialog();
    for (const int id : kAllControls) {
        EXPECT_FALSE(page->Control(id).enabled) << id;
    }
    EXPECT_TRUE(page->SetActive());
    EXPECT_FALSE(page->SaveSettings());

    // Default picks adapter 0 with its defaults; other adapters keep theirs.
    ZelkD3D* enumeration = Enumeration();
    enumeration->GetAdapterInfo(0)->devices[0].selectedBehaviorIndex = 2;
    enumeration->GetAdapterInfo(0)->selectedDeviceIndex = 1;
    enumeration->GetAdapterInfo(1)->selectedDeviceIndex = 1;
    page->DefaultClicked();
    EXPECT_EQ(ordinal_, 0u);
    EXPECT_EQ(enumeration->GetAdapterInfo(0)->devices[0].selectedBehaviorIndex, 0);
    EXPECT_EQ(enumeration->GetAdapterInfo(1)->selectedDeviceIndex, 1);
    for (const int id : kAllControls) {
        EXPECT_TRUE(page->Control(id).enabled) << id;
    }
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), DeviceValues(0, 0, 0, 1, 1, 0));
}

TEST_F(DevicePageTest, WindowModeWithoutWindowedFormatsLeavesNoActiveRecord)
{
    UseTwoAdapters();
    root_.Write(kKey, DeviceValues(1, 0, 0, 1, 0, 0));
    auto page = MakePage();
    page->InitDialog();
    EXPECT_FALSE(page->Control(IDC_ZELK_USE_WINDOW_MODE).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_DISPLAY_FORMAT).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_DEPTH_FORMAT).enabled);
    // Another device type shows that device's (full-screen) formats.
    page->ComboChanged(IDC_ZELK_DEVICE_TYPE, 1);
    EXPECT_TRUE(page->Control(IDC_ZELK_DISPLAY_FORMAT).enabled);
    EXPECT_EQ(page->Control(IDC_ZELK_DISPLAY_FORMAT).items.size(), 3u);
}

TEST_F(DevicePageTest, RestoreDefaultResetsEveryRecordOfTheAdapter)
{
    ZelkD3D* enumeration = Enumeration();
    zelk::ZelkD3DAdapterInfo& adapter = *enumeration->GetAdapterInfo(0);
    for (zelk::ZelkD3DDeviceInfo& device : adapter.devices) {
        device.selectedBehaviorIndex = 3;
        device.selectedWindowed = false;
        device.selectedFullScreenFormatIndex = 2;
        device.selectedWindowedFormatIndex = 7;
        for (auto* list : {&device.fullScreenFormats, &device.windowedFormats}) {
            for (zelk::ZelkD3DFormatInfo& format : *list) {
                format.selectedDisplayModeIndex = 5;
                format.selectedDepthStencilFormatIndex = 4;
                format.selectedTextureFormatIndex = 3;
                format.selectedBumpMapFormatIndex = 2;
                format.selectedRenderTargetTextureFormatIndex = 1;
                format.selectedDepthTextureFormatIndex = 6;
            }
        }
    }
    adapter.selectedDeviceIndex = 1;
    adapter.RestoreDefault();
    EXPECT_EQ(adapter.selectedDeviceIndex, 0);
    for (const zelk::ZelkD3DDeviceInfo& device : adapter.devices) {
        EXPECT_EQ(device.selectedBehaviorIndex, 0);
        EXPECT_TRUE(device.selectedWindowed);
        EXPECT_EQ(device.selectedFullScreenFormatIndex, 0);
        EXPECT_EQ(device.windowedFormats.at(static_cast<size_t>(device.selectedWindowedFormatIndex)).backBufferFormat,
                  D3DFMT_A8R8G8B8);
        for (const auto* list : {&device.fullScreenFormats, &device.windowedFormats}) {
            for (const zelk::ZelkD3DFormatInfo& format : *list) {
                EXPECT_EQ(format.selectedDisplayModeIndex, 0);
                EXPECT_EQ(format.selectedDepthStencilFormatIndex, format.depthStencilFormats.empty() ? -1 : 0);
                EXPECT_EQ(format.selectedTextureFormatIndex, 0);
                EXPECT_EQ(format.selectedBumpMapFormatIndex, format.bumpMapFormats.empty() ? -1 : 0);
                EXPECT_EQ(format.selectedRenderTargetTextureFormatIndex,
                          format.renderTargetTextureFormats.empty() ? -1 : 0);
                EXPECT_EQ(format.selectedDepthTextureFormatIndex, format.depthTextureFormats.empty() ? -1 : 0);
            }
        }
    }
}

TEST_F(DevicePageTest, KeyThatCannotBeCreatedThrowsAndLogsOnce)
{
    zelk::ZelkRegKey closed;
    try {
        ZelkGrD3DDevicePage page(Enumeration(), &ordinal_, &closed);
        FAIL() << "no exception";
    } catch (const zelk::ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkGrD3DDevicePage::ZelkGrD3DDevicePage");
        EXPECT_EQ(e.message, "The function [ CRegKey::Create ] is failed.");
        EXPECT_TRUE(e.logged);
    }
}

}  // namespace
