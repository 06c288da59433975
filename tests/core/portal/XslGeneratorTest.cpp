// Rendering through the stylesheet engine, and what a stylesheet may not do.

#include "PortalTestSupport.h"

#include "portal/BaseITF.h"
#include "portal/ElementFile.h"
#include "portal/XslGenerator.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

const std::string kListXsl = R"(<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
<xsl:output method="html"/>
<xsl:template match="/items"><ul><xsl:for-each select="i"><li><xsl:value-of select="."/></li></xsl:for-each></ul></xsl:template>
</xsl:stylesheet>)";

std::string messageOf(const std::function<void()>& call)
{
    try {
        call();
    } catch (const Exception& e) {
        return e.message();
    }
    ADD_FAILURE() << "no error";
    return {};
}

// Content and stylesheet of a web part as the editor's preview passes them:
// the element texts with the three escapes it undoes.
std::string previewText(const std::string& file, const std::string& element)
{
    std::string text = GetElementFromFile(file, element);
    for (const auto& [from, to] : {std::pair{"&lt;", "<"}, std::pair{"&gt;", ">"}, std::pair{"&quot;", "\""}}) {
        for (std::size_t at; (at = text.find(from)) != std::string::npos;)
            text.replace(at, std::string_view(from).size(), to);
    }
    return text;
}

} // namespace

TEST(XslGeneratorTest, TransformsUtf8TextToUtf8Output)
{
    TXslGenerator generator;
    const std::string html = generator.transform("<items><i>one</i><i>\xD0\xB4\xD0\xB2\xD0\xB0</i></items>", kListXsl);
    EXPECT_THAT(html, HasSubstr("<li>one</li>"));
    EXPECT_THAT(html, HasSubstr("<li>\xD0\xB4\xD0\xB2\xD0\xB0</li>"));
    // A declaration naming another encoding does not change how our text is read.
    const std::string declared = generator.transform(
        "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?><items><i>\xD0\xB4</i></items>", kListXsl);
    EXPECT_THAT(declared, HasSubstr("<li>\xD0\xB4</li>"));
    EXPECT_EQ(ExecuteGeneratorStr("<items/>", kListXsl), "<ul></ul>\n");
    EXPECT_EQ(ExecuteGeneratorStr("<a/>", "<xsl:stylesheet version=\"1.0\" "
                                          "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"/>"),
              "")
        << "no output is an empty text";
}

TEST(XslGeneratorTest, BadInputGivesTheEngineMessages)
{
    TXslGenerator generator;
    struct TCase {
        const char* name;
        std::string xml, xsl;
        std::vector<std::string> expected;
    };
    const std::vector<TCase> cases = {
        {"stylesheet not well-formed", "<items/>", "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">",
         {"The XSL is not well-formed XML", "line 1"}},
        {"not a stylesheet", "<items/>", "<html><body/></html>", {"The XSL is not a valid stylesheet"}},
        {"instruction without its attribute", "<items/>",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
         "match=\"/\"><xsl:value-of/></xsl:template></xsl:stylesheet>",
         {"The XSL is not a valid stylesheet", "select"}},
        {"bad expression", "<items/>",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
         "match=\"/\"><xsl:value-of select=\"1 +\"/></xsl:template></xsl:stylesheet>",
         {"not a valid stylesheet"}},
        {"content not well-formed", "<items><i></items>", kListXsl, {"The XML content is not well-formed"}},
        {"empty content", "", kListXsl, {"The XML content is not well-formed"}},
        {"terminating message", "<items/>",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
         "match=\"/\"><xsl:message terminate=\"yes\">stop here</xsl:message></xsl:template></xsl:stylesheet>",
         {"The transformation failed", "stop here"}},
        {"endless recursion", "<items/>",
         "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template "
         "match=\"/\"><xsl:call-template name=\"r\"/></xsl:template><xsl:template name=\"r\"><xsl:call-template "
         "name=\"r\"/></xsl:template></xsl:stylesheet>",
         {"The transformation failed"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string message = messageOf([&] { generator.transform(c.xml, c.xsl); });
        for (const std::string& part : c.expected)
            EXPECT_THAT(message, HasSubstr(part));
    }
    // The engine is usable again after the failures.
    EXPECT_THAT(generator.transform("<items><i>x</i></items>", kListXsl), HasSubstr("<li>x</li>"));
}

TEST(XslGeneratorTest, StylesheetsCannotReachFilesOrTheNetwork)
{
    TTempDir dir;
    WriteFileBytes(dir.path() / "secret.xml", "<secret>hidden value</secret>");
    WriteFileBytes(dir.path() / "allowed" / "part.xsl",
                   "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:template name=\"hello\">allowed import</xsl:template></xsl:stylesheet>");
    WriteFileBytes(dir.path() / "allowed" / "data.xml", "<d>folder data</d>");
    TXslGenerator generator((dir.path() / "allowed").string());
    const std::string secret = (dir.path() / "secret.xml").string();
    const std::string head = "<xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" "
                             "xmlns:exsl=\"http://exslt.org/common\" extension-element-prefixes=\"exsl\">";
    const std::string tail = "</xsl:stylesheet>";

    struct TCase {
        const char* name;
        std::string xml, xsl;
    };
    const std::vector<TCase> refused = {
        {"document() of a file elsewhere", "<a/>",
         head + "<xsl:template match=\"/\"><xsl:value-of select=\"document('" + secret + "')\"/></xsl:template>" + tail},
        {"document() over the network", "<a/>",
         head + "<xsl:template match=\"/\"><xsl:value-of select=\"document('http://127.0.0.1:9/x.xml')\"/></xsl:template>" +
             tail},
        {"import from elsewhere", "<a/>", head + "<xsl:import href=\"file://" + secret + "x\"/>" + tail},
        {"writing a file", "<a/>",
         head + "<xsl:template match=\"/\"><exsl:document href=\"" + (dir.path() / "written.txt").string() +
             "\" method=\"text\">x</exsl:document></xsl:template>" + tail},
        {"external entity in the content", "<!DOCTYPE a [<!ENTITY s SYSTEM \"" + secret + "\">]><a>&s;</a>",
         head + "<xsl:template match=\"/\"><xsl:value-of select=\".\"/></xsl:template>" + tail},
        {"external DTD of the stylesheet", "<a/>",
         "<!DOCTYPE xsl:stylesheet SYSTEM \"" + secret + "\">" + head +
             "<xsl:template match=\"/\">x</xsl:template>" + tail},
    };
    for (const TCase& c : refused) {
        SCOPED_TRACE(c.name);
        std::string output, said;
        try {
            output = generator.transform(c.xml, c.xsl, &said);
        } catch (const Exception& e) {
            output = said = e.message();
        }
        EXPECT_THAT(output, Not(HasSubstr("hidden value")));
        // The refusal is never silent: the run fails or warns, saying so.
        EXPECT_THAT(said, HasSubstr("is not allowed"));
    }
    EXPECT_FALSE(fs::exists(dir.path() / "written.txt"));

    // Files of the allowed folder may be used, also when named by a path that
    // leads elsewhere: only the last name counts.
    const std::string imported = generator.transform(
        "<a/>", head + "<xsl:import href=\"../../part.xsl\"/><xsl:template match=\"/\"><xsl:call-template "
                       "name=\"hello\"/>-<xsl:value-of select=\"document('data.xml')\"/></xsl:template>" + tail);
    EXPECT_THAT(imported, HasSubstr("allowed import-folder data"));
}

TEST(XslGeneratorTest, SampleWebPartsRenderTheirContentWithTheirXsl)
{
    const fs::path sample = SamplePortal();
    if (sample.empty())
        GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
    struct TCase {
        const char* part;
        const char* expected;
    };
    // Web part files are Windows-1251 and these parts are plain ASCII.
    for (const TCase& c : std::vector<TCase>{{"currency", "<td>USD</td>\n<td>1.08</td>"},
                                              {"news", "Harbour bridge reopens after repairs</a>"},
                                              {"links", "<li><a href=\"http://127.0.0.1:8180/archive\">Archive</a></li>"},
                                              {"citation", "<cite>Jean-Jacques Rousseau</cite>"}}) {
        SCOPED_TRACE(c.part);
        const std::string file = (sample / "STORAGE" / (std::string(c.part) + ".xml")).string();
        const std::string html = ExecuteGeneratorStr(previewText(file, "Content"), previewText(file, "XSL"));
        EXPECT_THAT(html, HasSubstr(c.expected));
    }
}

TEST(XslGeneratorTest, SkinStylesheetsDressADeskWithThePortalsEntities)
{
    const fs::path sample = SamplePortal();
    if (sample.empty())
        GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
    TXslGenerator generator((sample / "PORTAL").string());
    generator.setDtdPrefix("<!ENTITY CurrentDesk \"Work\">\n<!ENTITY CurrentSkin \"Ocean\">\n"
                           "<!ENTITY Server \"http://127.0.0.1:8999/\">\n");
    const std::string page =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><desks><desk ID=\"Default\"><zone ID=\"1\"><container ID=\"x\" "
        "visible=\"true\"><WebPart ID=\"x\"><Title>Wrong desk</Title><HasFrame>1</HasFrame></WebPart></container>"
        "</zone></desk><desk ID=\"Work\"><zone ID=\"3\"><container ID=\"w\" visible=\"true\"><WebPart ID=\"w\">"
        "<Title>Framed</Title><HasFrame>1</HasFrame><AllowMinimize>1</AllowMinimize><Content><![CDATA[<b>bold</b>]]>"
        "</Content></WebPart></container><container ID=\"h\" visible=\"false\"><WebPart ID=\"h\"><Title>Hidden</Title>"
        "<HasFrame>1</HasFrame></WebPart></container><container ID=\"b\" visible=\"true\"><WebPart ID=\"b\"><Title>"
        "Bare</Title><HasFrame>0</HasFrame><Rendered>&lt;i&gt;done&lt;/i&gt;</Rendered></WebPart></container></zone>"
        "</desk></desks>";
    for (const char* skin : {"Ocean", "Paper"}) {
        SCOPED_TRACE(skin);
        const fs::path xslFile = sample / "SKINS" / skin / "skin.xsl";
        const std::string html = generator.transformFileTexts(page, ReadFileBytes(xslFile), xslFile.string());
        EXPECT_THAT(html, HasSubstr("<b>bold</b>"));
        EXPECT_THAT(html, HasSubstr("<i>done</i>"));
        EXPECT_THAT(html, HasSubstr("href=\"skins/Ocean/skin.css\""));
        EXPECT_THAT(html, HasSubstr("http://127.0.0.1:8999/"));
        EXPECT_THAT(html, Not(HasSubstr("Wrong desk")));
        EXPECT_THAT(html, Not(HasSubstr("Hidden")));
    }
    const fs::path ocean = sample / "SKINS" / "Ocean" / "skin.xsl";
    const std::string html = generator.transformFileTexts(page, ReadFileBytes(ocean), ocean.string());
    EXPECT_THAT(html, HasSubstr("<div id=\"ZONE3_HAS_BORDER\">"));
    EXPECT_THAT(html, HasSubstr("<div id=\"ZONE3_NO_BORDER\">"));
    EXPECT_THAT(html, HasSubstr("id=\"btn_w\""));
}
