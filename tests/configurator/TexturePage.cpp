// The texture page's rules: stored formats checked against the active
// format record and the conversion rule, the per-slot lists and
// preferences, refills, "Default" and Save.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>

#include "common/D3DProxy.h"
#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrD3DDevicePage.h"
#include "configurator/ZelkGrTexturePage.h"
#include "framework/ZelkD3D.h"
#include "support/ConfiguratorTestSupport.h"

using zelk::ZelkD3D;
using zelk::ZelkGrTexturePage;
using zelktest::D3DProxy;

namespace {

const char* const kKey = "texture setting";

using Values = std::map<std::string, DWORD>;

// The thirteen formats in slot order, then the two switches.
Values TextureValues(const DWORD (&formats)[13], DWORD anisotropic, DWORD mipmap)
{
    const char* const names[13] = {"R3G3B2",   "Y4I2Q2", "A8",   "L8", "A4L4", "A4R4G4B4", "A1R5G5B5",
                                   "R5G6B5",   "A8Y4I2Q2", "A8L8", "P8", "A8P8", "A8R3G3B2"};
    Values values;
    for (int i = 0; i < 13; ++i) {
        values[names[i]] = formats[i];
    }
    values["force anisotropic filtering"] = anisotropic;
    values["create mipmap"] = mipmap;
    return values;
}

// What Wine's default windowed record (X8R8G8B8 on A8R8G8B8) gives every slot:
// no R3G3B2, A4L4, A8R3G3B2, P8 or A8P8 textures there, and alpha-8 texels
// go into A8L8, which has their alpha in its colour too.
const DWORD kWineChoices[13] = {23, 1000, 51, 50, 51, 26, 25, 23, 1000, 51, 22, 21, 21};

class TexturePageTest : public testing::Test {
protected:
    std::unique_ptr<ZelkGrTexturePage> MakePage()
    {
        enumeration_ = ZelkD3D::GetD3D();
        EXPECT_NE(enumeration_, nullptr);
        return std::make_unique<ZelkGrTexturePage>(enumeration_, &ordinal_, root_.Key());
    }

    zelktest::EnumerationReset reset_;
    zelktest::RegistryRoot root_;
    ZelkD3D* enumeration_ = nullptr;
    std::uint32_t ordinal_ = 0;
};

TEST_F(TexturePageTest, NewKeyHoldsNoChoiceUntilFilled)
{
    const DWORD notChosen[13] = {1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002};
    auto page = MakePage();
    EXPECT_EQ(root_.Values(kKey), TextureValues(notChosen, 0, 1));
    page->InitDialog();
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(kWineChoices, 0, 1));
}

TEST_F(TexturePageTest, ListsOfferConvertibleFormatsOnly)
{
    auto page = MakePage();
    page->InitDialog();
    const char* const rgb =
        "A8R8G8B8|X8R8G8B8|R5G6B5|X1R5G5B5|A1R5G5B5|A4R4G4B4|A8|X4R4G4B4|A2B10G10R10|A8B8G8R8|X8B8G8R8|G16R16|"
        "A2R10G10B10|A16B16G16R16|L8|A8L8|DXT1|DXT2|DXT3|DXT4|DXT5|L16|R16F|G16R16F|A16B16G16R16F|R32F|G32R32F|"
        "A32B32G32R32F";
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_TEX_R3G3B2)), rgb);
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_TEX_P8)), rgb);
    // Alpha-8 texels are never kept in an alpha-only format.
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_TEX_A8)),
              "A8R8G8B8|X8R8G8B8|R5G6B5|X1R5G5B5|A1R5G5B5|A4R4G4B4|X4R4G4B4|A2B10G10R10|A8B8G8R8|X8B8G8R8|G16R16|"
              "A2R10G10B10|A16B16G16R16|L8|A8L8|DXT1|DXT2|DXT3|DXT4|DXT5|L16|R16F|G16R16F|A16B16G16R16F|R32F|"
              "G32R32F|A32B32G32R32F");
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_A8).SelectedLabel(), "A8L8");
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_R3G3B2).SelectedLabel(), "R5G6B5");
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_P8).SelectedLabel(), "X8R8G8B8");
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_A8P8).SelectedLabel(), "A8R8G8B8");
    EXPECT_TRUE(page->Control(IDC_ZELK_TEX_R3G3B2).enabled);
    for (const int id : {IDC_ZELK_TEX_Y4I2Q2, IDC_ZELK_TEX_A8Y4I2Q2}) {
        EXPECT_EQ(zelktest::JoinLabels(page->Control(id)), "Unsupported With zelkGlide");
        EXPECT_FALSE(page->Control(id).enabled);
    }
    EXPECT_TRUE(page->Control(IDC_ZELK_CREATE_MIPMAP).checked);
    EXPECT_FALSE(page->Control(IDC_ZELK_FORCE_ANISOTROPIC).checked);

    // Only offered formats can be picked.
    page->ComboChanged(IDC_ZELK_TEX_A8, 77);   // D24X8
    page->ComboChanged(IDC_ZELK_TEX_A8, 1001);
    page->ComboChanged(IDC_ZELK_TEX_L8, 22);
    page->CheckClicked(IDC_ZELK_FORCE_ANISOTROPIC, true);
    page->CheckClicked(IDC_ZELK_CREATE_MIPMAP, false);
    ASSERT_TRUE(page->SaveSettings());
    const DWORD picked[13] = {23, 1000, 51, 22, 51, 26, 25, 23, 1000, 51, 22, 21, 21};
    EXPECT_EQ(root_.Values(kKey), TextureValues(picked, 1, 0));
}

TEST_F(TexturePageTest, PreferencesFallBackInOrder)
{
    struct Case {
        const char* what;
        std::set<D3DFORMAT> unsupported;
        DWORD r3g3b2;
        DWORD a8r3g3b2;
    };
    const Case cases[] = {
        {"all there", {}, 23, 21},
        {"no R5G6B5", {D3DFMT_R5G6B5}, 22, 21},
        {"no A8R8G8B8, A4R4G4B4 or A1R5G5B5: the first offered format",
         {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 23, 22},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        ZelkD3D::DestroyD3D();
        D3DProxy proxy;
        proxy.SetUnsupportedFormats(c.unsupported);
        zelktest::RegistryRoot root;
        ZelkGrTexturePage page(ZelkD3D::GetD3D(), &ordinal_, root.Key());
        page.InitDialog();
        EXPECT_EQ(page.SlotFormat(0), c.r3g3b2);
        EXPECT_EQ(page.SlotFormat(12), c.a8r3g3b2);
        ZelkD3D::DestroyD3D();
    }
}

TEST_F(TexturePageTest, StoredFormatsMustBeOfferedAndConvertible)
{
    root_.Write(kKey, "R3G3B2", 1000);   // no format
    root_.Write(kKey, "A8", 22);         // X8R8G8B8: offered and convertible
    root_.Write(kKey, "L8", 51);         // A8L8
    root_.Write(kKey, "R5G6B5", 77);     // D24X8: offered, never a texture for Glide
    root_.Write(kKey, "A4L4", 52);       // not offered by Wine
    root_.Write(kKey, "P8", 60);         // V8U8: offered, excluded
    root_.Write(kKey, "Y4I2Q2", 22);     // never converted
    root_.Write(kKey, "force anisotropic filtering", 5);
    root_.Write(kKey, "create mipmap", 0);
    auto page = MakePage();
    const DWORD read[13] = {1002, 1002, 22, 51, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002, 1002};
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(read, 1, 0));

    page->InitDialog();
    const DWORD filled[13] = {23, 1000, 22, 51, 51, 26, 25, 23, 1000, 51, 22, 21, 21};
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(filled, 1, 0));
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_A8).SelectedLabel(), "X8R8G8B8");
}

// "Use WindowMode" on a device without windowed formats leaves no active
// format record: every list shows that nothing is supported.
TEST_F(TexturePageTest, NoActiveRecordOffersNothing)
{
    D3DProxy proxy;
    zelktest::D3DProxyAdapter only;
    only.noWindowedFormats = true;
    proxy.SetAdapters({only});
    root_.Write("direct3d device setting", "use window mode", 1);
    root_.Write(kKey, "A8", 28);
    enumeration_ = ZelkD3D::GetD3D();
    zelk::ZelkGrD3DDevicePage device(enumeration_, &ordinal_, root_.Key());
    ZelkGrTexturePage page(enumeration_, &ordinal_, root_.Key());
    page.InitDialog();
    EXPECT_TRUE(page.SetActive());
    for (const int id : {IDC_ZELK_TEX_R3G3B2, IDC_ZELK_TEX_A8, IDC_ZELK_TEX_A8R3G3B2}) {
        EXPECT_EQ(zelktest::JoinLabels(page.Control(id)), "Unsupported With This Device");
        EXPECT_FALSE(page.Control(id).enabled);
    }
    ASSERT_TRUE(page.SaveSettings());
    const DWORD none[13] = {1001, 1000, 1001, 1001, 1001, 1001, 1001, 1001, 1000, 1001, 1001, 1001, 1001};
    EXPECT_EQ(root_.Values(kKey), TextureValues(none, 0, 1));
}

TEST_F(TexturePageTest, RefillsWhenTheActiveRecordChanges)
{
    auto page = MakePage();
    page->InitDialog();
    page->TakeChanged();
    zelk::ZelkD3DDeviceInfo& device = enumeration_->GetAdapterInfo(0)->devices[0];
    EXPECT_TRUE(page->SetActive());
    EXPECT_TRUE(page->TakeChanged().empty());
    // Both lists stand at position 0, yet the record is another one.
    device.selectedWindowed = false;
    EXPECT_TRUE(page->SetActive());
    EXPECT_EQ(page->TakeChanged().size(), 15u);
    device.selectedFullScreenFormatIndex = 2;
    EXPECT_TRUE(page->SetActive());
    EXPECT_EQ(page->TakeChanged().size(), 15u);
    device.selectedBehaviorIndex = 1;  // processing is no concern of this page
    EXPECT_TRUE(page->SetActive());
    EXPECT_TRUE(page->TakeChanged().empty());
}

TEST_F(TexturePageTest, DefaultTakesThePreferredFormatsAgain)
{
    auto page = MakePage();
    page->InitDialog();
    page->ComboChanged(IDC_ZELK_TEX_R3G3B2, 21);
    page->ComboChanged(IDC_ZELK_TEX_P8, 23);
    page->CheckClicked(IDC_ZELK_FORCE_ANISOTROPIC, true);
    page->CheckClicked(IDC_ZELK_CREATE_MIPMAP, false);
    page->DefaultClicked();
    EXPECT_TRUE(page->Control(IDC_ZELK_CREATE_MIPMAP).checked);
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(kWineChoices, 0, 1));
}

TEST_F(TexturePageTest, MissingAdapterKeepsTheKeyAndRefusesToOpen)
{
    const DWORD stored[13] = {27, 1000, 28, 50, 52, 26, 25, 23, 1000, 51, 41, 40, 29};
    root_.Write(kKey, TextureValues(stored, 1, 0));
    ordinal_ = 255;
    auto page = MakePage();
    page->InitDialog();
    EXPECT_EQ(zelktest::JoinLabels(page->Control(IDC_ZELK_TEX_A8)), "Unsupported With This Device");
    EXPECT_FALSE(page->Control(IDC_ZELK_TEX_A8).enabled);
    EXPECT_FALSE(page->Control(IDC_ZELK_CREATE_MIPMAP).enabled);
    EXPECT_FALSE(page->SetActive());
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(stored, 1, 0));

    // Once an adapter is chosen the first fill checks the kept values: the
    // stored A8 cannot hold alpha-8 texels and gives way to A8L8.
    ordinal_ = 0;
    EXPECT_TRUE(page->SetActive());
    EXPECT_EQ(page->Control(IDC_ZELK_TEX_A8).SelectedLabel(), "A8L8");
    ASSERT_TRUE(page->SaveSettings());
    EXPECT_EQ(root_.Values(kKey), TextureValues(kWineChoices, 1, 0));
}

}  // namespace
