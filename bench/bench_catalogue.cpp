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

#include "BenchStorage.h"
#include "catalogue/Catalogue.h"
#include "util/Dialogs.h"

#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
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

using bench::Storage;

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
