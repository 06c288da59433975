#include "util/Text.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace wpe {
namespace {

using Parts = std::vector<std::string>;

TEST(TextTest, AsciiFoldingTouchesOnlyLatinLetters)
{
    // Cyrillic in Windows-1251 (0xE0 a, 0xC0 A) and the bytes next to the
    // letter ranges stay as they are.
    EXPECT_EQ(AsciiUpper("abz@[`{\xE0\xC0"), "ABZ@[`{\xE0\xC0");
    EXPECT_EQ(AsciiLower("ABZ@[`{\xE0\xC0"), "abz@[`{\xE0\xC0");
    EXPECT_TRUE(SameAsciiCaseless("ZoneList", "zONElIST"));
    EXPECT_FALSE(SameAsciiCaseless("\xE0", "\xC0"));
    EXPECT_FALSE(SameAsciiCaseless("zone", "zone1"));
    EXPECT_FALSE(SameAsciiCaseless("@", "`"));
    EXPECT_TRUE(StartsAsciiCaseless("Stylesheet.css", "STYLE"));
    EXPECT_FALSE(StartsAsciiCaseless("ST", "STYLE"));
    EXPECT_EQ(FindAsciiCaseless("NEWS", "local news, world News"), 7u);
    EXPECT_EQ(FindAsciiCaseless("", "text"), 0u);
    EXPECT_EQ(FindAsciiCaseless("longer", "long"), 0u);
}

TEST(TextTest, LowerFoldedOrderPutsPunctuationBeforeLetters)
{
    // "_" lies between "Z" and "a": folding down sorts it before every letter,
    // folding up would sort it after.
    EXPECT_TRUE(LessAsciiLowerCaseless("_x", "Ax"));
    EXPECT_FALSE(LessAsciiLowerCaseless("Ax", "_x"));
    EXPECT_FALSE(LessAsciiLowerCaseless("abc", "ABC"));
    EXPECT_FALSE(LessAsciiLowerCaseless("ABC", "abc"));
    EXPECT_TRUE(LessAsciiLowerCaseless("ab", "ABC"));
}

TEST(TextTest, CodePageComparisonsFoldCyrillicToo)
{
    EXPECT_TRUE(SameNoCase("News \xE0\xE1", "NEWS \xC0\xC1"));
    EXPECT_FALSE(SameNoCase("News", "News "));
    EXPECT_EQ(AnsiUpper("a\xE0\xB8"), "A\xC0\xA8");
    EXPECT_LT(CompareNoCase("apple", "Banana"), 0);
    EXPECT_GT(CompareNoCase("b", "A"), 0);
    EXPECT_LT(CompareNoCase("ab", "AB "), 0);
    // Same letters: lower case first, then a stable byte order.
    EXPECT_LT(CompareWithCase("news", "News"), 0);
    EXPECT_GT(CompareWithCase("News", "news"), 0);
    EXPECT_LT(CompareWithCase("\xE0", "\xC0"), 0);
    EXPECT_EQ(CompareWithCase("Same", "Same"), 0);

    std::vector<std::string> names = {"beta", "Alpha", "alpha", "Beta", "gamma"};
    std::sort(names.begin(), names.end(),
              [](const std::string& a, const std::string& b) { return CompareWithCase(a, b) < 0; });
    EXPECT_EQ(names, (Parts{"alpha", "Alpha", "beta", "Beta", "gamma"}));
}

TEST(TextTest, TrimmingRemovesBlanksAndControlsOnly)
{
    EXPECT_EQ(TrimBlanks(" \t\r\n\x01 code \x1F"), "code");
    // 0xA0 is a letter-like byte of the code page, not a blank: signed
    // comparison would take it for one.
    EXPECT_EQ(TrimBlanks("\xA0x\xA0"), "\xA0x\xA0");
    EXPECT_EQ(TrimBlanks(" \r\n "), "");
    EXPECT_EQ(TrimBlanksRight("  a b \r\n"), "  a b");
    EXPECT_EQ(TrimChars("\t a;b \t", " \t"), "a;b");
    EXPECT_EQ(TrimChars("\r\n", " \t"), "\r\n");
    EXPECT_EQ(TrimChars(" \t ", " \t"), "");
}

TEST(TextTest, Splitting)
{
    EXPECT_EQ(SplitNonEmpty("/News//Local/", '/'), (Parts{"News", "Local"}));
    EXPECT_EQ(SplitNonEmpty("", ','), Parts{});
    EXPECT_EQ(SplitNonEmpty(",,,", ','), Parts{});
    EXPECT_EQ(SplitNonEmpty("one", ','), Parts{"one"});

    const auto all = SplitAll("Text|*.txt||", '|');
    ASSERT_EQ(all.size(), 4u);
    EXPECT_EQ(all[0], "Text");
    EXPECT_EQ(all[1], "*.txt");
    EXPECT_EQ(all[2], "");
    EXPECT_EQ(all[3], "");
    EXPECT_EQ(SplitAll("", '|').size(), 1u);
}

} // namespace
} // namespace wpe
