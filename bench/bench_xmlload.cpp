// Loading into the document model against libxml2's xmlReadMemory (tree
// built and freed in both), on one 1 MiB document and on 1,000 small
// web-part-shaped documents. Compare BM_XmlLoad/<case> with
// BM_LibXml2Load/<case>: the ratio of their times is the figure that counts.
// BM_XmlRead/Deep and BM_XmlRead/Flat run the reader alone over the same
// tokens and bytes, nested 150,000 deep in one and side by side in the
// other: their ratio is the cost of depth.
// BM_PugiXmlLoad loads the same texts with pugixml (comments, processing
// instructions and CDATA kept, as ours does), a reference for what a lean
// model reaches. BM_XmlModelSize reports the heap bytes per node (elements,
// attributes, texts, comments, CDATA, processing instructions) of our
// document after the 1 MiB load, counted by this program's operator new.
//
//   bench_xmlload --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "xml/XXml.h"
#include "xml/XXmlDom.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>
#include <libxml/tree.h>

#include <pugixml.hpp>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

// Every heap byte this program asks for, so a benchmark can tell what a
// load kept.
std::atomic<std::size_t> gHeapBytes{0};

void* operator new(std::size_t size)
{
    gHeapBytes.fetch_add(size, std::memory_order_relaxed);
    if (void* p = std::malloc(size ? size : 1))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace {

using namespace wpe;

// About 1 MiB: nested sections with attributes, text with entities,
// comments and CDATA, laid out with line breaks and indentation.
std::string LargeDocument()
{
    std::mt19937 rng(1);
    std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n<portal name=\"bench\">\r\n";
    int id = 0;
    while (s.size() < (1u << 20)) {
        s += "  <section id=\"s" + std::to_string(id) + "\" kind=\"zone\" visible=\"true\">\r\n";
        s += "    <!-- section " + std::to_string(id) + " -->\r\n";
        int parts = 3 + static_cast<int>(rng() % 5);
        for (int p = 0; p < parts; ++p) {
            s += "    <part ref=\"p" + std::to_string(id * 10 + p) + "\" order='" + std::to_string(p) + "'>\r\n";
            s += "      <title>Part number " + std::to_string(p) + " &amp; friends</title>\r\n";
            s += "      <body><p class=\"x\">Some text with <b>bold</b> and <i>italic</i> words, ";
            s += "and a longer run of ordinary character data that fills the line.</p></body>\r\n";
            s += "      <script><![CDATA[if (a < b && c > d) { go(); }]]></script>\r\n";
            s += "      <empty/>\r\n";
            s += "    </part>\r\n";
        }
        s += "  </section>\r\n";
        ++id;
    }
    s += "</portal>\r\n";
    return s;
}

// About 2 KB each, shaped like a stored web part.
std::vector<std::string> SmallDocuments()
{
    std::vector<std::string> docs;
    for (int i = 0; i < 1000; ++i) {
        std::string n = std::to_string(i);
        std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\"?>\r\n"
                        "<WebPart>\r\n"
                        "  <!-- General -->\r\n"
                        "  <Title>News part " + n + "</Title>\r\n"
                        "  <Description>Latest news &amp; headlines, refreshed every hour.</Description>\r\n"
                        "  <Category>News/Local</Category>\r\n"
                        "  <Category>Portal/Start page</Category>\r\n"
                        "  <LastModified>Wed, 09 Dec 2026 05:00:00 GMT</LastModified>\r\n"
                        "  <!-- Content -->\r\n"
                        "  <ContentLink>http://example.org/feeds/" + n + ".xml</ContentLink>\r\n"
                        "  <ContentType>1</ContentType>\r\n"
                        "  <Content><![CDATA[<div class=\"news\"><a href=\"http://example.org/" + n +
                        "\">More news</a><p>Text of the part with some words in it.</p></div>]]></Content>\r\n"
                        "  <XSL><![CDATA[<xsl:stylesheet version=\"1.0\" "
                        "xmlns:xsl=\"http://www.w3.org/1999/XSL/Transform\"><xsl:template match=\"/\">"
                        "<xsl:apply-templates select=\"rss/channel/item\"/></xsl:template></xsl:stylesheet>]]></XSL>\r\n"
                        "  <!-- Appearance -->\r\n"
                        "  <Zone>2</Zone>\r\n"
                        "  <PartOrder>" + n + "</PartOrder>\r\n"
                        "  <FrameState>0</FrameState>\r\n"
                        "  <AllowRemove>1</AllowRemove>\r\n"
                        "  <AllowMinimize>1</AllowMinimize>\r\n"
                        "  <IsVisible>1</IsVisible>\r\n"
                        "  <Height>200</Height>\r\n"
                        "  <Width>100%</Width>\r\n"
                        "  <CacheBehavior>1</CacheBehavior>\r\n"
                        "  <CacheTimeout>3600</CacheTimeout>\r\n"
                        "  <PartStorage>\r\n"
                        "    <Param name=\"count\" value=\"10\"/>\r\n"
                        "    <Param name=\"source\" value=\"local &quot;feed&quot;\"/>\r\n"
                        "    <Group name=\"colors\">\r\n"
                        "      <Param name=\"fore\" value=\"#000000\"/>\r\n"
                        "      <Param name=\"back\" value=\"#FFFFFF\"/>\r\n"
                        "    </Group>\r\n"
                        "  </PartStorage>\r\n"
                        "  <Namespace>NewsPart" + n + "</Namespace>\r\n"
                        "  <DetailLink>http://example.org/details?id=" + n + "&amp;lang=ru</DetailLink>\r\n"
                        "  <HelpLink>http://example.org/help/" + n + ".html</HelpLink>\r\n"
                        "  <MasterPartLink></MasterPartLink>\r\n"
                        "  <RequiresIsolation>0</RequiresIsolation>\r\n"
                        "</WebPart>\r\n";
        while (s.size() < 2048)
            s.insert(s.size() - 12, "  <Comment>padding text for the part</Comment>\r\n");
        docs.push_back(std::move(s));
    }
    return docs;
}

const std::string& Large()
{
    static const std::string doc = LargeDocument();
    return doc;
}

const std::vector<std::string>& Small()
{
    static const std::vector<std::string> docs = SmallDocuments();
    return docs;
}

std::size_t TotalSize(const std::vector<std::string>& docs)
{
    std::size_t n = 0;
    for (const auto& d : docs)
        n += d.size();
    return n;
}

void LoadOurs(benchmark::State& state, const std::string& text)
{
    TRef<TXmlDDocument> doc(new TXmlDDocument);
    doc->LoadXml(text);
    benchmark::DoNotOptimize(doc->FirstChild());
}

void LoadLibXml2(benchmark::State& state, const std::string& text)
{
    xmlDocPtr doc = xmlReadMemory(text.data(), static_cast<int>(text.size()), nullptr, nullptr, XML_PARSE_NONET);
    if (!doc) {
        state.SkipWithError("libxml2 refused the document");
        return;
    }
    benchmark::DoNotOptimize(doc->children);
    xmlFreeDoc(doc);
}

void LoadPugiXml(benchmark::State& state, const std::string& text)
{
    pugi::xml_document doc;
    const pugi::xml_parse_result result =
        doc.load_buffer(text.data(), text.size(), pugi::parse_default | pugi::parse_comments | pugi::parse_pi);
    if (!result) {
        state.SkipWithError("pugixml refused the document");
        return;
    }
    benchmark::DoNotOptimize(doc.first_child());
}

void BM_PugiXmlLoad_Large(benchmark::State& state)
{
    for (auto _ : state)
        LoadPugiXml(state, Large());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Large().size()));
}

void BM_PugiXmlLoad_Small(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& d : Small())
            LoadPugiXml(state, d);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalSize(Small())));
}

std::size_t CountNodes(const TXmlDNode* node)
{
    std::size_t n = 1;
    if (node->HasAttributes())
        n += static_cast<std::size_t>(node->Attributes().Count());
    for (const TXmlDNode* child = node->FirstChild(); child; child = child->NextSibling())
        n += CountNodes(child);
    return n;
}

// Heap bytes per node held by the loaded 1 MiB document (the text itself
// is not counted: it lives outside the document). The load runs on a thread
// of its own, whose block pool starts empty, so every block it keeps comes
// through operator new and is counted.
void BM_XmlModelSize(benchmark::State& state)
{
    std::size_t nodes = 0, bytes = 0;
    for (auto _ : state) {
        std::thread([&] {
            const std::size_t before = gHeapBytes.load();
            TRef<TXmlDDocument> doc(new TXmlDDocument);
            doc->LoadXml(Large());
            bytes = gHeapBytes.load() - before;
            nodes = CountNodes(doc.get()) - 1;
        }).join();
    }
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["bytes_per_node"] = static_cast<double>(bytes) / static_cast<double>(nodes);
}

void BM_XmlLoad_Large(benchmark::State& state)
{
    for (auto _ : state)
        LoadOurs(state, Large());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Large().size()));
}

void BM_LibXml2Load_Large(benchmark::State& state)
{
    for (auto _ : state)
        LoadLibXml2(state, Large());
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Large().size()));
}

void BM_XmlLoad_Small(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& d : Small())
            LoadOurs(state, d);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalSize(Small())));
}

void BM_LibXml2Load_Small(benchmark::State& state)
{
    for (auto _ : state)
        for (const auto& d : Small())
            LoadLibXml2(state, d);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * TotalSize(Small())));
}

// "<x>" n times then "</x>" n times, or "<x></x>" n times: about 1 MiB each.
std::string Nested(bool deep)
{
    const std::size_t n = (1u << 20) / 7;
    std::string s;
    s.reserve(7 * n);
    for (std::size_t i = 0; i < n; ++i)
        s += deep ? "<x>" : "<x></x>";
    if (deep)
        for (std::size_t i = 0; i < n; ++i)
            s += "</x>";
    return s;
}

void BM_XmlRead(benchmark::State& state)
{
    const std::string text = Nested(state.range(0) != 0);
    for (auto _ : state) {
        TXmlReader reader;
        reader.Open(text);
        std::size_t tokens = 0;
        while (reader.Next() != tkEndOfInput)
            ++tokens;
        benchmark::DoNotOptimize(tokens);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}

} // namespace

BENCHMARK(BM_XmlRead)->Name("BM_XmlRead/Flat")->Arg(0)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlRead)->Name("BM_XmlRead/Deep")->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad_Large)->Name("BM_XmlLoad/Large1MiB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibXml2Load_Large)->Name("BM_LibXml2Load/Large1MiB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad_Small)->Name("BM_XmlLoad/Small1000x2KB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LibXml2Load_Small)->Name("BM_LibXml2Load/Small1000x2KB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiXmlLoad_Large)->Name("BM_PugiXmlLoad/Large1MiB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PugiXmlLoad_Small)->Name("BM_PugiXmlLoad/Small1000x2KB")->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlModelSize)->Unit(benchmark::kMillisecond)->Iterations(3);

int main(int argc, char** argv)
{
    xmlInitParser();
    std::printf("large document: %zu bytes; small documents: %zu x ~%zu bytes\n", Large().size(), Small().size(),
                TotalSize(Small()) / Small().size());
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    xmlCleanupParser();
    return 0;
}
