// Portal settings, skins, folders and the choice of the portal root.

#include "PortalTestSupport.h"

#include "portal/BaseITF.h"
#include "portal/PortalRoot.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::ElementsAre;
using ::testing::HasSubstr;

namespace {
class SettingsTest : public PortalCopyTest {};
} // namespace

TEST_F(SettingsTest, FoldersAreNativeAbsoluteAndEndWithADelimiter)
{
    TPortalBase base(root_.string());
    for (const char* folder : {"BIN\\", "PORTAL\\", "SKINS\\", "STORAGE\\", "BIN/", "SKINS"}) {
        SCOPED_TRACE(folder);
        const std::string path = base.absolutePath(folder);
        EXPECT_EQ(path.back(), '/');
        EXPECT_EQ(path.find('\\'), std::string::npos);
        EXPECT_TRUE(fs::is_directory(path));
        EXPECT_TRUE(fs::path(path).is_absolute() || fs::path(root_).is_relative());
    }
    EXPECT_EQ(base.absolutePath("CACHE\\"), (root_ / "CACHE").string() + "/");
    EXPECT_THROW(base.absolutePath("..\\elsewhere\\"), Exception);
    EXPECT_THROW(base.absolutePath("/etc/"), Exception);
    EXPECT_THROW(base.absolutePath("C:\\Windows\\"), Exception);
}

TEST_F(SettingsTest, SettingsAreReadAndWrittenByElementPath)
{
    TPortalBase base(root_.string());
    EXPECT_EQ(base.element("user/Server"), "http://127.0.0.1:8180/");
    EXPECT_EQ(base.element("user/Nothing"), "");
    EXPECT_EQ(base.element("nothing/at/all"), "");
    base.setElement("user/Server", "http://127.0.0.1:9000/");
    base.setElement("view/Theme", "dark & calm");
    TPortalBase reopened(root_.string());
    EXPECT_EQ(reopened.element("user/Server"), "http://127.0.0.1:9000/");
    EXPECT_EQ(reopened.element("view/Theme"), "dark & calm");
    EXPECT_EQ(reopened.element("user/CurrentDesk"), "Default") << "other settings stay";
    EXPECT_THROW(base.setElement("", "x"), Exception);
    EXPECT_THROW(base.setElement("user/bad name", "x"), Exception);
}

TEST_F(SettingsTest, SkinsAreTheFoldersWithASkinFile)
{
    fs::create_directories(root_ / "SKINS" / "Empty");                     // no .cso: not a skin
    WriteFileBytes(root_ / "SKINS" / "amber" / "AMBER.CSO", "<skin/>");    // extension without case
    WriteFileBytes(root_ / "SKINS" / "loose.cso", "<skin/>");              // a file, not a folder
    TPortalBase base(root_.string());
    EXPECT_THAT(base.skins(), ElementsAre("amber", "Ocean", "Paper"));
    InitBase(root_.string());
    EXPECT_EQ(GetSkinList(), "amber\nOcean\nPaper");
}

TEST_F(SettingsTest, CurrentSkinMustExist)
{
    TPortalBase base(root_.string());
    EXPECT_EQ(base.currentSkin(), "Ocean");
    base.setCurrentSkin("paper");
    EXPECT_EQ(base.currentSkin(), "Paper") << "stored with the folder's own spelling";
    EXPECT_THROW(base.setCurrentSkin("Velvet"), Exception);
    EXPECT_EQ(base.currentSkin(), "Paper");

    fs::remove_all(root_ / "SKINS" / "Paper");
    try {
        base.currentSkin();
        ADD_FAILURE() << "a removed skin was current";
    } catch (const Exception& e) {
        EXPECT_THAT(e.message(), HasSubstr("\"Paper\" no longer exists"));
    }
    base.setElement("user/CurrentSkin", "");
    try {
        base.currentSkin();
        ADD_FAILURE() << "no skin was current";
    } catch (const Exception& e) {
        EXPECT_THAT(e.message(), HasSubstr("No skin is current"));
    }
}

TEST(NameListTest, NamesThatCommaTextWouldSplitAreQuoted)
{
    EXPECT_EQ(JoinNameList({}), "");
    EXPECT_EQ(JoinNameList({"a", "b"}), "a\nb");
    EXPECT_EQ(JoinNameList({"My Skin", "x,y", "say \"hi\"", ""}), "\"My Skin\"\n\"x,y\"\n\"say \"\"hi\"\"\"\n\"\"");
}

TEST(PortalBaseTest, CallsBeforeInitBaseFail)
{
    CloseBase();
    EXPECT_THROW(GetDeskList(), Exception);
    EXPECT_THROW(GetAbsolutePath("BIN\\"), Exception);
}

// ---- the portal root ----

TEST(PortalRootTest, OptionThenEnvironmentThenUserCopy)
{
    TTempDir dir;
    const fs::path option = dir.path() / "option", env = dir.path() / "env", sample = dir.path() / "sample";
    fs::create_directories(option);
    fs::create_directories(env);
    WriteFileBytes(sample / "PORTAL" / "desk.xml", "<desks/>");
    const std::string user = (dir.path() / "data" / "Ombrelio" / "portal").string();

    EXPECT_EQ(ResolvePortalRoot({option.string(), env.string(), user, sample.string()}), option.string());
    EXPECT_EQ(ResolvePortalRoot({"", env.string(), user, sample.string()}), env.string());
    EXPECT_FALSE(fs::exists(user)) << "nothing is copied while an override is given";
    EXPECT_EQ(ResolvePortalRoot({"", "", user, sample.string()}), user);
    EXPECT_EQ(ReadFileBytes(fs::path(user) / "PORTAL" / "desk.xml"), "<desks/>");

    // The copy is made once: later starts keep the user's changes.
    WriteFileBytes(fs::path(user) / "PORTAL" / "desk.xml", "<desks><desk ID=\"Mine\"/></desks>");
    EXPECT_EQ(ResolvePortalRoot({"", "", user, sample.string()}), user);
    EXPECT_EQ(ReadFileBytes(fs::path(user) / "PORTAL" / "desk.xml"), "<desks><desk ID=\"Mine\"/></desks>");
    for (const auto& entry : fs::directory_iterator(fs::path(user).parent_path()))
        EXPECT_EQ(entry.path().filename(), "portal") << "no staging folder is left behind";
}

TEST(PortalRootTest, UnusableSourcesGiveClearErrors)
{
    TTempDir dir;
    const std::string missing = (dir.path() / "missing").string();
    struct TCase {
        TPortalRootSources sources;
        const char* message;
    };
    const std::vector<TCase> cases = {
        {{missing, "", "", ""}, "given with --portal does not exist"},
        {{"", missing, "", ""}, "given in WPE_PORTAL_DIR does not exist"},
        {{"", "", (dir.path() / "user").string(), missing}, "sample portal"},
        {{"", "", "", ""}, "No portal folder is known"},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.message);
        try {
            ResolvePortalRoot(c.sources);
            ADD_FAILURE() << "resolved";
        } catch (const Exception& e) {
            EXPECT_THAT(e.message(), HasSubstr(c.message));
        }
    }
    EXPECT_FALSE(fs::exists(dir.path() / "user"));
}

TEST(PortalRootTest, SampleCopyOpensAsAPortal)
{
    const fs::path sample = SamplePortal();
    if (sample.empty())
        GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
    TTempDir dir;
    const std::string user = DefaultUserPortalFolder((dir.path() / "xdg").string(), "/home/nobody");
    const std::string root = ResolvePortalRoot({"", "", user, sample.string()});
    TPortalBase base(root);
    EXPECT_EQ(base.desks().size(), 2u);
    EXPECT_TRUE(fs::exists(base.absolutePath("STORAGE") + "news.xml"));
    EXPECT_TRUE(fs::is_directory(base.absolutePath("CACHE"))) << "made on opening";
}

TEST(PortalRootTest, UserFolderAndOption)
{
    EXPECT_EQ(DefaultUserPortalFolder("/x/data", "/home/u"), "/x/data/Ombrelio/portal");
    EXPECT_EQ(DefaultUserPortalFolder("", "/home/u"), "/home/u/.local/share/Ombrelio/portal");
    EXPECT_EQ(DefaultUserPortalFolder("", ""), "");

    const char* withSpace[] = {"wpeditor", "--portal", "/srv/portal", "file.xml"};
    EXPECT_EQ(PortalOptionFromArgs(4, withSpace), "/srv/portal");
    const char* withEquals[] = {"wpeditor", "file.xml", "--portal=/srv/p2"};
    EXPECT_EQ(PortalOptionFromArgs(3, withEquals), "/srv/p2");
    const char* without[] = {"wpeditor", "file.xml"};
    EXPECT_EQ(PortalOptionFromArgs(2, without), "");
    const char* dangling[] = {"wpeditor", "--portal"};
    EXPECT_THROW(PortalOptionFromArgs(2, dangling), Exception);
    const char* emptyValue[] = {"wpeditor", "--portal="};
    EXPECT_THROW(PortalOptionFromArgs(2, emptyValue), Exception);

    ::setenv("WPE_PORTAL_DIR", "/env/portal", 1);
    ::setenv("XDG_DATA_HOME", "/xdg", 1);
    const TPortalRootSources sources = PortalRootSourcesOfProcess(4, withSpace, "/usr/share/sample");
    EXPECT_EQ(sources.option, "/srv/portal");
    EXPECT_EQ(sources.environment, "/env/portal");
    EXPECT_EQ(sources.userPortal, "/xdg/Ombrelio/portal");
    EXPECT_EQ(sources.sample, "/usr/share/sample");
    ::unsetenv("WPE_PORTAL_DIR");
    ::unsetenv("XDG_DATA_HOME");
}
