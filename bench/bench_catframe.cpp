// The catalogue frame on a storage of 10,000 web parts, offscreen:
//  - SearchTimerToListReset: from the search timer firing to the search
//    list's model reset, against the core search alone (SearchEntries);
//  - TabSwitch: leaving the Categories tab for Browse and coming back (two
//    tab changes per iteration, each copying the trees), against one plain
//    copy of the browse tree.
//
//   QT_QPA_PLATFORM=offscreen bench_catframe

#include "BenchStorage.h"
#include "catalogue/CatFrame.h"
#include "util/Dialogs.h"

#include <benchmark/benchmark.h>

#include <QAbstractItemModel>
#include <QApplication>
#include <QLineEdit>
#include <QListView>
#include <QTimer>

#include <memory>

namespace {

constexpr int kParts = 10000;

wpe::TCatFrame& Frame()
{
    static std::unique_ptr<wpe::TCatFrame> frame;
    if (!frame) {
        const std::string root = bench::Storage(kParts);
        frame = std::make_unique<wpe::TCatFrame>(wpe::TCatFrame::Mode::Main);
        frame->SetProgramDir(root + "/program/");
        frame->LoadCatalogue(root + "/STORAGE/");
        frame->resize(320, 700);
        frame->show();
        QApplication::processEvents();
    }
    return *frame;
}

void BM_SearchTimerToListReset(benchmark::State& state)
{
    wpe::TCatFrame& frame = Frame();
    frame.ShowTab(wpe::TCatTab::Search);
    auto* timer = frame.findChild<QTimer*>("SearchTimer");
    auto* list = frame.findChild<QListView*>("WPListView");
    frame.findChild<QLineEdit*>("edtSearch")->setText("Part 1");
    timer->setInterval(0);
    bool reset = false;
    QObject::connect(list->model(), &QAbstractItemModel::modelReset, [&] { reset = true; });
    for (auto _ : state) {
        reset = false;
        timer->start();
        while (!reset)
            QApplication::processEvents();
    }
    QObject::disconnect(list->model(), &QAbstractItemModel::modelReset, nullptr, nullptr);
    state.counters["results"] = static_cast<double>(list->model()->rowCount());
}

void BM_CoreSearchOnly(benchmark::State& state)
{
    wpe::TCatalogue& catalogue = Frame().Catalogue();
    for (auto _ : state) {
        catalogue.SearchEntries("Part 1");
        benchmark::DoNotOptimize(catalogue.SearchResults().size());
    }
}

void BM_TabSwitch(benchmark::State& state)
{
    wpe::TCatFrame& frame = Frame();
    frame.ShowTab(wpe::TCatTab::Categories);
    for (auto _ : state) {
        frame.ShowTab(wpe::TCatTab::Browse);
        frame.ShowTab(wpe::TCatTab::Categories);
        QApplication::processEvents();
    }
    frame.ShowTab(wpe::TCatTab::Browse);
}

void BM_TreeCopyOnly(benchmark::State& state)
{
    wpe::TCatalogue& catalogue = Frame().Catalogue();
    wpe::TCatTree copy;
    for (auto _ : state) {
        copy.CopyFrom(catalogue.BrowseTree());
        benchmark::DoNotOptimize(copy.Count());
    }
}

} // namespace

BENCHMARK(BM_CoreSearchOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SearchTimerToListReset)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TreeCopyOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TabSwitch)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
