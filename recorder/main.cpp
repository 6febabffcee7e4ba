// calvora-recorder: records every call on the configured voice modem without any window.
#include "HeadlessRecorder.h"

#include "config/ProgramDir.h"
#include "recording/DemoModem.h"
#include "support/DataDirLock.h"
#include "support/Waits.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("calvora-recorder"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CALVORA_VERSION));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Records every call on the configured voice modem, without windows. It uses the same "
        "data directory as calvora (never both at once); with no modem configured it takes "
        "the first voice modem it finds."));
    parser.addHelpOption();
    parser.addVersionOption();
    const QCommandLineOption dataDirOption(
        QStringLiteral("data-dir"),
        QStringLiteral("Keep every data file in DIR (default $CALVORA_HOME, else "
                       "$XDG_DATA_HOME/calvora)."),
        QStringLiteral("DIR"));
    const QCommandLineOption demoOption(
        QStringLiteral("demo"), QStringLiteral("Use the virtual modem instead of a real one."));
    parser.addOption(dataDirOption);
    parser.addOption(demoOption);
    parser.process(app);

    // Tests shorten the fixed pauses and time-outs with this factor (0 < scale <= 1).
    if (const QString scale = qEnvironmentVariable("CALVORA_TIME_SCALE"); !scale.isEmpty())
        Waits::setTimeScale(scale.toDouble());

    const bool demo = parser.isSet(demoOption);
    const QString given = parser.value(dataDirOption);
    const QString dataDir =
        demo && given.isEmpty() ? DemoModem::defaultDataDir() : ProgramDir::resolve(given);

    DataDirLock lock(dataDir);
    if (!lock.acquire()) {
        std::fprintf(stderr, "calvora-recorder: the data directory %s is in use by %s\n",
                     qPrintable(dataDir), qPrintable(lock.holderText()));
        return 1;
    }
    if (!ProgramDir::prepare(dataDir)) {
        std::fprintf(stderr, "calvora-recorder: cannot use the data directory %s\n",
                     qPrintable(dataDir));
        return 1;
    }

    std::unique_ptr<DemoModem> demoModem;
    if (demo) {
        demoModem = std::make_unique<DemoModem>();
        QString error;
        if (!demoModem->start(ProgramDir::path(), error)) {
            std::fprintf(stderr, "calvora-recorder: %s\n", qPrintable(error));
            return 1;
        }
    }
    HeadlessRecorder recorder(ProgramDir::path(), demoModem.get());
    recorder.start();
    if (recorder.endRequested())
        return 0;
    return QCoreApplication::exec();
}
