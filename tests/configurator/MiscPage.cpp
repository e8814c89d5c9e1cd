// The misc page's rules: new keys with their defaults, stored values read
// and brought into range, the frame-buffer access boxes, "Default" and Save.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "configurator/ZelkConfiguratorResource.h"
#include "configurator/ZelkGrMiscPage.h"
#include "framework/ZelkException.h"
#include "support/ConfiguratorTestSupport.h"

using zelk::ZelkGrMiscPage;

namespace {

using Values = std::map<std::string, DWORD>;

Values CardStyle(DWORD fbi, DWORD tmus, DWORD tmuMemory, DWORD sli)
{
    return {{"fbi memory size", fbi}, {"number of tmu", tmus}, {"tmu memory size", tmuMemory}, {"enable sli", sli}};
}

Values LfbAccessing(DWORD on, DWORD frontRead, DWORD backRead, DWORD depthRead, DWORD frontWrite, DWORD backWrite,
                    DWORD depthWrite)
{
    return {{"enable lfb accessing", on},          {"enable front buffer reading", frontRead},
            {"enable back buffer reading", backRead}, {"enable depth buffer reading", depthRead},
            {"enable front buffer writing", frontWrite}, {"enable back buffer writing", backWrite},
            {"enable depth buffer writing", depthWrite}};
}

Values Misc(DWORD adjust, DWORD fix, DWORD statistics)
{
    return {{"adjust owner window", adjust}, {"enable ultrahle fix", fix}, {"display rendering statistics", statistics}};
}

class MiscPageTest : public testing::Test {
protected:
    zelktest::RegistryRoot root_;
};

TEST_F(MiscPageTest, NewKeysGetTheDefaults)
{
    ZelkGrMiscPage page(root_.Key());
    EXPECT_EQ(root_.Values("card style"), CardStyle(4, 2, 4, 0));
    EXPECT_EQ(root_.Values("lfb accessing"), LfbAccessing(1, 0, 0, 0, 0, 1, 0));
    EXPECT_EQ(root_.Values("misc"), Misc(0, 0, 0));
}

TEST_F(MiscPageTest, StoredNumbersAreBroughtIntoRangeAndSavedSo)
{
    struct Case {
        Values stored;
        int fbi;
        int tmus;
        int tmuMemory;
        Values saved;
    };
    const Case cases[] = {
        {CardStyle(0, 5, 0xFFFFFFFF, 7), 1, 2, 64, CardStyle(1, 2, 64, 1)},
        {CardStyle(200, 0, 64, 0), 64, 0, 64, CardStyle(64, 0, 64, 0)},
        {{{"number of tmu", 1}}, 4, 1, 4, CardStyle(4, 1, 4, 0)},
    };
    for (const Case& c : cases) {
        zelktest::RegistryRoot root;
        root.Write("card style", c.stored);
        ZelkGrMiscPage page(root.Key());
        page.InitDialog();
        EXPECT_EQ(page.Control(IDC_ZELK_FBI_MEMORY).position, c.fbi);
        EXPECT_EQ(page.Control(IDC_ZELK_NUMBER_OF_TMU).position, c.tmus);
        EXPECT_EQ(page.Control(IDC_ZELK_TMU_MEMORY).position, c.tmuMemory);
        EXPECT_EQ(page.Control(IDC_ZELK_FBI_MEMORY).lower, 1);
        EXPECT_EQ(page.Control(IDC_ZELK_FBI_MEMORY).upper, 64);
        EXPECT_EQ(page.Control(IDC_ZELK_NUMBER_OF_TMU).lower, 0);
        EXPECT_EQ(page.Control(IDC_ZELK_NUMBER_OF_TMU).upper, 2);
        EXPECT_EQ(root.Values("card style").at("number of tmu"), c.stored.count("number of tmu") ? c.stored.at("number of tmu") : 2u);
        ASSERT_TRUE(page.SaveSettings());
        EXPECT_EQ(root.Values("card style"), c.saved);
    }
}

TEST_F(MiscPageTest, FrameBufferBoxesFollowTheAccessSwitch)
{
    root_.Write("lfb accessing", LfbAccessing(1, 1, 1, 0, 1, 0, 1));
    ZelkGrMiscPage page(root_.Key());
    page.InitDialog();
    EXPECT_TRUE(page.Control(IDC_ZELK_FRONT_READING).checked);
    EXPECT_TRUE(page.Control(IDC_ZELK_DEPTH_WRITING).checked);
    EXPECT_TRUE(page.Control(IDC_ZELK_BACK_WRITING).enabled);
    // Front-buffer writing is never shown, yet kept.
    EXPECT_FALSE(page.Control(IDC_ZELK_FRONT_WRITING).checked);
    EXPECT_FALSE(page.Control(IDC_ZELK_FRONT_WRITING).enabled);

    page.CheckClicked(IDC_ZELK_ENABLE_LFB, false);
    for (const int id : {IDC_ZELK_FRONT_READING, IDC_ZELK_BACK_READING, IDC_ZELK_DEPTH_READING,
                         IDC_ZELK_FRONT_WRITING, IDC_ZELK_BACK_WRITING, IDC_ZELK_DEPTH_WRITING}) {
        EXPECT_FALSE(page.Control(id).checked) << id;
        EXPECT_FALSE(page.Control(id).enabled) << id;
    }
    ASSERT_TRUE(page.SaveSettings());
    EXPECT_EQ(root_.Values("lfb accessing"), LfbAccessing(0, 1, 1, 0, 1, 0, 1));

    page.CheckClicked(IDC_ZELK_ENABLE_LFB, true);
    EXPECT_TRUE(page.Control(IDC_ZELK_BACK_READING).checked);
    page.CheckClicked(IDC_ZELK_BACK_READING, false);
    page.CheckClicked(IDC_ZELK_ENABLE_SLI, true);
    page.CheckClicked(IDC_ZELK_RENDERING_STATISTICS, true);
    page.CheckClicked(IDC_ZELK_ULTRAHLE_FIX, true);
    page.UpDownPosition(IDC_ZELK_FBI_MEMORY, 16);
    page.UpDownPosition(IDC_ZELK_NUMBER_OF_TMU, 1);
    page.UpDownPosition(IDC_ZELK_TMU_MEMORY, 8);
    ASSERT_TRUE(page.SaveSettings());
    EXPECT_EQ(root_.Values("card style"), CardStyle(16, 1, 8, 1));
    EXPECT_EQ(root_.Values("lfb accessing"), LfbAccessing(1, 1, 0, 0, 1, 0, 1));
    EXPECT_EQ(root_.Values("misc"), Misc(0, 1, 1));

    // Default clears front-buffer writing as well.
    page.DefaultClicked();
    EXPECT_EQ(page.Control(IDC_ZELK_FBI_MEMORY).position, 4);
    ASSERT_TRUE(page.SaveSettings());
    EXPECT_EQ(root_.Values("card style"), CardStyle(4, 2, 4, 0));
    EXPECT_EQ(root_.Values("lfb accessing"), LfbAccessing(1, 0, 0, 0, 0, 1, 0));
    EXPECT_EQ(root_.Values("misc"), Misc(0, 0, 0));
}

TEST_F(MiscPageTest, KeyThatCannotBeCreatedThrowsLogged)
{
    zelk::ZelkRegKey closed;
    try {
        ZelkGrMiscPage page(&closed);
        FAIL() << "no exception";
    } catch (const zelk::ZelkException& e) {
        EXPECT_EQ(e.functionName, "ZelkGrMiscPage::ZelkGrMiscPage");
        EXPECT_TRUE(e.logged);
    }
}

}  // namespace
