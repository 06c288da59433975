// The zone designer's lists: every change is checked against desk.xml as
// libxml2 reads it back, so lists and desk must agree after each step.

#include "DeskOracle.h"

#include "portal/BaseITF.h"
#include "portal/ZoneDesk.h"
#include "util/Exception.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::IsEmpty;
using ::testing::Not;
using TZones = std::vector<std::vector<std::string>>;

namespace {

class ZoneDeskTest : public PortalCopyTest {
protected:
    void SetUp() override
    {
        PortalCopyTest::SetUp();
        if (IsSkipped())
            return;
        InitBase(root_.string());
        ASSERT_EQ(desk.RefreshZones(), "");
    }

    TZones Lists() const
    {
        TZones zones;
        for (int zone = 1; zone <= 5; ++zone)
            zones.push_back(desk.Entries(zone));
        return zones;
    }
    // The lists must equal the current profile's zones in the file.
    void ExpectListsEqualDisk(const std::string& profile = "Default")
    {
        EXPECT_EQ(Lists(), DeskZonesOnDisk(deskFile(), profile));
    }
    std::string Storage(const std::string& name) const { return (root_ / "STORAGE" / name).string(); }

    TZoneDesk desk;
};

} // namespace

// ---- rules without the desk ----

TEST(ZoneRuleTest, OnlyOneDigitFromOneToFiveChoosesTheZone)
{
    for (const char* zone : {"1", "2", "3", "4", "5"})
        EXPECT_EQ(ZoneOfCatalogueValue(zone), zone);
    for (const char* other : {"7", "12", "", "0", "6", " 1", "1 ", "a", "01"})
        EXPECT_EQ(ZoneOfCatalogueValue(other), "3") << '"' << other << '"';
}

TEST(ZoneDragTest, SourcesAreKnownByNameWithoutCase)
{
    EXPECT_TRUE(AcceptZoneDrag("BrowseTree", "zone1", "C:/x/news.xml", nullptr));
    EXPECT_TRUE(AcceptZoneDrag("wplistview", "zone1", "news.xml", nullptr));
    EXPECT_TRUE(AcceptZoneDrag("FILELIST", "zone2", "news.xml", nullptr));
    EXPECT_TRUE(AcceptZoneDrag("Zone5", "zone2", "news", nullptr));
    EXPECT_FALSE(AcceptZoneDrag("FolderTree", "zone2", "news", nullptr));
    EXPECT_FALSE(AcceptZoneDrag("zone6", "zone2", "news", nullptr));
    EXPECT_FALSE(AcceptZoneDrag("", "zone2", "news", nullptr));
    EXPECT_TRUE(IsFileDragSource("browsetree"));
    EXPECT_FALSE(IsFileDragSource("zone1"));
    EXPECT_EQ(ZoneOfListName("ZONE4"), 4);
    EXPECT_EQ(ZoneOfListName("zone0"), 0);
    EXPECT_EQ(ZoneOfListName("lstSkins"), 0);
}

TEST(ZoneDragTest, OwnListRefusesOnlyOverTheDraggedEntry)
{
    const std::string news = "news", clock = "clock";
    EXPECT_FALSE(AcceptZoneDrag("zone3", "zone3", "news", &news));
    EXPECT_TRUE(AcceptZoneDrag("zone3", "zone3", "news", &clock));
    EXPECT_TRUE(AcceptZoneDrag("zone3", "zone3", "news", nullptr));
    // Another list may hold no entry of that name; the same name there is a target.
    EXPECT_TRUE(AcceptZoneDrag("zone2", "zone3", "news", &news));
}

TEST(MoveListEntryTest, SameListLandsBeforeTheEntryUnderTheCursor)
{
    struct Case {
        std::size_t index;
        std::optional<std::size_t> hit;
        TZoneEntries expected;
        std::size_t at;
    };
    const std::vector<Case> cases = {
        {2, 0, {"c", "a", "b", "d"}, 0},             // third onto first: to the top
        {0, 2, {"b", "a", "c", "d"}, 1},             // first onto third: just before it
        {1, std::nullopt, {"a", "c", "d", "b"}, 3},  // below the entries: last
        {3, std::nullopt, {"a", "b", "c", "d"}, 3},  // the last below the entries: stays
        {2, 2, {"a", "b", "c", "d"}, 2},             // onto itself: nothing moves
        {3, 1, {"a", "d", "b", "c"}, 1},
        {0, 3, {"b", "c", "a", "d"}, 2},
        {1, 9, {"a", "c", "d", "b"}, 3},             // a hit past the end counts as none
    };
    for (const Case& c : cases) {
        TZoneEntries list = {"a", "b", "c", "d"};
        EXPECT_EQ(MoveListEntry(list, list, c.index, c.hit), c.at) << c.index;
        EXPECT_EQ(list, c.expected) << "index " << c.index;
    }
}

TEST(MoveListEntryTest, BetweenListsInsertsAtTheHitOrAppends)
{
    TZoneEntries from = {"a", "b"}, to = {"x", "y"};
    EXPECT_EQ(MoveListEntry(from, to, 1, 0), 0u);
    EXPECT_EQ(to, (TZoneEntries{"b", "x", "y"}));
    EXPECT_EQ(from, (TZoneEntries{"a"}));
    EXPECT_EQ(MoveListEntry(from, to, 0, std::nullopt), 3u);
    EXPECT_EQ(to, (TZoneEntries{"b", "x", "y", "a"}));
    EXPECT_THAT(from, IsEmpty());
    TZoneEntries empty;
    EXPECT_EQ(MoveListEntry(to, empty, 0, std::nullopt), 0u);
    EXPECT_EQ(empty, (TZoneEntries{"b"}));
    EXPECT_EQ(MoveListEntry(from, to, 0, std::nullopt), std::nullopt);  // nothing at that index
}

// ---- the lists over the sample desk ----

TEST_F(ZoneDeskTest, RefreshShowsTheCurrentProfile)
{
    EXPECT_THAT(desk.Entries(3), ElementsAre("news", "currency", "stocks"));
    ExpectListsEqualDisk();
    SetElement("user/CurrentDesk", "Work");
    EXPECT_EQ(desk.RefreshZones(), "");
    EXPECT_THAT(desk.Entries(1), ElementsAre("search"));
    ExpectListsEqualDisk("Work");
}

TEST_F(ZoneDeskTest, AddFromTheCatalogueGoesToItsZoneOrTheMiddle)
{
    EXPECT_EQ(desk.AddWebPart(Storage("agenda.xml"), "7"), 3);
    EXPECT_EQ(desk.Entries(3).back(), "agenda");
    EXPECT_EQ(desk.AddWebPart(Storage("pogoda.xml"), "12"), 3);
    EXPECT_EQ(desk.AddWebPart(Storage("novosti.xml"), ""), 3);
    EXPECT_EQ(desk.AddWebPart(Storage("goroskop.xml"), "5"), 5);
    EXPECT_THAT(desk.Entries(3), ElementsAre("news", "currency", "stocks", "agenda", "pogoda", "novosti"));
    EXPECT_THAT(desk.Entries(5), ElementsAre("links", "citation", "goroskop"));
    ExpectListsEqualDisk();
    EXPECT_EQ(desk.AddWebPart("", "1"), 0);
    ExpectListsEqualDisk();
}

TEST_F(ZoneDeskTest, ZoneEntryDropsLandWhereTheListsSay)
{
    // third onto first, first onto third, within zone 3
    EXPECT_EQ(desk.Drop(3, 2, 3, 0), 0u);
    EXPECT_THAT(desk.Entries(3), ElementsAre("stocks", "news", "currency"));
    ExpectListsEqualDisk();
    EXPECT_EQ(desk.Drop(3, 0, 3, 2), 1u);
    EXPECT_THAT(desk.Entries(3), ElementsAre("news", "stocks", "currency"));
    ExpectListsEqualDisk();
    // from zone 2 onto the second entry of zone 4, then below the last of zone 5
    EXPECT_EQ(desk.Drop(2, 0, 4, 1), 1u);
    EXPECT_THAT(desk.Entries(4), ElementsAre("weather", "clock", "calculator"));
    EXPECT_EQ(desk.Drop(2, 0, 5, std::nullopt), 2u);
    EXPECT_THAT(desk.Entries(5), ElementsAre("links", "citation", "notes"));
    EXPECT_THAT(desk.Entries(2), IsEmpty());
    ExpectListsEqualDisk();
    // the first of zone 1 below its own last entry
    EXPECT_EQ(desk.Drop(1, 0, 1, std::nullopt), 1u);
    EXPECT_THAT(desk.Entries(1), ElementsAre("search", "welcome"));
    ExpectListsEqualDisk();
}

TEST_F(ZoneDeskTest, ZoneEntryDroppedIntoAnEmptyZoneMovesInTheDeskToo)
{
    desk.DeleteEntry(2, 1);
    desk.DeleteEntry(2, 0);
    ASSERT_THAT(desk.Entries(2), IsEmpty());
    // Hidden parts keep their attributes on the way.
    const std::string hidden = "<container ID=\"news\" visible=\"false\"/>";
    DeleteTag("desk/container:news");
    InsertTag("desk/container:currency", hidden);
    EXPECT_EQ(desk.Drop(3, 0, 2, std::nullopt), 0u);
    EXPECT_THAT(desk.Entries(2), ElementsAre("news"));
    ExpectListsEqualDisk();
    EXPECT_THAT(XPathValues(deskFile(), "/desks/desk[@ID='Default']/zone[@ID='2']/container/@visible"),
                ElementsAre("false"));
}

TEST_F(ZoneDeskTest, CatalogueDropPositionsAgreeInListAndDesk)
{
    struct Case {
        const char* name;
        std::optional<std::size_t> hit;  // counted after the new entry was appended
        TZoneEntries expected;
    };
    const std::vector<Case> cases = {
        {"onto the first", 0, {"agenda", "news", "currency", "stocks"}},
        {"onto the third", 2, {"news", "currency", "agenda", "stocks"}},
        {"just below the last", 3, {"news", "currency", "stocks", "agenda"}},
        {"far below the last", std::nullopt, {"news", "currency", "stocks", "agenda"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto last = desk.InsertDropped(Storage("agenda.xml"), 3);
        ASSERT_EQ(last, 3u);
        desk.Drop(3, *last, 3, c.hit);
        EXPECT_EQ(desk.Entries(3), c.expected);
        ExpectListsEqualDisk();
        desk.DeleteEntry(3, static_cast<std::size_t>(
                                std::find(c.expected.begin(), c.expected.end(), "agenda") - c.expected.begin()));
    }
}

TEST_F(ZoneDeskTest, FileDropIntoAnEmptyZoneAndRefusedFiles)
{
    desk.DeleteEntry(1, 0);
    desk.DeleteEntry(1, 0);
    const auto last = desk.InsertDropped(Storage("agenda.xml"), 1);
    ASSERT_EQ(last, 0u);
    desk.Drop(1, 0, 1, std::nullopt);
    EXPECT_THAT(desk.Entries(1), ElementsAre("agenda"));
    ExpectListsEqualDisk();
    EXPECT_EQ(desk.InsertDropped("", 1), std::nullopt);
    // Already on the desk, or not a name an identifier can have: refused, desk unchanged.
    EXPECT_THROW(desk.InsertDropped(Storage("news.xml"), 2), Exception);
    EXPECT_THROW(desk.InsertDropped("/tmp/my part.xml", 2), Exception);
    ExpectListsEqualDisk();
}

TEST_F(ZoneDeskTest, UpOnTheFirstAndDownOnTheLastChangeNothing)
{
    const std::string before = ReadFileBytes(deskFile());
    EXPECT_EQ(desk.MoveInZone(3, 0, true), 0u);
    EXPECT_EQ(desk.MoveInZone(3, 2, false), 2u);
    EXPECT_EQ(ReadFileBytes(deskFile()), before);
    EXPECT_EQ(desk.MoveInZone(3, std::nullopt, true), std::nullopt);
    EXPECT_EQ(desk.MoveInZone(3, 1, true), 0u);
    EXPECT_THAT(desk.Entries(3), ElementsAre("currency", "news", "stocks"));
    EXPECT_EQ(desk.MoveInZone(3, 0, false), 1u);
    EXPECT_EQ(desk.MoveInZone(3, 1, false), 2u);
    EXPECT_THAT(desk.Entries(3), ElementsAre("news", "stocks", "currency"));
    ExpectListsEqualDisk();
}

TEST_F(ZoneDeskTest, DeletingSelectsTheLastRemainingEntry)
{
    EXPECT_EQ(desk.DeleteEntry(3, 0), 1u);
    EXPECT_THAT(desk.Entries(3), ElementsAre("currency", "stocks"));
    EXPECT_EQ(desk.DeleteEntry(1, 1), 0u);
    EXPECT_EQ(desk.DeleteEntry(1, 0), std::nullopt);
    EXPECT_THAT(desk.Entries(1), IsEmpty());
    ExpectListsEqualDisk();
}

TEST_F(ZoneDeskTest, MoveToAMissingTargetLosesNothing)
{
    EXPECT_THROW(MoveDeskElement("desk/container:news", "desk/container:nowhere"), Exception);
    EXPECT_EQ(DeskZonesOnDisk(deskFile(), "Default")[2], (TZoneEntries{"news", "currency", "stocks"}));
    // A missing source or the same path changes nothing.
    const std::string before = ReadFileBytes(deskFile());
    MoveDeskElement("desk/container:nowhere", "desk/container:news");
    MoveDeskElement("desk/container:news", "desk/container:news");
    EXPECT_EQ(ReadFileBytes(deskFile()), before);
}

TEST_F(ZoneDeskTest, MalformedDeskKeepsTheListsAndAValidOneRecovers)
{
    const std::string good = ReadFileBytes(deskFile());
    const TZones shown = Lists();
    WriteFileBytes(deskFile(), "<desks><desk ID=\"Default\"><zone ID=\"1\">");
    EXPECT_THAT(desk.RefreshZones(), Not(IsEmpty()));
    EXPECT_EQ(Lists(), shown);
    std::string edited = good;
    edited.replace(edited.find("\"welcome\""), 9, "\"agenda\"");
    WriteFileBytes(deskFile(), edited);
    EXPECT_EQ(desk.RefreshZones(), "");
    EXPECT_THAT(desk.Entries(1), ElementsAre("agenda", "search"));
}
