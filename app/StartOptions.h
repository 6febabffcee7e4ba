// The command line: options, and the first argument "STARTUP" or "ONIDE" in any letter case.
#pragma once

#include <QString>
#include <QStringList>

struct StartOptions
{
    QString dataDir; // --data-dir; empty for the default
    bool unattended = false;
    bool demo = false;     // --demo: the virtual modem stands in for a real one
    QString firstArgument; // upper-cased first positional argument
    bool showVersion = false;
    bool showHelp = false;
    QString error; // set when the command line could not be understood

    bool startedByStartup() const { return firstArgument == QLatin1String("STARTUP"); }
    bool developerKeys() const { return firstArgument == QLatin1String("ONIDE"); }

    static StartOptions parse(const QStringList &arguments);
    // Whether the arguments hold a single-dash option other than ours (-h, -v), which may be
    // one the window toolkit takes out of the command line when it starts (-platform, -style).
    static bool mayHoldToolkitOptions(const QStringList &arguments);
    static QString helpText();
};
