// Linked content of web parts: downloads, the cache's timeouts, and parts
// whose content or XSL sits behind a link.

#include "PortalTestSupport.h"

#include "portal/ContentCache.h"
#include "portal/StartPage.h"
#include "util/Exception.h"

#include <gmock/gmock.h>

#include <map>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;
using namespace std::chrono_literals;

namespace {

// A web that answers from a map and counts what it was asked.
struct TFakeWeb {
    std::map<std::string, std::string> pages;
    std::vector<std::string> asked;

    TContentCache::TFetch fetch()
    {
        return [this](const std::string& url) {
            asked.push_back(url);
            auto it = pages.find(url);
            if (it == pages.end())
                throw Exception("Cannot download " + url + ": host not found");
            return it->second;
        };
    }
};

} // namespace

TEST(CachePolicyTest, ReadsThePartsTexts)
{
    EXPECT_TRUE(TCachePolicy::FromTexts("2", "21600").Caches());
    EXPECT_EQ(TCachePolicy::FromTexts("1", " 60 ").timeoutSeconds, 60);
    EXPECT_FALSE(TCachePolicy::FromTexts("0", "21600").Caches()) << "None";
    EXPECT_FALSE(TCachePolicy::FromTexts("2", "").Caches()) << "no timeout";
    EXPECT_FALSE(TCachePolicy::FromTexts("7", "60").Caches());
    EXPECT_FALSE(TCachePolicy::FromTexts("2", "-5").Caches());
    EXPECT_FALSE(TCachePolicy::FromTexts("x", "1h").Caches());
}

TEST(ContentCacheTest, FreshCopiesSaveDownloadsAndStaleOnesAreRenewed)
{
    TTempDir dir;
    TFakeWeb web;
    web.pages["http://feeds/a"] = "first";
    auto now = std::chrono::system_clock::now();
    TContentCache cache((dir.path() / "CACHE").string(), web.fetch(), [&now] { return now; });
    const TCachePolicy hour{2, 3600};

    EXPECT_EQ(cache.Get("http://feeds/a", hour), "first");
    web.pages["http://feeds/a"] = "second";
    now += 30min;
    EXPECT_EQ(cache.Get("http://feeds/a", hour), "first") << "younger than its timeout";
    EXPECT_EQ(web.asked.size(), 1u);
    now += 31min;
    EXPECT_EQ(cache.Get("http://feeds/a", hour), "second") << "older than its timeout";
    EXPECT_EQ(web.asked.size(), 2u);

    // A part without caching downloads every time and keeps nothing.
    web.pages["http://feeds/b"] = "b";
    cache.Get("http://feeds/b", {0, 0});
    cache.Get("http://feeds/b", {0, 0});
    EXPECT_EQ(web.asked.size(), 4u);
    EXPECT_FALSE(fs::exists(cache.CacheFileOf("http://feeds/b")));
}

TEST(ContentCacheTest, AFailedDownloadFallsBackToAnOlderCopyOrRaises)
{
    TTempDir dir;
    TFakeWeb web;
    web.pages["http://feeds/a"] = "kept";
    auto now = std::chrono::system_clock::now();
    TContentCache cache(dir.str(), web.fetch(), [&now] { return now; });
    cache.Get("http://feeds/a", {1, 60});
    web.pages.clear();
    now += 1h;
    EXPECT_EQ(cache.Get("http://feeds/a", {1, 60}), "kept");
    try {
        cache.Get("http://feeds/none", {1, 60});
        FAIL();
    } catch (const Exception& e) {
        EXPECT_THAT(e.message(), HasSubstr("http://feeds/none"));
    }
    EXPECT_NE(cache.CacheFileOf("http://feeds/a"), cache.CacheFileOf("http://feeds/b"));
}

class LinkedPartTest : public PortalCopyTest {
protected:
    void writePart(const std::string& id, const std::string& body)
    {
        WriteFileBytes(root_ / "STORAGE" / (id + ".xml"),
                       "<?xml version=\"1.0\" encoding=\"UTF-8\"?><WebPart><Title>T " + id +
                           "</Title><HasFrame>1</HasFrame>" + body + "</WebPart>");
    }
};

TEST_F(LinkedPartTest, ContentAndXslBehindLinksAreFetchedOrReadFromThePartsFolder)
{
    const std::string xsl = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                            "<xsl:template match=\"/\"><b>got <xsl:value-of select=\"/n\"/></b></xsl:template>"
                            "</xsl:stylesheet>";
    TFakeWeb web;
    web.pages["http://feeds/n.xml"] = "<n>from the web</n>";
    web.pages["http://feeds/page.html"] = "<i>remote html</i>";
    writePart("weather", "<ContentType>3</ContentType><ContentLink>http://feeds/n.xml</ContentLink>"
                         "<XSLLink>view.xsl</XSLLink><CacheBehavior>2</CacheBehavior><CacheTimeout>600</CacheTimeout>");
    WriteFileBytes(root_ / "STORAGE" / "weather" / "view.xsl", xsl);
    writePart("calculator", "<ContentType>0</ContentType><ContentLink>http://feeds/page.html</ContentLink>");
    writePart("clock", "<ContentType>3</ContentType><ContentLink>http://feeds/missing</ContentLink>"
                       "<XSL>" + xsl + "</XSL>");
    writePart("notes", "<ContentType>3</ContentType><Content><n/></Content><XSLLink>../../PORTAL/desk.xsl</XSLLink>");

    TPortalBase base(root_.string());
    TContentCache cache((root_ / "CACHE").string(), web.fetch());
    TStartPageOptions options;
    options.cache = &cache;
    std::vector<std::string> failed;
    options.onPartError = [&failed](const std::string& id, const std::string&) { failed.push_back(id); };
    const std::string page = RenderStartPage(base, options);
    EXPECT_THAT(page, HasSubstr("<b>got from the web</b>"));
    EXPECT_THAT(page, HasSubstr("<i>remote html</i>"));
    EXPECT_THAT(page, HasSubstr("The web part \"clock\" cannot be shown:</b> Cannot download http://feeds/missing"));
    EXPECT_THAT(page, HasSubstr("The web part \"notes\" cannot be shown:</b> its XSL link"));
    // The sample's market part links to a page of the running server; without
    // it, the part's NoContent stands in.
    EXPECT_THAT(page, HasSubstr("The market page cannot be reached right now."));
    EXPECT_THAT(failed, ::testing::UnorderedElementsAre("clock", "notes", "stocks"));
    EXPECT_TRUE(fs::exists(cache.CacheFileOf("http://feeds/n.xml"))) << "the part caches for 600 seconds";

    // Without a downloader the page still renders; the linked parts say why they are empty.
    const std::string offline = RenderStartPage(base);
    EXPECT_THAT(offline, HasSubstr("its content at http://feeds/n.xml is not downloaded here"));
    EXPECT_THAT(offline, HasSubstr("World News"));
}
