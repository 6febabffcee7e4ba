// The large catalogue both catalogue benchmarks work on: Folders.d and Recordings.d with rows
// spread over folders and a memo on each, made once in $CALVORA_BENCH_DIR/<name> (kept between
// runs) or in a temporary directory.
#pragma once

#include "support/MessageService.h"

#include <QString>
#include <functional>

namespace bench {

// Answers like a user who agrees and reads nothing.
class QuietMessages final : public MessageService
{
public:
    void showMessage(const QString &, Kind) override {}
    bool confirm(const QString &) override { return true; }
    std::optional<QString> askText(const QString &, const QString &, const QString &) override
    {
        return std::nullopt;
    }
};

// The folder of the named catalogue, created on first use.
QString catalogueDir(const QString &name);

// The code of the i-th folder.
QString folderCode(int i);

// Writes both tables into dir unless they are there already; row i goes to folderOf(i).
void writeLargeCatalogue(const QString &dir, int folders, int rows,
                         const std::function<int(int row)> &folderOf);

} // namespace bench
