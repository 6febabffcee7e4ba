// Speed of the catalogue on Recordings.d with 100 000 rows over 50 folders: opening, saving,
// switching folders (the range rebuild) and a memo search. The files are made once in
// $CALVORA_BENCH_DIR/catalogue (kept) or in a temporary directory.
#include "LargeCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "support/MessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int Rows = 100000;
constexpr int Folders = 50;

QString dataDir()
{
    static const QString dir = bench::catalogueDir(QStringLiteral("catalogue"));
    return dir;
}

using bench::folderCode;

void makeTables()
{
    bench::writeLargeCatalogue(dataDir(), Folders, Rows, [](int row) { return row % Folders; });
}

void addMemoryCounter(benchmark::State &state)
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_rss_MB"] = static_cast<double>(usage.ru_maxrss) / 1024.0;
}

struct Fixture
{
    Fixture()
    {
        makeTables();
        catalogue = std::make_unique<Catalogue>(dataDir(), messages, nullptr);
        catalogue->OpenCatalogue();
    }
    UnattendedMessageService messages;
    std::unique_ptr<Catalogue> catalogue;
};

void BM_OpenRecordings(benchmark::State &state)
{
    makeTables();
    for (auto _ : state) {
        TStoreTable table;
        table.setTableName(dataDir() + "/Recordings.d");
        table.Open();
        benchmark::DoNotOptimize(table.RecordCount());
    }
    addMemoryCounter(state);
}

// One changed row, then the whole table written beside, flushed, renamed, the old one kept as
// the backup: what every change of the catalogue costs.
void BM_SaveRecordings(benchmark::State &state)
{
    Fixture f;
    TStoreTable &calls = f.catalogue->CallsTbl;
    int n = 0;
    for (auto _ : state) {
        calls.Edit();
        calls.setFieldValue("Comment", QStringLiteral("edited %1").arg(++n));
        calls.Post();
        calls.SaveChanges();
    }
    addMemoryCounter(state);
}

void BM_FolderSwitch(benchmark::State &state)
{
    Fixture f;
    TStoreTable &folders = f.catalogue->FoldersTbl;
    for (auto _ : state) {
        folders.Next();
        if (folders.Eof())
            folders.First();
        benchmark::DoNotOptimize(f.catalogue->CallsTbl.RecordCount());
    }
    state.counters["rows_per_folder"] = f.catalogue->CallsTbl.RecordCount();
    addMemoryCounter(state);
}

// A search that finds nothing reads every memo of the table (no folder range).
void BM_MemoSearchAllRows(benchmark::State &state)
{
    Fixture f;
    f.catalogue->CallsTbl.setMasterSource(nullptr);
    for (auto _ : state)
        benchmark::DoNotOptimize(f.catalogue->findMemo("no such caller", false, 0));
    state.counters["rows"] = f.catalogue->CallsTbl.RecordCount();
    addMemoryCounter(state);
}

BENCHMARK(BM_OpenRecordings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SaveRecordings)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FolderSwitch)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MemoSearchAllRows)->Unit(benchmark::kMillisecond);

} // namespace
