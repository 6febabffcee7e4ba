// What the program's parts share, created once at start-up and passed to each part.
#pragma once

#include "StartOptions.h"
#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <functional>

class ChooserService;
class FormatChooser;

struct AppContext
{
    AppContext(StartOptions options, const QString &programDir, MessageService &messages)
        : options(std::move(options)), programDir(programDir),
          ini(programDir + QStringLiteral("/orv.ini")),
          log(programDir + QStringLiteral("/Events.log")), messages(messages)
    {}

    StartOptions options;
    QString programDir;
    TIniFile ini;
    Preferences prefs;
    TModemParams ModemProfile;
    EventLog log;
    MessageService &messages;
    // File, folder, font and colour choosers; set at start-up (tests set their own).
    ChooserService *choosers = nullptr;
    // Where the user picks a recording or modem format; set once the main window exists.
    FormatChooser *formatChooser = nullptr;
    bool VoiceSupported = true;
    bool FormsCreated = false;
    // Whether the desktop offers a sound output. Unset, its audio service is asked; tests that
    // build the main window answer it themselves, so that they need no sound server.
    std::function<bool()> hasSoundOutput;
};
