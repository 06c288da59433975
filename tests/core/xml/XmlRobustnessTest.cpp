#include "xml/XXml.h"
#include "xml/XXmlDom.h"
#include "xml/XmlUtils.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace wpe {
namespace {

constexpr int kDeep = 100000;

std::string Repeat(std::string_view s, int n)
{
    std::string out;
    out.reserve(s.size() * static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Loads text; true on success, false on a clean error. Anything else (a
// crash, another exception type) fails the test.
bool LoadsOrFailsCleanly(std::string_view text, std::string* message = nullptr)
{
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    try {
        doc->LoadXml(text);
        doc->Xml(); // the partial or full tree must serialise too
        return true;
    } catch (const Exception& e) {
        if (message)
            *message = e.what();
        doc->Xml();
        return false;
    }
}

TEST(XmlRobustness, DeepNestingLoadsSerialisesWalksAndFrees)
{
    const std::string xml = Repeat("<a>", kDeep) + "x" + Repeat("</a>", kDeep);
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadXml(xml);
    EXPECT_EQ(doc->Xml(), xml);
    EXPECT_EQ(doc->Text(), "x");
    int count = 0;
    for (TXmlDNode* n = doc.get(); n; n = NextNode(n))
        ++count;
    EXPECT_EQ(count, kDeep + 2);
    TXmlDNode* leaf = doc->DocumentElement();
    while (leaf->HasChildNodes())
        leaf = leaf->FirstChild();
    EXPECT_EQ(NextNode(leaf), nullptr); // climbs 100,000 levels without recursion
    doc.Reset();                        // destruction must not recurse either
}

TEST(XmlRobustness, DeepUnclosedAndDeepEmptyElements)
{
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadXml(Repeat("<a b='1'>", kDeep));
    EXPECT_EQ(doc->Xml(), Repeat("<a b=\"1\">", kDeep - 1) + "<a b=\"1\"/>" + Repeat("</a>", kDeep - 1));
    doc->LoadXml(Repeat("<a>", kDeep) + Repeat("<b/>", 3));
    EXPECT_EQ(doc->Xml(), Repeat("<a>", kDeep) + Repeat("<b/>", 3) + Repeat("</a>", kDeep));
}

TEST(XmlRobustness, DeepTreeBuiltByHandIsFreedIteratively)
{
    TRef<TXmlDElement> root(new TXmlDElement("r"));
    TXmlDNode* tip = root.get();
    for (int i = 0; i < kDeep; ++i) {
        auto* e = new TXmlDElement("e");
        tip->AppendChild(e);
        tip = e;
    }
    TRef<TXmlDNode> keepTip(tip);
    root.Reset();
    EXPECT_EQ(keepTip->ParentNode(), nullptr);
    EXPECT_EQ(keepTip->RefCount(), 1);
}

TEST(XmlRobustness, WideTreesAndManyAttributes)
{
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    std::string attrs;
    for (int i = 0; i < kDeep; ++i)
        attrs += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
    // Every name twice: the second value wins, the first place stays.
    doc->LoadXml("<r" + attrs + attrs + "/>");
    TXmlDElement* r = doc->DocumentElement();
    EXPECT_EQ(r->Attributes().Count(), kDeep);
    EXPECT_EQ(r->Attributes().Item(kDeep - 1)->NodeName(), "a" + std::to_string(kDeep - 1));
    EXPECT_EQ(r->GetAttribute("a500"), "500");

    // After a huge element, small ones must still be cheap to load.
    doc->LoadXml("<r" + attrs + "><x a='1' a='2'/>" + Repeat("<y b='1'/>", kDeep) + "</r>");
    EXPECT_EQ(doc->DocumentElement()->ChildNodes().Count(), kDeep + 1);
    EXPECT_EQ(static_cast<TXmlDElement*>(doc->DocumentElement()->FirstChild())->GetAttribute("a"), "2");
}

TEST(XmlRobustness, NulAndControlBytesAreOrdinaryCharacters)
{
    const std::string xml("<a t=\"\0\x01\">\0x\x7f\xff</a>", 18);
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadXml(xml);
    EXPECT_EQ(doc->DocumentElement()->Text(), std::string("\0x\x7f\xff", 4));
    EXPECT_EQ(doc->DocumentElement()->GetAttribute("t"), std::string("\0\x01", 2));
    EXPECT_EQ(doc->Xml(), xml);
    // A NUL between constructs is white space at the top level.
    doc->LoadXml(std::string("\0<a/>\0", 6));
    EXPECT_EQ(doc->Xml(), "<a/>");
}

TEST(XmlRobustness, UnterminatedConstructsAtTheEndOfAHugeFile)
{
    const std::string body = "<r>" + Repeat("<p k=\"v\">text &amp; more</p>\r\n", 40000);
    struct Case {
        const char* tail;
        const char* message;
    } cases[] = {
        {"<!--", "Ошибка в XML-документе: ожидается \"-->\""},
        {"<![CDATA[", "Ошибка в XML-документе: ожидается \"]]\""},
        {"<?pi ", "Ошибка в XML-документе: ожидается \"?>\""},
        {"<!DOCTYPE x [", "Ошибка в XML-документе: ожидается \">\" для типа документа"},
        {"<p k=\"", "Ошибка в XML-документе: ожидается атрибут элемента"},
    };
    for (const Case& c : cases) {
        std::string message;
        EXPECT_FALSE(LoadsOrFailsCleanly(body + c.tail + Repeat("- ] ? x", 100000), &message));
        EXPECT_EQ(message, c.message) << c.tail;
    }
}

TEST(XmlRobustness, RandomBytesNeverCrash)
{
    std::mt19937 rng(7);
    const std::string alphabet = "<>/!?-[]=\"' \r\nabCDATA\0&;x";
    int loaded = 0;
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        int n = static_cast<int>(rng() % 200);
        for (int i = 0; i < n; ++i)
            text += round % 2 ? static_cast<char>(rng()) : alphabet[rng() % alphabet.size()];
        loaded += LoadsOrFailsCleanly(text);
        TXmlReader r; // the reader alone must agree that it ends
        r.Open(text);
        try {
            int guard = 0;
            while (r.Next() != tkEndOfInput)
                ASSERT_LT(++guard, 1000);
        } catch (const EXmlReader&) {
        }
    }
    EXPECT_GT(loaded, 0);
}

// A large document, read from a stream in blocks.
TEST(XmlRobustness, LargeDocumentFromAStream)
{
    std::string xml = "<?xml version=\"1.0\"?>\r\n<root>\r\n";
    const std::string item = "  <item id=\"12345\" name=\"n&amp;m\"><![CDATA[c]]>text<!--c--></item>\r\n";
    while (xml.size() < (4u << 20))
        xml += item;
    xml += "</root>";
    std::istringstream in(xml);
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadFromStream(in);
    const int items = doc->DocumentElement()->ChildNodes().Count();
    EXPECT_GT(items, 50000);
    EXPECT_EQ(doc->DocumentElement()->LastChild()->Xml(),
              "<item id=\"12345\" name=\"n&amp;m\"><![CDATA[c]]>text<!--c--></item>");
}

// ---- the conformance corpus ----

struct CorpusFile {
    std::string name;
    bool wellFormed;
};

std::vector<CorpusFile> ReadManifest(const std::filesystem::path& dir)
{
    std::vector<CorpusFile> files;
    std::ifstream manifest(dir / "MANIFEST.tsv");
    std::string line;
    std::getline(manifest, line); // header
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        CorpusFile f;
        std::string expected;
        if (std::getline(fields, f.name, '\t') && std::getline(fields, expected, '\t')) {
            f.wellFormed = expected == "wf";
            files.push_back(f);
        }
    }
    return files;
}

// What this reader is not meant to handle: UTF-16 text, and documents that
// rely on a DTD or on entities beyond the five predefined ones.
bool UsesUnsupportedFeatures(const std::string& bytes)
{
    if (bytes.size() >= 2 && ((bytes[0] == '\xff' && bytes[1] == '\xfe') || (bytes[0] == '\xfe' && bytes[1] == '\xff')))
        return true;
    return bytes.find("<!DOCTYPE") != std::string::npos || bytes.find("<!ENTITY") != std::string::npos;
}

TEST(XmlCorpus, ConformanceFilesNeverCrashAndPlainWellFormedOnesLoad)
{
    const char* root = std::getenv("WPE_CORPUS_DIR");
    if (!root || !std::filesystem::exists(std::filesystem::path(root) / "xml" / "MANIFEST.tsv"))
        GTEST_SKIP() << "WPE_CORPUS_DIR/xml not available";
    const std::filesystem::path dir = std::filesystem::path(root) / "xml";
    const auto files = ReadManifest(dir);
    ASSERT_FALSE(files.empty());
    int mustLoad = 0;
    for (const CorpusFile& f : files) {
        std::ifstream in(dir / f.name, std::ios::binary);
        ASSERT_TRUE(in) << f.name;
        std::string bytes((std::istreambuf_iterator<char>(in)), {});
        std::string message;
        bool loaded = LoadsOrFailsCleanly(bytes, &message);
        if (f.wellFormed && !UsesUnsupportedFeatures(bytes)) {
            ++mustLoad;
            EXPECT_TRUE(loaded) << f.name << ": " << message;
        }
        // Through a file and the stream path as well: the same verdict and,
        // when it loads, the same tree as from memory.
        TRef<TXmlDDocument> fromFile(new TXmlDDocument);
        std::string fileMessage;
        bool fileLoaded = true;
        try {
            fromFile->LoadFromFile((dir / f.name).string());
        } catch (const Exception& e) {
            fileLoaded = false;
            fileMessage = e.what();
        }
        EXPECT_EQ(fileLoaded, loaded) << f.name << ": " << (loaded ? fileMessage : message);
        if (loaded && fileLoaded) {
            TRef<TXmlDDocument> fromMemory(new TXmlDDocument);
            fromMemory->LoadXml(bytes);
            EXPECT_EQ(fromFile->Xml(), fromMemory->Xml()) << f.name;
        }
    }
    EXPECT_GT(mustLoad, 10);
}

} // namespace
} // namespace wpe
