// The start page rendered from the sample portal.

#include "PortalTestSupport.h"

#include "portal/StartPage.h"
#include "portal/StaticExport.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {
class StartPageTest : public PortalCopyTest {};
} // namespace

TEST_F(StartPageTest, BothProfilesRenderInBothSkins)
{
    TPortalBase base(root_.string());
    for (const char* skin : {"Ocean", "Paper"}) {
        SCOPED_TRACE(skin);
        base.setCurrentSkin(skin);
        base.setElement("user/CurrentDesk", "Default");
        const std::string home = RenderStartPage(base);
        // Reachable both from the server's root and from PORTAL/desk.html.
        EXPECT_THAT(home, HasSubstr("href=\"../SKINS/" + std::string(skin) + "/skin.css\""));
        EXPECT_THAT(home, HasSubstr("src=\"portal.js\""));
        EXPECT_THAT(home, HasSubstr("World News"));
        EXPECT_THAT(home, HasSubstr("Harbour bridge reopens after repairs</a>")) << "RSS rendered by its own XSL";
        EXPECT_THAT(home, HasSubstr("<td>USD</td>")) << "XML content rendered by its own XSL";
        EXPECT_THAT(home, HasSubstr("<table class=\"weather\">")) << "HTML content passed through as markup";
        EXPECT_THAT(home, Not(HasSubstr("agenda"))) << "a part of the other profile";

        base.setElement("user/CurrentDesk", "Work");
        const std::string work = RenderStartPage(base);
        // Windows-1251 parts come out as UTF-8.
        EXPECT_THAT(work, HasSubstr("\xD0\x9D\xD0\xBE\xD0\xB2\xD0\xBE\xD1\x81\xD1\x82\xD0\xB8"));  // Новости
        EXPECT_THAT(work, HasSubstr("Programme de la semaine"));
        EXPECT_THAT(work, Not(HasSubstr("World News")));
    }
}

TEST_F(StartPageTest, TheOceanSkinFramesWebPartsByTheirFrameSetting)
{
    TPortalBase base(root_.string());
    const std::string page = RenderStartPage(base);
    EXPECT_THAT(page, HasSubstr("<div id=\"ZONE3_HAS_BORDER\">"));  // news has a frame
    EXPECT_THAT(page, HasSubstr("<div id=\"ZONE2_NO_BORDER\">"));   // the clock has none
    EXPECT_THAT(page, HasSubstr("id=\"btn_news\""));
    // The HTML output escapes the blank of the script address; browsers decode it.
    EXPECT_THAT(page, HasSubstr("showDialog('news',%20'edit?ID=news',233,182)"));
    EXPECT_THAT(page, HasSubstr("src=\"../SKINS/Ocean/files/minimize.svg\""));

    TStartPageOptions served;
    served.server = "http://127.0.0.1:8180/";
    served.skinsPath = "skins/";
    const std::string absolute = RenderStartPage(base, served);
    EXPECT_THAT(absolute, HasSubstr("showDialog('news',%20'http://127.0.0.1:8180/edit?ID=news',233,182)"));
    EXPECT_THAT(absolute, HasSubstr("href=\"skins/Ocean/skin.css\""));
}

TEST_F(StartPageTest, ABrokenOrMissingWebPartDoesNotBreakThePage)
{
    WriteFileBytes(root_ / "STORAGE" / "currency.xml",
                   "<WebPart><Title>Broken rates</Title><HasFrame>1</HasFrame><Content><r/></Content>"
                   "<XSL><xsl:stylesheet version=\"1.0\" xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\">"
                   "<xsl:template match=\"/\"><xsl:value-of/></xsl:template></xsl:stylesheet></XSL></WebPart>");
    fs::remove(root_ / "STORAGE" / "stocks.xml");
    WriteFileBytes(root_ / "STORAGE" / "links.xml", "<WebPart><Title>cut off");
    TPortalBase base(root_.string());
    const std::string page = RenderStartPage(base);
    EXPECT_THAT(page, HasSubstr("Broken rates"));
    EXPECT_THAT(page, HasSubstr("The web part \"currency\" cannot be shown:</b> The XSL is not a valid stylesheet"));
    EXPECT_THAT(page, Not(HasSubstr("Market Watch")));
    EXPECT_THAT(page, HasSubstr("The web part \"stocks\" cannot be shown:</b> its file is not in the storage folder"));
    EXPECT_THAT(page, HasSubstr("The web part \"links\" cannot be shown:</b> its file is not well-formed XML"));
    EXPECT_THAT(page, HasSubstr("World News"));
    EXPECT_THAT(page, HasSubstr("<td>Sunny, 18 C</td>")) << "parts after the broken ones still render";
}

TEST_F(StartPageTest, BuildingWritesDeskHtmlOrExplainsWhyNot)
{
    TPortalBase base(root_.string());
    const std::string file = BuildStartPage(base);
    EXPECT_EQ(file, (root_ / "PORTAL" / "desk.html").string());
    EXPECT_THAT(ReadFileBytes(file), HasSubstr("World News"));

    fs::remove(root_ / "SKINS" / "Paper" / "skin.xsl");
    base.setCurrentSkin("Paper");
    EXPECT_THROW(BuildStartPage(base), Exception);
    base.setElement("user/CurrentSkin", "");
    EXPECT_THROW(BuildStartPage(base), Exception);
    EXPECT_THAT(ReadFileBytes(file), HasSubstr("World News")) << "the last page stays";
}

TEST_F(StartPageTest, AStaticExportHoldsThePageAndEverythingItLinks)
{
    TPortalBase base(root_.string());
    TTempDir out;
    const fs::path target = out.path() / "site";
    const std::vector<std::string> files = ExportStaticPortal(base, target.string());
    const std::string page = ReadFileBytes(target / "index.html");
    EXPECT_THAT(page, HasSubstr("World News"));
    // Every local reference of the page is a file of the export.
    for (const char* ref : {"skins/Ocean/skin.css", "skins/Ocean/files/minimize.svg", "skins/Ocean/files/edit.svg",
                            "portal.js", "onload"}) {
        EXPECT_TRUE(fs::exists(target / ref)) << ref;
    }
    EXPECT_THAT(page, HasSubstr("href=\"skins/Ocean/skin.css\""));
    EXPECT_THAT(page, HasSubstr("src=\"onload?0\""));
    EXPECT_FALSE(fs::exists(target / "skins" / "Ocean" / "Ocean.cso")) << "skin sources stay home";
    EXPECT_FALSE(fs::exists(target / "skins" / "Ocean" / "skin.xsl"));
    EXPECT_EQ(files.size(), 3u + 4u);

    fs::remove(root_ / "SKINS" / "Ocean" / "skin.xsl");
    EXPECT_THROW(ExportStaticPortal(base, (out.path() / "other").string()), Exception);
    EXPECT_FALSE(fs::exists(out.path() / "other" / "index.html")) << "nothing written when the page fails";
}
