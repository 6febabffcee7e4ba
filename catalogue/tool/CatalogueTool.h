// The commands of calvora-catalogue: list and export the catalogue, check its tables, add a
// row. Each returns the program's exit code.
#pragma once

#include <QStringList>
#include <QTextStream>

namespace CatalogueTool {

enum ExitCode
{
    Ok = 0,
    Failed = 1,
    Usage = 2
};

// The usage, as --help prints it.
extern const QString UsageText;

// A mistake on the command line: its reason on one line, then the usage; returns Usage.
int mistake(QTextStream &err, const QString &reason);

// args: the command and its options (without the program name and --data-dir).
int run(const QString &dataDir, const QStringList &args, QTextStream &out, QTextStream &err);

// RFC 4180 field: quoted when it holds a comma, a quote or a line break.
QString csvField(const QString &text);

} // namespace CatalogueTool
