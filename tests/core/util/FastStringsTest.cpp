#include "util/FastStrings.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace wpe {
namespace {

// The plain definition the fast search must agree with.
std::size_t naiveFind(std::string_view pattern, std::string_view text, bool caseSensitive, bool forward,
                      std::size_t start)
{
    const std::size_t m = pattern.size(), n = text.size();
    if (m == 0 || m > n)
        return 0;
    auto at = [&](std::size_t i) {
        for (std::size_t j = 0; j < m; ++j) {
            unsigned char a = text[i - 1 + j], b = pattern[j];
            if (caseSensitive ? a != b : UpCase(a) != UpCase(b))
                return false;
        }
        return true;
    };
    if (forward) {
        for (std::size_t i = std::max<std::size_t>(start, 1); i + m - 1 <= n; ++i)
            if (at(i))
                return i;
        return 0;
    }
    std::size_t first = (start == 0 || start + m > n) ? n - m + 1 : start;
    for (std::size_t i = first; i >= 1; --i)
        if (at(i))
            return i;
    return 0;
}

struct FindRow {
    const char* pattern;
    const char* text;
    bool caseSensitive;
    bool forward;
    std::size_t start;
    std::size_t expected;
};

TEST(FindPosTest, Table)
{
    const FindRow rows[] = {
        {"ab", "xabab", true, true, 1, 2},
        {"ab", "xabab", true, true, 3, 4},
        {"ab", "xabab", true, false, 0, 4},
        {"ab", "xabab", true, false, 3, 2},
        {"ab", "xabab", true, false, 4, 4},
        {"ab", "xabab", true, true, 5, 0},
        {"ab", "xabab", true, true, 99, 0},
        {"abc", "ab", true, true, 1, 0},
        {"abc", "ab", true, false, 0, 0},
        {"", "abc", true, true, 1, 0},
        {"", "", true, false, 0, 0},
        {"x", "", true, true, 1, 0},
        {"AB", "xabab", true, true, 1, 0},
        {"AB", "xabab", false, true, 1, 2},
        {"aB", "xAbAB", false, false, 0, 4},
        {"abc", "abc", true, true, 1, 1},
        {"abc", "abc", true, false, 0, 1},
        {"c", "abc", true, true, 1, 3},
        {"c", "abc", true, false, 1, 0},
        // A repeated last character: the skip must not jump over the match.
        {"aab", "aaaab", true, true, 1, 3},
        {"abab", "abaabab", true, true, 1, 4},
        {"</TD>", "<td>x</td>", false, true, 1, 6},
        // Cyrillic in Windows-1251: \xe0\xe1 is lower-case of \xc0\xc1.
        {"\xc0\xc1", "x\xe0\xe1y", false, true, 1, 2},
        {"\xc0\xc1", "x\xe0\xe1y", true, true, 1, 0},
        {"\xa8", "\xb8", false, true, 1, 1},
    };
    for (const FindRow& r : rows)
        EXPECT_EQ(FindPos(r.pattern, r.text, r.caseSensitive, r.forward, r.start), r.expected)
            << r.pattern << " in " << r.text << " cs=" << r.caseSensitive << " fwd=" << r.forward
            << " start=" << r.start;
}

TEST(FindPosTest, HandlesZeroBytes)
{
    const std::string text("a\0b\0c", 5);
    EXPECT_EQ(FindPos(std::string_view("\0c", 2), text, true, true, 1), 4u);
    EXPECT_EQ(FindPos(std::string_view("b\0", 2), text, false, false, 0), 3u);
}

// Small alphabets make many near-matches, which is where the unrolled skip
// loop and the end-of-text bounds can go wrong.
TEST(FindPosTest, AgreesWithPlainSearchOnRandomText)
{
    std::mt19937 rng(12345);
    const std::string alphabet = "abAB\xe0\xc0";
    auto randomText = [&](std::size_t len) {
        std::string s;
        for (std::size_t i = 0; i < len; ++i)
            s += alphabet[rng() % alphabet.size()];
        return s;
    };
    for (int round = 0; round < 4000; ++round) {
        // Long texts reach the unrolled loops; long patterns use more than a
        // few different bytes.
        const std::string text = randomText(round % 2 ? rng() % 80 : rng() % 700);
        const std::string pattern = randomText(1 + rng() % (round % 3 ? 6 : 14));
        const bool cs = rng() % 2;
        const bool fwd = rng() % 2;
        const std::size_t start = rng() % (text.size() + 3);
        ASSERT_EQ(FindPos(pattern, text, cs, fwd, start), naiveFind(pattern, text, cs, fwd, start))
            << "pattern=" << pattern << " text=" << text << " cs=" << cs << " fwd=" << fwd << " start=" << start;
    }
}

// FindAllPos lists what repeated forward searches find, overlaps included.
TEST(FindPosTest, FindAllAgreesWithRepeatedSearches)
{
    std::mt19937 rng(777);
    const std::string alphabet = "aAb\xe0\xc0<";
    for (int round = 0; round < 1000; ++round) {
        std::string text, pattern;
        for (std::size_t i = rng() % 300; i > 0; --i)
            text += alphabet[rng() % alphabet.size()];
        for (std::size_t i = 1 + rng() % 3; i > 0; --i)
            pattern += alphabet[rng() % alphabet.size()];
        const bool cs = rng() % 2;
        std::vector<std::size_t> expected;
        for (std::size_t p = naiveFind(pattern, text, cs, true, 1); p != 0; p = naiveFind(pattern, text, cs, true, p + 1))
            expected.push_back(p);
        ASSERT_EQ(FindAllPos(pattern, text, cs), expected) << pattern << " in " << text;
    }
    EXPECT_TRUE(FindAllPos("", "abc", true).empty());
}

TEST(FindPosTest, FindsMatchesNearTheEndOfLongTexts)
{
    std::string text(5000, 'x');
    text += "needle";
    EXPECT_EQ(FindPos("needle", text, true, true, 1), 5001u);
    EXPECT_EQ(FindPos("NEEDLE", text, false, true, 1), 5001u);
    EXPECT_EQ(FindPos("needlex", text, true, true, 1), 0u);
    text.replace(0, 6, "needle");
    EXPECT_EQ(FindPos("needle", text, true, true, 2), 5001u);
}

TEST(UpCaseTest, FoldsWindows1251Letters)
{
    EXPECT_EQ(UpCase('a'), 'A');
    EXPECT_EQ(UpCase('z'), 'Z');
    EXPECT_EQ(UpCase('A'), 'A');
    EXPECT_EQ(UpCase('['), '[');
    EXPECT_EQ(UpCase(0xE0), 0xC0);
    EXPECT_EQ(UpCase(0xFF), 0xDF);
    EXPECT_EQ(UpCase(0xB8), 0xA8);
    EXPECT_EQ(UpCase(0xB4), 0xA5);
    EXPECT_EQ(UpCase(0xB5), 0xB5);
    EXPECT_EQ(UpCase(0xDF), 0xDF);
    // Folding is idempotent: no upper-case letter maps further.
    for (int c = 0; c < 256; ++c)
        EXPECT_EQ(UpCase(UpCase(c)), UpCase(c)) << c;
}

struct ReplaceRow {
    const char* text;
    const char* find;
    const char* replacement;
    bool caseSensitive;
    const char* expected;
};

TEST(ReplaceAllTest, Table)
{
    const ReplaceRow rows[] = {
        {"a    b", "  ", " ", true, "a  b"},
        {"aAbB", "ab", "X", false, "aXB"},
        {"aAbB", "ab", "X", true, "aAbB"},
        {"", "a", "b", true, ""},
        {"aaa", "a", "bb", true, "bbbbbb"},
        {"aaa", "aa", "a", true, "aa"},
        {"abc", "abc", "", true, ""},
        {"xabcx", "abc", "", true, "xx"},
        {"ab", "abc", "z", true, "ab"},
        {"&amp;&amp;", "&amp;", "&amp;amp;", true, "&amp;amp;&amp;amp;"},
        {"a.b", "", "x", true, "a.b"},
        {"\xe0\xe1\xc0\xc1", "\xc0\xc1", "-", false, "--"},
    };
    for (const ReplaceRow& r : rows)
        EXPECT_EQ(ReplaceAll(r.text, r.find, r.replacement, r.caseSensitive), r.expected)
            << r.text << " / " << r.find << " / " << r.replacement;
}

TEST(ReplaceAllTest, GrowsBeyondTheInitialGuess)
{
    // A long replacement of a one-character find: far beyond the text size.
    const std::string text(20000, 'a');
    const std::string replacement(100, 'b');
    const std::string result = ReplaceAll(text, "a", replacement, true);
    EXPECT_EQ(result.size(), 2000000u);
    EXPECT_EQ(result.find('a'), std::string::npos);
}

} // namespace
} // namespace wpe
