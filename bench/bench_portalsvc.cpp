// The portal server's speed: rendering "/" for the sample portal with a warm
// and a cold content cache, and for a desk of 50 parts; requests per second
// for a static skin file from a bounded loopback load generator. Each figure
// has a reference in the same run (the page source without the skin, reading
// the file from disk) so the ratios mean something on any machine.
//
//   WPE_DATA_DIR=data build/bench/bench_portalsvc

#include "PortalServer.h"

#include "portal/ContentCache.h"
#include "portal/StartPage.h"
#include "util/Files.h"

#include <benchmark/benchmark.h>
#include <httplib.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <random>
#include <thread>

namespace fs = std::filesystem;
using namespace wpe;

namespace {

int freePort()
{
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    socklen_t len = sizeof a;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
    ::close(fd);
    return ntohs(a.sin_port);
}

std::string replaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

// A copy of the sample portal served in this process on a free loopback port,
// bounded in time; the market part reads its page from that server and caches it.
struct TBenchPortal {
    fs::path root;
    int port = 0;
    std::unique_ptr<TPortalServer> server;
    std::thread thread;

    TBenchPortal()
    {
        const char* data = std::getenv("WPE_DATA_DIR");
        const fs::path sample = fs::path(data ? data : "data") / "portal";
        std::random_device device;
        root = fs::temp_directory_path() / ("wpe-bench-" + std::to_string(device()));
        fs::copy(sample, root, fs::copy_options::recursive);
        port = freePort();
        const std::string address = "127.0.0.1:" + std::to_string(port);
        TPortalBase base(root.string());
        base.setElement("user/Server", "http://" + address + "/");
        const std::string stocks = (root / "STORAGE" / "stocks.xml").string();
        std::string part = replaceAll(ReadWholeFile(stocks), "127.0.0.1:8180", address);
        part = replaceAll(part, "<CacheBehavior>0</CacheBehavior>",
                          "<CacheBehavior>2</CacheBehavior><CacheTimeout>3600</CacheTimeout>");
        WriteWholeFile(stocks, part);

        TServerLimits limits;
        limits.maxSeconds = 600;
        limits.idleSeconds = 60;
        server = std::make_unique<TPortalServer>(root.string(), limits);
        server->Bind({"127.0.0.1", port});
        thread = std::thread([this] { server->Run(); });
    }
    ~TBenchPortal()
    {
        server->Stop();
        thread.join();
        std::error_code ec;
        fs::remove_all(root, ec);
    }

    // Adds parts until the Default desk holds count of them (copies of the sample's).
    void growDesk(int count)
    {
        TPortalBase base(root.string());
        const char* kinds[] = {"currency", "news", "weather", "links", "citation"};
        int have = 0;
        for (int zone = 1; zone <= kZoneCount; ++zone)
            have += static_cast<int>(base.zoneWebParts(zone).size());
        for (int i = 0; have < count; ++i, ++have) {
            const std::string id = "part" + std::to_string(i);
            fs::copy_file(root / "STORAGE" / (std::string(kinds[i % 5]) + ".xml"), root / "STORAGE" / (id + ".xml"));
            base.insertWebPart(id, 1 + i % kZoneCount);
        }
    }
};

TBenchPortal& portal()
{
    static TBenchPortal instance;
    return instance;
}

void BM_PageSourceOnly(benchmark::State& state)
{
    TPortalBase base(portal().root.string());
    TContentCache cache = MakePortalContentCache((portal().root / "CACHE").string());
    TStartPageOptions options;
    options.cache = &cache;
    for (auto _ : state)
        benchmark::DoNotOptimize(StartPageSource(base, options));
}

void BM_RenderStartPageWarm(benchmark::State& state)
{
    TPortalBase base(portal().root.string());
    TContentCache cache = MakePortalContentCache((portal().root / "CACHE").string());
    TStartPageOptions options;
    options.cache = &cache;
    RenderStartPage(base, options);  // fills the cache
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderStartPage(base, options));
    state.counters["downloads"] = cache.Downloads();
}

void BM_RenderStartPageCold(benchmark::State& state)
{
    TPortalBase base(portal().root.string());
    const fs::path folder = portal().root / "CACHE";
    TContentCache cache = MakePortalContentCache(folder.string());
    TStartPageOptions options;
    options.cache = &cache;
    for (auto _ : state) {
        state.PauseTiming();
        std::error_code ec;
        fs::remove_all(folder, ec);
        state.ResumeTiming();
        benchmark::DoNotOptimize(RenderStartPage(base, options));
    }
    state.counters["downloads"] = cache.Downloads();
}

void BM_RenderStartPage50Parts(benchmark::State& state)
{
    portal().growDesk(50);
    TPortalBase base(portal().root.string());
    TContentCache cache = MakePortalContentCache((portal().root / "CACHE").string());
    TStartPageOptions options;
    options.cache = &cache;
    for (auto _ : state)
        benchmark::DoNotOptimize(RenderStartPage(base, options));
}

void BM_StaticFileFromDisk(benchmark::State& state)
{
    const std::string file = (portal().root / "SKINS" / "Ocean" / "skin.css").string();
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadWholeFile(file));
    state.SetItemsProcessed(state.iterations());
}

// Clients with keep-alive connections, each sending a bounded number of
// requests; the benchmark's own time limit bounds the whole.
void BM_StaticFileRequests(benchmark::State& state)
{
    const int clients = static_cast<int>(state.range(0));
    constexpr int kPerClient = 200;
    std::int64_t done = 0;
    for (auto _ : state) {
        std::atomic<int> ok{0};
        std::vector<std::thread> threads;
        for (int c = 0; c < clients; ++c)
            threads.emplace_back([&ok] {
                httplib::Client client("127.0.0.1", portal().port);
                client.set_keep_alive(true);
                client.set_connection_timeout(2, 0);
                client.set_read_timeout(5, 0);
                for (int i = 0; i < kPerClient; ++i) {
                    auto reply = client.Get("/SKINS/Ocean/skin.css");
                    if (reply && reply->status == 200)
                        ++ok;
                }
            });
        for (auto& t : threads)
            t.join();
        if (ok != clients * kPerClient)
            state.SkipWithError("some requests failed");
        done += ok;
    }
    state.SetItemsProcessed(done);
}

} // namespace

BENCHMARK(BM_PageSourceOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderStartPageWarm)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderStartPageCold)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RenderStartPage50Parts)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StaticFileFromDisk)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_StaticFileRequests)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond)->MinTime(1.0)->UseRealTime();

BENCHMARK_MAIN();
