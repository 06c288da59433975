// Loading the catalogue from storages of 1,000, 10,000 and 100,000 web part
// files (~2 KB each, a few hundred categories, some holding thousands of
// parts), against a baseline that only lists, opens and reads the same files.
//
//   bench_catalogue --benchmark_filter='Catalogue|ReadOnly'
//
// BM_CatalogueMemory reports the heap a loaded catalogue holds, and the most
// it held during the load, in bytes per part (the files' texts are not kept,
// so all of it is beyond their contents).
//
//   bench_catalogue --benchmark_filter='ReadOnly|LoadCatalogue|Memory' --benchmark_repetitions=3
//     --benchmark_report_aggregates_only=true
//
// The storages are generated once under the temporary folder and reused by
// later runs (a marker file records that a storage is complete).

#include "catalogue/Catalogue.h"
#include "util/Dialogs.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <fstream>
#include <random>
#include <string>
#include <vector>

namespace fs = std::filesystem;

// Live and peak heap bytes of this program, as glibc sizes the blocks;
// counted only while the memory benchmark runs, so the timed ones pay
// nothing. Blocks freed after counting stops are not subtracted: the
// catalogue measured is gone by then.
std::atomic<std::size_t> gLive{0}, gPeak{0};
std::atomic<bool> gCounting{false};

void* operator new(std::size_t size)
{
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    if (!gCounting.load(std::memory_order_relaxed))
        return p;
    const std::size_t live = gLive.fetch_add(malloc_usable_size(p), std::memory_order_relaxed) + malloc_usable_size(p);
    std::size_t peak = gPeak.load(std::memory_order_relaxed);
    while (live > peak && !gPeak.compare_exchange_weak(peak, live, std::memory_order_relaxed)) {
    }
    return p;
}
void operator delete(void* p) noexcept
{
    if (p && gCounting.load(std::memory_order_relaxed))
        gLive.fetch_sub(malloc_usable_size(p), std::memory_order_relaxed);
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept { operator delete(p); }

namespace {

constexpr int kCategoryCount = 300;

// Category paths: 30 groups with 10 sub-categories each.
std::string CategoryName(int i) { return "Group" + std::to_string(i / 10) + "/Topic" + std::to_string(i % 10); }

std::string MakePart(int i, std::mt19937& rng)
{
    // A skewed spread: a few categories hold most parts (thousands each at
    // 100,000), the rest a handful.
    std::uniform_real_distribution<double> u(0.0, 1.0);
    auto pick = [&] {
        const double x = u(rng);
        return static_cast<int>(kCategoryCount * x * x * x) % kCategoryCount;
    };
    static const char* langs[] = {"en", "ru", "fr", "ge", ""};
    std::string s = "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n\r\n  <!-- General -->\r\n";
    const int cats = 1 + static_cast<int>(u(rng) * 3);
    for (int c = 0; c < cats; ++c)
        s += "  <Category>" + CategoryName(pick()) + "</Category>\r\n";
    s += "  <Description>Part number " + std::to_string(i) +
         " shows the latest figures of its source &amp; a short summary for the start page</Description>\r\n";
    s += std::string("  <Language>") + langs[i % 5] + "</Language>\r\n";
    s += "  <LastModified>Mon, 07 Dec 2026 10:15:00 GMT</LastModified>\r\n";
    s += "  <Namespace>ombrelio.bench</Namespace>\r\n";
    s += "  <Popularity>" + std::to_string(i % 11) + "</Popularity>\r\n";
    s += "  <PublisherName>Ombrelio Bench</PublisherName>\r\n  <PublisherURL>http://127.0.0.1:8180/</PublisherURL>\r\n";
    s += "  <Title>Part " + std::to_string((i * 7919) % 100003) + "</Title>\r\n\r\n  <!-- Content -->\r\n";
    s += "  <Content><![CDATA[<table class=\"grid\">";
    while (s.size() < 1700)
        s += "<tr><td>row</td><td>" + std::to_string(s.size()) + "</td><td><a href=\"http://example.org/\">more</a></td></tr>";
    s += "</table>]]></Content>\r\n  <ContentLink>http://</ContentLink>\r\n  <ContentType>0</ContentType>\r\n";
    s += "  <XSLLink>http://</XSLLink>\r\n\r\n  <!-- Appearance -->\r\n  <AllowMinimize>1</AllowMinimize>\r\n";
    s += "  <AllowRemove>1</AllowRemove>\r\n  <FrameState>1</FrameState>\r\n  <HasFrame>1</HasFrame>\r\n";
    s += "  <Zone>" + std::to_string(1 + i % 5) + "</Zone>\r\n\r\n</WebPart>\r\n";
    return s;
}

// The storage of n parts, generated on first use.
const std::string& Storage(int n)
{
    static std::vector<std::pair<int, std::string>> made;
    for (const auto& [size, dir] : made)
        if (size == n)
            return dir;
    const fs::path root = fs::temp_directory_path() / ("wpe-bench-catalogue-" + std::to_string(n));
    const fs::path marker = root / "complete.marker";
    if (!fs::exists(marker)) {
        fs::remove_all(root);
        fs::create_directories(root / "STORAGE");
        fs::create_directories(root / "program");
        std::mt19937 rng(12345);
        for (int i = 0; i < n; ++i) {
            std::ofstream out(root / "STORAGE" / ("part" + std::to_string(i) + ".xml"), std::ios::binary);
            out << MakePart(i, rng);
        }
        std::ofstream(marker) << "ok";
    }
    made.emplace_back(n, root.string());
    return made.back().second;
}

void BM_ReadOnly(benchmark::State& state)
{
    const fs::path storage = fs::path(Storage(static_cast<int>(state.range(0)))) / "STORAGE";
    std::vector<char> buf(1 << 16);
    for (auto _ : state) {
        size_t bytes = 0;
        for (const auto& e : fs::directory_iterator(storage)) {
            std::FILE* f = std::fopen(e.path().c_str(), "rb");
            if (!f)
                continue;
            size_t got;
            while ((got = std::fread(buf.data(), 1, buf.size(), f)) > 0)
                bytes += got;
            std::fclose(f);
        }
        benchmark::DoNotOptimize(bytes);
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_LoadCatalogue(benchmark::State& state)
{
    const std::string root = Storage(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        wpe::TCatalogue catalogue;
        catalogue.SetProgramDir(root + "/program/");
        catalogue.LoadCatalogue(root + "/STORAGE/");
        benchmark::DoNotOptimize(catalogue.AllEntries().size());
        if (catalogue.AllEntries().size() != static_cast<size_t>(state.range(0)))
            state.SkipWithError("not every part was loaded");
    }
    state.SetItemsProcessed(state.iterations() * state.range(0));
}

void BM_CatalogueMemory(benchmark::State& state)
{
    const std::string root = Storage(static_cast<int>(state.range(0)));
    double held = 0, peak = 0;
    for (auto _ : state) {
        gLive.store(0);
        gPeak.store(0);
        gCounting.store(true);
        {
            wpe::TCatalogue catalogue;
            catalogue.SetProgramDir(root + "/program/");
            catalogue.LoadCatalogue(root + "/STORAGE/");
            held = static_cast<double>(gLive.load());
            peak = static_cast<double>(gPeak.load());
        }
        gCounting.store(false);
    }
    state.counters["held_bytes_per_part"] = held / static_cast<double>(state.range(0));
    state.counters["peak_bytes_per_part"] = peak / static_cast<double>(state.range(0));
}

} // namespace

BENCHMARK(BM_CatalogueMemory)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(1);
BENCHMARK(BM_ReadOnly)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadCatalogue)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
