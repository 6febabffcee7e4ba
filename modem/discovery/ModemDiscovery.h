// Modem discovery: finds candidate modems (the system's installed modems, else a scan of
// COM1..COM8), identifies them, and on confirmation checks the chosen one for voice support,
// probes its voice commands, learns its compressions and gains, and writes the profile to
// [Modem] and [Params]. The "Modem initialization" window presents this state.
#pragma once

#include "InstalledModems.h"

#include "config/TModemParams.h"

#include <QObject>
#include <QStringList>
#include <array>
#include <memory>

class EventLog;
class MessageService;
class SerialPort;
class TIniFile;
class TfmModem;
class TfmParse;

class ModemDiscovery final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModemDiscovery)

public:
    static constexpr int MaxCandidates = 16;
    static constexpr int ScanLastPort = 8;
    static constexpr int GaugeSteps = 13;
    // The probing port's line settings (8 data bits, no parity, 1 stop bit).
    static constexpr int ProbeBaudRate = 19200;

    static inline const QString NoModemMessage =
        QStringLiteral("        No modem detected        ");
    static inline const QString ProgressCaption = QStringLiteral("Finding modems... ");

    // profile is the program's ModemProfile and voiceSupported its VoiceSupported flag.
    // Without a probing port, a QtSerialPort on ini's [Ports] map is used. byIdDir is where
    // the installed modems' links are looked for.
    ModemDiscovery(TIniFile &ini, TModemParams &profile, bool &voiceSupported, TfmModem &modem,
                   TfmParse &parse, EventLog &log, MessageService &messages,
                   QString byIdDir = InstalledModems::DefaultByIdDir,
                   std::unique_ptr<SerialPort> probePort = {}, QObject *parent = nullptr);
    ~ModemDiscovery() override;

    // The search. Returns the number of candidates; the list is filled and enabled.
    int FindModems();
    // Confirms the selected candidate: checks and probes it and writes the profile.
    // profile.
    void ConfirmModem();

    // When the window is shown: with no candidate, writes Voicefeatures 0, shows the
    // no-modem message and returns false (the window closes); else selects the first entry.
    bool prepareShow();
    // Unattended runs: confirm the first candidate as if OK had been pressed.
    void confirmFirst();

    int candidateCount() const { return m_count; }
    // Entry i, 0-based (the entry numbered i + 1).
    const TModemParams &candidate(int i) const { return m_candidates.at(std::size_t(i)); }
    const QStringList &listLines() const { return m_listLines; }
    int selected() const { return m_selected; }
    void setSelected(int index);
    bool controlsEnabled() const { return m_controlsEnabled; }
    bool gaugeVisible() const { return m_gaugeVisible; }
    int gaugeValue() const { return m_gaugeValue; }

signals:
    void listChanged(const QStringList &lines);
    void selectedChanged(int index);
    void controlsEnabledChanged(bool enabled);
    void gaugeChanged(bool visible, int value);
    // The progress window of a scan.
    void progressShown(const QString &caption);
    void progressChanged(int percent);
    void progressHidden();
    // The discovery window is to close.
    void closeRequested();

private:
    void scanPorts();
    void identify(TModemParams &entry);
    QString identityQuery(const char *first, const char *second, const char *third,
                          const QString &unspecified);
    bool voiceCheck();
    void writeVoiceProfile(TModemParams &entry);
    void writeDataOnlyProfile();
    void probeCommand(QString TModemParams::*field);
    void gaugeStep(int step);
    void setControlsEnabled(bool enabled);
    void setGauge(bool visible, int value);
    void setList(const QStringList &lines);
    void addLogLine(const QString &line);
    void writeVoiceFeatures(bool on);
    void showError(const QString &text);

    TIniFile &m_ini;
    TModemParams &m_profile;
    bool &m_voiceSupported;
    TfmModem &m_modem;
    TfmParse &m_parse;
    EventLog &m_log;
    MessageService &m_messages;
    QString m_byIdDir;
    std::unique_ptr<SerialPort> m_probePort;

    std::array<TModemParams, MaxCandidates> m_candidates;
    int m_count = 0;
    // The ports the last scan was refused for lack of permission.
    QStringList m_deniedDevices;
    QStringList m_listLines;
    int m_selected = -1;
    bool m_controlsEnabled = true;
    bool m_gaugeVisible = false;
    int m_gaugeValue = 0;
};
