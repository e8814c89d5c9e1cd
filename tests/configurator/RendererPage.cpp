// The renderer page's rules: stored values to table positions, what each
// device allows, the fill rules, refills on activation, "Default" and Save.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "common/D3DProxy.h"
#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrRendererPage.h"
#include "framework/ZelkD3D.h"
#include "support/ConfiguratorTestSupport.h"

using zelk::ZelkD3D;
using zelk::ZelkGrRendererPage;
using zelktest::D3DProxy;
using zelktest::D3DProxyCaps;

namespace {

const char* const kKey = "primitive rendering";

using Values = std::map<std::string, DWORD>;

Values RendererValues(DWORD convert, DWORD blending, DWORD shader, DWORD thread, DWORD fog, DWORD strip, DWORD queue,
                      DWORD priority)
{
    return {{"vertex convert function type", convert},
            {"texel blending function type", blending},
            {"vertex shader version", shader},
            {"use background thread", thread},
            {"assume oFog is valid", fog},
            {"use triangle strip", strip},
            {"maximum size of rendering queue", queue},
            {"background thread priority level", priority}};
}

const char* const kAllVertexConverts = "Software|VertexShader for v1.1|VertexShader for v2.0 or higher";

class RendererPageTest : public testing::Test {
protected:
    std::unique_ptr<ZelkGrRendererPage> MakePage()
    {
        enumeration_ = ZelkD3D::GetD3D();
        EXPECT_NE(enumeration_, nullptr);
        return std::make_unique<ZelkGrRendererPage>(enumeration_, &ordinal_, root_.Key());
    }

    zelk::ZelkD3DDeviceInfo& Device() { return enumeration_->GetAdapterInfo(0)->devices[0]; }

    std::string Labels(const ZelkGrRendererPage& page, int id) { return zelktest::JoinLabels(page.Control(id)); }
    std::string Selected(const ZelkGrRendererPage& page, int id) { return page.Control(id).SelectedLabel(); }

    zelktest::EnumerationReset reset_;
    zelktest::RegistryRoot root_;
    ZelkD3D* enumeration_ = nullptr;
    std::uint32_t ordinal_ = 0;
};

TEST_F(RendererPageTest, NewKeyWritesTheDefaults)
{
    auto page = MakePage();
    EXPECT_EQ(root_.Values(kKey), RendererValues(0, 0, 0, 0, 1, 1, 16, 0));
}

TEST_F(RendererPageTest, StoredValuesBecomeTablePositions)
{
    struct Case {
        const char* what;
        Values stored;
        Values saved;
    };
    const Case cases[] = {
        {"every value in its table", RendererValues(2, 0x10000, 0xFF, 1, 0, 0, 100, 3),
         RendererValues(2, 0x10000, 0xFF, 1, 0, 0, 100, 3)},
        {"values outside the tables", RendererValues(7, 1, 5, 2, 9, 0, 0xFFFFFFFF, 0x80000000),
         RendererValues(0, 0, 0, 1, 1, 0, 0xFFFFFFFF, 0x80000000)},
        {"nothing stored", {{"unrelated", 1}}, RendererValues(0, 0, 0, 0, 1, 1, 16, 0)},
        {"shader version 4", {{"vertex shader version", 4}}, RendererValues(0, 0, 4, 0, 1, 1, 16, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        zelktest::RegistryRoot root;
        root.Write(kKey, c.stored);
        ZelkGrRendererPage page(ZelkD3D::GetD3D(), &ordinal_, root.Key());
        ASSERT_TRUE(page.SaveSettings());
        Values saved = root.Values(kKey);
        saved.erase("unrelated");
        EXPECT_EQ(saved, c.saved);
    }
}

TEST_F(RendererPageTest, FillRulesOnWinesDevice)
{
    // Wine: vs_3_0, ps_3_0, VS20Caps 1, processing 0x20 0x40 0x80 0x50.
    auto page = MakePage();
    page->InitDialog();
    EXPECT_EQ(Labels(*page, IDC_ZELK_VERTEX_CONVERT), kAllVertexConverts);
    EXPECT_EQ(Selected(*page, IDC_ZELK_VERTEX_CONVERT), "Software");
    EXPECT_EQ(Labels(*page, IDC_ZELK_TEXEL_BLENDING), "FixedTexelBlendingPipeline|PixelShader v1.3");
    EXPECT_EQ(Labels(*page, IDC_ZELK_SHADER_VERSION), "Un-used");
    EXPECT_TRUE(page->Control(IDC_ZELK_SHADER_VERSION).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_ASSUME_OFOG).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_ASSUME_OFOG).checked);
    EXPECT_FALSE(page->Control(IDC_ZELK_BACKGROUND_THREAD).checked);
    EXPECT_TRUE(page->Control(IDC_ZELK_TRIANGLE_STRIP).checked);

    // Vertex shaders: the fixed pipeline and "Un-used" go; the choices fall to
    // the first allowed entries.
    page->ComboChanged(IDC_ZELK_VERTEX_CONVERT, 1);
    EXPECT_EQ(Labels(*page, IDC_ZELK_TEXEL_BLENDING), "PixelShader v1.3");
    EXPECT_EQ(Selected(*page, IDC_ZELK_TEXEL_BLENDING), "PixelShader v1.3");
    EXPECT_EQ(Labels(*page, IDC_ZELK_SHADER_VERSION), "v1.1|v2.0|v2.x|v2.x software|Highest in this device");
    EXPECT_EQ(Selected(*page, IDC_ZELK_SHADER_VERSION), "v1.1");
    EXPECT_TRUE(page->Control(IDC_ZELK_ASSUME_OFOG).enabled);
    EXPECT_TRUE(page->Control(IDC_ZELK_ASSUME_OFOG).checked);
    page->ComboChanged(IDC_ZELK_SHADER_VERSION, 3);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), RendererValues(1, 0x10000, 3, 0, 1, 1, 16, 0));

    // Hardware processing offers no software shaders; the page refills on
    // activation only when the device choice changed.
    EXPECT_TRUE(page->SetActive());
    page->TakeChanged();
    Device().selectedWindowedFormatIndex = 4;
    EXPECT_TRUE(page->SetActive());
    EXPECT_TRUE(page->TakeChanged().empty());
    Device().selectedBehaviorIndex = 1;
    EXPECT_TRUE(page->SetActive());
    EXPECT_FALSE(page->TakeChanged().empty());
    EXPECT_EQ(Labels(*page, IDC_ZELK_SHADER_VERSION), "v1.1|v2.0|v2.x|Highest in this device");
    EXPECT_EQ(Selected(*page, IDC_ZELK_SHADER_VERSION), "v2.x");
}

TEST_F(RendererPageTest, LimitedShaderCapsLimitTheLists)
{
    struct Case {
        const char* what;
        DWORD vs;
        DWORD ps;
        DWORD clearDevCaps;
        const char* converts;
        const char* blendings;   // with vertex shader 2 when offered
        const char* shaders;     // with vertex shader 2 when offered
        Values saved;            // from a stored (2, 0x10000, 2)
    };
    const Case cases[] = {
        {"vs_1_1 and ps_1_3", D3DVS_VERSION(1, 1), D3DPS_VERSION(1, 3), 0, kAllVertexConverts, "PixelShader v1.3",
         "v1.1|v2.x software|Highest in this device", RendererValues(2, 0x10000, 1, 0, 1, 1, 16, 0)},
        {"ps_1_1", D3DVS_VERSION(3, 0), D3DPS_VERSION(1, 1), 0, "Software", "FixedTexelBlendingPipeline", "Un-used",
         RendererValues(0, 0, 0, 0, 1, 1, 16, 0)},
        {"no vertex shaders", 0, D3DPS_VERSION(2, 0), 0, "Software",
         "FixedTexelBlendingPipeline|PixelShader v1.3", "Un-used", RendererValues(0, 0x10000, 0, 0, 1, 1, 16, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZelkD3D::DestroyD3D();
        D3DProxy proxy;
        D3DProxyCaps caps;
        caps.maxVertexShaderVersion = c.vs;
        caps.maxPixelShaderVersion = c.ps;
        caps.clearDevCaps = c.clearDevCaps;
        proxy.SetCaps(caps);
        zelktest::RegistryRoot root;
        root.Write(kKey, "vertex convert function type", 2);
        root.Write(kKey, "texel blending function type", 0x10000);
        root.Write(kKey, "vertex shader version", 2);
        ZelkGrRendererPage page(ZelkD3D::GetD3D(), &ordinal_, root.Key());
        page.InitDialog();
        EXPECT_EQ(Labels(page, IDC_ZELK_VERTEX_CONVERT), c.converts);
        EXPECT_EQ(Labels(page, IDC_ZELK_TEXEL_BLENDING), c.blendings);
        EXPECT_EQ(Labels(page, IDC_ZELK_SHADER_VERSION), c.shaders);
        EXPECT_EQ(page.Control(IDC_ZELK_ASSUME_OFOG).enabled, std::string(c.converts) == kAllVertexConverts);
        ASSERT_TRUE(page.SaveSettings());
        EXPECT_EQ(root.Values(kKey), c.saved);
        ZelkD3D::DestroyD3D();
    }
}

TEST_F(RendererPageTest, AvailabilityOfShaderVersions)
{
    zelk::ZelkD3DDeviceInfo device;
    device.behaviorFlags = {0x20, 0x40, 0x80, 0x50};
    device.caps.VertexShaderVersion = D3DVS_VERSION(2, 0);
    device.caps.VS20Caps.Caps = 0;
    struct Case {
        INT processing;
        DWORD convert;
        bool expected[6];  // 0, 1, 2, 3, 4, 0xFF
    };
    const Case cases[] = {
        {0, 0, {true, false, false, false, false, false}},
        {0, 1, {false, true, true, false, true, true}},
        {1, 2, {false, true, true, false, false, true}},
        {2, 2, {false, true, true, false, true, true}},
        {3, 2, {false, true, true, false, false, true}},
        {4, 2, {false, false, false, false, false, false}},   // no processing selected
        {-1, 0, {false, false, false, false, false, false}},
    };
    const DWORD versions[6] = {0, 1, 2, 3, 4, 0xFF};
    for (const Case& c : cases) {
        device.selectedBehaviorIndex = c.processing;
        for (int i = 0; i < 6; ++i) {
            EXPECT_EQ(zelk::IsVertexShaderVersionAvailable(versions[i], c.convert, device), c.expected[i])
                << "processing " << c.processing << " convert " << c.convert << " version " << versions[i];
        }
    }
    device.selectedBehaviorIndex = 0;
    device.caps.VS20Caps.Caps = 1;
    EXPECT_TRUE(zelk::IsVertexShaderVersionAvailable(3, 2, device));
    device.caps.VertexShaderVersion = D3DVS_VERSION(1, 1);
    EXPECT_FALSE(zelk::IsVertexShaderVersionAvailable(3, 2, device));
}

TEST_F(RendererPageTest, DefaultRestoresEverythingAndRefills)
{
    root_.Write(kKey, RendererValues(2, 0x10000, 0xFF, 1, 0, 0, 100, 3));
    auto page = MakePage();
    page->InitDialog();
    EXPECT_EQ(Selected(*page, IDC_ZELK_SHADER_VERSION), "Highest in this device");
    EXPECT_TRUE(page->Control(IDC_ZELK_BACKGROUND_THREAD).checked);
    page->DefaultClicked();
    EXPECT_EQ(Selected(*page, IDC_ZELK_VERTEX_CONVERT), "Software");
    EXPECT_EQ(Selected(*page, IDC_ZELK_TEXEL_BLENDING), "FixedTexelBlendingPipeline");
    EXPECT_EQ(Selected(*page, IDC_ZELK_SHADER_VERSION), "Un-used");
    EXPECT_FALSE(page->Control(IDC_ZELK_ASSUME_OFOG).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_ASSUME_OFOG).checked);
    EXPECT_FALSE(page->Control(IDC_ZELK_BACKGROUND_THREAD).checked);
    EXPECT_TRUE(page->Control(IDC_ZELK_TRIANGLE_STRIP).checked);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), RendererValues(0, 0, 0, 0, 1, 1, 16, 0));
}

// A stored adapter that is gone no longer ends the program: the page keeps
// the stored values, shows nothing and refuses to open until an adapter is
// chosen.
TEST_F(RendererPageTest, MissingAdapterKeepsTheStoredValues)
{
    root_.Write(kKey, RendererValues(1, 0x10000, 2, 1, 1, 0, 32, 1));
    ordinal_ = 255;
    auto page = MakePage();
    page->InitDialog();
    for (const int id : {IDC_ZELK_VERTEX_CONVERT, IDC_ZELK_TEXEL_BLENDING, IDC_ZELK_SHADER_VERSION}) {
        EXPECT_EQ(Labels(*page, id), "Empty");
        EXPECT_FALSE(page->Control(id).enabled);
    }
    for (const int id : {IDC_ZELK_BACKGROUND_THREAD, IDC_ZELK_ASSUME_OFOG, IDC_ZELK_TRIANGLE_STRIP}) {
        EXPECT_FALSE(page->Control(id).enabled);
    }
    EXPECT_FALSE(page->SetActive());
    EXPECT_EQ(root_.Values(kKey), RendererValues(1, 0x10000, 2, 1, 1, 0, 32, 1));

    // Once the device page has chosen an adapter the page opens and fills.
    ordinal_ = 0;
    EXPECT_TRUE(page->SetActive());
    EXPECT_EQ(Selected(*page, IDC_ZELK_VERTEX_CONVERT), "VertexShader for v1.1");
    EXPECT_EQ(Selected(*page, IDC_ZELK_SHADER_VERSION), "v2.0");
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), RendererValues(1, 0x10000, 2, 1, 1, 0, 32, 1));
}

}  // namespace
