// Forward search over a 1 MiB page of mixed text and markup, for patterns that
// occur a few times only: our FindPos against glibc memmem and the standard
// library's Horspool searcher, measured in the same run; and the backward
// search, which should keep up with that Horspool searcher going forward.
//
//   bench_faststrings --benchmark_repetitions=5 --benchmark_report_aggregates_only=true

#include "util/FastStrings.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <functional>
#include <random>
#include <string>
#include <string_view>

namespace {

constexpr std::size_t kTextSize = 1 << 20;
constexpr int kPlanted = 4;

const char* const kPatterns[] = {"<u>", "<wpzone>", "<wpzone id=\"17\">", "<wpzone id=\"17\" class=\"sidebar\">"};

// Words and tags typical of a portal page; none of them contains a pattern.
std::string makeText()
{
    static const char* const kPieces[] = {
        "<div class=\"news\">", "</div>", "<td>", "</td>", "<a href=\"http://example.com/a.html\">", "</a>",
        "<span>", "</span>", "<p>", "</p>", "<br/>", "\r\n", "  ", "the", "portal", "start", "page", "news",
        "weather", "zone", "skin", "web", "part", "catalogue", "update", "category", "and", "of", "to", "in",
        "\xcd\xee\xe2\xee\xf1\xf2\xe8", "\xef\xee\xe3\xee\xe4\xe0", "&amp;", "&nbsp;", "2024", "id=\"x\"",
    };
    std::mt19937 rng(2024);
    std::string text;
    text.reserve(kTextSize + 64);
    while (text.size() < kTextSize) {
        text += kPieces[rng() % std::size(kPieces)];
        text += ' ';
    }
    text.resize(kTextSize);
    return text;
}

// The page with the pattern planted a few times, spread over the text.
const std::string& textWith(int patternIndex)
{
    static std::string texts[std::size(kPatterns)];
    std::string& text = texts[patternIndex];
    if (text.empty()) {
        text = makeText();
        const std::string_view pattern = kPatterns[patternIndex];
        for (int i = 1; i <= kPlanted; ++i)
            text.replace(kTextSize / (kPlanted + 1) * i, pattern.size(), pattern);
    }
    return text;
}

template <typename Find>
void runSearch(benchmark::State& state, Find find)
{
    const int index = static_cast<int>(state.range(0));
    const std::string& text = textWith(index);
    const std::string_view pattern = kPatterns[index];
    for (auto _ : state) {
        int found = find(pattern, std::string_view(text));
        if (found != kPlanted)
            state.SkipWithError("wrong number of matches");
        benchmark::DoNotOptimize(found);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(text.size()));
    state.SetLabel("m=" + std::to_string(pattern.size()));
}

int countFindPos(std::string_view pattern, std::string_view text, bool caseSensitive)
{
    int found = 0;
    for (std::size_t pos = wpe::FindPos(pattern, text, caseSensitive, true, 1); pos != 0;
         pos = wpe::FindPos(pattern, text, caseSensitive, true, pos + pattern.size()))
        ++found;
    return found;
}

void BM_FindPos(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) { return countFindPos(p, t, true); });
}

void BM_FindPosNoCase(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) { return countFindPos(p, t, false); });
}

// Backward from the end, one match after another, as the tag parser looks for
// the parent of a tag.
int countFindPosBackward(std::string_view pattern, std::string_view text, bool caseSensitive)
{
    int found = 0;
    for (std::size_t pos = wpe::FindPos(pattern, text, caseSensitive, false, 0); pos > 1;
         pos = wpe::FindPos(pattern, text, caseSensitive, false, pos - 1))
        ++found;
    return found;
}

void BM_FindPosBackward(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) { return countFindPosBackward(p, t, true); });
}

void BM_FindPosBackwardNoCase(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) { return countFindPosBackward(p, t, false); });
}

void BM_Memmem(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) {
        int found = 0;
        const char* at = t.data();
        const char* end = t.data() + t.size();
        while (const void* hit = ::memmem(at, static_cast<std::size_t>(end - at), p.data(), p.size())) {
            ++found;
            at = static_cast<const char*>(hit) + p.size();
        }
        return found;
    });
}

void BM_StdHorspool(benchmark::State& state)
{
    runSearch(state, [](std::string_view p, std::string_view t) {
        const std::boyer_moore_horspool_searcher searcher(p.begin(), p.end());
        int found = 0;
        auto at = t.begin();
        for (;;) {
            const auto hit = std::search(at, t.end(), searcher);
            if (hit == t.end())
                break;
            ++found;
            at = hit + static_cast<std::ptrdiff_t>(p.size());
        }
        return found;
    });
}

} // namespace

BENCHMARK(BM_FindPos)->DenseRange(0, 3);
BENCHMARK(BM_FindPosNoCase)->DenseRange(0, 3);
BENCHMARK(BM_FindPosBackward)->DenseRange(0, 3);
BENCHMARK(BM_FindPosBackwardNoCase)->DenseRange(0, 3);
BENCHMARK(BM_Memmem)->DenseRange(0, 3);
BENCHMARK(BM_StdHorspool)->DenseRange(0, 3);

BENCHMARK_MAIN();
