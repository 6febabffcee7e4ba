// Command-line parsing without side effects, so that it can be tested.
#include "StartOptions.h"

#include <QCommandLineParser>

namespace {
void addOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Calvora records telephone calls through a voice modem."));
    parser.addOption({QStringLiteral("data-dir"), QStringLiteral("Keep every data file in <dir>."),
                      QStringLiteral("dir")});
    parser.addOption({QStringLiteral("unattended"),
                      QStringLiteral("Write messages to standard error and answer them with "
                                     "their default button.")});
    parser.addOption({QStringLiteral("demo"),
                      QStringLiteral("Show a call being recorded, with the virtual modem standing "
                                     "in for a real one (data in ~/.local/share/calvora-demo).")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")},
                      QStringLiteral("Show the version and exit.")});
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                      QStringLiteral("Show this help and exit.")});
    parser.addPositionalArgument(
        QStringLiteral("mode"),
        QStringLiteral("STARTUP: start minimised when starting with the system is on; "
                       "ONIDE: enable the developer keys."),
        QStringLiteral("[STARTUP|ONIDE]"));
}
} // namespace

StartOptions StartOptions::parse(const QStringList &arguments)
{
    QCommandLineParser parser;
    addOptions(parser);
    StartOptions options;
    if (!parser.parse(arguments)) {
        options.error = parser.errorText();
        return options;
    }
    options.dataDir = parser.value(QStringLiteral("data-dir"));
    options.unattended = parser.isSet(QStringLiteral("unattended"));
    options.demo = parser.isSet(QStringLiteral("demo"));
    options.showVersion = parser.isSet(QStringLiteral("version"));
    options.showHelp = parser.isSet(QStringLiteral("help"));
    const QStringList positional = parser.positionalArguments();
    if (!positional.isEmpty())
        options.firstArgument = positional.first().toUpper();
    return options;
}

bool StartOptions::mayHoldToolkitOptions(const QStringList &arguments)
{
    for (const QString &argument : arguments.mid(1)) {
        if (argument == QLatin1String("--"))
            return false;
        if (argument.startsWith(QLatin1Char('-')) && !argument.startsWith(QLatin1String("--")) &&
            argument != QLatin1String("-h") && argument != QLatin1String("-v") &&
            argument != QLatin1String("-"))
            return true;
    }
    return false;
}

QString StartOptions::helpText()
{
    QCommandLineParser parser;
    addOptions(parser);
    return parser.helpText();
}
