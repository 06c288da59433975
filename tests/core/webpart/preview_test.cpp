#include "webpart/Preview.h"

#include <gtest/gtest.h>

#include <stdexcept>

using namespace wpe;

namespace {

TEST(PreviewText, ContentWithoutXslIsShownWithALeadingCDataSectionUnwrapped) {
    struct Row {
        const char* content;
        const char* shown;
    };
    const Row rows[] = {
        {"  <![CDATA[<i>a</i>]]> tail", "<i>a</i> tail"},
        {"<b>plain</b>  ", "<b>plain</b>  "},  // unchanged, not trimmed
        {"x <![CDATA[y]]>", "x <![CDATA[y]]>"},  // only a leading section
        {"<![CDATA[a[b[0]]]]>", "a[b[0]]"},
        {"<![CDATA[open", "open"},
    };
    for (const Row& row : rows) EXPECT_EQ(ContentPreviewHtml(row.content), row.shown) << row.content;
}

TEST(PreviewText, OnlyThreeEntitiesAreDecodedForTheGenerator) {
    EXPECT_EQ(DecodePreviewEntities("&lt;b a=&quot;1&quot;&gt;&amp;lt;&apos;&LT;"), "<b a=\"1\">&amp;lt;&apos;&LT;");
}

TEST(PreviewText, ProblemsAreShownEscapedAndStyledAsAnError) {
    std::string page = PreviewErrorPage("The preview cannot be shown", "The XSL is not valid:\nline 3: <bad> & worse");
    EXPECT_NE(page.find("class=\"wpe-preview-error\""), std::string::npos);
    EXPECT_NE(page.find("line 3: &lt;bad&gt; &amp; worse"), std::string::npos) << page;
    EXPECT_EQ(page.find(kPreviewSandboxNote), std::string::npos) << "no refusal, no note";

    std::string refused = PreviewErrorPage("x", "Writing \"/tmp/a\" is not allowed: ...");
    EXPECT_NE(refused.find(kPreviewSandboxNote), std::string::npos);

    EXPECT_EQ(WithPreviewWarnings("<p>ok</p>", " \n"), "<p>ok</p>");
    std::string warned = WithPreviewWarnings("<p>ok</p>", "Reading \"/etc/x\" is not allowed: ...");
    EXPECT_NE(warned.find("wpe-preview-error"), std::string::npos);
    EXPECT_NE(warned.find(kPreviewSandboxNote), std::string::npos);
    EXPECT_EQ(warned.substr(warned.size() - 9), "<p>ok</p>");
}

} // namespace

namespace {

TEST(PreviewText, PreviewHtmlPicksTheWayByTheXslAndNeverShowsABlank) {
    std::string xmlSeen, xslSeen;
    PreviewGenerator echo = [&](const std::string& xml, const std::string& xsl, std::string* warnings) {
        xmlSeen = xml;
        xslSeen = xsl;
        if (xsl == "warn") *warnings = "Reading \"a\" is not allowed: ...";
        if (xsl == "fail") throw std::runtime_error("The XSL is not a valid stylesheet:\nline 2: bad");
        return std::string("<p>out</p>");
    };
    EXPECT_EQ(PreviewHtml("", "x", echo), std::nullopt) << "empty content keeps what was shown";
    EXPECT_EQ(PreviewHtml(" <![CDATA[<i>a</i>]]>", "", echo), "<i>a</i>");
    EXPECT_EQ(PreviewHtml("&lt;b&gt;", "&lt;x a=&quot;1&quot;/&gt;", echo), "<p>out</p>");
    EXPECT_EQ(xmlSeen, "<b>");
    EXPECT_EQ(xslSeen, "<x a=\"1\"/>");
    std::string warned = *PreviewHtml("c", "warn", echo);
    EXPECT_NE(warned.find("wpe-preview-error"), std::string::npos);
    EXPECT_EQ(warned.substr(warned.size() - 10), "<p>out</p>");
    std::string failed = *PreviewHtml("c", "fail", echo);
    EXPECT_NE(failed.find("The preview cannot be shown"), std::string::npos);
    EXPECT_NE(failed.find("line 2: bad"), std::string::npos);
}

} // namespace
