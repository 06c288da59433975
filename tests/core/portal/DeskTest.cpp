// The desk: zone lists and their changes, checked against desk.xml on disk.

#include "PortalTestSupport.h"

#include "portal/BaseITF.h"
#include "portal/PortalBase.h"

#include <libxml/parser.h>
#include <libxml/xpath.h>

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {

using TZones = std::vector<std::vector<std::string>>;

// The zones of a profile as desk.xml on disk holds them, read with libxml2 so
// the check does not share code with the library.
TZones ZonesOnDisk(const fs::path& deskFile, const std::string& profile)
{
    TZones zones(kZoneCount);
    xmlDocPtr doc = xmlReadFile(deskFile.string().c_str(), nullptr, XML_PARSE_NONET);
    if (doc == nullptr) {
        ADD_FAILURE() << "desk.xml on disk is not well-formed";
        return zones;
    }
    xmlXPathContextPtr ctx = xmlXPathNewContext(doc);
    for (int zone = 1; zone <= kZoneCount; ++zone) {
        const std::string query = "/desks/desk[@ID='" + profile + "']/zone[@ID='" + std::to_string(zone) +
                                  "']//container/@ID";
        xmlXPathObjectPtr result = xmlXPathEvalExpression(reinterpret_cast<const xmlChar*>(query.c_str()), ctx);
        if (result != nullptr && result->nodesetval != nullptr)
            for (int i = 0; i < result->nodesetval->nodeNr; ++i) {
                xmlChar* value = xmlNodeGetContent(result->nodesetval->nodeTab[i]);
                zones[static_cast<std::size_t>(zone - 1)].emplace_back(reinterpret_cast<const char*>(value));
                xmlFree(value);
            }
        xmlXPathFreeObject(result);
    }
    xmlXPathFreeContext(ctx);
    xmlFreeDoc(doc);
    return zones;
}

TZones ZonesOfLibrary(const TPortalBase& base)
{
    TZones zones;
    for (int zone = 1; zone <= kZoneCount; ++zone)
        zones.push_back(base.zoneWebParts(zone));
    return zones;
}

const TZones kDefaultDesk = {{"welcome", "search"},
                             {"clock", "notes"},
                             {"news", "currency", "stocks"},
                             {"weather", "calculator"},
                             {"links", "citation"}};
const TZones kWorkDesk = {{"search"},
                          {"agenda", "notes"},
                          {"novosti", "currency"},
                          {"pogoda", "calculator"},
                          {"goroskop", "links"}};

class DeskTest : public PortalCopyTest {};

} // namespace

TEST_F(DeskTest, SampleProfilesUseAllFiveZonesAndMatchTheFile)
{
    TPortalBase base(root_.string());
    EXPECT_THAT(base.desks(), ElementsAre("Default", "Work"));
    EXPECT_EQ(ZonesOfLibrary(base), kDefaultDesk);
    EXPECT_EQ(ZonesOnDisk(deskFile(), "Default"), kDefaultDesk);
    base.setElement("user/CurrentDesk", "Work");
    EXPECT_EQ(ZonesOfLibrary(base), kWorkDesk);
    EXPECT_EQ(ZonesOnDisk(deskFile(), "Work"), kWorkDesk);
}

// Each profile goes through the same changes; after every step the library,
// the file and a model kept here must agree, and the other profile stays.
class DeskChangesTest : public DeskTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(DeskChangesTest, ListsFollowEveryChangeOnDisk)
{
    const std::string profile = GetParam();
    const std::string other = profile == "Default" ? "Work" : "Default";
    TPortalBase base(root_.string());
    base.setElement("user/CurrentDesk", profile);
    TZones model = profile == "Default" ? kDefaultDesk : kWorkDesk;
    const TZones otherModel = profile == "Default" ? kWorkDesk : kDefaultDesk;

    auto check = [&](const std::string& step) {
        SCOPED_TRACE(profile + ": " + step);
        EXPECT_EQ(ZonesOfLibrary(base), model);
        EXPECT_EQ(ZonesOnDisk(deskFile(), profile), model);
        EXPECT_EQ(ZonesOnDisk(deskFile(), other), otherModel);
    };

    base.insertWebPart("weather2", 2);
    model[1].push_back("weather2");
    check("insert appends to the zone");

    base.moveUpWebPart("weather2");
    std::swap(model[1][model[1].size() - 1], model[1][model[1].size() - 2]);
    check("move up");

    base.moveDownWebPart("weather2");
    std::swap(model[1][model[1].size() - 1], model[1][model[1].size() - 2]);
    check("move down");

    // The zone designer's move: read, delete, insert before the target.
    const std::string moved = model[2].front();
    const std::string target = model[0].back();
    const std::string xml = base.tag("desk/container:" + moved);
    ASSERT_THAT(xml, HasSubstr("ID=\"" + moved + "\""));
    base.deleteTag("desk/container:" + moved);
    model[2].erase(model[2].begin());
    check("tag deleted");
    base.insertTag("desk/container:" + target, xml);
    model[0].insert(model[0].end() - 1, moved);
    check("tag inserted before the target, in the target's zone");

    base.deleteWebPart("weather2");
    model[1].pop_back();
    check("delete");

    base.insertWebPart("brand-new", 5);
    model[4].push_back("brand-new");
    check("insert into the bottom zone");
}

INSTANTIATE_TEST_SUITE_P(BothProfiles, DeskChangesTest, ::testing::Values("Default", "Work"));

TEST_F(DeskTest, MovesAtTheEndsOfAZoneChangeNothing)
{
    TPortalBase base(root_.string());
    const std::string before = ReadFileBytes(deskFile());
    base.moveUpWebPart("news");        // first of zone 3
    base.moveDownWebPart("stocks");    // last of zone 3
    base.moveUpWebPart("welcome");     // first of zone 1
    base.moveDownWebPart("citation");  // last of zone 5
    EXPECT_EQ(ReadFileBytes(deskFile()), before);
    EXPECT_EQ(ZonesOfLibrary(base), kDefaultDesk);
}

TEST_F(DeskTest, AWebPartAddedToAMissingZoneGetsTheZoneInOrder)
{
    WriteFileBytes(deskFile(), "<desks>\r\n  <desk ID=\"Default\">\r\n    <zone ID=\"1\"/>\r\n"
                               "    <zone ID=\"4\"/>\r\n  </desk>\r\n</desks>\r\n");
    TPortalBase base(root_.string());
    base.insertWebPart("clock", 3);
    base.insertWebPart("news", 5);
    EXPECT_THAT(base.zoneWebParts(3), ElementsAre("clock"));
    const std::string text = ReadFileBytes(deskFile());
    EXPECT_LT(text.find("<zone ID=\"1\""), text.find("<zone ID=\"3\""));
    EXPECT_LT(text.find("<zone ID=\"3\""), text.find("<zone ID=\"4\""));
    EXPECT_LT(text.find("<zone ID=\"4\""), text.find("<zone ID=\"5\""));
}

TEST_F(DeskTest, TheDeskIsWrittenOneElementPerLine)
{
    TPortalBase base(root_.string());
    base.insertWebPart("agenda", 1);
    const std::string text = ReadFileBytes(deskFile());
    EXPECT_THAT(text, HasSubstr("\r\n      <container ID=\"agenda\" visible=\"true\"/>\r\n    </zone>\r\n"));
    EXPECT_EQ(text.rfind("<?xml", 0), 0u) << "the declaration stays first";
}

TEST_F(DeskTest, RefusedChangesLeaveTheFileAsItWas)
{
    TPortalBase base(root_.string());
    const std::string before = ReadFileBytes(deskFile());
    struct TCase {
        const char* name;
        std::function<void()> call;
        const char* message;
    };
    const std::vector<TCase> cases = {
        {"zone 0", [&] { base.insertWebPart("x", 0); }, "zones are numbered 1 to 5"},
        {"zone 6", [&] { base.insertWebPart("x", 6); }, "zones are numbered 1 to 5"},
        {"zone text 7", [] { InsertWP("x", "7"); }, "zones are numbered 1 to 5"},
        {"zone text 12", [] { InsertWP("x", "12"); }, "zones are numbered 1 to 5"},
        {"zone text empty", [] { GetZoneWebPartsList(""); }, "zones are numbered 1 to 5"},
        {"empty identifier", [&] { base.insertWebPart("", 3); }, "identifier"},
        {"identifier with a blank", [&] { base.insertWebPart("my part", 3); }, "blank"},
        {"identifier with a comma", [&] { base.insertWebPart("a,b", 3); }, "comma"},
        {"identifier with a path", [&] { base.insertWebPart("../x", 3); }, "path delimiter"},
        {"already on the desk", [&] { base.insertWebPart("news", 1); }, "already on the desk"},
        {"delete unknown", [&] { base.deleteWebPart("nowhere"); }, "not on the desk"},
        {"move up unknown", [&] { base.moveUpWebPart("nowhere"); }, "not on the desk"},
        {"move down unknown", [&] { base.moveDownWebPart("nowhere"); }, "not on the desk"},
        {"delete a web part of the other profile", [&] { base.deleteWebPart("agenda"); }, "not on the desk"},
        {"delete tag unknown", [&] { base.deleteTag("desk/container:nowhere"); }, "no element"},
        {"insert tag before unknown",
         [&] { base.insertTag("desk/container:nowhere", "<container ID=\"x\" visible=\"true\"/>"); }, "no element"},
        {"insert malformed tag", [&] { base.insertTag("desk/container:news", "<container ID=\"x\">"); },
         "not well-formed"},
        {"insert a duplicate", [&] { base.insertTag("desk/container:news", "<container ID=\"clock\"/>"); },
         "already on the desk"},
        {"insert nothing", [&] { base.insertTag("desk/container:news", " <!-- no element --> "); }, "holds no element"},
        {"insert plain text", [&] { base.insertTag("desk/container:news", "just text"); }, "not well-formed"},
        {"path outside the desk", [&] { base.deleteTag("zone/container:news"); }, "desk element path"},
    };
    InitBase(root_.string());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        try {
            c.call();
            ADD_FAILURE() << "was accepted";
        } catch (const Exception& e) {
            EXPECT_THAT(e.message(), HasSubstr(c.message));
        }
        EXPECT_EQ(ReadFileBytes(deskFile()), before);
    }
}

TEST_F(DeskTest, GetTagOfAnAbsentElementIsEmpty)
{
    TPortalBase base(root_.string());
    EXPECT_EQ(base.tag("desk/container:nowhere"), "");
    EXPECT_EQ(base.tag("desk/container:agenda"), "") << "agenda is on the other profile only";
    EXPECT_EQ(base.tag("desk/container:clock"), "<container ID=\"clock\" visible=\"true\"/>");
}

TEST_F(DeskTest, ADamagedDeskIsReportedAndNeverOverwritten)
{
    TPortalBase base(root_.string());
    const std::vector<std::string> damaged = {"", "<desks><desk ID=\"Default\"><zone ID=\"1\">",
                                              "<desks><desk></desks>", "<other/>", "not xml at all"};
    for (const std::string& content : damaged) {
        SCOPED_TRACE(content);
        WriteFileBytes(deskFile(), content);
        EXPECT_THROW(base.insertWebPart("clock2", 1), Exception);
        EXPECT_THROW(base.deleteWebPart("clock"), Exception);
        EXPECT_THROW(base.zoneWebParts(1), Exception);
        EXPECT_EQ(ReadFileBytes(deskFile()), content);
        try {
            TPortalBase reopened(root_.string());
            ADD_FAILURE() << "a damaged desk was opened";
        } catch (const Exception& e) {
            EXPECT_THAT(e.message(), HasSubstr("desk.xml"));
        }
    }
}

TEST_F(DeskTest, MissingOrDamagedPortalFilesStopTheOpening)
{
    struct TCase {
        const char* name;
        std::function<void()> damage;
        const char* message;
    };
    const std::vector<TCase> cases = {
        {"no desk.xml", [&] { fs::remove(deskFile()); }, "desk.xml\" is missing"},
        {"no portal.xml", [&] { fs::remove(settingsFile()); }, "portal.xml\" is missing"},
        {"portal.xml damaged", [&] { WriteFileBytes(settingsFile(), "<portal><user>"); }, "portal.xml"},
        {"portal.xml of another kind", [&] { WriteFileBytes(settingsFile(), "<desks/>"); }, "<portal>"},
        {"current profile not on the desk",
         [&] { WriteFileBytes(settingsFile(), "<portal><user><CurrentDesk>Gone</CurrentDesk></user></portal>"); },
         "\"Gone\" is not in desk.xml"},
        {"no current profile", [&] { WriteFileBytes(settingsFile(), "<portal/>"); }, "No profile is current"},
        {"no portal folder", [&] { fs::remove_all(root_); }, "does not exist"},
    };
    const fs::path sample = SamplePortal();
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(root_);
        fs::copy(sample, root_, fs::copy_options::recursive);
        c.damage();
        try {
            TPortalBase base(root_.string());
            ADD_FAILURE() << "opened";
        } catch (const Exception& e) {
            EXPECT_THAT(e.message(), HasSubstr(c.message));
        }
        EXPECT_FALSE(fs::exists(deskFile()) && ReadFileBytes(deskFile()).empty()) << "no empty desk was written";
    }
}

TEST_F(DeskTest, ProcessWidePortalGivesListsAsLines)
{
    InitBase(root_.string());
    EXPECT_EQ(GetDeskList(), "Default\nWork");
    EXPECT_EQ(GetZoneWebPartsList("3"), "news\ncurrency\nstocks");
    EXPECT_EQ(GetElementEx("user/CurrentDesk"), "Default");
    SetElement("user/CurrentDesk", "Work");
    EXPECT_EQ(GetZoneWebPartsList("1"), "search");
    EXPECT_THAT(InsertWP("clock", "1"), HasSubstr("ID=\"clock\""));
    EXPECT_EQ(GetZoneWebPartsList("1"), "search\nclock");
    MoveUpWebPart("clock");
    EXPECT_EQ(GetZoneWebPartsList("1"), "clock\nsearch");
    DeleteWebPart("clock");
    EXPECT_EQ(GetZoneWebPartsList("1"), "search");
    EXPECT_EQ(GetFNameFromID("novosti"), (root_ / "STORAGE" / "novosti.xml").string());
    EXPECT_THROW(GetFNameFromID("nowhere"), Exception);
    EXPECT_THROW(SetElement("user/CurrentDesk", "Holiday"), Exception);
    EXPECT_EQ(GetElementEx("user/CurrentDesk"), "Work");
}
