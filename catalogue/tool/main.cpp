// calvora-catalogue: the catalogue of a data directory (the current one, or --data-dir DIR)
// from the command line.
#include "CatalogueTool.h"

#include <QCoreApplication>
#include <QDir>
#include <cstdio>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    QString dataDir = QDir::currentPath();
    if (args.size() >= 2 && args[0] == QLatin1String("--data-dir")) {
        dataDir = QDir(args[1]).absolutePath();
        args = args.mid(2);
    }
    QTextStream out(stdout);
    QTextStream err(stderr);
    const int code = CatalogueTool::run(dataDir, args, out, err);
    out.flush();
    err.flush();
    return code;
}
