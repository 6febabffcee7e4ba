// calvora-catalogue: the catalogue of a data directory (the current one, or --data-dir DIR)
// from the command line.
#include "CatalogueTool.h"

#include <QCoreApplication>
#include <QDir>

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    // The program's own options may stand anywhere before "--", also after the command.
    const QStringList given = app.arguments().mid(1);
    QStringList args;
    QString dataDir = QDir::currentPath();
    for (int i = 0; i < given.size(); ++i) {
        const QString &arg = given[i];
        if (arg == QLatin1String("--")) {
            args << given.mid(i + 1);
            break;
        }
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            out << CatalogueTool::UsageText;
            return CatalogueTool::Ok;
        }
        if (arg == QLatin1String("--version")) {
            out << "calvora-catalogue " << CALVORA_VERSION << '\n';
            return CatalogueTool::Ok;
        }
        if (arg == QLatin1String("--data-dir")) {
            if (i + 1 >= given.size())
                return CatalogueTool::mistake(err, QStringLiteral("--data-dir needs a value"));
            dataDir = QDir(given[++i]).absolutePath();
        } else if (arg.startsWith(QLatin1String("--data-dir="))) {
            dataDir = QDir(arg.mid(11)).absolutePath();
        } else {
            args << arg;
        }
    }
    const int code = CatalogueTool::run(dataDir, args, out, err);
    out.flush();
    err.flush();
    return code;
}
