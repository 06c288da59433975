// Visiting every image of a generated HTML template with the tag parser, at
// 100 KB and at 1 MiB: the scan should grow with the size of the text, not
// with its square. Compare BM_VisitImages/1048576 with BM_VisitImages/102400.
//   build-<dir>/bench/bench_tagparser [--benchmark_repetitions=5]

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "skin/TagParser.h"
#include "util/Files.h"

namespace {

// A template of about `bytes` bytes: blocks of markup with images, and now
// and then a comment or a script CDATA section that hides an image.
std::string makeTemplate(std::size_t bytes) {
    std::string text = "<!DOCTYPE html>\r\n<HTML><HEAD><TITLE>Skin</TITLE>\r\n"
                       "<LINK REL=stylesheet HREF=\"skin.css\"></HEAD>\r\n<BODY>\r\n";
    for (std::size_t i = 0; text.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        text += "<div class=\"zone\" id=\"z" + n + "\">\r\n  <p>Text of block " + n +
                " with <b>bold</b> words &amp; an entity.</p>\r\n"
                "  <IMG SRC=\"images/pic" + n + ".gif\" alt=\"picture " + n + "\" width=10 height=10>\r\n"
                "  <a href=\"page" + n + ".html\"><img src='icon.png'/></a>\r\n";
        if (i % 7 == 0)
            text += "  <!-- old layout: <img src=\"gone" + n + ".gif\"> -->\r\n";
        if (i % 11 == 0)
            text += "  <script><![CDATA[ var s = '<img src=\"x" + n + ".gif\">'; ]]></script>\r\n";
        text += "</div>\r\n";
    }
    return text + "</BODY></HTML>\r\n";
}

std::size_t visitImages(const std::string& text) {
    wpe::TTagParser parser(text);
    parser.SetIgnoreCase(true);
    std::size_t count = 0;
    while (parser.Find("img"))
        ++count;
    return count;
}

void BM_VisitImages(benchmark::State& state) {
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)));
    std::size_t images = 0;
    for (auto _ : state) {
        images = visitImages(text);
        benchmark::DoNotOptimize(images);
    }
    state.counters["images"] = static_cast<double>(images);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_VisitImages)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// The same walk reading each image's source, as the skin import does.
void BM_VisitImagesReadSource(benchmark::State& state) {
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        wpe::TTagParser parser(text);
        parser.SetIgnoreCase(true);
        std::size_t length = 0;
        while (parser.Find("img"))
            length += parser.GetAttribute("src").size();
        benchmark::DoNotOptimize(length);
    }
}
BENCHMARK(BM_VisitImagesReadSource)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// Images below the body: each Find looks up the parent element again.
void BM_VisitBodyImages(benchmark::State& state) {
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        wpe::TTagParser parser(text);
        parser.SetIgnoreCase(true);
        std::size_t count = 0;
        while (parser.Find("html/body/img"))
            ++count;
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_VisitBodyImages)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// Rewriting the source of every image, as the skin import rewrites links.
// Each edit moves the rest of the text, so this grows faster than the text.
void BM_RewriteImageSources(benchmark::State& state) {
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        wpe::TTagParser parser(text);
        parser.SetIgnoreCase(true);
        while (parser.Find("img"))
            parser.SetAttribute("src", "files/" + parser.GetAttribute("src"));
        benchmark::DoNotOptimize(parser.Text().size());
    }
}
BENCHMARK(BM_RewriteImageSources)->Arg(100 * 1024)->Arg(1024 * 1024)->Unit(benchmark::kMillisecond);

// One pass over a real template when the corpus is at hand.
void BM_CorpusTemplate(benchmark::State& state) {
    const char* root = std::getenv("WPE_CORPUS_DIR");
    const std::filesystem::path file =
        std::filesystem::path(root ? root : "") / "html" / "cerberus-hybrid" / "cerberus-hybrid.html";
    if (root == nullptr || !std::filesystem::exists(file)) {
        state.SkipWithError("no corpus (set WPE_CORPUS_DIR)");
        return;
    }
    const std::string text = wpe::ReadWholeFile(file.string());
    for (auto _ : state) {
        std::size_t count = 0;
        for (const char* tag : {"link", "script", "img", "td", "table"}) {
            wpe::TTagParser parser(text);
            parser.SetIgnoreCase(true);
            while (parser.Find(tag))
                ++count;
        }
        benchmark::DoNotOptimize(count);
    }
}
BENCHMARK(BM_CorpusTemplate)->Unit(benchmark::kMicrosecond);

// Texts that once made every step of a walk search the rest of the text
// again: start tags that are never closed, nested ("<div><span>" repeated,
// walked with a child path) or with an open quote ("<a x=\"" repeated, each
// tag read). Arg 1 keeps the parser's occurrence lists on, 0 turns them off
// (the plain searches, for reference). With the lists the 1 MiB walk should
// take about ten times the 100 KB walk.
std::string repeatToSize(const std::string& unit, std::size_t bytes) {
    std::string text;
    text.reserve(bytes + unit.size());
    while (text.size() < bytes)
        text += unit;
    return text;
}

void setIndexing(benchmark::State& state) {
    wpe::SetTagIndexing(state.range(1) ? wpe::TagIndexing::Auto : wpe::TagIndexing::Never);
}

void BM_UnclosedNesting(benchmark::State& state) {
    const std::string text = repeatToSize("<div><span>", static_cast<std::size_t>(state.range(0)));
    setIndexing(state);
    for (auto _ : state) {
        wpe::TTagParser parser(text);
        std::size_t count = 0;
        while (parser.Find("div[@id!=x]/span"))
            ++count;
        benchmark::DoNotOptimize(count);
    }
    wpe::SetTagIndexing(wpe::TagIndexing::Auto);
}
BENCHMARK(BM_UnclosedNesting)
    ->Args({100 * 1024, 0})->Args({100 * 1024, 1})->Args({1024 * 1024, 1})->Unit(benchmark::kMillisecond);

void BM_UnclosedQuotes(benchmark::State& state) {
    const std::string text = repeatToSize("<a x=\"", static_cast<std::size_t>(state.range(0)));
    setIndexing(state);
    for (auto _ : state) {
        wpe::TTagParser parser(text);
        std::size_t length = 0;
        while (parser.Find("*"))
            length += parser.GetAttribute("x").size();
        benchmark::DoNotOptimize(length);
    }
    wpe::SetTagIndexing(wpe::TagIndexing::Auto);
}
BENCHMARK(BM_UnclosedQuotes)
    ->Args({100 * 1024, 0})->Args({100 * 1024, 1})->Args({1024 * 1024, 1})->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
