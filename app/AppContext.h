// What the window program's parts share: the recorder session's configuration, preferences,
// modem profile and log, the start options and the services of the desktop.
#pragma once

#include "StartOptions.h"
#include "catalogue/Catalogue.h"
#include "recording/RecorderSession.h"
#include "support/MessageService.h"

#include <functional>

class ChooserService;
class FormatChooser;

struct AppContext
{
    AppContext(StartOptions options, RecorderSession &session)
        : options(std::move(options)), programDir(session.dataDir()), ini(session.ini()),
          prefs(session.prefs()), ModemProfile(session.profile()), log(session.log()),
          messages(session.messages()), dateFormats(session.catalogue().formats),
          VoiceSupported(session.voiceSupported())
    {}

    StartOptions options;
    QString programDir;
    TIniFile &ini;
    Preferences &prefs;
    TModemParams &ModemProfile;
    EventLog &log;
    MessageService &messages;
    // How the list shows dates and times.
    const DateTimeFormats &dateFormats;
    // File, folder, font and colour choosers; set at start-up (tests set their own).
    ChooserService *choosers = nullptr;
    // Where the user picks a recording or modem format; set once the main window exists.
    FormatChooser *formatChooser = nullptr;
    bool &VoiceSupported;
    bool FormsCreated = false;
    // Whether the desktop offers a sound output. Unset, its audio service is asked; tests that
    // build the main window answer it themselves, so that they need no sound server.
    std::function<bool()> hasSoundOutput;
};
