// Speed of the list operations on a 100 000-row catalogue over 50 folders, the first folder
// holding 20 000 rows: switching folders, Select all, moving 10 000 selected recordings
// (with the save and the table read again) and a memo search through every row. The files
// are made once in $CALVORA_BENCH_DIR/list (kept) or in a temporary directory.
#include "LargeCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/CatalogueSchema.h"
#include "catalogue/MemoSearch.h"
#include "catalogue/RecordingOperations.h"
#include "support/MessageService.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100000;
constexpr int Folders = 50;
constexpr int FirstFolderRows = 20000;
constexpr int Moved = 10000;

QString dataDir()
{
    static const QString dir = bench::catalogueDir(QStringLiteral("list"));
    return dir;
}

using bench::folderCode;

// A fifth of the rows in the first folder, the rest spread over the others.
void makeTables()
{
    bench::writeLargeCatalogue(dataDir(), Folders, Rows, [](int row) {
        return row < FirstFolderRows ? 0 : 1 + row % (Folders - 1);
    });
}

struct Fixture
{
    Fixture()
    {
        makeTables();
        catalogue = std::make_unique<Catalogue>(dataDir(), messages, nullptr);
        catalogue->recordingsDir = [] { return dataDir() + QStringLiteral("/wav/"); };
        catalogue->OpenCatalogue();
        ops = std::make_unique<RecordingOperations>(*catalogue, messages);
    }
    void show(int folder) { catalogue->FoldersTbl.Locate("FolderId", folderCode(folder)); }

    bench::QuietMessages messages;
    std::unique_ptr<Catalogue> catalogue;
    std::unique_ptr<RecordingOperations> ops;
};

// What selecting a folder in the tree does: the folder row is located and the list follows.
void BM_SwitchFolder(benchmark::State &state)
{
    Fixture f;
    int n = 0;
    for (auto _ : state) {
        f.show(n++ % 2 == 0 ? 0 : 1 + n % (Folders - 1));
        benchmark::DoNotOptimize(f.catalogue->CallsTbl.RecordCount());
    }
}

void BM_SelectAll(benchmark::State &state)
{
    Fixture f;
    f.show(0);
    for (auto _ : state) {
        RecordingSelection selection;
        f.ops->selectAll(selection);
        benchmark::DoNotOptimize(selection.size());
    }
    state.counters["rows"] = f.catalogue->CallsTbl.RecordCount();
}

// Ten thousand selected rows of the first folder go to the second, including the save and the
// table read again; they are moved back outside the timing.
void BM_MoveSelected(benchmark::State &state)
{
    Fixture f;
    TStoreTable &calls = f.catalogue->CallsTbl;
    const int idField = calls.fieldIndex("id");
    auto selectFirst = [&](RecordingSelection &selection) {
        for (int row = 0; row < Moved; ++row)
            selection.add(calls.valueAt(row, idField).toString());
        calls.setRecNo(1);
    };
    for (auto _ : state) {
        state.PauseTiming();
        f.show(0);
        RecordingSelection selection;
        selectFirst(selection);
        state.ResumeTiming();
        f.ops->MoveRecordings(folderCode(1), selection);
        state.PauseTiming();
        f.show(1);
        // Rows of the first folder sort first in the file, so they lead the second's list.
        RecordingSelection firstMoved;
        for (int row = 0; row < Moved; ++row)
            firstMoved.add(calls.valueAt(row, idField).toString());
        calls.setRecNo(1);
        f.ops->MoveRecordings(folderCode(0), firstMoved);
        state.ResumeTiming();
    }
    state.counters["moved"] = Moved;
}

// A search that finds nothing reads every memo of the table (no folder range).
void BM_SearchAllMemos(benchmark::State &state)
{
    Fixture f;
    f.catalogue->CallsTbl.setMasterSource(nullptr);
    MemoSearch search(*f.catalogue, f.messages);
    for (auto _ : state) {
        search.dialogShown();
        benchmark::DoNotOptimize(search.findNext(QStringLiteral("no such caller"), false));
    }
    state.counters["rows"] = f.catalogue->CallsTbl.RecordCount();
}

BENCHMARK(BM_SwitchFolder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SelectAll)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MoveSelected)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchAllMemos)->Unit(benchmark::kMillisecond);

} // namespace
