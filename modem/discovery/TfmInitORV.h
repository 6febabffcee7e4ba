// The start-up set-up: makes sure a modem is configured (searching for one on a first
// start), loads the modem profile, applies the stored preferences to the main window, opens
// the modem's port with initialisation and arms automatic recording. ApplySettings runs
// again each time the settings dialog closes. Never shown.
#pragma once

#include <QObject>
#include <QString>

class DiscoveryWindow;
class EventLog;
class MessageService;
class ModemDiscovery;
class SetupTarget;
class TIniFile;
class TfmModem;
class TfmParse;
struct Preferences;
struct TModemParams;

class TfmInitORV final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmInitORV)

public:
    static inline const QString Caption = QStringLiteral("Initialize ORV");
    static inline const QString NoVoiceMessage =
        QStringLiteral("Your modem does not support V.253/IS-101 standard");

    // programDir is the data directory (orv.ini, Compressions.d and the "wav" folder).
    // The collaborators must outlive this object.
    TfmInitORV(TIniFile &ini, Preferences &prefs, TModemParams &profile, bool &voiceSupported,
               TfmModem &modem, TfmParse &parse, ModemDiscovery &discovery,
               DiscoveryWindow &discoveryWindow, SetupTarget &target, EventLog &log,
               MessageService &messages, QString programDir, QObject *parent = nullptr);

    // All of the start-up work: EnsureModem, half a second with the event loop running,
    // then ApplySettings.
    void FormCreate();
    // First half, start-up only: discovery when no modem is configured.
    void EnsureModem();
    // Second half: at start-up and after a closing of the settings dialog that changed what
    // the modem's port is opened with. applyPreferences, then bringModemOnLine.
    void ApplySettings();
    // The profile, the voice flag, the compression and the window's preferences from orv.ini,
    // without touching the modem's port.
    void applyPreferences();
    // Opens the port with initialisation (when it is not open) and arms automatic recording as
    // the preferences say.
    void bringModemOnLine();

private:
    TIniFile &m_ini;
    Preferences &m_prefs;
    TModemParams &m_profile;
    bool &m_voiceSupported;
    TfmModem &m_modem;
    TfmParse &m_parse;
    ModemDiscovery &m_discovery;
    DiscoveryWindow &m_discoveryWindow;
    SetupTarget &m_target;
    EventLog &m_log;
    MessageService &m_messages;
    QString m_programDir;
};
