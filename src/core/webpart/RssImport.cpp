#include "webpart/RssImport.h"

#include "skin/TagParser.h"
#include "xml/XXmlDom.h"

namespace wpe {

namespace {

const char* const kCrLf = "\r\n";

// Texts come decoded from the feed; escaping them again keeps the part well
// formed when a title holds "&" or "<".
void addFound(TTagParser& parser, const std::string& path, const std::string& tag, std::string& out) {
    if (parser.Find(path))
        out += "  <" + tag + ">" + XmlEscape(parser.GetText()) + "</" + tag + ">" + kCrLf;
}

} // namespace

std::string BuildRssWebPartText(const std::string& prologText, const std::string& feedText,
                                const std::string& url) {
    std::string out = prologText;
    TTagParser parser(feedText);
    addFound(parser, "rss/channel/title", "Title", out);
    parser.Reset();
    addFound(parser, "rss/channel/description", "Description", out);
    parser.Reset();
    addFound(parser, "rss/channel/link", "PublisherURL", out);
    parser.Reset();
    if (parser.Find("rss/channel/language")) {
        out += "  <Language>" + XmlEscape(parser.GetText()) + "</Language>" + kCrLf;
    } else {
        // A failed search leaves the parser at the end of the feed.
        parser.Reset();
        addFound(parser, "rss/channel/dc:language", "Language", out);
    }

    const char* const fixedLines[] = {
        "  <ContentType>3</ContentType>",
        "  <XSLLink>rss.xsl</XSLLink>",
        "  <CacheBehavior>2</CacheBehavior>",
        "  <CacheTimeout>21600</CacheTimeout>",
        "  <CustomizationLink>rssoptions.html</CustomizationLink>",
        "  <CustomizationHeight>182</CustomizationHeight>",
        "  <CustomizationWidth>233</CustomizationWidth>",
        "<PartStorage>",
        "  <RSSItemsCount local=\"true\">5</RSSItemsCount>",
        "  <RSSShowFirst local=\"true\">true</RSSShowFirst>",
        "  <RSSShowImage local=\"true\">true</RSSShowImage>",
        "  <RSSShowTitle local=\"true\">false</RSSShowTitle>",
        "  <RSSDescription local=\"true\">0</RSSDescription>",
        "</PartStorage>",
    };
    out += "  <ContentLink>" + XmlEscape(url) + "</ContentLink>" + kCrLf;
    for (const char* line : fixedLines)
        out += std::string(line) + kCrLf;
    out += "</WebPart>";
    return out;
}

} // namespace wpe
