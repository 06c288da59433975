// What the portal server may listen on and which files it may hand out.

#include "PortalTestSupport.h"

#include "portal/ServedFiles.h"
#include "portal/ServerAddress.h"
#include "portal/ServerLock.h"
#include "util/Exception.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;

TEST(ServerAddressTest, TakesTheSettingApart)
{
    struct Case {
        const char* text;
        const char* host;
        int port;
    } cases[] = {
        {"http://127.0.0.1:8180/", "127.0.0.1", 8180},
        {"HTTP://localhost:9000/portal/", "localhost", 9000},
        {"127.0.0.1", "127.0.0.1", 80},
        {"  http://[::1]:8080  ", "::1", 8080},
        {"http://127.0.0.1:65535?x", "127.0.0.1", 65535},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TServerAddress a = ParseServerAddress(c.text);
        EXPECT_EQ(a.host, c.host);
        EXPECT_EQ(a.port, c.port);
    }
    for (const char* bad : {"", "ftp://127.0.0.1/", "http://:80/", "http://127.0.0.1:0/", "http://127.0.0.1:70000/",
                            "http://127.0.0.1:8x/", "http://user@127.0.0.1/", "http://[::1/", "http://a b/"}) {
        SCOPED_TRACE(bad);
        EXPECT_THROW(ParseServerAddress(bad), Exception);
    }
    EXPECT_EQ(ServerUrl(ParseServerAddress("http://[::1]:81")), "http://[::1]:81/");
}

TEST(ServerAddressTest, OnlyTheLoopbackIsAccepted)
{
    for (const char* host : {"127.0.0.1", "127.1.2.3", "localhost", "LocalHost", "::1"})
        EXPECT_TRUE(IsLoopbackHost(host)) << host;
    for (const char* host : {"0.0.0.0", "10.0.0.1", "128.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.256", "::",
                             "example.org", "localhost.example.org", ""})
        EXPECT_FALSE(IsLoopbackHost(host)) << host;
    try {
        LoopbackServerAddress("http://0.0.0.0:8180/");
        FAIL() << "an address open to the network was accepted";
    } catch (const Exception& e) {
        EXPECT_THAT(e.message(), HasSubstr("only listens on this computer"));
        EXPECT_THAT(e.message(), HasSubstr("0.0.0.0"));
    }
}

class ServedFilesTest : public PortalCopyTest {};

TEST_F(ServedFilesTest, SkinAndPortalFilesAreFoundInTheirFolders)
{
    const std::string root = root_.string();
    TServedFile css = ResolveServedFile(root, "/SKINS/Ocean/skin.css");
    ASSERT_EQ(css.kind, TServedKind::File) << css.reason;
    EXPECT_TRUE(fs::equivalent(css.path, root_ / "SKINS" / "Ocean" / "skin.css"));
    // The first step is matched without case: pages written by older skins say "skins/".
    EXPECT_EQ(ResolveServedFile(root, "/skins/Ocean/files/edit.svg").kind, TServedKind::File);
    TServedFile js = ResolveServedFile(root, "/portal.js");
    ASSERT_EQ(js.kind, TServedKind::File);
    EXPECT_TRUE(fs::equivalent(js.path, root_ / "PORTAL" / "portal.js"));
    EXPECT_EQ(ResolveServedFile(root, "/SKINS/Ocean/nothing.css").kind, TServedKind::NotFound);
    EXPECT_EQ(ResolveServedFile(root, "/SKINS/Ocean").kind, TServedKind::NotFound) << "a folder is no file";
    EXPECT_EQ(ResolveServedFile(root, "/").kind, TServedKind::NotFound);
}

TEST_F(ServedFilesTest, NothingOutsideTheServedFoldersIsReached)
{
    const std::string root = root_.string();
    WriteFileBytes(dir_.path() / "secret.txt", "secret");
    WriteFileBytes(root_ / "PORTAL" / ".hidden", "hidden");
    fs::create_symlink(dir_.path() / "secret.txt", root_ / "PORTAL" / "link.txt");
    fs::create_directory_symlink(dir_.path(), root_ / "SKINS" / "Escape");
    fs::create_symlink(root_ / "PORTAL" / "portal.js", root_ / "PORTAL" / "inside.js");
    for (const char* path : {"/../secret.txt", "/SKINS/../../secret.txt", "/SKINS/Ocean/../../../secret.txt", "/..",
                             "//etc/passwd", "/C:/Windows/win.ini", "/SKINS\\..\\..\\secret.txt", "/.hidden",
                             "/link.txt", "/SKINS/Escape/secret.txt", "/./portal.js", "/a\x01.txt", "relative",
                             "/TolvStartPageListener.lock"}) {
        SCOPED_TRACE(path);
        const TServedFile served = ResolveServedFile(root, path);
        EXPECT_NE(served.kind, TServedKind::File);
    }
    EXPECT_EQ(ResolveServedFile(root, "/link.txt").kind, TServedKind::Forbidden);
    EXPECT_EQ(ResolveServedFile(root, "/inside.js").kind, TServedKind::File) << "a link that stays inside is fine";
}

TEST(ServedFilesMediaTest, KnownTypesByExtension)
{
    EXPECT_EQ(MediaTypeOf("a/skin.CSS"), "text/css");
    EXPECT_EQ(MediaTypeOf("edit.svg"), "image/svg+xml");
    EXPECT_EQ(MediaTypeOf("page.html"), "text/html; charset=utf-8");
    EXPECT_EQ(MediaTypeOf("noext"), "application/octet-stream");
}

TEST(ServerLockTest, OneHolderAtATimeAndFreedOnRelease)
{
    TTempDir dir;
    fs::create_directories(dir.path() / "PORTAL");
    const std::string root = dir.str();
    EXPECT_FALSE(IsPortalServerRunning(root));
    {
        TPortalServerLock first;
        ASSERT_TRUE(first.TryAcquire(PortalServerLockFile(root)));
        EXPECT_TRUE(IsPortalServerRunning(root));
        TPortalServerLock second;
        EXPECT_FALSE(second.TryAcquire(PortalServerLockFile(root)));
    }
    EXPECT_FALSE(IsPortalServerRunning(root)) << "released with its holder";
    // A portal without its PORTAL folder cannot be tested, which counts as running.
    EXPECT_TRUE(IsPortalServerRunning((dir.path() / "missing").string()));
}
