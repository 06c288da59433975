// Loading the catalogue from storages of 1,000, 10,000 and 100,000 web part
// files (~2 KB each, a few hundred categories, some holding thousands of
// parts), against a baseline that only lists, opens and reads the same files.
//
//   bench_catalogue --benchmark_filter='Catalogue|ReadOnly'

#include "BenchStorage.h"
#include "catalogue/Catalogue.h"
#include "util/Dialogs.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

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

} // namespace

BENCHMARK(BM_ReadOnly)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);
BENCHMARK(BM_LoadCatalogue)->Arg(1000)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->MinTime(2.0);

BENCHMARK_MAIN();
