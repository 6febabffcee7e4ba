// Program entry.
#include "AppInfo.h"
#include "Application.h"

#include <cstdio>

namespace {

// What the command line asks for when it needs no window: the help, the version, or a mistake
// reported with the usage. Returns the exit code, or -1 to go on and start the program.
int answerWithoutWindows(const StartOptions &options)
{
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "calvora: %s\n%s", qPrintable(options.error),
                     qPrintable(StartOptions::helpText()));
        return 2;
    }
    if (options.showHelp) {
        std::printf("%s", qPrintable(StartOptions::helpText()));
        return 0;
    }
    if (options.showVersion) {
        std::printf("%s %s\n", qPrintable(AppInfo::ProductName), qPrintable(AppInfo::Version));
        return 0;
    }
    return -1;
}

} // namespace

int main(int argc, char **argv)
{
    // The help, the version and a mistake are answered before the window system is reached,
    // so that they work without a display. A single-dash option may be one of the toolkit's
    // own (-platform, -style), which only the window program's start takes out.
    {
        QStringList arguments;
        for (int i = 0; i < argc; ++i)
            arguments << QString::fromLocal8Bit(argv[i]);
        const StartOptions early = StartOptions::parse(arguments);
        if (early.error.isEmpty() || !StartOptions::mayHoldToolkitOptions(arguments)) {
            if (early.showHelp || early.showVersion || !early.error.isEmpty()) {
                QCoreApplication core(argc, argv); // the help names the program it was run as
                return answerWithoutWindows(early);
            }
        }
    }
    CalvoraApplication qtApp(argc, argv);
    const StartOptions options = StartOptions::parse(QCoreApplication::arguments());
    if (const int code = answerWithoutWindows(options); code >= 0)
        return code;
    Application application(options);
    return application.run();
}
