#include "xml/XXml.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace wpe {
namespace {

// Renders the whole token sequence of text, e.g. "S(a) A(b=1) E(a)".
std::string Tokens(std::string_view text)
{
    TXmlReader r;
    r.Open(text);
    std::string out;
    for (;;) {
        XmlTokenKind k = r.Next();
        if (k == tkEndOfInput)
            break;
        static const char* const kTags[] = {"PI", "DT", "C", "CD", "S", "E", "A", "T"};
        if (!out.empty())
            out += ' ';
        out += kTags[k];
        out += '(';
        if (k == tkAttribute || k == tkProcessingInstruction || k == tkDocumentType)
            out += r.Name() + "=" + r.Value();
        else if (k == tkStartTag || k == tkEndTag)
            out += r.Name();
        else
            out += r.Value();
        out += ')';
    }
    return out;
}

std::string ErrorOf(std::string_view text)
{
    try {
        Tokens(text);
    } catch (const EXmlReader& e) {
        return e.what();
    }
    return "(no error)";
}

struct TokenCase {
    const char* input;
    const char* tokens;
};

class ReaderTokens : public testing::TestWithParam<TokenCase> {};

TEST_P(ReaderTokens, YieldsTokens)
{
    EXPECT_EQ(Tokens(GetParam().input), GetParam().tokens) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Xml, ReaderTokens,
    testing::Values(
        TokenCase{"", ""}, TokenCase{" \r\n\t ", ""}, TokenCase{"<a/>", "S(a) E(a)"},
        TokenCase{"<a b=\"1\"/>", "S(a) A(b=1) E(a)"}, TokenCase{"< a >x</ a >", "S(a) T(x) E(a)"},
        TokenCase{"<a b = \"1\" >", "S(a) A(b=1)"}, TokenCase{"<a b=c>", "S(a) A(b=c)"},
        TokenCase{"<a b=c/>", "S(a) A(b=c) E(a)"}, TokenCase{"<a b=>", "S(a) A(b=)"},
        TokenCase{"<a b='say \"hi\"'>", "S(a) A(b=say \"hi\")"}, TokenCase{"<a b=\"x>y\">", "S(a) A(b=x>y)"},
        TokenCase{"<a b=\"1\"c=\"2\">", "S(a) A(b=1) A(c=2)"},
        TokenCase{"<a b=\"1\" c='2' />", "S(a) A(b=1) A(c=2) E(a)"},
        TokenCase{"<a b=\"&lt;\"/>", "S(a) A(b=&lt;) E(a)"},
        TokenCase{"  <a> </a>  <!--x-->  ", "S(a) T( ) E(a) C(x)"},
        TokenCase{"<a>&amp;</a>", "S(a) T(&amp;) E(a)"},
        TokenCase{"<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>",
                  "PI(xml=version=\"1.0\" encoding=\"WINDOWS-1251\" )"},
        TokenCase{"<?x?>", "PI(x=)"}, TokenCase{"<?x a>b?>", "PI(x=a>b)"}, TokenCase{"<?x>?>", "PI(x=>)"},
        TokenCase{"<!DOCTYPE html>", "DT(html=)"},
        TokenCase{"<!DOCTYPE r [<!ENTITY e \"x\">]>", "DT(r=[<!ENTITY e \"x\">])"},
        TokenCase{"<!---->", "C()"}, TokenCase{"<!-- a -- b -->", "C( a -- b )"}, TokenCase{"<!-->-->", "C(>)"},
        TokenCase{"<a><![CDATA[x]] ></a>", "S(a) CD(x) E(a)"}, TokenCase{"<a><![CDATA[]]></a>", "S(a) CD() E(a)"},
        TokenCase{"<a><![CDATA[<b>]x]]></a>", "S(a) CD(<b>]x) E(a)"},
        // A "]]" that no '>' follows (after white space) is content.
        TokenCase{"<a><![CDATA[a]]b]]></a>", "S(a) CD(a]]b) E(a)"},
        TokenCase{"<a><![CDATA[['<Super>Home']]]></a>", "S(a) CD(['<Super>Home']) E(a)"},
        TokenCase{"<a><![CDATA[x=a[b[0]];]]></a>", "S(a) CD(x=a[b[0]];) E(a)"},
        TokenCase{"<a><![CDATA[a]] b]]\r\n></a>", "S(a) CD(a]] b) E(a)"},
        TokenCase{"<a><![CDATA[]]]]]]></a>", "S(a) CD(]]]]) E(a)"},
        TokenCase{"<a><b>", "S(a) S(b)"}, TokenCase{"<a>x", "S(a) T(x)"},
        TokenCase{"<a>\x01\x02</a>", "S(a) T(\x01\x02) E(a)"},
        TokenCase{"<a:b xmlns:a=\"u\"></a:b>", "S(a:b) A(xmlns:a=u) E(a:b)"}));

struct ErrorCase {
    const char* input;
    const char* message;
};

class ReaderErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ReaderErrors, FailsWithMessage)
{
    EXPECT_EQ(ErrorOf(GetParam().input), GetParam().message) << GetParam().input;
}

INSTANTIATE_TEST_SUITE_P(
    Xml, ReaderErrors,
    testing::Values(
        ErrorCase{"<", "Ошибка в XML-документе: неожидаемое завершение текста"},
        ErrorCase{"<a><", "Ошибка в XML-документе: неожидаемое завершение текста"},
        ErrorCase{"<!doctype html>", "Ошибка в XML-документе: неизвестная специальная инструкция"},
        ErrorCase{"<!-x-->", "Ошибка в XML-документе: неизвестная специальная инструкция"},
        ErrorCase{"<!", "Ошибка в XML-документе: неизвестная специальная инструкция"},
        ErrorCase{"x<a/>", "Ошибка в XML-документе: текст вне элемента"},
        ErrorCase{"<a/>x", "Ошибка в XML-документе: текст вне элемента"},
        ErrorCase{"<?" "?>", "Ошибка в XML-документе: не задано имя в обрабатывающей инструкции"},
        ErrorCase{"<? >", "Ошибка в XML-документе: не задано имя в обрабатывающей инструкции"},
        ErrorCase{"<?x y>", "Ошибка в XML-документе: ожидается \"?>\""},
        ErrorCase{"<?x", "Ошибка в XML-документе: ожидается \"?>\""},
        ErrorCase{"<!DOCTYPE>", "Ошибка в XML-документе: не задано имя в типе документа"},
        ErrorCase{"<!DOCTYPE r [<!ENTITY e \"x\">]", "Ошибка в XML-документе: ожидается \">\" для типа документа"},
        ErrorCase{"<!-- x ->", "Ошибка в XML-документе: ожидается \"-->\""},
        ErrorCase{"<a><![CDATA[x]", "Ошибка в XML-документе: ожидается \"]]\""},
        ErrorCase{"<a><![CDATA[a]]b", "Ошибка в XML-документе: ожидается \"]]\""},
        ErrorCase{"<a><![CDATA[a]] \r\n", "Ошибка в XML-документе: ожидается \"]]>\""},
        ErrorCase{"<a><![CDATA[a]]", "Ошибка в XML-документе: ожидается \"]]>\""},
        ErrorCase{"<a", "Ошибка в XML-документе: ожидается \">\" для открывающего тэга элемента"},
        ErrorCase{"<a  ", "Ошибка в XML-документе: ожидается \">\" для открывающего тэга элемента"},
        ErrorCase{"<>", "Ошибка в XML-документе: не задано имя открывающего тэга элемента"},
        ErrorCase{"</>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"<a/ >", "Ошибка в XML-документе: ожидается \"/>\""},
        ErrorCase{"<a b=\"1\"/", "Ошибка в XML-документе: ожидается \"/>\""},
        ErrorCase{"<a b>", "Ошибка в XML-документе: ожидается \"=\" для атрибута элемента"},
        ErrorCase{"<a b c=\"1\">", "Ошибка в XML-документе: ожидается \"=\" для атрибута элемента"},
        ErrorCase{"<a =\"1\">", "Ошибка в XML-документе: не задано имя атрибута элемента"},
        ErrorCase{"<a b", "Ошибка в XML-документе: не задано значение атрибута элемента"},
        ErrorCase{"<a b =", "Ошибка в XML-документе: не задано значение атрибута элемента"},
        ErrorCase{"<a b=\"1", "Ошибка в XML-документе: ожидается атрибут элемента"},
        ErrorCase{"<a b=\"1\"", "Ошибка в XML-документе: ожидается атрибут элемента"},
        ErrorCase{"<a b=\"1\"  ", "Ошибка в XML-документе: ожидается атрибут элемента"},
        ErrorCase{"<a b=c", "Ошибка в XML-документе: ожидается атрибут элемента"},
        ErrorCase{"<a></a", "Ошибка в XML-документе: ожидается \">\" для закрывающего тэга элемента"},
        ErrorCase{"<a></a b>", "Ошибка в XML-документе: ожидается \">\" для закрывающего тэга элемента"},
        ErrorCase{"<a></b>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"</a>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"<A></a>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"<a><b></a>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        // Open names are kept end to end; a closing name must match one whole.
        ErrorCase{"<ab><a></ab>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"<a><ab/></a></ab>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"},
        ErrorCase{"<a><b></ab>", "Ошибка в XML-документе: несоответствие имени закрывающего тэга имени открывающему"}));

TEST(XmlReader, DepthFollowsOpenElementsAndStaysAtEnd)
{
    TXmlReader r;
    EXPECT_EQ(r.Next(), tkEndOfInput); // closed reader
    r.Open("<a><b><c/>");
    EXPECT_EQ(r.Next(), tkStartTag);
    EXPECT_EQ(r.Depth(), 1);
    EXPECT_EQ(r.Next(), tkStartTag);
    EXPECT_EQ(r.Next(), tkStartTag);
    EXPECT_EQ(r.Depth(), 3);
    EXPECT_EQ(r.Next(), tkEndTag);
    EXPECT_EQ(r.Name(), "c");
    EXPECT_EQ(r.Depth(), 2);
    EXPECT_EQ(r.Next(), tkEndOfInput);
    EXPECT_EQ(r.Next(), tkEndOfInput);
    EXPECT_EQ(r.TokenKind(), tkEndOfInput);
    EXPECT_EQ(r.Depth(), 2);
    r.Close();
    EXPECT_EQ(r.Depth(), 0);
}

TEST(XmlReader, NamesSharingAPrefixCloseInOrder)
{
    TXmlReader r;
    r.Open("<ab><a><abc/></a></ab>");
    std::vector<std::string> seen;
    while (r.Next() != tkEndOfInput)
        seen.push_back((r.TokenKind() == tkEndTag ? "/" : "") + r.Name());
    EXPECT_EQ(seen, (std::vector<std::string>{"ab", "a", "abc", "/abc", "/a", "/ab"}));
    EXPECT_EQ(r.Depth(), 0);
}

TEST(XmlReader, ReopenStartsAfresh)
{
    TXmlReader r;
    r.Open("<a><b>");
    r.Next();
    r.Next();
    r.Open("<c/>");
    EXPECT_EQ(r.Depth(), 0);
    EXPECT_EQ(r.Next(), tkStartTag);
    EXPECT_EQ(r.Name(), "c");
}

// Tokens that straddle the 4096-byte blocks of a stream must come out whole.
TEST(XmlReader, StreamAcrossBlockBoundaries)
{
    for (std::size_t pad : {4090u, 4093u, 4095u, 4096u, 4097u, 8191u}) {
        std::string text = "<r>" + std::string(pad, 'x') + "<!--ab--><![CDATA[p]q]]><e k=\"v\"/></r>";
        auto* s = new std::istringstream(text);
        TXmlReader r;
        r.Open(s, true);
        ASSERT_EQ(r.Next(), tkStartTag);
        ASSERT_EQ(r.Next(), tkText);
        EXPECT_EQ(r.Value().size(), pad);
        ASSERT_EQ(r.Next(), tkComment);
        EXPECT_EQ(r.Value(), "ab");
        ASSERT_EQ(r.Next(), tkCData);
        EXPECT_EQ(r.Value(), "p]q");
        ASSERT_EQ(r.Next(), tkStartTag);
        ASSERT_EQ(r.Next(), tkAttribute);
        EXPECT_EQ(r.Value(), "v");
        ASSERT_EQ(r.Next(), tkEndTag);
        ASSERT_EQ(r.Next(), tkEndTag);
        EXPECT_EQ(r.Name(), "r");
        EXPECT_EQ(r.Next(), tkEndOfInput);
    }
}

TEST(XmlReader, StreamGivesSameTokensAsMemory)
{
    std::string text = "<?xml version=\"1.0\"?>\r\n<!DOCTYPE r>\r\n<r a='1' b=\"2\">";
    for (int i = 0; i < 600; ++i)
        text += "<item n=\"" + std::to_string(i) + "\">t&amp;" + std::to_string(i) + "<![CDATA[c]]></item>\r\n";
    text += "</r>";
    std::istringstream stream(text);
    TXmlReader a, b;
    a.Open(&stream, false);
    b.Open(text);
    int n = 0;
    for (;;) {
        XmlTokenKind ka = a.Next(), kb = b.Next();
        ASSERT_EQ(ka, kb);
        ASSERT_EQ(a.Name(), b.Name());
        ASSERT_EQ(a.Value(), b.Value());
        if (ka == tkEndOfInput)
            break;
        ++n;
    }
    EXPECT_GT(n, 3000);
}

// Gives its text in small pieces, then fails as a broken disk or network would.
class FailingBuf : public std::streambuf {
public:
    explicit FailingBuf(std::string text) : text_(std::move(text)) {}

protected:
    int_type underflow() override
    {
        if (pos_ >= text_.size())
            throw std::runtime_error("device error");
        std::size_t n = std::min<std::size_t>(100, text_.size() - pos_);
        setg(text_.data() + pos_, text_.data() + pos_, text_.data() + pos_ + n);
        pos_ += n;
        return traits_type::to_int_type(*gptr());
    }

private:
    std::string text_;
    std::size_t pos_ = 0;
};

TEST(XmlReader, FailingStreamIsAnErrorNotAShortDocument)
{
    for (bool throwing : {false, true}) {
        FailingBuf buf("<r>" + std::string(5000, 'x'));
        std::istream in(&buf);
        if (throwing)
            in.exceptions(std::ios::badbit | std::ios::failbit);
        TXmlReader r;
        r.Open(&in, false);
        try {
            while (r.Next() != tkEndOfInput) {
            }
            ADD_FAILURE() << "the failure passed for the end of input";
        } catch (const EXmlReader& e) {
            EXPECT_STREQ(e.what(), "Ошибка чтения XML-документа");
        }
    }
    // Ending normally is no error for a stream that throws on failbit.
    std::istringstream ok("<r/>");
    ok.exceptions(std::ios::badbit | std::ios::failbit);
    TXmlReader r;
    r.Open(&ok, false);
    EXPECT_EQ(r.Next(), tkStartTag);
    EXPECT_EQ(r.Next(), tkEndTag);
    EXPECT_EQ(r.Next(), tkEndOfInput);
}

TEST(XmlReaderStream, PushBackAndMatch)
{
    TXmlReaderStream s(std::string_view("abcdef"));
    EXPECT_EQ(s.ReadChar(false), 'a');
    EXPECT_EQ(s.ReadChar(), 'a');
    EXPECT_FALSE(s.Match("bcx", true));
    EXPECT_EQ(s.ReadChar(false), 'b'); // input as it was
    EXPECT_TRUE(s.Match("bc", false));
    EXPECT_TRUE(s.Match("bc", true));
    s.UnreadString("XY");
    EXPECT_EQ(s.ReadChar(), 'X');
    EXPECT_EQ(s.ReadChar(), 'Y');
    EXPECT_FALSE(s.Match("defg", true)); // input ends first
    EXPECT_EQ(s.ReadChar(), 'd');
    s.UnreadChar(' ');
    s.SkipWhitespace();
    EXPECT_EQ(s.ReadChar(), 'e');
    EXPECT_EQ(s.ReadChar(), 'f');
    EXPECT_TRUE(s.AtEnd());
    EXPECT_EQ(s.ReadChar(), '\0');
    EXPECT_TRUE(s.AtEnd());
}

TEST(TextReader, ReadsStreamInBlocksToTheEnd)
{
    std::string text(10000, 'q');
    text[4095] = 'A';
    text[4096] = 'B';
    std::istringstream stream(text);
    TTextReader r(stream);
    std::string got;
    while (!r.AtEnd())
        got += r.ReadChar();
    EXPECT_EQ(got, text);
    EXPECT_EQ(r.ReadChar(), '\0');
}

} // namespace
} // namespace wpe

namespace wpe {
namespace {

// The CDATA rule the reader had first: the first "]]" ends the section and
// must be followed by white space and '>'. The value of the section, or
// nothing when that rule refused the text.
std::optional<std::string> FirstBracketsEndTheSection(const std::string& body)
{
    std::size_t pair = body.find("]]");
    if (pair == std::string::npos)
        return std::nullopt;
    std::size_t j = pair + 2;
    while (j < body.size() && static_cast<unsigned char>(body[j]) <= 0x20)
        ++j;
    if (j == body.size() || body[j] != '>')
        return std::nullopt;
    return body.substr(0, pair);
}

TEST(ReaderCData, WhatTheFirstRuleLoadedKeepsItsMeaning)
{
    // Random section bodies over the characters that matter, each followed
    // by an end tag: wherever the first rule loaded a body, the reader gives
    // the same tokens; the rest either load or fail with a reader error.
    std::mt19937 random(2517);
    const std::string alphabet = "]]] >x\r\n";
    int loadedBefore = 0, loadedNow = 0;
    for (int round = 0; round < 20000; ++round) {
        std::string body;
        for (int n = static_cast<int>(random() % 12); n > 0; --n)
            body += alphabet[random() % alphabet.size()];
        std::string text = "<a><![CDATA[" + body + "</a>";
        std::optional<std::string> before = FirstBracketsEndTheSection(body);
        std::string now;
        try {
            now = Tokens(text);
            ++loadedNow;
        } catch (const EXmlReader&) {
            ASSERT_FALSE(before) << "refuses what loaded before: " << text;
            continue;
        }
        if (!before)
            continue;
        ++loadedBefore;
        std::string after = body.substr(body.find("]]") + 2);
        after = after.substr(after.find('>') + 1);
        ASSERT_EQ(now, Tokens("<a><![CDATA[" + *before + "]]>" + after + "</a>")) << text;
    }
    EXPECT_GT(loadedBefore, 500);
    EXPECT_GT(loadedNow, loadedBefore);
}

} // namespace
} // namespace wpe

namespace wpe {
namespace {

std::size_t OffsetOfError(std::string_view text)
{
    try {
        Tokens(text);
    } catch (const EXmlReader& e) {
        return e.Offset();
    }
    return EXmlError::kNoOffset;
}

TEST(ReaderErrors, TellWhereReadingStopped)
{
    struct Row {
        std::string text;
        std::size_t offset;
    };
    const Row rows[] = {
        {"<a>\r\n  <b></c>", 14},        // after the end tag that does not match
        {"<a b>", 5},                    // after the '>' read where '=' was expected
        {"x<a/>", 0},                    // nothing read before the text
        {"<a><![CDATA[x", 13},           // at the end of the input
        {std::string(5000, ' ') + "<a><!x", 5005},  // after "<!", the 'x' unread again
    };
    for (const Row& row : rows)
        EXPECT_EQ(OffsetOfError(row.text), row.offset) << row.text;
    // The same over a stream read in blocks, past the first block.
    std::istringstream stream(std::string(5000, ' ') + "<a></b>");
    TXmlReader reader;
    reader.Open(&stream, false);
    try {
        while (reader.Next() != tkEndOfInput) {
        }
        FAIL() << "no error";
    } catch (const EXmlReader& e) {
        EXPECT_EQ(e.Offset(), 5007u);
    }
}

TEST(ReaderErrors, PositionInTextCountsLinesAsTheSourceViewDoes)
{
    const std::string text = "ab\r\ncd\ref\ng";
    struct Row {
        std::size_t offset;
        int line;
        std::size_t column;
    };
    const Row rows[] = {{0, 1, 1}, {2, 1, 3}, {3, 1, 4}, {4, 2, 1}, {6, 2, 3}, {7, 3, 1},
                        {10, 4, 1}, {11, 4, 2}, {99, 4, 2}};
    for (const Row& row : rows) {
        XmlTextPosition p = PositionInText(text, row.offset);
        EXPECT_EQ(p.line, row.line) << row.offset;
        EXPECT_EQ(p.column, row.column) << row.offset;
    }
}

} // namespace
} // namespace wpe
