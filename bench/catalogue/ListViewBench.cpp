// Speed of the recordings list's view on 100 000 recordings in one folder: sorting by each
// column, and the filter narrowing the rows at each keystroke. The files are made once in
// $CALVORA_BENCH_DIR/listview (kept) or in a temporary directory.
#include "BenchRun.h"
#include "LargeCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingsListModel.h"
#include "catalogue/ui/RecordingsListView.h"
#include "support/MessageService.h"

#include <QApplication>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100000;

struct Fixture
{
    Fixture()
    {
        const QString dir = bench::catalogueDir(QStringLiteral("listview"));
        bench::writeLargeCatalogue(dir, 1, Rows, [](int) { return 0; });
        catalogue = std::make_unique<Catalogue>(dir, messages, nullptr);
        catalogue->OpenCatalogue();
        view.setDateTimeFormats(catalogue->formats);
        view.setDataset(&catalogue->CallsTbl);
    }

    bench::QuietMessages messages;
    std::unique_ptr<Catalogue> catalogue;
    RecordingsListView view;
};

// Each iteration sorts the other way, so that no sort finds the rows in order already.
void BM_SortBy(benchmark::State &state)
{
    Fixture f;
    const auto column = RecordingsListView::Column(state.range(0));
    bool descending = false;
    for (auto _ : state) {
        f.view.sortBy(column, descending ? Qt::DescendingOrder : Qt::AscendingOrder);
        descending = !descending;
        benchmark::DoNotOptimize(f.view.listModel()->rowCount());
    }
    state.SetLabel(RecordingsListView::columnName(column).toStdString());
    state.counters["rows"] = f.view.listModel()->rowCount();
}

// The keystrokes of "order 97" typed into the filter box and taken back, one per iteration.
void BM_FilterKeystroke(benchmark::State &state)
{
    Fixture f;
    f.view.sortBy(RecordingsListView::ColDate, Qt::DescendingOrder);
    // As when the filter box takes the focus.
    f.view.listModel()->prepareFilter();
    const QString typed = QStringLiteral("order 97");
    QStringList steps;
    for (qsizetype n = 1; n <= typed.size(); ++n)
        steps << typed.left(n);
    for (qsizetype n = typed.size() - 1; n >= 0; --n)
        steps << typed.left(n);
    qsizetype step = 0;
    for (auto _ : state) {
        f.view.setFilterText(steps[step++ % steps.size()]);
        benchmark::DoNotOptimize(f.view.listModel()->rowCount());
    }
}

BENCHMARK(BM_SortBy)
    ->Arg(RecordingsListView::ColDate)
    ->Arg(RecordingsListView::ColTime)
    ->Arg(RecordingsListView::ColDuration)
    ->Arg(RecordingsListView::ColComment)
    ->Arg(RecordingsListView::ColCaller)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FilterKeystroke)->Unit(benchmark::kMillisecond);

// The filter box taking the focus reads the rows' texts once.
void BM_FilterPrepare(benchmark::State &state)
{
    Fixture f;
    for (auto _ : state) {
        f.view.listModel()->invalidateKeys();
        f.view.listModel()->prepareFilter();
    }
}
BENCHMARK(BM_FilterPrepare)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char **argv)
{
    // The list is a widget; no screen is needed to measure it.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return runBenchmarks(argc, argv);
}
