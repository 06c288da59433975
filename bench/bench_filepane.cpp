// The file pane's list over a folder of 10,000 generated web parts: the
// listing alone (the floor), our fill (listing, streamed descriptions, size
// texts, sort by name) and, as the reference, the same fill with each file
// loaded whole into the document model to find its description.

#include "shell/FileList.h"
#include "util/Files.h"
#include "xml/XXmlDom.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>

#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using namespace wpe;

constexpr int kParts = 10000;

// A web part of about 2 KB like the stored ones: the description near the
// top, content further down.
std::string PartText(int i, std::mt19937& rng)
{
    std::string content(1200 + rng() % 800, 'x');
    return "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n  <Category>Bench/Generated</Category>\r\n"
           "  <Description>Generated part number " + std::to_string(i) + "</Description>\r\n"
           "  <Title>Part " + std::to_string(i) + "</Title>\r\n  <Content><![CDATA[<p>" + content +
           "</p>]]></Content>\r\n</WebPart>\r\n";
}

const std::string& Folder()
{
    static const std::string folder = [] {
        fs::path dir = fs::temp_directory_path() / ("wpe-bench-filepane-" + std::to_string(::getpid()));
        fs::create_directories(dir);
        std::mt19937 rng(7);
        for (int i = 0; i < kParts; ++i)
            std::ofstream(dir / ("part" + std::to_string(rng() % 100000) + "_" + std::to_string(i) + ".xml"),
                          std::ios::binary)
                << PartText(i, rng);
        return dir.string();
    }();
    // Registered once the path exists, so it is removed before the path is.
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(folder, ec);
        });
        return true;
    }();
    (void)cleanup;
    return folder;
}

// The description as a whole-document load finds it: the first Description
// element's text.
std::string DescriptionByDocument(const std::string& path)
{
    try {
        TRef<TXmlDDocument> doc(new TXmlDDocument);
        doc->LoadFromFile(path);
        for (TXmlDNode* root = doc->FirstChild(); root; root = root->NextSibling())
            if (TXmlDNode* d = root->SelectChild("Description"))
                return d->Text();
    } catch (const std::exception&) {
    }
    return {};
}

void BM_ListingOnly(benchmark::State& state)
{
    const std::string& folder = Folder();
    for (auto _ : state)
        benchmark::DoNotOptimize(ListFileEntries(folder));
    state.SetItemsProcessed(state.iterations() * kParts);
}

void BM_FillFileList(benchmark::State& state)
{
    const std::string& folder = Folder();
    for (auto _ : state) {
        auto rows = ListFileRows(folder, FileMasks(TFileFilter::AllTolvinex));
        SortFileRows(rows, TFileSort{});
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kParts);
}

void BM_FillFileListWholeDocuments(benchmark::State& state)
{
    const std::string& folder = Folder();
    for (auto _ : state) {
        std::vector<TFileRow> rows;
        for (const TFileEntry& e : ListFileEntries(folder)) {
            std::string path = folder + "/" + e.name;
            rows.push_back({e.name, path, DescriptionByDocument(path), FileSizeText(e.size)});
        }
        SortFileRows(rows, TFileSort{});
        benchmark::DoNotOptimize(rows.data());
    }
    state.SetItemsProcessed(state.iterations() * kParts);
}

BENCHMARK(BM_ListingOnly)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FillFileList)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_FillFileListWholeDocuments)->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
