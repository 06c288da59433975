// Stylesheet generation from XHTML: the desk template, the zone and icon
// templates, and how local references are rewritten and copied.

#include "SkinTestSupport.h"

#include "util/Files.h"
#include "xml/XmlUtils.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;
using ::testing::StartsWith;

namespace {

constexpr const char* kHeader =
    "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n"
    "<!DOCTYPE xsl:stylesheet SYSTEM \"..\\..\\main.dtd\">\r\n"
    "<xsl:stylesheet xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\" version=\"1.0\">\r\n"
    "<xsl:import href=\"&PortalPath;desk.xsl\"/>\r\n";

class GeneratorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        skin_ = WithTrailingBackslash((dir_.path() / "skin").string());
        fs::create_directories(dir_.path() / "skin" / "files");
    }
    // The XHTML file of a page whose body holds body.
    std::string page(const std::string& body)
    {
        const std::string file = (dir_.path() / "page.xhtml").string();
        WriteFileBytes(file, "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><title>t</title></head><body>" +
                                 body + "</body></html>");
        return file;
    }
    std::string desk(const std::string& body) { return UnescapeStylesheet(GenerateDeskTemplate(page(body), skin_)); }
    std::string zones(const std::string& body) { return UnescapeStylesheet(GenerateZoneTemplates(page(body), skin_)); }
    void file(const std::string& relative, const std::string& bytes = "x") { WriteFileBytes(dir_.path() / relative, bytes); }

    TTempDir dir_;
    std::string skin_;
};

// ---- references ----

TEST_F(GeneratorTest, FileReferencesPointIntoFilesAndAreCopiedThereOnce)
{
    file("skin/files/logo.png", "logo");
    file("skin/pics/bg.gif", "bg");
    file("skin/skin.css", "css");
    EXPECT_EQ(RewriteFileRef("files/logo.png", skin_), "&SkinsPath;&CurrentSkin;/files/logo.png");
    EXPECT_EQ(RewriteFileRef("pics/bg.gif", skin_), "&SkinsPath;&CurrentSkin;/files/bg.gif");
    EXPECT_EQ(ReadFileBytes(dir_.path() / "skin/files/bg.gif"), "bg");
    EXPECT_EQ(RewriteFileRef("skin.css", skin_), "&SkinsPath;&CurrentSkin;/files/skin.css");
    EXPECT_TRUE(fs::exists(dir_.path() / "skin/files/skin.css"));

    for (const char* unchanged : {"http://example.org/a.png", "missing.png", "", "//cdn.example.org/x.js",
                                  "data:image/png;base64,AAAA", "&Server;onload?0"})
        EXPECT_EQ(RewriteFileRef(unchanged, skin_), unchanged);
}

TEST_F(GeneratorTest, ARelativeNameIsNeverLookedUpInTheWorkingFolder)
{
    file("cwd/stray.png");
    const fs::path before = fs::current_path();
    fs::current_path(dir_.path() / "cwd");
    const std::string r = RewriteFileRef("stray.png", skin_);
    fs::current_path(before);
    EXPECT_EQ(r, "stray.png");
    EXPECT_FALSE(fs::exists(dir_.path() / "skin/files/stray.png"));
    // An absolute path is a file the template names itself.
    EXPECT_EQ(RewriteFileRef((dir_.path() / "cwd/stray.png").string(), skin_), "&SkinsPath;&CurrentSkin;/files/stray.png");
}

TEST_F(GeneratorTest, RewriteLinksTakesTheAttributeOfTheElement)
{
    file("skin/files/a.png");
    auto rewritten = [&](const char* tag, const char* attr) {
        TRef<TXmlDElement> e = NewElement(tag, attr, "files/a.png");
        SetAttr(e.get(), "src", "files/a.png");
        const bool changed = RewriteLinks(e.get(), skin_);
        return changed ? GetAttr(e.get(), attr) : std::string("unchanged");
    };
    EXPECT_EQ(rewritten("link", "href"), "&SkinsPath;&CurrentSkin;/files/a.png");
    EXPECT_EQ(rewritten("script", "src"), "&SkinsPath;&CurrentSkin;/files/a.png");
    EXPECT_EQ(rewritten("img", "src"), "&SkinsPath;&CurrentSkin;/files/a.png");
    EXPECT_EQ(rewritten("td", "background"), "&SkinsPath;&CurrentSkin;/files/a.png");
    EXPECT_EQ(rewritten("td", "src"), "unchanged") << "only background counts on other elements";
    EXPECT_EQ(rewritten("IMG", "src"), "unchanged") << "element names compare exactly";
    TRef<TXmlDText> text = MakeRef<TXmlDText>("files/a.png");
    EXPECT_FALSE(RewriteLinks(text.get(), skin_));
}

// ---- desk template ----

TEST_F(GeneratorTest, WithoutMarkersTheDeskHoldsTheBodyWithRewrittenReferences)
{
    file("skin/files/a.png");
    const std::string d = desk("<p id=\"ZONE3\">text</p><img src=\"files/a.png\"/><img src=\"http://h/b.png\"/>");
    EXPECT_EQ(d, "<xsl:template match=\"desk[@ID='&CurrentDesk;']\"><p id=\"ZONE3\">text</p>"
                 "<img src=\"&SkinsPath;&CurrentSkin;/files/a.png\"/><img src=\"http://h/b.png\"/>"
                 "<xsl:apply-templates select=\"footer\"/></xsl:template>");
    EXPECT_EQ(zones("<p id=\"ZONE3\">text</p>"), "");
}

TEST_F(GeneratorTest, MarkersAreEmptiedAndCallThePortal)
{
    const std::string d = desk("<div id=\"startpage_header\">Head</div><span id=\"Zone2\">z<b>2</b></span>"
                               "<div id=\"ZONE5\"><div id=\"ZONE5_HAS_BORDER\">x</div></div>"
                               "<div id=\"STARTPAGE_FOOTER\">plain</div>");
    EXPECT_THAT(d, HasSubstr("<div id=\"Header\"><xsl:apply-templates select=\"header\"/></div>"));
    EXPECT_THAT(d, HasSubstr("<span id=\"Zone2\"><xsl:apply-templates select=\"zone[@ID='2']\"/></span>"));
    EXPECT_THAT(d, HasSubstr("<div id=\"ZONE5\"><xsl:apply-templates select=\"zone[@ID='5']\"/></div>"));
    EXPECT_THAT(d, HasSubstr("<div id=\"footer\"><script src=\"&Server;onload?0\"/></div>"));
}

TEST_F(GeneratorTest, AFooterWithBothPlaceholdersPassesItselfToTheOnloadScript)
{
    const std::string xsl = GenerateSkinXsl(page("<div id=\"STARTPAGE_FOOTER\">Built $1 by <i>$2</i> &amp; co</div>"), skin_);
    EXPECT_THAT(xsl, HasSubstr("<script src=\"&Server;onload?0&amp;format=&apos;Built $1 by \\u003Ci\\u003E$2"
                               "\\u003C/i\\u003E \\u0026amp; co&apos;\"/>"));
    EXPECT_THAT(desk("<div id=\"STARTPAGE_FOOTER\">only $1</div>"), HasSubstr("<script src=\"&Server;onload?0\"/>"));
}

// ---- zone templates ----

TEST_F(GeneratorTest, ZoneVariantsAndPartsBecomeTemplates)
{
    const std::string z = zones(
        "<div id=\"ZONE2\"><div id=\"zone2_has_border\" class=\"old\">old</div>"
        "<div id=\"ZONE2_HAS_BORDER\" class=\"f\"><span id=\"BORDER_TITLE\">T</span><span id=\"BORDER_MENU\">M</span>"
        "<div id=\"WEBPART_CONTENT\">C</div></div>"
        "<div id=\"ZONE2_NO_BORDER\"><div id=\"WEBPART_CONTENT\">C</div></div>"
        "<div id=\"ZONE3_HAS_BORDER\">belongs to no zone 3 marker</div></div>");
    EXPECT_EQ(z,
              "<xsl:template match=\"zone[@ID='2']//container[@visible='true']/WebPart[HasFrame='1']\">"
              "<div id=\"ZONE2_HAS_BORDER\"><span id=\"BORDER_TITLE\"><xsl:call-template name=\"DrawTitle\"/></span>"
              "<span id=\"BORDER_MENU\"><xsl:call-template name=\"DrawMenu\"/></span>"
              "<div id=\"WEBPART_CONTENT\"><xsl:call-template name=\"DrawContent\"/></div></div></xsl:template>"
              "<xsl:template match=\"zone[@ID='2']//container[@visible='true']/WebPart[HasFrame='0']\">"
              "<div id=\"ZONE2_NO_BORDER\"><div id=\"WEBPART_CONTENT\"><xsl:call-template name=\"DrawContent\"/>"
              "</div></div></xsl:template>");
}

TEST_F(GeneratorTest, IconsBecomeNamedTemplatesWithTheirPictures)
{
    file("skin/files/e.png");
    file("skin/files/min.png");
    file("skin/files/max.png");
    const std::string z = zones(
        "<div id=\"ZONE4\"><div id=\"ZONE4_HAS_BORDER\">"
        "<span id=\"ICON_EDIT\"><img src=\"files/e.png\"/></span>"
        "<span id=\"ICON_STATE\" src1=\"files/min.png\" src2=\"files/max.png\"><img src=\"files/min.png\" alt=\"Hide\"/></span>"
        "</div></div>");
    EXPECT_THAT(z, HasSubstr("<span id=\"ICON_EDIT\"><xsl:call-template name=\"DrawIconEdit_4\"/></span>"));
    EXPECT_THAT(z, HasSubstr("<span id=\"ICON_STATE\" src1=\"files/min.png\" src2=\"files/max.png\">"
                             "<xsl:call-template name=\"DrawIconState_4\"/></span>"));
    EXPECT_THAT(z, HasSubstr("<xsl:template name=\"DrawIconEdit_4\"><xsl:if test=\"CustomizationLink!=''\">"
                             "<a sx_link=\"true\"><xsl:attribute name=\"href\">javascript:showDialog("));
    EXPECT_THAT(z, HasSubstr("<img src=\"&SkinsPath;&CurrentSkin;/files/e.png\" alt=\"&EditWebPart;\"/></a></xsl:if>"
                             "</xsl:template>"));
    EXPECT_THAT(z, HasSubstr("<img src=\"&SkinsPath;&CurrentSkin;/files/min.png\" alt=\"Hide\" "
                             "src1=\"&SkinsPath;&CurrentSkin;/files/min.png\" src2=\"&SkinsPath;&CurrentSkin;/files/max.png\">"
                             "<xsl:attribute name=\"id\">btn_<xsl:value-of select=\"@ID\"/></xsl:attribute></img></a>"));
    // The icon templates follow the variants.
    EXPECT_LT(z.find("HasFrame='1'"), z.find("DrawIconEdit_4\"><xsl:if"));
}

TEST_F(GeneratorTest, IconsWithoutAPictureFirstAreLeftAlone)
{
    const std::string z = zones("<div id=\"ZONE1\"><div id=\"ZONE1_HAS_BORDER\">"
                                "<span id=\"ICON_EDIT\"> <img src=\"e.png\"/></span><span id=\"ICON_STATE\"></span>"
                                "</div></div>");
    EXPECT_THAT(z, HasSubstr("<span id=\"ICON_EDIT\"> <img src=\"e.png\"/></span><span id=\"ICON_STATE\"/>"));
    EXPECT_THAT(z, Not(HasSubstr("DrawIcon")));
}

TEST_F(GeneratorTest, AStatePictureWithoutAlternativesGetsEmptyOnes)
{
    const std::string z = zones("<div id=\"ZONE1\"><span id=\"ICON_STATE\"><img src=\"http://h/m.png\"/></span></div>");
    EXPECT_THAT(z, HasSubstr("<img src=\"http://h/m.png\" alt=\"&MinimizeWebPart;\" src1=\"\" src2=\"\">"));
}

// ---- the whole stylesheet ----

TEST_F(GeneratorTest, TheStylesheetStartsWithTheBuildHeaderAndStaysWellFormed)
{
    const std::string xsl = GenerateSkinXsl(page("<p title=\"a &quot;b&quot;\">Tom &amp; Jerry &#160;"
                                                 "<a href=\"x?a=1&amp;b=2\">l</a> &lt;xsl:value-of select=\"x\"/&gt;</p>"
                                                 "<div id=\"ZONE1\"/>"),
                                            skin_);
    EXPECT_THAT(xsl, StartsWith(kHeader));
    EXPECT_THAT(xsl, HasSubstr("Tom &amp; Jerry &#160;<a href=\"x?a=1&amp;b=2\">"));
    // Escaped markup in the template's text is how a designer writes XSLT
    // into the page: it comes out as markup.
    EXPECT_THAT(xsl, HasSubstr("<xsl:value-of select=\"x\"/></p>"));
    EXPECT_THAT(xsl, ::testing::EndsWith("</xsl:stylesheet>"));
}

TEST_F(GeneratorTest, TheStylesheetDeclaresTheTemplatesEncoding)
{
    const std::string file = (dir_.path() / "utf8.xhtml").string();
    WriteFileBytes(file, "<html xmlns=\"http://www.w3.org/1999/xhtml\"><head><meta http-equiv=\"Content-Type\" "
                         "content=\"text/html; charset=utf-8\"/><title>t</title></head><body><p>\xE2\x80\x93</p>"
                         "<div id=\"ZONE1\"/></body></html>");
    const std::string xsl = GenerateSkinXsl(file, skin_);
    EXPECT_THAT(xsl, StartsWith("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\r\n"));
    EXPECT_THAT(xsl, HasSubstr("<p>\xE2\x80\x93</p>")) << "the bytes pass unchanged";
    EXPECT_THAT(GenerateSkinXsl(page("<p>x</p>"), skin_), StartsWith(kHeader)) << "none named: Windows-1251";
}

TEST_F(GeneratorTest, ADocumentWithoutBodyIsRefused)
{
    const std::string file = (dir_.path() / "nobody.xhtml").string();
    WriteFileBytes(file, "<html><head/></html>");
    EXPECT_THROW(GenerateDeskTemplate(file, skin_), Exception);
    EXPECT_EQ(GenerateZoneTemplates(file, skin_), "");
    WriteFileBytes(file, "<html><body><p>cut");
    EXPECT_NO_THROW(GenerateSkinXsl(file, skin_)) << "elements open at the end are kept by the reader";
    WriteFileBytes(file, "<html><body><p></div></body></html>");
    EXPECT_THROW(GenerateSkinXsl(file, skin_), Exception);
}

TEST(UnescapeStylesheet, BringsBackReferencesButNotALoneAmpersand)
{
    const std::pair<std::string, std::string> cases[] = {
        {"&amp;SkinsPath;&amp;CurrentSkin;/files/a.png", "&SkinsPath;&CurrentSkin;/files/a.png"},
        {"&amp;#160;&amp;#x2014;", "&#160;&#x2014;"},
        {"&amp;amp;format=&amp;apos;x&amp;apos;", "&amp;format=&apos;x&apos;"},
        {"&lt;b&gt; &quot;q&quot; &apos;", "<b> \"q\" '"},
        {"Tom &amp; Jerry", "Tom &amp; Jerry"},
        {"a=1&amp;b=2", "a=1&amp;b=2"},
        {"&amp;#;&amp;#x;&amp;;&amp;1a;", "&amp;#;&amp;#x;&amp;;&amp;1a;"},
        {"&amp;", "&amp;"},
        {"&unknown; & &", "&unknown; & &"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(UnescapeStylesheet(in), out) << in;
}

TEST(UnescapeStylesheet, AgreesWithXmlUnescapeWhereverAReferenceFollows)
{
    // Where every escaped "&" starts a reference, the result is that of the
    // plain five-entity decoder.
    const std::string samples[] = {"&amp;Server;edit?ID=", "x &lt;&amp;#65;&gt; y", "&amp;apos;&amp;quot;&quot;"};
    for (const std::string& s : samples)
        EXPECT_EQ(UnescapeStylesheet(s), XmlUnescape(s)) << s;
}

} // namespace
