// HTML to XHTML and XML tidying through libtidy: the output must load as XML
// (checked by libxml2, which the code under test does not use), keep the
// template's structure and bytes, and the error state must follow the
// latest conversion.

#include "tidy/Tidy.h"

#include "util/Exception.h"
#include "util/Files.h"

#include <gmock/gmock.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <filesystem>
#include <random>

using namespace wpe;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

namespace fs = std::filesystem;

class TTempDir {
public:
    TTempDir()
    {
        std::random_device device;
        path_ = fs::temp_directory_path() / ("wpe-tidy-" + std::to_string(device()) + std::to_string(device()));
        fs::create_directories(path_);
    }
    ~TTempDir()
    {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }

private:
    fs::path path_;
};

// The root element's child elements' names, read by libxml2.
std::vector<std::string> RootChildren(const std::string& xml)
{
    std::vector<std::string> names;
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "out.xml", nullptr,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    if (!doc)
        return names;
    for (xmlNodePtr n = xmlDocGetRootElement(doc)->children; n; n = n->next)
        if (n->type == XML_ELEMENT_NODE)
            names.emplace_back(reinterpret_cast<const char*>(n->name));
    xmlFreeDoc(doc);
    return names;
}

bool WellFormed(const std::string& xml, const char* encoding = nullptr)
{
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), "out.xml", encoding,
                                  XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
    xmlFreeDoc(doc);
    return doc != nullptr;
}

std::string Xhtml(const std::string& html)
{
    const TidyResult r = TidyText(html, TidyMode::HtmlToXhtml);
    EXPECT_TRUE(r.errors.empty()) << r.errors.front().text;
    return r.output;
}

TEST(TidyHtml, SloppyHtmlBecomesWellFormedXhtmlWithABody)
{
    const std::string out = Xhtml(
        "<!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\">\n<HTML><HEAD><TITLE>t</TITLE></HEAD>"
        "<BODY BGCOLOR=white><P>one<P>two<BR><IMG SRC=a.png><UL><LI>x<LI>y</UL>"
        "<TABLE><TR><TD background=bg.gif>c</TABLE><INPUT TYPE=checkbox CHECKED></BODY></HTML>");
    EXPECT_TRUE(WellFormed(out)) << out;
    EXPECT_THAT(out, StartsWith("<html"));
    EXPECT_THAT(out, Not(HasSubstr("DOCTYPE")));
    EXPECT_THAT(out, HasSubstr("<img src=\"a.png\""));
    EXPECT_THAT(out, HasSubstr("background=\"bg.gif\""));
    EXPECT_THAT(out, HasSubstr("checked=\"checked\""));

    EXPECT_EQ(RootChildren(out), (std::vector<std::string>{"head", "body"}));
}

TEST(TidyHtml, MarkersSurviveEmptyAndNested)
{
    // Empty spans, divs that only hold divs, and a blank-free icon element:
    // Tidy must neither drop, merge nor pad them.
    const std::string out = Xhtml(
        "<html><body><div id=\"ZONE1\"><div id=\"ZONE1_HAS_BORDER\"><div><span id=\"BORDER_TITLE\"></span>"
        "<span id=\"ICON_EDIT\"><img src=\"e.png\"></span><span id=\"BORDER_MENU\"></span></div>"
        "<div id=\"WEBPART_CONTENT\"></div></div></div><p></p></body></html>");
    EXPECT_THAT(out, HasSubstr("<div id=\"ZONE1\">\n<div id=\"ZONE1_HAS_BORDER\">"));
    EXPECT_THAT(out, HasSubstr("<span id=\"BORDER_TITLE\"></span>"));
    EXPECT_THAT(out, HasSubstr("<span id=\"ICON_EDIT\"><img src=\"e.png\" /></span>"));
    EXPECT_THAT(out, HasSubstr("<div id=\"WEBPART_CONTENT\"></div>"));
    EXPECT_THAT(out, HasSubstr("<p></p>"));
}

TEST(TidyHtml, BytesKeepTheirEncodingAndNamedReferencesBecomeNumeric)
{
    // Windows-1251 "Привет" and UTF-8 "é" must come out as the same bytes;
    // "&eacute;" must not be written as a byte of either code page.
    const std::string cp1251 =
        "<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1251\"></head>"
        "<body><p>\xCF\xF0\xE8\xE2\xE5\xF2&nbsp;caf&eacute; AT&amp;T &#233; <a href=\"x?a=1&amp;b=2\">l</a></p></body></html>";
    const std::string out = Xhtml(cp1251);
    EXPECT_THAT(out, HasSubstr("\xCF\xF0\xE8\xE2\xE5\xF2&#160;caf&#233; AT&amp;T &#233;"));
    EXPECT_THAT(out, HasSubstr("href=\"x?a=1&amp;b=2\""));
    EXPECT_TRUE(WellFormed(out, "windows-1251"));

    const std::string utf8 = "<html><head><meta charset=\"utf-8\"></head><body><p>caf\xC3\xA9 \xE2\x80\x94</p></body></html>";
    EXPECT_THAT(Xhtml(utf8), HasSubstr("caf\xC3\xA9 \xE2\x80\x94"));
}

TEST(TidyHtml, ReferencesAreLeftAsWritten)
{
    const std::string out = Xhtml("<html><body><img src=\"my pics\\a b.png\"><a href=\"../x y.html#top\">l</a>"
                                  "<div style=\"background:url(img/bg.png)\">s</div></body></html>");
    EXPECT_THAT(out, HasSubstr("src=\"my pics\\a b.png\""));
    EXPECT_THAT(out, HasSubstr("href=\"../x y.html#top\""));
    EXPECT_THAT(out, HasSubstr("url(img/bg.png)"));
}

TEST(TidyHtml, UnrepairableMarkupIsCountedWithoutOutput)
{
    const TidyResult r = TidyText("<html><body><blink2>x</blink2></body></html>", TidyMode::HtmlToXhtml, "t.html");
    ASSERT_FALSE(r.errors.empty());
    EXPECT_THAT(r.errors[0].text, StartsWith("t.html: line 1 column 13 - Error:"));
    EXPECT_EQ(r.errors[0].line, 1);
    EXPECT_EQ(r.output, "");
}

TEST(TidyXml, AMalformedXmlDeclarationIsAnErrorInBothModes)
{
    // Such a declaration makes libtidy lose memory; it is refused up front.
    for (TidyMode mode : {TidyMode::Xml, TidyMode::HtmlToXhtml}) {
        const TidyResult r = TidyText("<a/>\n  <?xml version=\"1.0\"<?x ?>", mode, "f");
        ASSERT_EQ(r.errors.size(), 1u);
        EXPECT_EQ(r.errors[0].text, "f: line 2 column 3 - Error: malformed XML declaration");
        EXPECT_EQ(r.output, "");
    }
    for (const char* broken : {"<p>x</p><?xml version", "<?xml version=\"1.0\" encoding=\"WIN/a>", "<?xml v='1'>",
                               "<?xml version=1.0?>"})
        EXPECT_EQ(TidyText(broken, TidyMode::Xml).errors.size(), 1u) << broken;
    EXPECT_TRUE(TidyText("<?xml version='1.0'\r\n encoding = \"UTF-8\" ?>\n<a/>", TidyMode::Xml).errors.empty());
    EXPECT_TRUE(TidyText("<?xml version=\"1.0\"?><?xml-stylesheet href=\"a<b\"?><a/>", TidyMode::Xml).errors.empty());
}

TEST(TidyXml, WellFormedXmlIsIndentedAndKeepsNamesAndEntities)
{
    const TidyResult r = TidyText("<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?><xsl:stylesheet "
                                  "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"a\">"
                                  "<Div ID=\"x\">&Server;\xEF</Div></xsl:template></xsl:stylesheet>",
                                  TidyMode::Xml);
    EXPECT_TRUE(r.errors.empty());
    EXPECT_THAT(r.output, HasSubstr("\n  <xsl:template match=\"a\">"));
    EXPECT_THAT(r.output, HasSubstr("<Div ID=\"x\">&Server;\xEF</Div>"));
}

TEST(TidyXml, IllFormedXmlIsReportedAndStillShown)
{
    const TidyResult r = TidyText("<a><b></a>", TidyMode::Xml, "s.xsl");
    ASSERT_EQ(r.errors.size(), 1u);
    EXPECT_THAT(r.errors[0].text, HasSubstr("s.xsl: line 1 column 7 - Error:"));
    EXPECT_THAT(r.output, HasSubstr("<b>"));
}

// ---- the module state across conversions ----

class TidyFiles : public ::testing::Test {
protected:
    std::string write(const std::string& name, const std::string& text)
    {
        WriteWholeFile(path(name), text);
        return path(name);
    }
    std::string path(const std::string& name) const { return (dir_.path() / name).string(); }
    TTempDir dir_;
};

TEST_F(TidyFiles, ErrorStateFollowsTheLatestConversionAndSurvivesAFailure)
{
    const std::string good = write("good.html", "<html><body><p>x</p></body></html>");
    const std::string bad = write("bad.html", "<html><body><nosuchtag>x</nosuchtag><other>y</other></body></html>");
    const std::string xml = write("s.xml", "<a><b/></a>");

    TidyFileToText(good, TidyMode::HtmlToXhtml);
    EXPECT_EQ(TidyErrorCount(), 0);
    EXPECT_EQ(TidyErrorText(), "");

    TidyFileToText(bad, TidyMode::HtmlToXhtml);
    EXPECT_EQ(TidyErrorCount(), 2);
    const std::string text = TidyErrorText();
    EXPECT_THAT(text, StartsWith(bad + ": line 1 column 13 - Error: <nosuchtag>"));
    EXPECT_THAT(text, HasSubstr("\r\n" + bad + ": line 1 column 37 - Error: <other>"));
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");

    // A conversion that cannot start raises and keeps the last result.
    EXPECT_THROW(TidyFileToText(path("missing.html"), TidyMode::HtmlToXhtml), Exception);
    EXPECT_EQ(TidyErrorCount(), 2);
    EXPECT_EQ(TidyErrorText(), text);

    TidyFileToText(xml, TidyMode::Xml);
    EXPECT_EQ(TidyErrorCount(), 0);
    EXPECT_EQ(TidyErrorText(), "");
}

TEST_F(TidyFiles, FileToFileWritesOnlyARepairedDocument)
{
    const std::string out = write("out.xhtml", "previous");
    TidyFileToFile(write("bad.html", "<html><body><nosuchtag/></body></html>"), out, TidyMode::HtmlToXhtml);
    EXPECT_GT(TidyErrorCount(), 0);
    EXPECT_EQ(ReadWholeFile(out), "previous");

    TidyFileToFile(write("good.html", "<title>t</title><p>x"), out, TidyMode::HtmlToXhtml);
    EXPECT_EQ(TidyErrorCount(), 0);
    EXPECT_THAT(ReadWholeFile(out), HasSubstr("<body>\n<p>x</p>\n</body>"));
    EXPECT_TRUE(RegisterTidyLibrary());
}

// ---- helpers ----

TEST(TidyHelpers, DeclaredEncoding)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xEF\xBB\xBF<html>", "UTF-8"},
        {std::string("\xFF\xFE<\0h\0", 6), "UTF-16LE"},
        {"<?xml version=\"1.0\" encoding=\"windows-1251\"?><a/>", "WINDOWS-1251"},
        {"<?xml version='1.0' encoding = 'utf-8' ?><a/>", "UTF-8"},
        {"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=koi8-r\">", "KOI8-R"},
        {"<META CHARSET=UTF-8>", "UTF-8"},
        {"<p>the charset of this page</p><meta charset='iso-8859-5'>", "ISO-8859-5"},
        {"<html><body>no declaration</body></html>", ""},
        {std::string(9000, ' ') + "<meta charset=utf-8>", ""},
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(DeclaredEncoding(text), expected) << text.substr(0, 60);
}

TEST(TidyHelpers, NumericCharacterReferences)
{
    EXPECT_EQ(NumericCharacterReferences("a&nbsp;b&copy;&mdash;"), "a&#160;b&#169;&#8212;");
    EXPECT_EQ(NumericCharacterReferences("&amp;&lt;&gt;&quot;&apos;"), "&amp;&lt;&gt;&quot;&apos;");
    EXPECT_EQ(NumericCharacterReferences("&SkinsPath;&nbsp &#233; & &;"), "&SkinsPath;&nbsp &#233; & &;");
    EXPECT_EQ(NumericCharacterReferences("trailing &"), "trailing &");
}

} // namespace
