// Finding tags by path: names, case, sections, indexes, predicates,
// backtracking, sibling walks, and termination on broken markup.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skin/TagParser.h"
#include "util/Exception.h"

namespace wpe {
namespace {

// Every match of path from a fresh start, as the texts of attribute `attr`.
std::vector<std::string> visit(TTagParser& parser, const std::string& path, const std::string& attr) {
    std::vector<std::string> seen;
    parser.Reset();
    while (parser.Find(path)) {
        seen.push_back(parser.GetAttribute(attr));
        if (seen.size() > 100)
            break;
    }
    return seen;
}

// The same, as the inner texts of the matches.
std::vector<std::string> visitTexts(TTagParser& parser, const std::string& path) {
    std::vector<std::string> seen;
    parser.Reset();
    while (parser.Find(path)) {
        seen.push_back(parser.GetText());
        if (seen.size() > 100)
            break;
    }
    return seen;
}

using Texts = std::vector<std::string>;

TEST(TagParserFind, VisitsEveryTagInOrderThenStops) {
    TTagParser parser("<link n=1><p><link n=2></p>\r\n<link n=3>");
    EXPECT_EQ(visit(parser, "link", "n"), (Texts{"1", "2", "3"}));
    EXPECT_FALSE(parser.Find("link")) << "a finished walk does not wrap around";
}

TEST(TagParserFind, NameMustEndWithBlankSlashOrBracket) {
    // A line break after the name does not count, nor does a longer name.
    TTagParser parser("<img\nsrc=a><imgx src=b><img/><img src=c>");
    parser.Reset();
    ASSERT_TRUE(parser.Find("img"));
    EXPECT_EQ(parser.Position(), 24u);
    ASSERT_TRUE(parser.Find("img"));
    EXPECT_EQ(parser.GetAttribute("src"), "c");
    EXPECT_FALSE(parser.Find("img"));
}

TEST(TagParserFind, IgnoreCaseMatchesNamesButKeepsValues) {
    TTagParser parser("<HTML><LINK REL=stylesheet></HTML>");
    EXPECT_FALSE(parser.Find("link"));
    parser.SetIgnoreCase(true);
    parser.Reset();
    ASSERT_TRUE(parser.Find("link"));
    EXPECT_EQ(parser.TagName(), "link");
    EXPECT_EQ(parser.GetAttribute("rel"), "stylesheet");
    parser.Reset();
    EXPECT_TRUE(parser.Find("html/link"));
}

TEST(TagParserFind, SkipsTagsInCommentsAndCData) {
    TTagParser parser("<!-- <a n=1>x</a> --><![CDATA[<a n=2>y</a>]]><![cdata[<a n=3 />]]>"
                      "<a n=4>z</a>");
    EXPECT_EQ(visit(parser, "a", "n"), (Texts{"4"}));
    EXPECT_EQ(visit(parser, "*", "n"), (Texts{"4"}));
}

TEST(TagParserFind, UnterminatedSectionsHideNothing) {
    TTagParser parser("<a n=1 /><!--<a n=2 /><![CDATA[<a n=3 />");
    EXPECT_EQ(visit(parser, "a", "n"), (Texts{"1", "2", "3"}));
}

TEST(TagParserFind, AnyTagSkipsClosingTagsDeclarationsAndCommentsButNotProcessingInstructions) {
    TTagParser parser("<?xml version=\"1.0\"?><!DOCTYPE r><r><a/></r>");
    std::vector<std::string> names;
    parser.Reset();
    while (parser.Find("*"))
        names.push_back(parser.TagName());
    EXPECT_EQ(names, (Texts{"?xml", "r", "a"}));
}

TEST(TagParserFind, ChildPathsSearchInsideTheParent) {
    TTagParser parser("<b n=0 /><a><b n=1 /><c><b n=2 /></c></a><b n=3 /><a><b n=4 /></a>");
    EXPECT_EQ(visit(parser, "a/b", "n"), (Texts{"1", "2", "4"}));
    EXPECT_EQ(visit(parser, "a/c/b", "n"), (Texts{"2"}));
}

TEST(TagParserFind, ParentLookupPrefersABareStartTagAnywhereBefore) {
    // The second a is written with an attribute, so its children are looked
    // for in the first, bare "<a>", and are not found.
    TTagParser bareFirst("<a><b n=1 /></a><a x=1><b n=2 /></a>");
    EXPECT_EQ(visit(bareFirst, "a/b", "n"), (Texts{"1"}));
    TTagParser withAttributes("<a y=1><b n=1 /></a><a x=1><b n=2 /></a>");
    EXPECT_EQ(visit(withAttributes, "a/b", "n"), (Texts{"1", "2"}));
    TTagParser bareLast("<a y=1><b n=1 /></a><a><b n=2 /></a>");
    EXPECT_EQ(visit(bareLast, "a/b", "n"), (Texts{"1", "2"}));
}

TEST(TagParserFind, BacktracksToTheNextParent) {
    TTagParser parser("<r><a><b>1</b></a><a><c>2</c></a></r><r><a><c>3</c></a></r>");
    EXPECT_EQ(visitTexts(parser, "a/c"), (Texts{"2", "3"}));
    EXPECT_EQ(visitTexts(parser, "r/a/c"), (Texts{"2", "3"}));
}

TEST(TagParserFind, NestedSameNameElementsPairWithTheFirstClosingTag) {
    // GetText searches for the closing tag from the start tag itself and so
    // pairs the outer a with the last </a>; the parent scope of a path step
    // searches from after the '>' and ends at the first </a>.
    TTagParser parser("<a><a>x</a><b>1</b></a>");
    ASSERT_TRUE(parser.Find("a"));
    EXPECT_EQ(parser.GetText(), "<a>x</a><b>1</b>");
    EXPECT_EQ(parser.GetOuterText(), "<a><a>x</a>");
    parser.Reset();
    EXPECT_FALSE(parser.Find("a/b"));
    parser.Reset();
    EXPECT_TRUE(parser.Find("b"));
}

TEST(TagParserFind, IndexStepsCountWithinTheParent) {
    TTagParser parser("<a><b>1</b><b>2</b></a><a><b>3</b><b>4</b><b>5</b></a>");
    EXPECT_EQ(visitTexts(parser, "a/b[2]"), (Texts{"2", "4"}));
    // An index that runs out fails at once, without trying the next parent.
    EXPECT_EQ(visitTexts(parser, "a/b[3]"), (Texts{}));
    EXPECT_EQ(visitTexts(parser, "b[2]"), (Texts{"2", "4"}));
    EXPECT_EQ(visitTexts(parser, "a[2]/b"), (Texts{"3", "4", "5"}));
}

TEST(TagParserFind, IndexZeroSucceedsWithoutMoving) {
    TTagParser parser("<a>1</a><a>2</a>");
    ASSERT_TRUE(parser.Find("a"));
    ASSERT_TRUE(parser.Find("a"));
    EXPECT_EQ(parser.Position(), 9u);
    EXPECT_TRUE(parser.Find("a[0]"));
    EXPECT_EQ(parser.Position(), 9u);
    EXPECT_EQ(parser.TagName(), "a");
}

TEST(TagParserFind, IndexZeroParentWithoutMatchingChildEnds) {
    // Backtracking into a[0] finds no further candidate instead of cycling.
    TTagParser parser("<a><b/></a>");
    EXPECT_FALSE(parser.Find("a[0]/c"));
    parser.Reset();
    ASSERT_TRUE(parser.Find("a"));
    EXPECT_FALSE(parser.Find("a[0]/c"));
}

struct PredicateCase {
    const char* path;
    Texts expected;
    friend void PrintTo(const PredicateCase& c, std::ostream* os) { *os << c.path; }
};

class TagParserPredicate : public ::testing::TestWithParam<PredicateCase> {};

TEST_P(TagParserPredicate, SelectsByRawAttributeValue) {
    TTagParser parser("<r><i v=b n=1 /><i v=\"a\" n=2 /><i v='c' n=3 /><i n=4 /><i v=\"&amp;\" n=5 /></r>");
    EXPECT_EQ(visit(parser, GetParam().path, "n"), GetParam().expected) << GetParam().path;
}

INSTANTIATE_TEST_SUITE_P(
    Paths, TagParserPredicate,
    ::testing::Values(PredicateCase{"r/i[@v='a']", {"2"}}, PredicateCase{"r/i[@v=a]", {"2"}},
                      PredicateCase{"r/i[@v=\"a\"]", {"2"}}, PredicateCase{"i[@v!=b]", {"2", "3", "4", "5"}},
                      PredicateCase{"i[@v>b]", {"3"}}, PredicateCase{"i[@v<b]", {"2", "4", "5"}},
                      PredicateCase{"i[@v=&amp;]", {"5"}}, PredicateCase{"i[@v=]", {"4"}},
                      PredicateCase{"i[@v==a]", {}}, PredicateCase{"i[@v]", {}},
                      // Without "@" the attribute is one no tag carries, read as empty.
                      PredicateCase{"i[v!=1]", {"1", "2", "3", "4", "5"}}, PredicateCase{"i[v=1]", {}},
                      PredicateCase{"i[]", {}}));

TEST(TagParserFind, PredicateNameMatchesAsSubstringAndWithCase) {
    TTagParser parser("<i data-v=x n=1 /><i V=x n=2 />");
    EXPECT_EQ(visit(parser, "i[@v=x]", "n"), (Texts{"1"}));
    parser.SetIgnoreCase(true);
    EXPECT_EQ(visit(parser, "i[@v=x]", "n"), (Texts{"1", "2"}));
}

TEST(TagParserFind, AnyChildWalksSiblingsIncludingVoidElements) {
    TTagParser parser("<ul><li>1</li><li>2<b>x</b></li><br><li>3</li></ul><p>after</p>");
    std::vector<std::string> names;
    parser.Reset();
    while (parser.Find("ul/*") && names.size() < 20)
        names.push_back(parser.TagName());
    EXPECT_EQ(names, (Texts{"li", "li", "br", "li"}));
}

TEST(TagParserFind, SamePathContinuesAndNewPathRestartsAtTheFirstStep) {
    TTagParser parser("<a><b n=1 /></a><a><b n=2 /><b n=3 /></a>");
    ASSERT_TRUE(parser.Find("a/b"));
    EXPECT_EQ(parser.GetAttribute("n"), "1");
    EXPECT_EQ(parser.LastPath(), "a/b");
    EXPECT_FALSE(parser.FreshSearch());
    ASSERT_TRUE(parser.Find("b"));  // a new path searches on from the current position
    EXPECT_EQ(parser.GetAttribute("n"), "2");
    parser.Reset();
    EXPECT_TRUE(parser.FreshSearch());
    EXPECT_EQ(parser.Position(), 0u);
    EXPECT_EQ(parser.TagName(), "");
    EXPECT_EQ(parser.LastPath(), "");
}

TEST(TagParserFind, EmptyPathFailsAndSlashesOnlyFindNothing) {
    TTagParser parser("<a/>");
    try {
        parser.Find("");
        FAIL() << "an empty path must fail";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Unknown address \"\"");
    }
    EXPECT_FALSE(parser.Find("//"));
    EXPECT_TRUE(parser.Find("/a/"));
}

TEST(TagParserFind, BracketWithoutClosingFailsOnlyWhereTheTagEndIsNeeded) {
    TTagParser parser("<i v=\"[\" n=1><i n=2>");
    int found = 0;
    while (parser.Find("i") && found < 5)  // finding by name needs no tag end
        ++found;
    EXPECT_EQ(found, 2);
    parser.Reset();
    ASSERT_TRUE(parser.Find("i"));
    EXPECT_THROW(parser.GetAttribute("n"), Exception);
    parser.Reset();
    try {
        parser.Find("i[@n=1]");
        FAIL() << "the start tag has no end";
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Tag \"[\" is not closed");
    }
}

// Broken markup: every walk ends, Position only moves forward, and each match
// is a '<' inside the text.
TEST(TagParserFind, WalksOverBrokenMarkupEnd) {
    const char* texts[] = {"<",          "<a",        "<a ",          "<a>",          "<a><",       "<<<<a>",
                           "<!--<a>",    "<![CDATA[<a>", "<a [ <a>",  "<a>]]><a>",    "</a></a>",   "<a/><a/",
                           "<a><a><a>",  "<a x='>",   "<a><b></a>",   "<?a ?><a b>",  "<a>--><a>",  "<a>]]>"};
    const char* paths[] = {"a", "*", "a/b", "a/*", "a/a", "*/a", "a[1]", "a[2]/b", "a[@x=1]", "a[0]/b", "a/b/c"};
    for (const char* text : texts) {
        for (const char* path : paths) {
            TTagParser parser(text);
            std::size_t last = 0;
            int found = 0;
            try {
                while (parser.Find(path)) {
                    ASSERT_GT(parser.Position(), last) << text << " " << path;
                    ASSERT_LE(parser.Position(), parser.Text().size());
                    ASSERT_EQ(parser.Text()[parser.Position() - 1], '<');
                    last = parser.Position();
                    ASSERT_LT(++found, 20) << text << " " << path;
                }
            } catch (const Exception&) {
                // A bracket without ']' may fail a predicate; that is a clear error.
            }
            EXPECT_EQ(parser.Text(), text);
        }
    }
}

} // namespace
} // namespace wpe
