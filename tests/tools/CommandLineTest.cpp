// The command lines of the five programs, as a user or a script meets them: help and version on
// standard output with exit 0 (also where there is no display), a mistake named on one line
// of standard error before the usage with exit 2, options after the command; and manual pages
// that name everything the programs accept.
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct ToolRun
{
    int code = -1;
    QString out, err;
};

const QStringList Programs = {"calvora", "calvora-recorder", "calvora-wav", "calvora-catalogue",
                              "calvora-vmodem"};

// Runs a program as from a terminal of a computer without a display: the window program
// would abort if it reached the window system.
ToolRun run(const QString &program, const QStringList &args, const QString &dir = {})
{
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove("DISPLAY");
    env.remove("WAYLAND_DISPLAY");
    env.insert("QT_QPA_PLATFORM", "xcb");
    p.setProcessEnvironment(env);
    if (!dir.isEmpty())
        p.setWorkingDirectory(dir);
    p.start(QDir(qEnvironmentVariable("CALVORA_BIN_DIR")).filePath(program), args);
    p.closeWriteChannel();
    EXPECT_TRUE(p.waitForFinished(60000)) << program.toStdString();
    ToolRun r;
    r.code = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

QString manPage(const QString &program)
{
    QFile file(
        QDir(qEnvironmentVariable("CALVORA_SOURCE_DIR")).filePath("data/man/" + program + ".1"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    return QString::fromUtf8(file.readAll()).replace("\\-", "-").replace("\\&", "");
}

TEST(CommandLineTest, HelpAndVersionGoToStandardOutputWithoutADisplay)
{
    for (const QString &program : Programs) {
        for (const char *option : {"--help", "--version"}) {
            SCOPED_TRACE((program + " " + option).toStdString());
            const ToolRun r = run(program, {option});
            EXPECT_EQ(r.code, 0) << r.err.toStdString();
            EXPECT_EQ(r.err, "");
            if (QLatin1String(option) == QLatin1String("--help"))
                EXPECT_TRUE(r.out.contains("sage: ")) << r.out.toStdString();
            else
                EXPECT_TRUE(r.out.startsWith(program == "calvora" ? "Calvora " : program + " ") &&
                            r.out.trimmed().endsWith(CALVORA_VERSION))
                    << r.out.toStdString();
        }
    }
}

TEST(CommandLineTest, AMistakeIsNamedOnOneLineBeforeTheUsage)
{
    struct Case
    {
        QString program;
        QStringList args;
        QString reason; // the first line of standard error after "program: "
    };
    const Case cases[] = {
        {"calvora", {"--no-such"}, "Unknown option 'no-such'."},
        {"calvora", {"--data-dir"}, "Missing value after '--data-dir'."},
        {"calvora-recorder", {"--no-such"}, "Unknown option 'no-such'."},
        {"calvora-recorder", {"now"}, "unexpected argument now"},
        {"calvora-recorder", {"--listen"}, "Missing value after '--listen'."},
        {"calvora-wav", {}, "a command is needed"},
        {"calvora-wav", {"play", "a.wav"}, "unknown command play"},
        {"calvora-wav", {"info"}, "info takes one FILE"},
        {"calvora-wav", {"convert", "a.wav", "b.wav"}, "convert needs --to FORMAT"},
        {"calvora-wav", {"gain", "--loud", "50", "a.wav", "b.wav"}, "unknown option --loud"},
        {"calvora-wav", {"equalize", "a.wav", "b.wav", "--format"}, "--format needs a value"},
        {"calvora-catalogue", {}, "a command is needed"},
        {"calvora-catalogue", {"lsit"}, "unknown command lsit"},
        {"calvora-catalogue", {"list", "extra"}, "list takes no arguments"},
        {"calvora-catalogue", {"list", "--data-dir"}, "--data-dir needs a value"},
        {"calvora-catalogue", {"add", "--colour", "red"}, "unknown option --colour"},
        {"calvora-catalogue", {"retention", "--now"}, "retention takes only --dry-run"},
        {"calvora-vmodem", {"--no-such"}, "unknown option --no-such"},
        {"calvora-vmodem", {"--speed", "0"}, "--speed takes a number above 0 and at most 1000"},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE((c.program + " " + c.args.join(' ')).toStdString());
        const ToolRun r = run(c.program, c.args);
        EXPECT_EQ(r.code, 2);
        EXPECT_EQ(r.out, "");
        const QStringList lines = r.err.split('\n');
        EXPECT_EQ(lines.value(0), c.program + ": " + c.reason) << r.err.toStdString();
        EXPECT_TRUE(lines.value(1).startsWith("Usage: ") || lines.value(1).startsWith("usage: "))
            << r.err.toStdString();
    }
}

TEST(CommandLineTest, TheCatalogueTakesItsOptionsAfterTheCommand)
{
    QTemporaryDir data;
    QTemporaryDir elsewhere; // the current directory, which the tool would use otherwise
    const ToolRun folder = run("calvora-catalogue",
                               {"add-folder", "Work", "--data-dir", data.path()}, elsewhere.path());
    ASSERT_EQ(folder.code, 0) << folder.err.toStdString();
    const ToolRun added =
        run("calvora-catalogue",
            {"add", "--folder", "Work", "--memo", "after the command", "--data-dir=" + data.path()},
            elsewhere.path());
    ASSERT_EQ(added.code, 0) << added.err.toStdString();
    const ToolRun listed = run("calvora-catalogue", {"list", "--data-dir", data.path()});
    EXPECT_EQ(listed.code, 0) << listed.err.toStdString();
    EXPECT_TRUE(listed.out.contains("Work\t")) << listed.out.toStdString();
    EXPECT_TRUE(listed.out.contains("\tafter the command\t")) << listed.out.toStdString();
    EXPECT_EQ(QDir(elsewhere.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries),
              QStringList());
}

// Every option a program's help lists is in its manual page, and every page says how the
// program ends.
TEST(CommandLineTest, EachManualPageNamesEveryOptionOfItsHelp)
{
    static const QRegularExpression option(QStringLiteral("(?<![\\w-])--[a-z][a-z-]*[a-z]"));
    for (const QString &program : Programs) {
        SCOPED_TRACE(program.toStdString());
        const ToolRun help = run(program, {"--help"});
        const QString page = manPage(program);
        EXPECT_TRUE(page.contains(".SH EXIT STATUS"));
        EXPECT_TRUE(page.contains(".SH FILES"));
        for (auto it = option.globalMatch(help.out); it.hasNext();) {
            const QString name = it.next().captured();
            EXPECT_TRUE(page.contains(name)) << name.toStdString();
        }
    }
}

// The virtual modem's help and page list the profiles and scenarios shipped beside it.
TEST(CommandLineTest, TheVirtualModemNamesEveryShippedProfileAndScenario)
{
    const QString help = run("calvora-vmodem", {"--help"}).out;
    const QString page = manPage("calvora-vmodem");
    const QDir bin(qEnvironmentVariable("CALVORA_BIN_DIR"));
    int shipped = 0;
    for (const char *folder : {"vmodem-profiles", "vmodem-scenarios"}) {
        for (const QFileInfo &file : QDir(bin.filePath(folder)).entryInfoList(QDir::Files)) {
            const QRegularExpression word(
                "(?<![\\w-])" + QRegularExpression::escape(file.completeBaseName()) + "(?![\\w-])");
            SCOPED_TRACE(file.fileName().toStdString());
            EXPECT_TRUE(help.contains(word));
            EXPECT_TRUE(page.contains(word));
            ++shipped;
        }
    }
    EXPECT_GT(shipped, 10);
    // A shipped scenario is found by its name (the modem ends at once, before it plays it).
    const ToolRun named = run("calvora-vmodem", {"--script", "exit", "--scenario", "demo-call"});
    EXPECT_EQ(named.code, 0) << named.err.toStdString();
}

// The window program's and the recorder's pages say which files they keep and how to be allowed
// to open the modem.
TEST(CommandLineTest, TheRecordersPagesNameTheirFilesAndTheSerialGroup)
{
    const QStringList files = {
        "orv.ini",   "Recordings.d", "Folders.d",     "RecordingDetails.d", "Callers.txt",
        "Rules.txt", "Events.log",   ".calvora.lock", "WebPassword.hash"};
    for (const char *program : {"calvora", "calvora-recorder"}) {
        SCOPED_TRACE(program);
        const QString page = manPage(program);
        EXPECT_TRUE(page.contains("dialout"));
        for (const QString &file : files)
            EXPECT_TRUE(page.contains(file)) << file.toStdString();
    }
}

} // namespace
