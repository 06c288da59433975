// The one-pass scan of a web part's fields against the tag parser's searches
// (WebPartScanReference.h): the same texts and the same errors for real
// files, crafted edge cases and many generated texts.

#include "WebPartScanReference.h"

#include "catalogue/CatalogueText.h"
#include "catalogue/WebPartScan.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace wpe::test {
namespace {

namespace fs = std::filesystem;

std::string Printable(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c >= 32 && c < 127 && c != '\\') {
            out += static_cast<char>(c);
        } else {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        }
    }
    return out;
}

std::string Describe(const PartFieldsRead& r)
{
    std::ostringstream out;
    out << "webpart=" << r.isWebPart << " error=\"" << r.error << "\"";
    for (const auto& f : r.fields)
        out << " [" << (f ? "\"" + Printable(*f) + "\"" : "-") << "]";
    for (const auto& c : r.categories)
        out << " cat=\"" << Printable(c) << "\"";
    return out.str();
}

// Compares both ways of reading text; false (with a message) when they differ.
::testing::AssertionResult SameAsParser(TWebPartScan& scan, const std::string& text)
{
    const PartFieldsRead expected = ReadWithTagParser(text);
    const PartFieldsRead actual = ReadWithScan(scan, text);
    if (expected == actual)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "text: \"" << Printable(text) << "\"\n  parser: " << Describe(expected)
                                         << "\n  scan:   " << Describe(actual);
}

std::string ReadFile(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

// Every non-empty file under root; returns how many were compared.
size_t CompareFilesUnder(const fs::path& root)
{
    TWebPartScan scan;
    size_t compared = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file())
            continue;
        const std::string text = ReadFile(it->path());
        if (text.empty())
            continue;
        EXPECT_TRUE(SameAsParser(scan, text)) << it->path();
        ++compared;
    }
    return compared;
}

TEST(WebPartScan, ReadsLikeTheTagParserOnEveryTestFile)
{
    const char* data = std::getenv("WPE_TEST_DATA");
    if (!data)
        GTEST_SKIP() << "WPE_TEST_DATA not set";
    EXPECT_GT(CompareFilesUnder(data), 0u);
}

TEST(WebPartScan, ReadsLikeTheTagParserOnTheCorpus)
{
    const char* root = std::getenv("WPE_CORPUS_DIR");
    if (!root || !*root || !fs::is_directory(root))
        GTEST_SKIP() << "the corpus (WPE_CORPUS_DIR) is missing";
    EXPECT_GT(CompareFilesUnder(root), 0u);
}

TEST(WebPartScan, FieldsAndCategoriesOfAPlainPart)
{
    TWebPartScan scan;
    const std::string text = "<?xml version=\"1.0\"?>\r\n<WebPart>\r\n  <Category>News/Local</Category>\r\n"
                             "  <Category>Sport</Category>\r\n  <Title>Weather &amp; more</Title>\r\n"
                             "  <Language>en</Language>\r\n  <Zone/>\r\n</WebPart>\r\n";
    scan.Scan(text);
    ASSERT_TRUE(scan.IsWebPart());
    EXPECT_EQ(scan.Text(TPartField::Title), "Weather & more");
    EXPECT_EQ(scan.Text(TPartField::Language), "en");
    EXPECT_TRUE(scan.Found(TPartField::Zone));
    EXPECT_EQ(scan.Text(TPartField::Zone), "");
    EXPECT_FALSE(scan.Found(TPartField::Description));
    ASSERT_EQ(scan.CategoryCount(), 2u);
    EXPECT_EQ(scan.CategoryText(0), "News/Local");
    EXPECT_EQ(scan.CategoryText(1), "Sport");
    EXPECT_TRUE(SameAsParser(scan, text));
}

// Cases where a search has to skip something or fails, each compared whole.
TEST(WebPartScan, CraftedEdgeCasesMatchTheParser)
{
    const std::vector<std::string> cases = {
        // no WebPart element, or only a look-alike
        "<WebParts><Title>x</Title></WebParts>",
        "<webpart><Title>x</Title></webpart>",
        "<!-- <WebPart> --><Title>x</Title>",
        "<![CDATA[<WebPart>]]><Title>x</Title>",
        "<WebPart",
        // names in the wrong case, longer names, names at the very end
        "<WebPart><title>a</title><TITLE>b</TITLE><Titles>c</Titles><Title>d</Title></WebPart>",
        "<WebPart><Title>a</Title",
        "<WebPart><Title",
        "<WebPart/><Title>x</Title>",
        // elements inside comments and CDATA sections are skipped
        "<WebPart><!-- <Title>hidden</Title> --><Title>shown</Title></WebPart>",
        "<WebPart><![CDATA[<Title>hidden</Title>]]><Title>shown</Title></WebPart>",
        "<WebPart><![cdata[<Title>hidden</Title>]]><Title>shown</Title></WebPart>",
        "<WebPart><!--<Category>A</Category>--><Category>B</Category><![CDATA[<Category>C</Category>]]>"
        "<Category>D</Category></WebPart>",
        // unclosed sections
        "<WebPart><!-- <Title>x</Title>",
        "<WebPart><![CDATA[ <Title>x</Title>",
        "<WebPart><Title>a<![CDATA[b</Title></WebPart>",
        "<WebPart><Title>a<![cdata[b]]></Title></WebPart>",
        "<WebPart><Title><![CDATA[a]]>&lt;<![CDATA[&amp;]]></Title></WebPart>",
        // closing tags inside sections, nested and repeated elements
        "<WebPart><Title>a<!--</Title>-->b</Title></WebPart>",
        "<WebPart><Title>a<![CDATA[</Title>]]>b</Title></WebPart>",
        "<WebPart><Title>a<Title>b</Title>c</Title>d</Title></WebPart>",
        "<WebPart><Title>a<Title>b</Title>c</WebPart>",
        "<WebPart><Title>one</Title><Title>two</Title></WebPart>",
        "<WebPart><Category>A</Category><Category>A</Category><Category/><Category></Category></WebPart>",
        "<WebPart><Category>A<Category>B</Category>C</Category></WebPart>",
        "<WebPart><Category>A</WebPart>",
        "<WebPart><Category>A</Category><Category>B</WebPart>",
        // start tags with attributes, brackets, missing '>'
        "<WebPart><Title lang=\"en\">x</Title><Zone/></WebPart>",
        "<WebPart><Title a=\"[1]\">x</Title></WebPart>",
        "<WebPart><Title a=\"[1\">x</Title></WebPart>",
        "<WebPart><Title a=\"[1\">x</Title>]</WebPart>",
        "<WebPart><Title a=\"[1\">x</Title>]> y</WebPart>",
        "<WebPart><Title x</Title></WebPart>",
        "<WebPart><Title ",
        "<WebPart><Title />",
        "<WebPart><Title/ >x</Title></WebPart>",
        "<WebPart><Title></Title></WebPart>",
        "<WebPart><Title>\t</Title></WebPart>",
        "<WebPart><Title>\r\n</Title ></Title></WebPart>",
        // entities, including ones that make others
        "<WebPart><Description>&amp;lt; &LT; &quot;q&quot; &apos; &#38; &</Description></WebPart>",
        "<WebPart><Title>a &amp; b &amp;&amp; c&amp;</Title><Zone>&amp;quot;</Zone><Language>&amp;Apos;</Language>"
        "<Popularity>&amp;amp;</Popularity><Description>&AMP;&amp;&amp;QUOT;</Description></WebPart>",
        // Windows-1251 letters around the markers
        "<WebPart><Title>\xCF\xF0\xE8\xE2\xE5\xF2</Title><Category>\xCD\xEE\xE2\xEE\xF1\xF2\xE8/\xC1</Category>"
        "</WebPart>",
        "<WebPart><Title>x</Title><!-->--><Category>A</Category></WebPart>",
        "<WebPart><!---><Title>x</Title>--></WebPart><Title>y</Title>",
    };
    TWebPartScan scan;
    for (const std::string& text : cases)
        EXPECT_TRUE(SameAsParser(scan, text));
}

// Pieces that make tags, sections and entities when strung together at random.
const std::vector<std::string>& Pieces()
{
    static const std::vector<std::string> pieces = {
        "<WebPart>", "</WebPart>", "<WebPart", "<Title>", "</Title>", "<Title", "<Title ", "<Title/>",
        "<Description>", "</Description>", "<Language>", "</Language>", "<Popularity>", "</Popularity>",
        "<LastModified>", "</LastModified>", "<Zone>", "</Zone>", "<Zone/>", "<Category>", "</Category>",
        "<Category", "<category>", "</Categorys>", "<TITLE>", "<Titl", "Title", "Category", "WebPart", "<", "</",
        ">", "/>", "/", " ", "[", "]", "]]", "--", "!", "<![CDATA[", "<![cdata[", "<![CDATA", "]]>", "<!--", "-->",
        "<!-", "&amp;", "&AMP;", "amp;", "quot;", "apos;", "Q", "A", "&lt;", "&gt;", "&quot;", "&apos;", "&", ";", "a", "b", "x y", "\r\n", "\t", "\xC0\xE0",
        "\xA8\xB8", "<?xml version=\"1.0\"?>", "=\"v\"", "'", "\"", "News/Local", "//", "<a>", "</a>", "<b/>",
    };
    return pieces;
}

std::string RandomText(std::mt19937& rng, size_t maxPieces)
{
    const auto& pieces = Pieces();
    std::uniform_int_distribution<size_t> count(1, maxPieces);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::string s;
    const size_t n = count(rng);
    for (size_t i = 0; i < n; ++i)
        s += pieces[pick(rng)];
    return s;
}

// A part in the layout the editor writes, with everything the catalogue reads.
std::string RealisticPart(std::mt19937& rng, size_t contentBytes)
{
    std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n  <!-- General -->\r\n";
    const int cats = static_cast<int>(rng() % 4);
    for (int c = 0; c < cats; ++c)
        s += "  <Category>Group" + std::to_string(rng() % 5) + "/Topic" + std::to_string(rng() % 7) + "</Category>\r\n";
    s += "  <Description>Figures &amp; a short summary</Description>\r\n  <Language>en</Language>\r\n";
    s += "  <LastModified>Mon, 07 Dec 2026 10:15:00 GMT</LastModified>\r\n  <Popularity>3</Popularity>\r\n";
    s += "  <Title>Part " + std::to_string(rng() % 1000) + "</Title>\r\n  <Content><![CDATA[<table>";
    while (s.size() < contentBytes)
        s += "<tr><td>row</td><td><Title>in data</Title></td></tr>";
    s += "</table>]]></Content>\r\n  <Zone>2</Zone>\r\n</WebPart>\r\n";
    return s;
}

// Cuts, copies and inserts at random places, so tags get split, doubled and truncated.
std::string Mutate(std::string s, std::mt19937& rng)
{
    const auto& pieces = Pieces();
    const int edits = 1 + static_cast<int>(rng() % 4);
    for (int e = 0; e < edits && !s.empty(); ++e) {
        const size_t at = rng() % s.size();
        const size_t len = std::min<size_t>(s.size() - at, 1 + rng() % 40);
        switch (rng() % 4) {
        case 0: s.erase(at, len); break;
        case 1: s.insert(at, s.substr(at, len)); break;
        case 2: s.insert(at, pieces[rng() % pieces.size()]); break;
        default: s.resize(at); break;
        }
    }
    if (s.empty())
        s = "<";
    return s;
}

TEST(WebPartScan, RandomPieceTextsMatchTheParser)
{
    std::mt19937 rng(20261210);
    TWebPartScan scan;
    for (int i = 0; i < 30000; ++i) {
        const std::string text = RandomText(rng, i % 3 == 0 ? 80 : 20);
        ASSERT_TRUE(SameAsParser(scan, "<WebPart>" + text)) << "case " << i;
        ASSERT_TRUE(SameAsParser(scan, text)) << "case " << i;
    }
}

TEST(WebPartScan, MutatedRealisticPartsMatchTheParser)
{
    std::mt19937 rng(7);
    TWebPartScan scan;
    for (int i = 0; i < 4000; ++i) {
        const std::string part = RealisticPart(rng, 300 + rng() % 1500);
        ASSERT_TRUE(SameAsParser(scan, part)) << "case " << i;
        ASSERT_TRUE(SameAsParser(scan, Mutate(part, rng))) << "case " << i;
    }
}

// Texts past the size where the parser starts keeping occurrence lists and
// closing-tag pairings: its other way of answering must agree as well.
TEST(WebPartScan, LargeTextsMatchTheParser)
{
    std::mt19937 rng(99);
    TWebPartScan scan;
    for (int i = 0; i < 60; ++i) {
        std::string text = RealisticPart(rng, 17000 + rng() % 20000);
        if (i % 2)
            text = Mutate(std::move(text), rng);
        ASSERT_TRUE(SameAsParser(scan, text)) << "case " << i;
        std::string many = "<WebPart>";
        while (many.size() < 20000)
            many += RandomText(rng, 40);
        ASSERT_TRUE(SameAsParser(scan, many)) << "case " << i;
    }
}

TEST(WebPartScan, CategoryPathsNormalizeLikeSplitAndJoin)
{
    std::mt19937 rng(3);
    const char alphabet[] = {'/', '/', 'a', 'B', ' ', '\xC0'};
    std::string out;
    for (int i = 0; i < 5000; ++i) {
        std::string path;
        const size_t n = rng() % 12;
        for (size_t k = 0; k < n; ++k)
            path += alphabet[rng() % sizeof alphabet];
        NormalizeCategoryPath(path, out);
        ASSERT_EQ(out, JoinCategoryPath(SplitCategoryPath(path))) << "path \"" << path << "\"";
    }
}

} // namespace
} // namespace wpe::test
