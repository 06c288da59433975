// Reading and changing the current tag: attributes, inner text, whole
// elements; and that a failed change leaves the text as it was.

#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "skin/TagParser.h"
#include "util/Exception.h"

namespace wpe {
namespace {

// A parser standing on the first match of path.
TTagParser at(const std::string& text, const std::string& path, bool ignoreCase = false) {
    TTagParser parser(text);
    parser.SetIgnoreCase(ignoreCase);
    EXPECT_TRUE(parser.Find(path)) << text << " " << path;
    return parser;
}

struct AttributeCase {
    const char* text;
    const char* name;
    const char* expected;
    friend void PrintTo(const AttributeCase& c, std::ostream* os) { *os << c.text << " @" << c.name; }
};

class TagParserGetAttribute : public ::testing::TestWithParam<AttributeCase> {};

TEST_P(TagParserGetAttribute, ReadsTheValue) {
    TTagParser parser = at(GetParam().text, "*");
    EXPECT_EQ(parser.GetAttribute(GetParam().name), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, TagParserGetAttribute,
    ::testing::Values(
        AttributeCase{"<img data-src=\"a\" src=\"b\">", "src", "a"},  // substring match: first one wins
        AttributeCase{"<p title=\"it's\">", "title", "it"},            // either quote ends a value
        AttributeCase{"<a b=1 c=2>", "b", "1"}, AttributeCase{"<a b=1 c=2>", "c", "2"},
        AttributeCase{"<a b=x/>", "b", "x/"}, AttributeCase{"<a  b  =  \"x    y\">", "b", "x y"},
        AttributeCase{"<a b='1'>", "c", ""}, AttributeCase{"<a b=\"&lt;i&gt; &amp;amp; &QUOT;\">", "b", "<i> &amp; \""},
        AttributeCase{"<a b=\"unclosed>", "b", "unclosed"}, AttributeCase{"<a b=>", "b", ""},
        AttributeCase{"<a B=1>", "b", ""}));

TEST(TagParserAttributes, IgnoreCaseFindsNamesInAnyCase) {
    TTagParser parser = at("<A HREF='x.css' Rel=Stylesheet>", "a", true);
    EXPECT_EQ(parser.GetAttribute("href"), "x.css");
    EXPECT_EQ(parser.GetAttribute("REL"), "Stylesheet");
}

TEST(TagParserAttributes, NoCurrentTagReadsEmptyAndRefusesChanges) {
    TTagParser parser("<a b=1>");
    EXPECT_EQ(parser.GetAttribute("b"), "");
    EXPECT_THROW(parser.SetAttribute("b", "2"), Exception);
    EXPECT_EQ(parser.Text(), "<a b=1>");
}

struct SetAttributeCase {
    const char* text;
    const char* path;
    const char* name;
    const char* value;
    const char* expected;
    friend void PrintTo(const SetAttributeCase& c, std::ostream* os) { *os << c.text << " @" << c.name; }
};

class TagParserSetAttribute : public ::testing::TestWithParam<SetAttributeCase> {};

TEST_P(TagParserSetAttribute, RewritesTheStartTag) {
    const SetAttributeCase& c = GetParam();
    TTagParser parser = at(c.text, c.path);
    parser.SetAttribute(c.name, c.value);
    EXPECT_EQ(parser.Text(), c.expected);
    EXPECT_EQ(parser.GetAttribute(c.name), c.value);
}

INSTANTIATE_TEST_SUITE_P(
    Tags, TagParserSetAttribute,
    ::testing::Values(
        SetAttributeCase{"<link href=a.css>\r\n  <p>", "link", "href", "x", "<link href=\"x\"><p>"},
        SetAttributeCase{"<br/>", "br", "href", "x", "<br href=\"x\"/>"},
        SetAttributeCase{"<r><br />\n</r>", "r/br", "id", "1", "<r><br  id=\"1\"/></r>"},
        SetAttributeCase{"<a href='q'>t</a>", "a", "href", "x", "<a href='x'>t</a>"},
        SetAttributeCase{"<a href=\"\">t</a>", "a", "href", "x", "<a href=\"x\">t</a>"},
        SetAttributeCase{"<a b=\"1\">t</a>", "a", "c", "2", "<a b=\"1\" c=\"2\">t</a>"},
        SetAttributeCase{"<a  b = \"1  2\"   c=3>t</a>", "a", "c", "4", "<a b=\"1 2\" c=\"4\">t</a>"},
        SetAttributeCase{"<a t=1>", "a", "t", "a\"b<'&", "<a t=\"a&quot;b&lt;&apos;&\">"},
        SetAttributeCase{"<?xml version=\"1.0\"?>\r\n<r/>", "?xml", "encoding", "UTF-8",
                         "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r/>"},
        SetAttributeCase{"<a>\r\n", "a", "b", "1", "<a b=\"1\">\n"}));  // the last character stays

TEST(TagParserText, GetTextDecodesAndStripsCData) {
    EXPECT_EQ(at("<a>x &amp; <![CDATA[<y> &amp;]]></a>", "a").GetText(), "x & <y> &");
    EXPECT_EQ(at("<a></a>", "a").GetText(), "");
    EXPECT_EQ(at("<a/>", "a").GetText(), "");
    EXPECT_EQ(at("<r><a>1</a></r>", "r").GetText(), "<a>1</a>");
    EXPECT_EQ(at("<?xml version=\"1.0\"?>", "?xml").GetText(), "");
}

TEST(TagParserText, GetTextFailsOnMissingClosingTagOrCurrentTag) {
    TTagParser parser = at("<a>x", "a");
    try {
        parser.GetText();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Tag \"a\" is not closed");
    }
    TTagParser none("<a>x</a>");
    try {
        none.GetText();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Current tag is not set!");
    }
    TTagParser cdata = at("<a><![CDATA[x</a>", "a");
    try {
        cdata.GetText();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Tag \"<![CDATA[\" is not closed");
    }
}

struct SetTextCase {
    const char* text;
    const char* value;
    const char* expected;
    friend void PrintTo(const SetTextCase& c, std::ostream* os) { *os << c.text << " := " << c.value; }
};

class TagParserSetText : public ::testing::TestWithParam<SetTextCase> {};

TEST_P(TagParserSetText, ReplacesTheInnerText) {
    TTagParser parser = at(GetParam().text, "r/a");
    parser.SetText(GetParam().value);
    EXPECT_EQ(parser.Text(), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, TagParserSetText,
    ::testing::Values(SetTextCase{"<r><a/></r>", "v", "<r><a>v</a>\r\n</r>"},
                      SetTextCase{"<r><a>old</a></r>", "a<b", "<r><a>a&lt;b</a></r>"},
                      SetTextCase{"<r><a>old</a></r>", "&amp;", "<r><a>&amp;</a></r>"},
                      SetTextCase{"<r><a>old</a></r>", "a & b", "<r><a>a &amp; b</a></r>"},
                      SetTextCase{"<r><a>old</a></r>", "x&", "<r><a>x&</a></r>"},
                      SetTextCase{"<r><a>old</a></r>", "", "<r><a></a></r>"},
                      SetTextCase{"<r><a x=1>old</a></r>", "'\"", "<r><a x=1>&apos;&quot;</a></r>"},
                      SetTextCase{"<r><a><![CDATA[old]]></a></r>", "n<e&", "<r><a><![CDATA[n<e&]]></a></r>"},
                      SetTextCase{"<r><a><![CDATA[o]]>x</a></r>", "<", "<r><a>&lt;</a></r>"}));

TEST(TagParserText, SetTextRoundTripsThroughGetText) {
    for (const char* value : {"1 < 2 & \"q\" 'x' > 0", "plain", "a]]>b", ""}) {
        TTagParser parser = at("<r><a>old</a><b>keep</b></r>", "r/a");
        parser.SetText(value);
        EXPECT_EQ(parser.GetText(), value);
        TTagParser cdata = at("<r><a><![CDATA[old]]></a></r>", "r/a");
        cdata.SetText(value);
        EXPECT_EQ(cdata.GetText(), value) << "inside CDATA: " << cdata.Text();
    }
}

TEST(TagParserElements, RemovingAnElementLetsTheWalkContinue) {
    for (const char* text : {"<a n=1>1</a>\r\n<a n=2>2</a>\r\n<a n=3>3</a>", "<r><a n=1>1</a> <a n=2 />\n<a n=3>3</a></r>"}) {
        TTagParser parser(text);
        std::string path = text[1] == 'r' ? "r/a" : "a";
        std::string seen;
        while (parser.Find(path)) {
            std::string n = parser.GetAttribute("n");
            seen += n;
            if (n != "3")
                parser.ReplaceElement("");
            ASSERT_LT(seen.size(), 10u);
        }
        EXPECT_EQ(seen, "123") << text;
    }
}

TEST(TagParserElements, RemovingEveryElement) {
    TTagParser parser("<r><a>1</a> <a>2</a>\r\n</r>");
    int removed = 0;
    while (parser.Find("r/a") && removed < 5) {
        parser.ReplaceElement("");
        ++removed;
    }
    EXPECT_EQ(removed, 2);
    EXPECT_EQ(parser.Text(), "<r></r>");
}

TEST(TagParserElements, ReplaceElementPutsTextInItsPlace) {
    TTagParser parser = at("<x/><a>1<a>2</a></a>  \r\n<b/>", "a");
    parser.ReplaceElement("<c>z</c>");
    EXPECT_EQ(parser.Text(), "<x/><c>z</c><b/>");
    EXPECT_EQ(parser.TagName(), "c");
    EXPECT_EQ(parser.Position(), 5u);

    TTagParser selfClosing = at("<x/><a/> <b/>", "a");
    selfClosing.ReplaceElement("");
    EXPECT_EQ(selfClosing.Text(), "<x/> <b/>");
    EXPECT_EQ(selfClosing.Position(), 1u);
    EXPECT_EQ(selfClosing.TagName(), "x");
}

// A parser that has made changes must find what a parser loaded with the
// changed text finds (it keeps what it learnt about the text through edits).
std::vector<std::size_t> walk(TTagParser& parser, const char* path) {
    std::vector<std::size_t> positions;
    parser.Reset();
    while (parser.Find(path) && positions.size() < 50)
        positions.push_back(parser.Position());
    return positions;
}

TEST(TagParserElements, AfterChangesFindsWhatAFreshParserFinds) {
    const std::string text =
        "<html><body><!-- <img n=0> --><div><img n=1 ><![CDATA[<img n=2>]]><img n=3></div>\r\n"
        "<div><p><img n=4 /></p><!--x--><img n=5></div><script><![CDATA[ a<b ]]></script></body></html>";
    const char* checks[] = {"img", "html/body/div/img", "div/p/img", "body/*"};
    for (const char* path : {"img", "div/img", "html/body/div/img", "body/*"}) {
        TTagParser parser(text);
        for (int round = 0; round < 12; ++round) {
            parser.Reset();
            bool found = true;
            for (int i = 0; i <= round / 3 && found; ++i)
                found = parser.Find(path);
            if (!found)
                break;
            try {
                switch (round % 3) {
                case 0: parser.SetAttribute("src", "<!-- new -->"); break;
                case 1: parser.SetAttribute("n", "a  b <![CDATA["); break;
                default: parser.ReplaceElement("<img n=9/><![CDATA[ x ]]><!-- <img> -->"); break;
                }
            } catch (const Exception&) {
                // An image without a closing tag cannot be replaced; the text stays.
            }
            TTagParser fresh(parser.Text());
            for (const char* check : checks)
                ASSERT_EQ(walk(parser, check), walk(fresh, check)) << path << " " << check << "\n" << parser.Text();
        }
    }
}

// Each failing change must leave Text exactly as it was.
TEST(TagParserElements, FailedChangesLeaveTheTextAlone) {
    struct Case {
        const char* text;
        const char* path;
        std::function<void(TTagParser&)> change;
    };
    const Case cases[] = {
        {"<r><a>x</r>", "r/a", [](TTagParser& p) { p.SetText("y"); }},
        {"<r><a>x</r>", "r/a", [](TTagParser& p) { p.ReplaceElement(""); }},
        {"<a b='[1'>", "a", [](TTagParser& p) { p.SetAttribute("b", "2"); }},
        {"<a b=1", "a", [](TTagParser& p) { p.SetAttribute("b", "2"); }},
        {"<a b=1", "a", [](TTagParser& p) { p.ReplaceElement(""); }},
    };
    for (const Case& c : cases) {
        TTagParser parser = at(c.text, c.path);
        EXPECT_THROW(c.change(parser), Exception) << c.text;
        EXPECT_EQ(parser.Text(), c.text);
    }
    TTagParser none("<a>x</a>");
    EXPECT_THROW(none.SetText("y"), Exception);
    EXPECT_THROW(none.ReplaceElement(""), Exception);
    EXPECT_EQ(none.Text(), "<a>x</a>");
}

} // namespace
} // namespace wpe
