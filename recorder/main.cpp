// calvora-recorder: records every call on the configured voice modem without any window.
#include "HeadlessRecorder.h"
#include "JournalStream.h"
#include "PasswordPrompt.h"
#include "RecorderWebPage.h"
#include "ServiceNotifier.h"

#include "config/ProgramDir.h"
#include "recording/DemoModem.h"
#include "support/DataDirLock.h"
#include "support/Waits.h"
#include "support/WebUrlFile.h"
#include "web/PasswordStore.h"
#include "web/WebServer.h"
#include "web/WebSettings.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <cstdio>

namespace {

// One line "calvora-recorder: text" on standard error, an error for the journal.
void printError(const QString &text)
{
    JournalStream::print(JournalStream::Priority::Error,
                         QStringLiteral("calvora-recorder: ") + text);
}

// Asks twice and stores the hash; the program's exit code.
int setPassword(const QString &dataDir)
{
    const auto first = PasswordPrompt::ask("New password for the web page: ");
    const auto second = first ? PasswordPrompt::ask("The same again: ") : std::nullopt;
    if (!first || !second) {
        std::fprintf(stderr, "calvora-recorder: no password given; nothing changed\n");
        return 1;
    }
    if (*first != *second) {
        std::fprintf(stderr, "calvora-recorder: the two passwords differ; nothing changed\n");
        return 1;
    }
    PasswordStore store(dataDir);
    QString error;
    if (!store.set(*first, error)) {
        std::fprintf(stderr, "calvora-recorder: %s; nothing changed\n", qPrintable(error));
        return 1;
    }
    std::printf("The web page's password is set (its hash is in %s).\n",
                qPrintable(store.filePath()));
    return 0;
}

} // namespace

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
    const QCommandLineOption listenOption(
        QStringLiteral("listen"),
        QStringLiteral("Serve the web page on ADDRESS:PORT (e.g. 127.0.0.1:8080; an address "
                       "other than loopback needs a password). Default: [Web] Listen in orv.ini, "
                       "else no web page."),
        QStringLiteral("ADDRESS:PORT"));
    const QCommandLineOption tlsCertOption(
        QStringLiteral("tls-cert"),
        QStringLiteral("Serve the web page over HTTPS with this PEM certificate."),
        QStringLiteral("FILE"));
    const QCommandLineOption tlsKeyOption(QStringLiteral("tls-key"),
                                          QStringLiteral("The PEM private key of --tls-cert."),
                                          QStringLiteral("FILE"));
    const QCommandLineOption setPasswordOption(
        QStringLiteral("set-password"),
        QStringLiteral("Ask for the web page's password on the terminal, store its hash and "
                       "exit."));
    parser.addOption(dataDirOption);
    parser.addOption(demoOption);
    parser.addOption(listenOption);
    parser.addOption(tlsCertOption);
    parser.addOption(tlsKeyOption);
    parser.addOption(setPasswordOption);
    // A mistake is named on one line before the usage; the help and the version go to standard
    // output.
    QString mistake;
    if (!parser.parse(QCoreApplication::arguments()))
        mistake = parser.errorText();
    else if (!parser.positionalArguments().isEmpty())
        mistake =
            QStringLiteral("unexpected argument %1").arg(parser.positionalArguments().first());
    if (!mistake.isEmpty()) {
        printError(mistake);
        std::fprintf(stderr, "%s", qPrintable(parser.helpText()));
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);
    if (parser.isSet(QStringLiteral("version")))
        parser.showVersion();

    // Tests shorten the fixed pauses and time-outs with this factor (0 < scale <= 1).
    if (const QString scale = qEnvironmentVariable("CALVORA_TIME_SCALE"); !scale.isEmpty())
        Waits::setTimeScale(scale.toDouble());

    const bool demo = parser.isSet(demoOption);
    const QString given = parser.value(dataDirOption);
    const QString dataDir =
        demo && given.isEmpty() ? DemoModem::defaultDataDir() : ProgramDir::resolve(given);

    if (parser.isSet(setPasswordOption)) {
        if (!ProgramDir::prepare(dataDir)) {
            printError(QStringLiteral("cannot use the data directory ") + dataDir);
            return 1;
        }
        return setPassword(ProgramDir::path());
    }

    DataDirLock lock(dataDir);
    if (!lock.acquire()) {
        printError(QStringLiteral("the data directory ") + dataDir +
                   QStringLiteral(" is in use by ") + lock.holderText());
        return 1;
    }
    if (!ProgramDir::prepare(dataDir)) {
        printError(QStringLiteral("cannot use the data directory ") + dataDir);
        return 1;
    }
    // The address a recorder that ended without cleaning up left is no longer served.
    WebUrlFile::remove(ProgramDir::path());

    std::unique_ptr<DemoModem> demoModem;
    if (demo) {
        demoModem = std::make_unique<DemoModem>();
        QString error;
        if (!demoModem->start(ProgramDir::path(), error)) {
            printError(error);
            return 1;
        }
    }
    HeadlessRecorder recorder(ProgramDir::path(), demoModem.get());

    // The web page's address is checked before the recorder starts, so that a refused one
    // costs nothing.
    WebSettings web = WebSettings::read(recorder.session().ini());
    if (parser.isSet(listenOption))
        web.listen = parser.value(listenOption);
    if (parser.isSet(tlsCertOption))
        web.tlsCert = parser.value(tlsCertOption);
    if (parser.isSet(tlsKeyOption))
        web.tlsKey = parser.value(tlsKeyOption);
    std::optional<ListenAddress> listen;
    if (!web.listen.isEmpty()) {
        QString error;
        listen = ListenAddress::parse(web.listen, error);
        if (listen)
            error = WebServer::addressRefusal(*listen, ProgramDir::path());
        if (!error.isEmpty()) {
            printError(QStringLiteral("--listen: ") + error);
            return 2;
        }
    }

    ServiceNotifier service(recorder.session());
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &service, &ServiceNotifier::stopping);
    recorder.start();
    if (recorder.endRequested())
        return 0;
    std::unique_ptr<RecorderWebPage> webPage;
    if (listen) {
        webPage = std::make_unique<RecorderWebPage>(recorder.session());
        QString error;
        if (!webPage->start(*listen, web.tlsCert, web.tlsKey, error)) {
            printError(error);
            return 1;
        }
        if (!PasswordStore(ProgramDir::path()).isSet())
            JournalStream::print(JournalStream::Priority::Warning,
                                 QStringLiteral("calvora-recorder: no password is set, so the web "
                                                "page answers on this computer only"));
    }
    service.ready();
    return QCoreApplication::exec();
}
