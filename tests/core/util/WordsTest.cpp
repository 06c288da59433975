#include "util/Words.h"

#include <gtest/gtest.h>

namespace wpe {
namespace {

TEST(WordsTest, CountsAndPicksWords)
{
    const CharSet slash = MakeCharSet("/");
    EXPECT_EQ(CountWords("/a//b/", slash), 2u);
    EXPECT_EQ(GetWord(1, "/a//b/", slash), "a");
    EXPECT_EQ(GetWord(2, "/a//b/", slash), "b");
    EXPECT_EQ(GetWord(3, "/a//b/", slash), "");
    EXPECT_EQ(GetWord(0, "/a//b/", slash), "");
    EXPECT_EQ(WordStart(2, "/a//b/", slash), 5u);
    EXPECT_EQ(WordStart(0, "/a//b/", slash), 0u);
    EXPECT_EQ(WordStart(3, "/a//b/", slash), 0u);
}

TEST(WordsTest, EdgesOfTheText)
{
    const CharSet blanks = MakeCharSet(" \t\r\n");
    EXPECT_EQ(CountWords("", blanks), 0u);
    EXPECT_EQ(CountWords("   ", blanks), 0u);
    EXPECT_EQ(CountWords("word", blanks), 1u);
    EXPECT_EQ(GetWord(1, "word", blanks), "word");
    EXPECT_EQ(WordStart(1, "word", blanks), 1u);
    EXPECT_EQ(GetWord(2, "one\ttwo\r\nthree", blanks), "two");
    EXPECT_EQ(GetWord(3, "one\ttwo\r\nthree", blanks), "three");
    EXPECT_EQ(CountWords("abc", CharSet()), 1u);
}

TEST(WordsTest, HighBytesAreOrdinaryMembers)
{
    const CharSet set = MakeCharSet("\xff");
    EXPECT_TRUE(set.test(0xff));
    EXPECT_EQ(set.count(), 1u);
    EXPECT_EQ(GetWord(2, "\xe0\xff\xe1\xe2", set), "\xe1\xe2");
}

TEST(UnquoteTest, Table)
{
    const std::pair<const char*, const char*> rows[] = {
        {"'x'", "x"},     {"\"x\"", "x"}, {"'x\"", "'x\""}, {"'", "'"},   {"\"", "\""},
        {"''", ""},       {"x", "x"},     {"", ""},         {"'a'b'", "a'b"}, {"`x`", "`x`"},
    };
    for (auto [text, expected] : rows)
        EXPECT_EQ(Unquote(text), expected) << text;
}

} // namespace
} // namespace wpe
