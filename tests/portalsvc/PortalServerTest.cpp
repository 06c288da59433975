// The real portal server against a private copy of the sample portal.

#include "ServerProcess.h"

#include "util/LogFile.h"

#include <gmock/gmock.h>

#include <regex>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

std::vector<std::string> deskIds(const fs::path& root)
{
    TPortalBase base(root.string());
    std::vector<std::string> ids;
    for (int zone = 1; zone <= kZoneCount; ++zone)
        for (const std::string& id : base.zoneWebParts(zone))
            ids.push_back(id);
    return ids;
}

// Every src and href of a page that points at a file of the portal.
std::vector<std::string> localReferences(const std::string& html)
{
    std::vector<std::string> refs;
    const std::regex attribute(R"re((?:src|href)="([^"#:]+)")re");
    for (auto it = std::sregex_iterator(html.begin(), html.end(), attribute); it != std::sregex_iterator(); ++it)
        refs.push_back((*it)[1]);
    return refs;
}

// A reference as a browser resolves it from the server's root: ".." stops there.
std::string fromRoot(const std::string& ref)
{
    std::string path = ref.substr(0, ref.find('?'));
    std::vector<std::string> steps;
    std::size_t start = 0;
    while (start <= path.size()) {
        std::size_t end = path.find('/', start);
        if (end == std::string::npos)
            end = path.size();
        const std::string step = path.substr(start, end - start);
        if (step == "..") {
            if (!steps.empty())
                steps.pop_back();
        } else if (!step.empty() && step != ".")
            steps.push_back(step);
        start = end + 1;
    }
    std::string out;
    for (const auto& s : steps)
        out += "/" + s;
    return out.empty() ? "/" : out;
}

} // namespace

TEST_F(ServedPortalTest, ServesTheWholeStartPageAndEverythingItLinks)
{
    // The market part reads a page of the portal's own server.
    const fs::path stocks = root_ / "STORAGE" / "stocks.xml";
    std::string part = ReadFileBytes(stocks);
    for (std::size_t at = part.find("127.0.0.1:8180"); at != std::string::npos; at = part.find("127.0.0.1:8180"))
        part.replace(at, 14, "127.0.0.1:" + std::to_string(port_));
    WriteFileBytes(stocks, part);
    auto server = start();
    for (const char* skin : {"Ocean", "Paper"}) {
        SCOPED_TRACE(skin);
        TPortalBase(root_.string()).setCurrentSkin(skin);
        const THttpReply page = Get(port_, "/");
        ASSERT_EQ(page.status, 200) << page.body;
        EXPECT_THAT(page.headers, HasSubstr("text/html"));
        EXPECT_THAT(page.headers, HasSubstr("no-store"));
        if (std::string(skin) == "Ocean")
            for (int zone = 1; zone <= kZoneCount; ++zone)
                EXPECT_THAT(page.body, HasSubstr("id=\"ZONE" + std::to_string(zone) + "\""));
        else
            for (int zone = 1; zone <= kZoneCount; ++zone)
                EXPECT_THAT(page.body, HasSubstr("id=\"zone" + std::to_string(zone) + "\""));
        for (const std::string& id : deskIds(root_))
            EXPECT_THAT(page.body, HasSubstr("id=\"content_" + id + "\"")) << id;
        EXPECT_EQ(page.body.find("cannot be shown"), std::string::npos) << "every sample part renders";
        EXPECT_NE(page.body.find("Harbour 50"), std::string::npos) << "the market part came from the server itself";

        const std::string css = "../SKINS/" + std::string(skin) + "/skin.css";
        EXPECT_THAT(page.body, HasSubstr("href=\"" + css + "\""));
        for (const std::string& ref : localReferences(page.body)) {
            if (ref.find("remove?") != std::string::npos || ref.find("javascript") == 0)
                continue;
            const THttpReply linked = Get(port_, fromRoot(ref));
            EXPECT_EQ(linked.status, 200) << ref << " as " << fromRoot(ref);
        }
    }
    const THttpReply css = Get(port_, "/SKINS/Ocean/skin.css");
    EXPECT_THAT(css.headers, HasSubstr("Content-Type: text/css"));
    EXPECT_EQ(css.body, ReadFileBytes(root_ / "SKINS" / "Ocean" / "skin.css"));
}

TEST_F(ServedPortalTest, APartWithABrokenXslIsAnErrorBoxAndTheRestStillRenders)
{
    WriteFileBytes(root_ / "STORAGE" / "currency.xml",
                   "<WebPart><Title>Rates</Title><HasFrame>1</HasFrame><ContentType>3</ContentType><Content><r/>"
                   "</Content><XSL><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:template match=\"/\"><xsl:value-of/></xsl:template></xsl:stylesheet></XSL></WebPart>");
    auto server = start();
    const THttpReply page = Get(port_, "/");
    ASSERT_EQ(page.status, 200);
    EXPECT_THAT(page.body, HasSubstr("The web part \"currency\" cannot be shown:"));
    EXPECT_THAT(page.body, HasSubstr("Harbour bridge reopens after repairs"));
    EXPECT_THAT(page.body, HasSubstr("<table class=\"weather\">"));
    // One line per request, and one for the failing part.
    server.reset();
    const std::string log = ReadFileBytes(root_ / "BIN" / "ombrelsvc.log");
    EXPECT_THAT(log, HasSubstr("\tombrelsvc\tGET / 200 "));
    EXPECT_THAT(log, HasSubstr("\tombrelsvc\tWeb part \"currency\" failed: The XSL is not a valid stylesheet"));
}

TEST_F(ServedPortalTest, NothingOutsideThePortalsFilesIsServed)
{
    WriteFileBytes(dir_.path() / "secret.txt", "TOP SECRET");
    fs::create_symlink(dir_.path() / "secret.txt", root_ / "PORTAL" / "leak.txt");
    fs::create_directory_symlink(dir_.path(), root_ / "SKINS" / "Out");
    auto server = start();
    for (const char* target : {"/../secret.txt", "/SKINS/../../secret.txt", "/%2e%2e/secret.txt",
                               "/SKINS/%2E%2E/%2e%2e/secret.txt", "/SKINS/Ocean/..%2f..%2f..%2fsecret.txt",
                               "/%2e%2e%5c%2e%2e%5csecret.txt", "//etc/passwd", "/%2fetc%2fpasswd", "/leak.txt",
                               "/SKINS/Out/secret.txt", "/etc/passwd", "/PORTAL/../../secret.txt",
                               "/TolvStartPageListener.lock", "/%00secret.txt"}) {
        SCOPED_TRACE(target);
        const THttpReply reply = Get(port_, target);
        EXPECT_TRUE(reply.status == 403 || reply.status == 404 || reply.status == 400) << reply.status;
        EXPECT_THAT(reply.body, Not(HasSubstr("TOP SECRET")));
        EXPECT_THAT(reply.body, Not(HasSubstr("root:")));
    }
    EXPECT_EQ(Get(port_, "/%2e%2e/secret.txt").status, 403);
    EXPECT_EQ(Get(port_, "/leak.txt").status, 403);
    EXPECT_EQ(Get(port_, "/SKINS/Ocean/skin.css").status, 200) << "the server still serves after all that";
}

TEST_F(ServedPortalTest, RequestsOverTheSizeLimitsAndOtherMethodsAreRefused)
{
    auto server = start();
    const THttpReply longUri = Get(port_, "/" + std::string(20000, 'a'));
    EXPECT_EQ(longUri.status, 414);
    const THttpReply bigBody = RawRequest(port_, "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                                 "Content-Length: 10000000\r\n\r\n" + std::string(70000, 'x'));
    EXPECT_EQ(bigBody.status, 413);
    const THttpReply post = RawRequest(port_, "POST / HTTP/1.1\r\nHost: 127.0.0.1\r\nConnection: close\r\n"
                                              "Content-Length: 2\r\n\r\nab");
    EXPECT_EQ(post.status, 405);
    EXPECT_EQ(Get(port_, "/").status, 200);
}

TEST_F(ServedPortalTest, TheEndpointsOfTheSkinAnswer)
{
    WriteFileBytes(root_ / "STORAGE" / "news" / "rssoptions.html", "<p>feed options</p>");
    auto server = start();
    const THttpReply onload = Get(port_, "/onload?0");
    EXPECT_EQ(onload.status, 200);
    EXPECT_THAT(onload.headers, HasSubstr("application/javascript"));
    const THttpReply edit = Get(port_, "/edit?ID=news");
    EXPECT_EQ(edit.status, 200);
    EXPECT_EQ(edit.body, "<p>feed options</p>");
    EXPECT_EQ(Get(port_, "/edit?ID=weather").status, 404) << "a part without a settings page";
    EXPECT_EQ(Get(port_, "/edit?ID=../../etc/passwd").status, 404);
    const THttpReply remove = Get(port_, "/remove?ID=news");
    EXPECT_EQ(remove.status, 303);
    EXPECT_THAT(ReadFileBytes(root_ / "PORTAL" / "desk.xml"), HasSubstr("ID=\"news\"")) << "the desk is left alone";
}

TEST_F(ServedPortalTest, OneServerPerPortal)
{
    auto first = start();
    TServerProcess second(root_);
    EXPECT_EQ(second.Wait(10), 3);
    EXPECT_THAT(second.Stderr(), HasSubstr("already runs"));
    EXPECT_EQ(Get(port_, "/SKINS/Ocean/skin.css").status, 200) << "the first one goes on";
}

TEST_F(ServedPortalTest, OnlyTheLoopbackIsServed)
{
    for (const char* address : {"http://0.0.0.0:%d/", "http://192.0.2.7:%d/", "http://example.org:%d/"}) {
        SCOPED_TRACE(address);
        char text[64];
        std::snprintf(text, sizeof text, address, port_);
        TPortalBase(root_.string()).setElement("user/Server", text);
        TServerProcess server(root_);
        EXPECT_EQ(server.Wait(10), 4);
        EXPECT_THAT(server.Stderr(), HasSubstr("only listens on this computer"));
    }
}

TEST_F(ServedPortalTest, StopsByItselfAtItsLimitsAndRotatesItsLog)
{
    auto server = start({"--max-requests", "30", "--log-max-bytes", "1500"});
    for (int i = 0; i < 30; ++i)
        Get(port_, "/SKINS/Ocean/skin.css");
    EXPECT_EQ(server->Wait(10), 0);
    EXPECT_TRUE(fs::exists(root_ / "BIN" / "ombrelsvc.log.1"));
    EXPECT_LE(fs::file_size(root_ / "BIN" / "ombrelsvc.log"), 1500u);
    const std::string last = ReadFileBytes(root_ / "BIN" / "ombrelsvc.log");
    EXPECT_THAT(last, HasSubstr("Stopping: served 30 requests"));

    TServerProcess timed(root_, {"--max-seconds", "1"});
    EXPECT_EQ(timed.Wait(15), 0);
}
