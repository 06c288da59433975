// The Skins and Profiles lists: the current mark and setting the current one.

#include "DeskOracle.h"

#include "portal/BaseITF.h"
#include "portal/MarkedList.h"
#include "portal/ZoneDesk.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class MarkedListTest : public PortalCopyTest {
protected:
    void SetUp() override
    {
        PortalCopyTest::SetUp();
        if (!IsSkipped())
            InitBase(root_.string());
    }
    std::vector<std::string> SettingOnDisk(const std::string& name)
    {
        return XPathValues(settingsFile(), "/portal/user/" + name);
    }
};

} // namespace

TEST(MarkCurrentTest, FirstEqualNameWithoutCaseIsMarked)
{
    TMarkedList list = MarkCurrent({"Ocean", "paper", "Paper"}, "PAPER");
    EXPECT_THAT(list.entries, ElementsAre("Ocean", "paper [current]", "Paper"));
    EXPECT_EQ(list.current, 1u);
    EXPECT_EQ(MarkCurrent({"a"}, "b").current, std::nullopt);
    EXPECT_EQ(MarkCurrent({}, "b").current, std::nullopt);
}

TEST(MarkCurrentTest, NameOfAnEntryDropsTheMarkAndBlanks)
{
    EXPECT_EQ(NameOfEntry("Default [current]"), "Default");
    EXPECT_EQ(NameOfEntry("  Ocean  "), "Ocean");
    EXPECT_EQ(NameOfEntry("[current]"), "");
    EXPECT_TRUE(IsMarkedEntry("x [current]"));
    EXPECT_FALSE(IsMarkedEntry("current"));
    EXPECT_EQ(SkinFileOf("/p/SKINS/", "Default"), "/p/SKINS/Default/Default.cso");
}

TEST_F(MarkedListTest, SkinFileIsFoundWhateverItsLetterCase)
{
    const fs::path folder = root_ / "SKINS" / "Untitled";
    fs::create_directories(folder);
    std::ofstream(folder / "untitled.cso") << "<skin/>";
    EXPECT_EQ(SkinFileOf((root_ / "SKINS").string() + "/", "Untitled"), (folder / "untitled.cso").string());
}

TEST_F(MarkedListTest, SampleListsMarkTheCurrentSkinAndProfile)
{
    TMarkedList skins = LoadSkinList();
    EXPECT_THAT(skins.entries, ElementsAre("Ocean [current]", "Paper"));
    TMarkedList profiles = LoadProfileList();
    EXPECT_THAT(profiles.entries, ElementsAre("Default [current]", "Work"));
}

TEST_F(MarkedListTest, SettingTheMarkedEntryCallsNothing)
{
    TMarkedList skins = LoadSkinList();
    const std::string before = ReadFileBytes(settingsFile());
    EXPECT_FALSE(SetCurrentSkinEntry(skins, 0));
    EXPECT_FALSE(SetCurrentSkinEntry(skins, std::nullopt));
    EXPECT_FALSE(SetCurrentSkinEntry(skins, 7));
    TMarkedList profiles = LoadProfileList();
    EXPECT_FALSE(SetCurrentProfileEntry(profiles, 0));
    EXPECT_EQ(ReadFileBytes(settingsFile()), before);
}

TEST_F(MarkedListTest, SettingAnotherEntryMarksItAndStoresIt)
{
    TMarkedList skins = LoadSkinList();
    EXPECT_TRUE(SetCurrentSkinEntry(skins, 1));
    EXPECT_THAT(skins.entries, ElementsAre("Ocean", "Paper [current]"));
    EXPECT_EQ(skins.current, 1u);
    EXPECT_THAT(SettingOnDisk("CurrentSkin"), ElementsAre("Paper"));
    EXPECT_EQ(LoadSkinList().entries, skins.entries);
}

TEST_F(MarkedListTest, ProfileSwitchReloadsZonesToThatDesk)
{
    TZoneDesk desk;
    desk.RefreshZones();
    TMarkedList profiles = LoadProfileList();
    EXPECT_TRUE(SetCurrentProfileEntry(profiles, 1));
    EXPECT_THAT(profiles.entries, ElementsAre("Default", "Work [current]"));
    EXPECT_THAT(SettingOnDisk("CurrentDesk"), ElementsAre("Work"));
    EXPECT_EQ(desk.RefreshZones(), "");
    for (int zone = 1; zone <= 5; ++zone)
        EXPECT_EQ(desk.Entries(zone), DeskZonesOnDisk(deskFile(), "Work")[static_cast<std::size_t>(zone - 1)]);
}

TEST_F(MarkedListTest, NoSkinsMeansNoCurrentSkinIsAskedFor)
{
    fs::remove_all(root_ / "SKINS");
    fs::create_directories(root_ / "SKINS");
    TMarkedList skins;
    EXPECT_NO_THROW(skins = LoadSkinList());
    EXPECT_THAT(skins.entries, IsEmpty());
    EXPECT_EQ(skins.current, std::nullopt);
}

TEST_F(MarkedListTest, SkinsWithoutACurrentOneAreListedUnmarked)
{
    fs::remove_all(root_ / "SKINS" / "Ocean");
    TMarkedList skins = LoadSkinList();
    EXPECT_THAT(skins.entries, ElementsAre("Paper"));
    EXPECT_EQ(skins.current, std::nullopt);
}
