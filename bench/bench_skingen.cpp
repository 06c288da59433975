// Making a skin from a template: import (copy and rewrite references), Tidy
// conversion and stylesheet generation, for the largest corpus template and
// (which Tidy refuses: then import and conversion are timed) and
// for generated templates of 256 KiB to 1 MiB with one reference per 210
// bytes (about 6,900 at 1 MiB, over 20 or 500 distinct pictures). The work should grow with the template's size:
// compare the per-size times, and each against BM_ReadAndParse, a plain
// libxml2 HTML parse of the same bytes measured in the same run.
//   build/bench/bench_skingen [--benchmark_repetitions=3]

#include <benchmark/benchmark.h>

#include <libxml/HTMLparser.h>

#include <cstdlib>
#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <algorithm>
#include <vector>
#include <string>

#include "skingen/SkinGenerator.h"
#include "util/Files.h"

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kPictures = 500;

// The site the templates reference, removed when the program ends.
struct WorkFolder {
    fs::path path = fs::temp_directory_path() / ("wpe-bench-skingen-" + std::to_string(::getpid()));
    WorkFolder()
    {
        fs::create_directories(path / "site" / "img");
        for (std::size_t i = 0; i < kPictures; ++i)
            wpe::WriteWholeFile((path / "site" / "img" / ("pic" + std::to_string(i) + ".png")).string(),
                                "picture " + std::to_string(i));
        wpe::WriteWholeFile((path / "site" / "site.css").string(), "body { margin: 0 }");
    }
    ~WorkFolder()
    {
        std::error_code ec;
        fs::remove_all(path, ec);
    }
};

const fs::path& workFolder()
{
    static const WorkFolder folder;
    return folder.path;
}

// About `bytes` of page with every marker, zones with both variants and
// icons, and one picture or background reference per ~210 bytes, over
// `pictures` distinct files.
std::string makeTemplate(std::size_t bytes, std::size_t pictures = kPictures)
{
    std::string t = "<html><head><title>Big</title><link rel=\"stylesheet\" href=\"site.css\"></head><body>"
                    "<div id=\"STARTPAGE_HEADER\">Header</div>";
    for (int z = 1; z <= 5; ++z) {
        const std::string n = std::to_string(z);
        t += "<div id=\"ZONE" + n + "\"><div id=\"ZONE" + n + "_HAS_BORDER\"><div class=\"f\"><span id=\"BORDER_TITLE\">T</span>"
             "<span id=\"ICON_EDIT\"><img src=\"img/pic1.png\"></span><span id=\"ICON_STATE\" src1=\"img/pic2.png\" "
             "src2=\"img/pic3.png\"><img src=\"img/pic2.png\"></span><div id=\"WEBPART_CONTENT\">C</div></div></div>"
             "<div id=\"ZONE" + n + "_NO_BORDER\"><div id=\"WEBPART_CONTENT\">C</div></div></div>";
    }
    for (std::size_t i = 0; t.size() < bytes; ++i) {
        const std::string pic = "img/pic" + std::to_string(i % pictures) + ".png";
        if (i % 10 == 9)
            t += "<table background=\"" + pic + "\"><tr><td>cell " + std::to_string(i) + "</td></tr></table>\n";
        else
            t += "<p class=\"row\">Row " + std::to_string(i) + " of the page, with some words &amp; a picture "
                 "<img src=\"" + pic + "\" alt=\"p\" width=\"10\" height=\"10\"> and more text.</p>\n";
    }
    return t + "<div id=\"STARTPAGE_FOOTER\">$1 | $2</div></body></html>\n";
}

// The corpus templates, largest first.
std::vector<std::string> corpusTemplatesBySize()
{
    const char* corpus = std::getenv("WPE_CORPUS_DIR");
    if (!corpus)
        return {};
    const fs::path html = fs::path(corpus) / "html";
    std::ifstream manifest(html / "MANIFEST.tsv");
    std::string line;
    std::vector<std::pair<std::uintmax_t, std::string>> found;
    std::getline(manifest, line);
    while (std::getline(manifest, line)) {
        std::istringstream fields(line);
        std::string folder, file;
        std::getline(fields, folder, '\t');
        std::getline(fields, file, '\t');
        std::error_code ec;
        const std::uintmax_t size = fs::file_size(html / folder / file, ec);
        if (!ec)
            found.emplace_back(size, (html / folder / file).string());
    }
    std::sort(found.rbegin(), found.rend());
    std::vector<std::string> files;
    for (const auto& f : found)
        files.push_back(f.second);
    return files;
}

// One full skin build from templateFile into a fresh skin folder.
std::size_t buildSkin(const std::string& templateFile, const fs::path& skin)
{
    std::error_code ec;
    fs::remove_all(skin, ec);
    fs::create_directories(skin);
    const wpe::TSkinImport import = wpe::ImportTemplate(templateFile, skin.string() + "/");
    const std::string xhtml = (skin.parent_path() / "page.xhtml").string();
    wpe::TemplateToXhtml(import.templateCopy, xhtml);
    return wpe::GenerateSkinXsl(xhtml, skin.string() + "/").size();
}

void BM_BuildGenerated(benchmark::State& state)
{
    const fs::path site = workFolder() / "site";
    const std::string file = (site / ("big" + std::to_string(state.range(0)) + "-" + std::to_string(state.range(1)) + ".html")).string();
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)), static_cast<std::size_t>(state.range(1)));
    wpe::WriteWholeFile(file, text);
    std::size_t out = 0;
    for (auto _ : state)
        out = buildSkin(file, workFolder() / "skin");
    state.counters["bytes"] = static_cast<double>(text.size());
    state.counters["xsl"] = static_cast<double>(out);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
// Second argument: distinct pictures, each copied into the skin once (a
// file created per picture, which the file system charges for).
BENCHMARK(BM_BuildGenerated)
    ->Args({256 << 10, 20})->Args({512 << 10, 20})->Args({1 << 20, 20})
    ->Args({256 << 10, 500})->Args({512 << 10, 500})->Args({1 << 20, 500})
    ->Unit(benchmark::kMillisecond);

void BM_ReadAndParse(benchmark::State& state)
{
    const std::string text = makeTemplate(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        htmlDocPtr doc = htmlReadMemory(text.data(), static_cast<int>(text.size()), "x.html", nullptr,
                                        HTML_PARSE_NOERROR | HTML_PARSE_NOWARNING | HTML_PARSE_NONET);
        benchmark::DoNotOptimize(doc);
        xmlFreeDoc(doc);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * text.size()));
}
BENCHMARK(BM_ReadAndParse)->Arg(256 << 10)->Arg(512 << 10)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

void BM_BuildLargestCorpusTemplate(benchmark::State& state)
{
    const std::vector<std::string> files = corpusTemplatesBySize();
    // 0: the largest; 1: the largest that Tidy can repair.
    std::string file = files.empty() ? std::string() : files.front();
    if (state.range(0) == 1) {
        file.clear();
        for (const std::string& f : files) {
            try {
                buildSkin(f, workFolder() / "corpus-skin");
                file = f;
                break;
            } catch (const std::exception&) {
            }
        }
    }
    if (file.empty()) {
        state.SkipWithError("WPE_CORPUS_DIR is not set");
        return;
    }
    std::size_t out = 0;
    bool refused = false;
    for (auto _ : state) {
        try {
            out = buildSkin(file, workFolder() / "corpus-skin");
        } catch (const std::exception&) {
            refused = true; // Tidy refuses it: import and conversion are still timed
        }
    }
    state.counters["refused"] = refused;
    state.counters["bytes"] = static_cast<double>(fs::file_size(file));
    state.counters["xsl"] = static_cast<double>(out);
}
BENCHMARK(BM_BuildLargestCorpusTemplate)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
