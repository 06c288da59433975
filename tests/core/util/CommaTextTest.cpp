// Comma text and line splitting of the library's name lists.

#include "util/CommaText.h"

#include <gmock/gmock.h>

using namespace wpe;
using ::testing::ElementsAre;
using ::testing::IsEmpty;

TEST(CommaTextTest, SeparatorsAreCommasBlanksAndLineBreaks)
{
    EXPECT_THAT(SplitCommaText("news\nclock\r\nlinks"), ElementsAre("news", "clock", "links"));
    EXPECT_THAT(SplitCommaText("a,b c\td"), ElementsAre("a", "b", "c", "d"));
    EXPECT_THAT(SplitCommaText("  a ,  b  "), ElementsAre("a", "b"));
    EXPECT_THAT(SplitCommaText(""), IsEmpty());
    EXPECT_THAT(SplitCommaText(" \r\n "), IsEmpty());
}

TEST(CommaTextTest, EmptyEntriesBetweenAndAfterCommas)
{
    EXPECT_THAT(SplitCommaText("a,,b"), ElementsAre("a", "", "b"));
    EXPECT_THAT(SplitCommaText("a,"), ElementsAre("a", ""));
    EXPECT_THAT(SplitCommaText(",a"), ElementsAre("", "a"));
}

TEST(CommaTextTest, QuotesGroupAndDoubledQuotesStayAsOne)
{
    EXPECT_THAT(SplitCommaText("\"My Skin\"\n\"x,y\""), ElementsAre("My Skin", "x,y"));
    EXPECT_THAT(SplitCommaText("\"say \"\"hi\"\"\",b"), ElementsAre("say \"hi\"", "b"));
    EXPECT_THAT(SplitCommaText("\"\""), ElementsAre(""));
    // An unclosed quote runs to the end instead of losing the text.
    EXPECT_THAT(SplitCommaText("a,\"b c"), ElementsAre("a", "b c"));
    // A quote inside an unquoted entry is part of it.
    EXPECT_THAT(SplitCommaText("ab\"c"), ElementsAre("ab\"c"));
}

TEST(CommaTextTest, NulBytesSeparateInsteadOfEndingTheWalk)
{
    EXPECT_THAT(SplitCommaText(std::string_view("a\0b", 3)), ElementsAre("a", "b"));
}

TEST(SplitLinesTest, OnlyLineBreaksSeparate)
{
    EXPECT_THAT(SplitLines("a b\r\nc,d\re\n"), ElementsAre("a b", "c,d", "e"));
    EXPECT_THAT(SplitLines("\"q\"\n\nz"), ElementsAre("\"q\"", "", "z"));
    EXPECT_THAT(SplitLines(""), IsEmpty());
    EXPECT_THAT(SplitLines("\n"), ElementsAre(""));
}
