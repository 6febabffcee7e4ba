// The large catalogue both catalogue benchmarks work on: Folders.d and Recordings.d with rows
// spread over folders and a memo on each, made once in $CALVORA_BENCH_DIR/<name> (kept between
// runs) or in a temporary directory.
#pragma once

#include <QString>
#include <functional>

namespace bench {

// The folder of the named catalogue, created on first use.
QString catalogueDir(const QString &name);

// The code of the i-th folder.
QString folderCode(int i);

// Writes both tables into dir unless they are there already; row i goes to folderOf(i).
void writeLargeCatalogue(const QString &dir, int folders, int rows,
                         const std::function<int(int row)> &folderOf);

} // namespace bench
