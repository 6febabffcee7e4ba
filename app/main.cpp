// Program entry.
#include "AppInfo.h"
#include "Application.h"

#include <cstdio>

int main(int argc, char **argv)
{
    CalvoraApplication qtApp(argc, argv);
    const StartOptions options = StartOptions::parse(QCoreApplication::arguments());
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
    Application application(options);
    return application.run();
}
