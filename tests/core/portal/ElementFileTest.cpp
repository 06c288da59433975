// Reading and writing one element of a file in place.

#include "PortalTestSupport.h"

#include "portal/ElementFile.h"
#include "util/Exception.h"

#include <gmock/gmock.h>

using namespace wpe;
using namespace wpe::test;
using ::testing::HasSubstr;

namespace {

struct TSetCase {
    const char* name;
    std::string before;
    std::string element;
    std::string value;
    std::string after;
};

class SetElementTest : public ::testing::TestWithParam<TSetCase> {};

const std::string kSkinFile = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<skin>\r\n  <name>Untitled</name>\r\n"
                              "  <author></author>\r\n  <comment></comment>\r\n"
                              "  <htmltemplate>skin template.html</htmltemplate>\r\n</skin>";

std::string replaced(const std::string& text, const std::string& from, const std::string& to)
{
    std::string out = text;
    out.replace(out.find(from), from.size(), to);
    return out;
}

} // namespace

TEST_P(SetElementTest, ChangesOnlyTheElementsContent)
{
    const TSetCase& c = GetParam();
    EXPECT_EQ(SetElementInText(c.before, c.element, c.value), c.after);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SetElementTest,
    ::testing::Values(
        TSetCase{"filled", kSkinFile, "name", "Ocean", replaced(kSkinFile, "Untitled", "Ocean")},
        TSetCase{"empty", kSkinFile, "author", "A & B <x>",
                 replaced(kSkinFile, "<author></author>", "<author>A &amp; B &lt;x&gt;</author>")},
        TSetCase{"multi-line value", kSkinFile, "comment", "one\r\ntwo",
                 replaced(kSkinFile, "<comment></comment>", "<comment>one\r\ntwo</comment>")},
        TSetCase{"cleared", kSkinFile, "htmltemplate", "",
                 replaced(kSkinFile, "skin template.html", "")},
        TSetCase{"self-closing", "<skin>\n  <author a=\"1\" />\n</skin>", "author", "me",
                 "<skin>\n  <author a=\"1\">me</author>\n</skin>"},
        TSetCase{"CDATA kept", "<a><b><![CDATA[old <x>]]></b></a>", "b", "new <y>",
                 "<a><b><![CDATA[new <y>]]></b></a>"},
        TSetCase{"CDATA dropped when the value would end it", "<a><b><![CDATA[x]]></b></a>", "b", "]]>",
                 "<a><b>]]&gt;</b></a>"},
        TSetCase{"first of several", "<a><b>1</b><b>2</b></a>", "b", "x", "<a><b>x</b><b>2</b></a>"},
        TSetCase{"not inside a comment", "<a><!-- <b>c</b> --><b>1</b></a>", "b", "x",
                 "<a><!-- <b>c</b> --><b>x</b></a>"},
        TSetCase{"name prefix is another element", "<a><bb>1</bb><b>2</b></a>", "b", "x",
                 "<a><bb>1</bb><b>x</b></a>"},
        TSetCase{"quoted > in an attribute", "<a><b t=\"x>y\">1</b></a>", "b", "2", "<a><b t=\"x>y\">2</b></a>"},
        TSetCase{"nested same name", "<a><b><b>in</b>out</b><c/></a>", "b", "x", "<a><b>x</b><c/></a>"},
        TSetCase{"missing, added on its own line", kSkinFile, "email", "me@example.org",
                 replaced(kSkinFile, "</skin>", "  <email>me@example.org</email>\r\n</skin>")},
        TSetCase{"missing, root on one line", "<skin><name>x</name></skin>", "author", "me",
                 "<skin><name>x</name><author>me</author></skin>"},
        TSetCase{"missing, empty root", "<?xml version=\"1.0\"?>\n<skin/>\n", "name", "n",
                 "<?xml version=\"1.0\"?>\n<skin>\n  <name>n</name>\n</skin>\n"}),
    [](const ::testing::TestParamInfo<TSetCase>& info) {
        std::string name = info.param.name;
        for (char& c : name)
            if (!std::isalnum(static_cast<unsigned char>(c)))
                c = '_';
        return name;
    });

TEST(ElementFileTest, ReadsTextWithEntitiesAndCDataDecoded)
{
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"<a><b>x &amp; y &lt;z&gt; &#65;&#x42; &#233;</b></a>", "x & y <z> AB &#233;"},
        {"<a><b><![CDATA[<p>&amp;</p>]]></b></a>", "<p>&amp;</p>"},
        {"<a><b>1<![CDATA[<2>]]>3&gt;</b></a>", "1<2>3>"},
        {"<a><b/></a>", ""},
        {"<a><c>b</c></a>", ""},
        {"<a><!-- <b>hidden</b> --></a>", ""},
        {"<a><![CDATA[<b>hidden</b>]]></a>", ""},
        {"<a><b a='>'>v</b></a>", "v"},
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        const TElementSpan span = FindElement(text, "b");
        const std::string got =
            span.found ? DecodeElementText(std::string_view(text).substr(span.innerStart, span.innerEnd - span.innerStart))
                       : std::string();
        EXPECT_EQ(got, expected);
    }
}

TEST(ElementFileTest, TypeTestsFindRootsWrittenInEveryStyle)
{
    TTempDir dir;
    const std::vector<std::string> webParts = {
        "<WebPart><Title>T</Title></WebPart>",
        "<?xml version=\"1.0\"?>\r\n<!-- a part -->\r\n<WebPart\r\n  xmlns=\"urn:x\">\r\n<Title/>\r\n</WebPart>",
        "<!DOCTYPE WebPart [<!ENTITY x \"<WebPart>\">]>\r\n<WebPart\tid=\"1\"><Content><![CDATA[</WebPart>]]></Content></WebPart>",
        "<WebPart>\r\n  <Content></Content>\r\n</WebPart>",
    };
    for (const std::string& text : webParts) {
        SCOPED_TRACE(text);
        WriteFileBytes(dir.path() / "part.xml", text);
        const std::string file = (dir.path() / "part.xml").string();
        EXPECT_NE(GetElementFromFile(file, "WebPart"), "");
        EXPECT_TRUE(HasElementInFile(file, "WebPart"));
        EXPECT_EQ(GetElementFromFile(file, "skin"), "");
    }
    WriteFileBytes(dir.path() / "other.xml", "<html><body>WebPart</body></html>");
    EXPECT_EQ(GetElementFromFile((dir.path() / "other.xml").string(), "WebPart"), "");
    EXPECT_FALSE(HasElementInFile((dir.path() / "other.xml").string(), "WebPart"));
}

TEST(ElementFileTest, SampleFilesPassTheirTypeTests)
{
    const fs::path sample = SamplePortal();
    if (sample.empty())
        GTEST_SKIP() << "the sample portal (WPE_DATA_DIR) is missing";
    int parts = 0;
    for (const auto& entry : fs::directory_iterator(sample / "STORAGE")) {
        SCOPED_TRACE(entry.path().string());
        EXPECT_NE(GetElementFromFile(entry.path().string(), "WebPart"), "");
        EXPECT_EQ(GetElementFromFile(entry.path().string(), "skin"), "");
        ++parts;
    }
    EXPECT_GE(parts, 12);
    EXPECT_NE(GetElementFromFile((sample / "SKINS" / "Ocean" / "Ocean.cso").string(), "skin"), "");
    EXPECT_EQ(GetElementFromFile((sample / "SKINS" / "Ocean" / "Ocean.cso").string(), "htmltemplate"),
              "skin template.html");
}

TEST(ElementFileTest, WritingAFileKeepsEveryOtherByte)
{
    TTempDir dir;
    const fs::path file = dir.path() / "Ocean.cso";
    // Odd spacing, a comment holding the element's name, Windows-1251 bytes
    // and no final line break: all must survive.
    const std::string before = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<skin >\r\n"
                               "  <!-- <author>not this</author> -->\r\n"
                               "  <name>\xCE\xEA\xE5\xE0\xED</name>\r\n\t<author   x = 'y' >old</author>\r\n"
                               "  <comment>keep\r\nme</comment>\r\n</skin>";
    WriteFileBytes(file, before);
    SetElementInFile(file.string(), "author", "new");
    const std::string after = ReadFileBytes(file);
    EXPECT_EQ(after, replaced(before, "'y' >old<", "'y' >new<"));
    EXPECT_EQ(GetElementFromFile(file.string(), "author"), "new");
    EXPECT_EQ(GetElementFromFile(file.string(), "name"), "\xCE\xEA\xE5\xE0\xED");
    EXPECT_EQ(GetElementFromFile(file.string(), "comment"), "keep\r\nme");
    EXPECT_EQ(GetElementFromFile(file.string(), "homepage"), "") << "absent element reads as empty";

    // Writing the value it already has leaves the file untouched.
    const auto stamp = fs::last_write_time(file);
    SetElementInFile(file.string(), "author", "new");
    EXPECT_EQ(fs::last_write_time(file), stamp);
}

TEST(ElementFileTest, FilesThatCannotTakeTheValueStayAsTheyWere)
{
    TTempDir dir;
    const std::vector<std::pair<std::string, std::string>> rows = {
        {"no root element at all", "name"},
        {"<skin><name>unclosed</skin>", "name"},
        {"<!-- only a comment -->", "name"},
    };
    for (const auto& [content, element] : rows) {
        SCOPED_TRACE(content);
        const fs::path file = dir.path() / "bad.cso";
        WriteFileBytes(file, content);
        try {
            SetElementInFile(file.string(), element, "value");
            ADD_FAILURE() << "stored";
        } catch (const Exception& e) {
            EXPECT_THAT(e.message(), HasSubstr("bad.cso"));
        }
        EXPECT_EQ(ReadFileBytes(file), content);
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "no temporary file is left";
    EXPECT_THROW(GetElementFromFile((dir.path() / "missing.xml").string(), "x"), Exception);
    EXPECT_THROW(SetElementInFile((dir.path() / "missing.xml").string(), "x", "v"), Exception);
    EXPECT_FALSE(fs::exists(dir.path() / "missing.xml"));
}
