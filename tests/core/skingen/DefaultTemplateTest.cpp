// The shipped default template ("New Skin" starts from it): all markers and
// variants present, a byte-exact stylesheet, and a page the portal renders.
// After a deliberate change of the template or the generator, refresh the
// golden file by running this test with WPE_UPDATE_GOLDEN=1 and review the
// difference.

#include "SkinTestSupport.h"

#include "tidy/Tidy.h"
#include "util/Files.h"
#include "xml/XmlUtils.h"

#include <gmock/gmock.h>

#include <regex>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;
using ::testing::Not;

namespace {

class DefaultTemplateTest : public SkinBuildTest {
protected:
    void SetUp() override
    {
        SkinBuildTest::SetUp();
        if (IsSkipped())
            return;
        data_ = SamplePortal().parent_path();
        skin_ = makeSkinFolder("Fresh");
    }
    // The steps of "New Skin" and "Build skin" without the editor.
    std::string build()
    {
        ImportTemplate((data_ / "skin template.html").string(), skin_);
        CopyFileReplace((data_ / "skin.css").string(), skin_ + "skin.css");
        const std::string xhtml = (dir_.path() / "default.xhtml").string();
        TemplateToXhtml(skin_ + "skin template.html", xhtml);
        xhtml_ = xhtml;
        const std::string xsl = GenerateSkinXsl(xhtml, skin_);
        WriteWholeFile(skin_ + "skin.xsl", xsl);
        return xsl;
    }

    fs::path data_;
    std::string skin_;
    std::string xhtml_;
};

TEST_F(DefaultTemplateTest, HasEveryMarkerBothVariantsAndBothIcons)
{
    build();
    TRef<TXmlDDocument> doc = MakeRef<TXmlDDocument>();
    doc->LoadFromFile(xhtml_);
    std::multiset<std::string> ids;
    for (TXmlDNode* node = doc.get(); node; node = NextNode(node))
        if (!GetAttr(node, "id").empty())
            ids.insert(GetAttr(node, "id"));
    for (int i = 0; i < kSkinMarkerCount; ++i)
        EXPECT_EQ(ids.count(kSkinMarkers[i]), 1u) << kSkinMarkers[i];
    for (int n = 1; n <= 5; ++n) {
        EXPECT_EQ(ids.count("ZONE" + std::to_string(n) + "_HAS_BORDER"), 1u) << n;
        EXPECT_EQ(ids.count("ZONE" + std::to_string(n) + "_NO_BORDER"), 1u) << n;
    }
    EXPECT_EQ(ids.count("ICON_EDIT"), 5u);
    EXPECT_EQ(ids.count("ICON_STATE"), 5u);
    EXPECT_EQ(ids.count("WEBPART_CONTENT"), 10u);
    EXPECT_EQ(ids.count("BORDER_TITLE"), 5u);
    EXPECT_EQ(ids.count("BORDER_MENU"), 5u);
    EXPECT_EQ(TidyErrorCount(), 0);
}

TEST_F(DefaultTemplateTest, BuildsTheGoldenStylesheet)
{
    const std::string xsl = build();
    const fs::path golden = EnvOrSourceFolder("WPE_TEST_DATA", "../../data") / "skingen" / "default skin.xsl";
    if (std::getenv("WPE_UPDATE_GOLDEN"))
        WriteFileBytes(golden, xsl);
    ASSERT_TRUE(fs::exists(golden)) << golden;
    EXPECT_EQ(xsl, ReadFileBytes(golden));
    EXPECT_EQ(StylesheetError(xsl, mainDtd()), "");
    // A rebuild gives the same bytes: nothing of the first build leaks in.
    EXPECT_EQ(build(), xsl);
}

TEST_F(DefaultTemplateTest, ThePortalRendersItWithFramesIconsAndFooter)
{
    build();
    TPortalBase base(root_.string());
    base.setCurrentSkin("Fresh");
    const std::string page = RenderStartPage(base);
    EXPECT_THAT(page, HasSubstr("<div id=\"ZONE3_HAS_BORDER\">"));   // news has a frame
    EXPECT_THAT(page, HasSubstr("<div id=\"ZONE2_NO_BORDER\">"));    // the clock has none
    EXPECT_THAT(page, HasSubstr("id=\"btn_news\""));
    EXPECT_THAT(page, HasSubstr("src1=\"data:image/svg+xml,"));
    EXPECT_THAT(page, HasSubstr("class=\"masthead\""));
    EXPECT_THAT(page, HasSubstr("onload?0&amp;format="));
    EXPECT_THAT(page, HasSubstr("World News"));
    for (const std::string& ref : HtmlReferences(page))
        EXPECT_TRUE(IsRemoteReference(ref) || IsPortalReference(ref) || ref == PageSkinPrefix("Fresh") + "skin.css")
            << ref;
}

} // namespace
