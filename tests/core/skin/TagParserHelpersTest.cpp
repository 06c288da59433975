// Entity helpers and the section index, checked against plain
// step-by-step versions over generated texts.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "skin/TagParser.h"
#include "util/Exception.h"

namespace wpe {
namespace {

struct Conversion {
    const char* input;
    const char* expected;
    friend void PrintTo(const Conversion& c, std::ostream* os) { *os << c.input; }
};

class DecodeEntitiesTest : public ::testing::TestWithParam<Conversion> {};
TEST_P(DecodeEntitiesTest, Decodes) { EXPECT_EQ(DecodeEntities(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Texts, DecodeEntitiesTest,
                         ::testing::Values(Conversion{"&lt;a&gt;", "<a>"}, Conversion{"&amp;lt;", "&lt;"},
                                           Conversion{"&amp;apos;", "'"}, Conversion{"&LT;&Quot;", "<\""},
                                           Conversion{"&nbsp;&#65;", "&nbsp;&#65;"}, Conversion{"", ""}));

class StripCDataTest : public ::testing::TestWithParam<Conversion> {};
TEST_P(StripCDataTest, Strips) { EXPECT_EQ(StripCData(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(Texts, StripCDataTest,
                         ::testing::Values(Conversion{"a<![CDATA[b]]>c<![CDATA[d]]>", "abcd"},
                                           Conversion{"<![CDATA[]]>", ""}, Conversion{"x]]>y", "x]]>y"},
                                           Conversion{"<![CDATA[a]]>]]>", "a]]>"},
                                           Conversion{"<![CDATA[<![CDATA[x]]>", "<![CDATA[x"}));

TEST(StripCDataTest, UnclosedSectionFails) {
    try {
        StripCData("a<![CDATA[b]]><![CDATA[c");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_STREQ(e.what(), "Tag \"<![CDATA[\" is not closed");
    }
}

class EscapeAmpersandsTest : public ::testing::TestWithParam<Conversion> {};
TEST_P(EscapeAmpersandsTest, Escapes) { EXPECT_EQ(EscapeAmpersands(GetParam().input), GetParam().expected); }
INSTANTIATE_TEST_SUITE_P(
    Texts, EscapeAmpersandsTest,
    ::testing::Values(Conversion{"a & b", "a &amp; b"}, Conversion{"&amp;", "&amp;"}, Conversion{"x&", "x&"},
                      Conversion{"&", "&"}, Conversion{"&&;", "&amp;&;"}, Conversion{"& ;", "& ;"},
                      Conversion{"<!-- & -->&x", "<!-- & -->&amp;x"},
                      Conversion{"<![CDATA[ & ]]> & ", "<![CDATA[ & ]]> &amp; "},
                      Conversion{"<!-- & ", "<!-- &amp; "}));

// ---- plain step-by-step versions ---------------------------------------------------

bool insideAnySection(const std::string& s, std::size_t p) {
    return IsInsideSection(s, "<![CDATA[", "]]>", p, true) || IsInsideSection(s, "<!--", "-->", p, true);
}

std::string stepwiseEscapeAmpersands(std::string s) {
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] != '&' || i + 1 >= s.size())
            continue;
        std::size_t semicolon = s.find(';', i + 1);
        std::size_t amp = s.find('&', i + 1);
        bool stray = semicolon == std::string::npos || (amp != std::string::npos && amp < semicolon);
        if (stray && !insideAnySection(s, i + 1)) {
            s.replace(i, 1, "&amp;");
            i += 4;
        }
    }
    return s;
}

std::string stepwiseEncodeText(const std::string& value) {
    std::string s = stepwiseEscapeAmpersands(value);
    const std::pair<char, std::string> replacements[] = {{'<', "&lt;"}, {'>', "&gt;"}, {'\'', "&apos;"}, {'"', "&quot;"}};
    for (const auto& [c, entity] : replacements) {
        for (std::size_t i = 0; i < s.size(); ++i) {
            if (s[i] == c && !insideAnySection(s, i + 1)) {
                s.replace(i, 1, entity);
                i += entity.size() - 1;
            }
        }
    }
    return s;
}

std::string randomText(std::mt19937& rng, const std::vector<std::string>& pieces, std::size_t count) {
    std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
    std::string s;
    for (std::size_t i = 0; i < count; ++i)
        s += pieces[pick(rng)];
    return s;
}

TEST(EncodeTextTest, MatchesTheStepwiseEncodingOverGeneratedTexts) {
    const std::vector<std::string> pieces = {"<!--", "-->", "<![CDATA[", "]]>", "&", ";", "&amp;", "<", ">",
                                             "'", "\"", "a", " ", "-", "]"};
    std::mt19937 rng(7);
    for (int i = 0; i < 3000; ++i) {
        std::string s = randomText(rng, pieces, 1 + i % 12);
        ASSERT_EQ(EscapeAmpersands(s), stepwiseEscapeAmpersands(s)) << s;
        ASSERT_EQ(EncodeText(s), stepwiseEncodeText(s)) << s;
    }
}

TEST(EncodeTextTest, EscapesMarkupAndKeepsEntities) {
    EXPECT_EQ(EncodeText("a<b"), "a&lt;b");
    EXPECT_EQ(EncodeText("&amp; & \"x\" 'y' >"), "&amp; &amp; &quot;x&quot; &apos;y&apos; &gt;");
    EXPECT_EQ(EncodeText("<!-- & -->"), "&lt;!-- & --&gt;");
}

TEST(IsInsideSectionTest, OpeningMarkerIsNotInsideItsOwnSection) {
    const std::string s = "x<!--ab-->y";
    EXPECT_FALSE(IsInsideSection(s, "<!--", "-->", 0));
    EXPECT_FALSE(IsInsideSection(s, "<!--", "-->", 2));
    EXPECT_TRUE(IsInsideSection(s, "<!--", "-->", 3));
    EXPECT_TRUE(IsInsideSection(s, "<!--", "-->", 7));
    EXPECT_FALSE(IsInsideSection(s, "<!--", "-->", 8));  // "-->" itself is outside
    EXPECT_FALSE(IsInsideSection(s, "<!--", "-->", 11));
    EXPECT_FALSE(IsInsideSection("<!-- open", "<!--", "-->", 5));
}

// The index must answer exactly like the backward and forward searches, for
// every part of a text a scope can be, and for positions just outside it.
TEST(SectionIndexTest, AgreesWithTheSearchesForEveryScope) {
    const std::vector<std::string> pieces = {"<!--", "-->", "<![CDATA[", "<![cdata[", "]]>", "a", "<", "-", ">", "]"};
    struct Pair {
        const char* open;
        const char* close;
        bool caseSensitive;
    };
    const Pair pairs[] = {{"<!--", "-->", true}, {"<![CDATA[", "]]>", true}, {"<![CDATA[", "]]>", false}};
    std::mt19937 rng(11);
    for (int i = 0; i < 150; ++i) {
        const std::string text = randomText(rng, pieces, 2 + i % 9);
        for (const Pair& pair : pairs) {
            SectionIndex index(text, pair.open, pair.close, pair.caseSensitive);
            for (std::size_t lo = 1; lo <= text.size(); ++lo) {
                for (std::size_t hi = lo; hi <= text.size(); ++hi) {
                    const std::string scope = text.substr(lo - 1, hi - lo + 1);
                    for (std::size_t p = lo - 1; p <= hi + 1; ++p) {
                        bool expected = IsInsideSection(scope, pair.open, pair.close, p - (lo - 1), pair.caseSensitive);
                        ASSERT_EQ(index.Inside(lo, hi, p), expected)
                            << text << " [" << lo << "," << hi << "] p=" << p << " " << pair.open;
                    }
                }
            }
        }
    }
}

// After any change of the text, the updated positions must equal those of
// a fresh search, and the section answers with them.
TEST(SectionIndexTest, FollowsEditsExactly) {
    const std::vector<std::string> pieces = {"<!--", "-->", "<![CDATA[", "<![cdata[", "]]>", "a", "<", "-", ">", "]", "!"};
    std::mt19937 rng(5);
    for (int i = 0; i < 2000; ++i) {
        std::string text = randomText(rng, pieces, 1 + i % 10);
        PatternOccurrences dashes(text, "-->", true);
        PatternOccurrences cdata(text, "<![CDATA[", false);
        SectionIndex comments(text, "<!--", "-->", true);
        for (int edit = 0; edit < 4; ++edit) {
            std::uniform_int_distribution<std::size_t> posDist(1, text.size() + 1);
            const std::size_t pos = posDist(rng);
            std::uniform_int_distribution<std::size_t> removedDist(0, text.size() + 1 - pos);
            const std::size_t removed = removedDist(rng);
            const std::string inserted = randomText(rng, pieces, edit % 3);
            const std::string before = text;
            text.replace(pos - 1, removed, inserted);
            dashes.Edit(text, pos, removed, inserted.size());
            cdata.Edit(text, pos, removed, inserted.size());
            comments.Edit(text, pos, removed, inserted.size());
            ASSERT_EQ(dashes.Positions(), PatternOccurrences(text, "-->", true).Positions()) << before << " -> " << text;
            ASSERT_EQ(cdata.Positions(), PatternOccurrences(text, "<![CDATA[", false).Positions()) << before << " -> " << text;
            for (std::size_t p = 0; p <= text.size() + 1; ++p)
                ASSERT_EQ(comments.Inside(p), IsInsideSection(text, "<!--", "-->", p)) << text << " p=" << p;
        }
    }
}

} // namespace
} // namespace wpe
