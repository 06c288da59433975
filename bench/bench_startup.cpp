// Cold start of the program to its main window shown, on the sample portal
// and on a copy of it whose STORAGE holds 10,000 generated parts (the file
// pane lists STORAGE at start). Each iteration starts a new process with
// "--trace-startup --exit-after-start" and stops the clock at the line it
// prints once the window is shown. Needs a display: run under xvfb-run.

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

#ifndef WPE_EDITOR_PROGRAM
#define WPE_EDITOR_PROGRAM "wpeditor"
#endif
#ifndef WPE_DATA_SOURCE_DIR
#define WPE_DATA_SOURCE_DIR "data"
#endif

namespace {

namespace fs = std::filesystem;

fs::path Scratch()
{
    static const fs::path dir = [] {
        fs::path d = fs::temp_directory_path() / ("wpe-bench-startup-" + std::to_string(::getpid()));
        fs::create_directories(d);
        return d;
    }();
    // Registered once the path exists, so it is removed before the path is.
    static const bool cleanup = [] {
        std::atexit([] {
            std::error_code ec;
            fs::remove_all(dir, ec);
        });
        return true;
    }();
    (void)cleanup;
    return dir;
}

// A copy of the sample portal, with extra generated parts in STORAGE.
std::string Portal(const std::string& name, int extraParts)
{
    fs::path root = Scratch() / name;
    if (fs::exists(root))
        return root.string();
    fs::copy(fs::path(WPE_DATA_SOURCE_DIR) / "portal", root, fs::copy_options::recursive);
    for (int i = 0; i < extraParts; ++i)
        std::ofstream(root / "STORAGE" / ("gen" + std::to_string(i) + ".xml"), std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"WINDOWS-1251\" ?>\r\n<WebPart>\r\n  <Category>Bench/Generated</Category>\r\n"
               "  <Description>Generated part number "
            << i << "</Description>\r\n  <Title>Part " << i << "</Title>\r\n  <Content><![CDATA[<p>"
            << std::string(1500, 'x') << "</p>]]></Content>\r\n</WebPart>\r\n";
    return root.string();
}

// Seconds from the start of the process to its "main window shown" line; a
// negative value when it never came.
double StartOnce(const std::string& portal, const fs::path& home)
{
    int fds[2];
    if (::pipe(fds) != 0)
        return -1;
    auto started = std::chrono::steady_clock::now();
    pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(fds[1], 2);
        ::close(fds[0]);
        ::close(fds[1]);
        ::setenv("XDG_RUNTIME_DIR", (home / "run").c_str(), 1);
        ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
        ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
        ::execl(WPE_EDITOR_PROGRAM, WPE_EDITOR_PROGRAM, "--portal", portal.c_str(), "--trace-startup",
                "--exit-after-start", static_cast<char*>(nullptr));
        ::_exit(127);
    }
    ::close(fds[1]);
    double seconds = -1;
    std::string pending;
    char buffer[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buffer, sizeof buffer)) > 0) {
        pending.append(buffer, static_cast<std::size_t>(n));
        if (seconds < 0 && pending.find("main window shown") != std::string::npos)
            seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    }
    ::close(fds[0]);
    int status = 0;
    ::waitpid(pid, &status, 0);
    return seconds;
}

void Run(benchmark::State& state, const std::string& name, int extraParts)
{
    if (!std::getenv("DISPLAY")) {
        state.SkipWithError("no display: run under xvfb-run");
        return;
    }
    std::string portal = Portal(name, extraParts);
    fs::path home = Scratch() / ("home-" + name);
    fs::create_directories(home / "run");
    fs::permissions(home / "run", fs::perms::owner_all);
    StartOnce(portal, home);  // the first start writes the settings; later ones start as a user's would
    for (auto _ : state) {
        double seconds = StartOnce(portal, home);
        if (seconds < 0) {
            state.SkipWithError("the program did not show its window");
            return;
        }
        state.SetIterationTime(seconds);
    }
}

void BM_StartSamplePortal(benchmark::State& state) { Run(state, "sample", 0); }
void BM_StartPortalWith10000Parts(benchmark::State& state) { Run(state, "large", 10000); }

BENCHMARK(BM_StartSamplePortal)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);
BENCHMARK(BM_StartPortalWith10000Parts)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(1)->Repetitions(5)->ReportAggregatesOnly(true);

} // namespace

BENCHMARK_MAIN();
