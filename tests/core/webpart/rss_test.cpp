#include "webpart/RssImport.h"

#include "util/Exception.h"
#include "xml/XXmlDom.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

using namespace wpe;

namespace {

const std::string kProlog = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>";

const std::string kFixedTail =
    "  <ContentType>3</ContentType>\r\n"
    "  <XSLLink>rss.xsl</XSLLink>\r\n"
    "  <CacheBehavior>2</CacheBehavior>\r\n"
    "  <CacheTimeout>21600</CacheTimeout>\r\n"
    "  <CustomizationLink>rssoptions.html</CustomizationLink>\r\n"
    "  <CustomizationHeight>182</CustomizationHeight>\r\n"
    "  <CustomizationWidth>233</CustomizationWidth>\r\n"
    "<PartStorage>\r\n"
    "  <RSSItemsCount local=\"true\">5</RSSItemsCount>\r\n"
    "  <RSSShowFirst local=\"true\">true</RSSShowFirst>\r\n"
    "  <RSSShowImage local=\"true\">true</RSSShowImage>\r\n"
    "  <RSSShowTitle local=\"true\">false</RSSShowTitle>\r\n"
    "  <RSSDescription local=\"true\">0</RSSDescription>\r\n"
    "</PartStorage>\r\n"
    "</WebPart>";

bool wellFormed(const std::string& text, std::string* error = nullptr) {
    try {
        TRef<TXmlDDocument> doc(new TXmlDDocument);
        doc->LoadXml(text);
        return doc->SelectChild("WebPart") != nullptr;
    } catch (const std::exception& e) {
        if (error)
            *error = e.what();
        return false;
    }
}

std::string readFile(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(RssImport, ChannelFieldsThenFixedSettings) {
    const std::string feed =
        "<?xml version=\"1.0\"?><rss version=\"2.0\"><channel>"
        "<title>World News</title><link>http://news.example/</link>"
        "<description>All the news</description><language>ru</language>"
        "<item><title>Item one</title><link>http://news.example/1</link></item>"
        "</channel></rss>";

    std::string text = BuildRssWebPartText(kProlog, feed, "http://news.example/rss.xml");

    EXPECT_EQ(text, kProlog +
                        "  <Title>World News</Title>\r\n"
                        "  <Description>All the news</Description>\r\n"
                        "  <PublisherURL>http://news.example/</PublisherURL>\r\n"
                        "  <Language>ru</Language>\r\n"
                        "  <ContentLink>http://news.example/rss.xml</ContentLink>\r\n" +
                        kFixedTail);
}

TEST(RssImport, MissingChannelElementsAreLeftOutAndDcLanguageIsTheFallback) {
    const std::string feed =
        "<rss><channel><description>D</description>"
        "<dc:language>fr</dc:language></channel></rss>";

    std::string text = BuildRssWebPartText(kProlog, feed, "http://x/f");

    EXPECT_EQ(text, kProlog +
                        "  <Description>D</Description>\r\n"
                        "  <Language>fr</Language>\r\n"
                        "  <ContentLink>http://x/f</ContentLink>\r\n" +
                        kFixedTail);
}

TEST(RssImport, MarkupCharactersInFeedTextsKeepThePartWellFormed) {
    const std::string feed =
        "<rss><channel><title>News &amp; Views</title>"
        "<description><![CDATA[<b>bold</b> & more]]></description>"
        "<link>http://a.example/?x=1&amp;y=2</link></channel></rss>";

    std::string text = BuildRssWebPartText(kProlog, feed, "http://a.example/feed?a=1&b=2");

    std::string error;
    EXPECT_TRUE(wellFormed(text, &error)) << error << "\n" << text;
    EXPECT_NE(text.find("<Title>News &amp; Views</Title>"), std::string::npos) << text;
    EXPECT_NE(text.find("<ContentLink>http://a.example/feed?a=1&amp;b=2</ContentLink>"), std::string::npos);
}

TEST(RssImport, EmptyFeedFailsWithTheParserError) {
    EXPECT_THROW(BuildRssWebPartText(kProlog, "", "http://x/"), Exception);
}

TEST(RssImport, RealFeedsBuildWellFormedParts) {
    const char* corpus = std::getenv("WPE_CORPUS_DIR");
    if (!corpus || !std::filesystem::is_directory(std::filesystem::path(corpus) / "rss"))
        GTEST_SKIP() << "no feed corpus";
    int built = 0;
    for (const auto& entry : std::filesystem::directory_iterator(std::filesystem::path(corpus) / "rss")) {
        if (entry.path().filename() == "MANIFEST.tsv")
            continue;
        std::string feed = readFile(entry.path());
        std::string text;
        try {
            text = BuildRssWebPartText(kProlog, feed, "http://feeds.example/" + entry.path().filename().string());
        } catch (const Exception& e) {
            // A broken feed may be refused, but only with a message.
            EXPECT_FALSE(std::string(e.what()).empty()) << entry.path();
            continue;
        }
        ++built;
        std::string error;
        EXPECT_TRUE(wellFormed(text, &error)) << entry.path() << ": " << error;
        EXPECT_EQ(text.rfind(kFixedTail), text.size() - kFixedTail.size()) << entry.path();
    }
    EXPECT_GT(built, 20);
}

TEST(RssImport, CorpusFeedValuesLandInTheirTags) {
    const char* corpus = std::getenv("WPE_CORPUS_DIR");
    std::filesystem::path file = corpus ? std::filesystem::path(corpus) / "rss" / "feedparser_channel_dc_language.xml"
                                        : std::filesystem::path();
    if (!corpus || !std::filesystem::exists(file))
        GTEST_SKIP() << "no feed corpus";
    std::string text = BuildRssWebPartText(kProlog, readFile(file), "http://x/");
    EXPECT_NE(text.find("  <Language>en</Language>\r\n"), std::string::npos) << text;
}
