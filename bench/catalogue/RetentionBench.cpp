// Speed of deciding what the retention rules remove on a catalogue of 100 000 recordings over
// 50 folders, each with a file, some pinned: the planner alone on gathered recordings, and a
// whole pass (reading every row and the details table with the pins and the files' sizes,
// planning, looking at the files that go). Nothing is removed. The sizes are learnt by a first
// pass, as the program knows them from the recordings' Stop. The files are made once in
// $CALVORA_BENCH_DIR/retention (kept) or in a temporary directory.
#include "LargeCatalogue.h"
#include "catalogue/Catalogue.h"
#include "catalogue/RetentionPass.h"
#include "support/MessageService.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int Rows = 100000;
constexpr int Folders = 50;

QString dataDir()
{
    static const QString dir = bench::catalogueDir(QStringLiteral("retention"));
    return dir;
}

// Every row's file (a kilobyte, sparse) and a pin on every hundredth recording.
struct Fixture
{
    Fixture()
    {
        bench::writeLargeCatalogue(dataDir(), Folders, Rows, [](int row) { return row % Folders; });
        catalogue = std::make_unique<Catalogue>(dataDir(), messages, nullptr);
        catalogue->OpenCatalogue();
        QDir().mkpath(dataDir() + "/wav");
        TStoreTable &calls = catalogue->CallsTbl;
        calls.setMasterSource(nullptr);
        QStringList pins;
        for (int row = 0; row < calls.RecordCount(); ++row) {
            calls.setRecNo(row + 1);
            const QString path = catalogue->recordingFilePath();
            if (!QFile::exists(path)) {
                QFile file(path);
                if (file.open(QIODevice::WriteOnly))
                    file.resize(1024);
            }
            if (row % 100 == 0)
                pins << catalogue->currentRecordingId();
        }
        calls.setMasterSource(&catalogue->FoldersTbl);
        catalogue->Details.setPinned(pins, true);

        rules.all = {365, 50};
        rules.minFreeMB = 100;
        rules.folders[bench::folderCode(3)] = {FolderRetention::Mode::Own, {30, 0}};
        rules.folders[bench::folderCode(4)] = {FolderRetention::Mode::Excluded, {}};
        pass().plan(rules); // learns the files' sizes
    }

    RetentionPass pass()
    {
        RetentionPass p(*catalogue, messages, [](const QString &) {});
        p.clock = [] { return QDateTime(QDate(2022, 1, 1), QTime(12, 0)); };
        p.freeSpace = [](const QString &) { return std::optional<qint64>(60LL * 1024 * 1024); };
        return p;
    }

    UnattendedMessageService messages;
    std::unique_ptr<Catalogue> catalogue;
    RetentionRules rules;
};

Fixture &fixture()
{
    static Fixture f;
    return f;
}

void BM_PlanOnly(benchmark::State &state)
{
    Fixture &f = fixture();
    RetentionPass pass = f.pass();
    pass.plan(f.rules);
    const qint64 now = QDate(2022, 1, 1).toJulianDay() * 86400 + 12 * 3600;
    std::size_t removed = 0;
    for (auto _ : state) {
        const RetentionPlan plan = planRetention(pass.items(), f.rules, now, 60LL * 1024 * 1024);
        removed = plan.removals.size();
        benchmark::DoNotOptimize(removed);
    }
    state.counters["removed"] = double(removed);
}

void BM_WholePassDecision(benchmark::State &state)
{
    Fixture &f = fixture();
    for (auto _ : state) {
        RetentionPass pass = f.pass();
        const RetentionPlan &plan = pass.plan(f.rules);
        benchmark::DoNotOptimize(plan.removals.size());
    }
    state.counters["recordings"] = double(Rows);
}

} // namespace

BENCHMARK(BM_PlanOnly)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WholePassDecision)->Unit(benchmark::kMillisecond);
