// Recording a call: the output file, the modem's voice commands, the voice stream and its
// WAV writer, the elapsed time, and at Stop the file's final name, the catalogue row and the
// modem re-armed; also the recovery of a call cut off by a crash, and taking up again a
// modem that went away. It says what happens through its signals; windows (or the headless
// recorder) present it.
#pragma once

#include "callers/CallFiling.h"
#include "catalogue/RecordingDetails.h"
#include "modem/voice/VoiceReceiver.h"

#include <QDateTime>
#include <QFile>
#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>
#include <span>

class Catalogue;
class EventLog;
class MessageService;
class ModemWatchdog;
class TIniFile;
class TdeRIFFAudioWriter;
class TfmModem;
struct CallJournal;
struct RecoveredWav;
struct Preferences;
struct TModemParams;

class CallRecorder final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CallRecorder)

public:
    // The collaborators must outlive this object; preferences, profile and the voice flag are
    // read at the moment of use.
    CallRecorder(TIniFile &ini, const Preferences &prefs, const TModemParams &profile,
                 const bool &voiceSupported, EventLog &log, MessageService &messages,
                 TfmModem &modem, Catalogue &catalogue, QObject *parent = nullptr);
    ~CallRecorder() override;

    // Record. Nothing when a recording runs already. False when it could not start (the
    // reason was shown and the modem brought back to idle).
    bool acRecordExecute();
    // Records a call that rang and was answered, filed as decided when it was answered (so
    // that the rule that let it be recorded is the one that files it).
    bool recordAnsweredCall(const CallFiling::Decision &decision);
    // The recording half of Stop, by the user; nothing happens unless a recording runs.
    void acStopExecute();
    // Stop for another reason (the call ended, a fault, the program ending); the reason goes
    // to the log and to the recording's details.
    void stopFor(const RecordingEnd &end);
    // The program is closing: stops with the reason set below (by default "program closed").
    void stopForClosing();
    // How a stop while closing is to be explained: a signal sets its name here first.
    void setClosingReason(const RecordingEnd &end) { m_closingEnd = end; }
    bool recording() const { return m_writer != nullptr; }

    // Where the recorder is between Record and the end of Stop. A recording holds the modem
    // from its preparation to the modem's re-arming after Stop, also while recording() is
    // already false again.
    enum class Phase
    {
        Idle,
        Preparing,
        Receiving,
        Stopping
    };
    Phase phase() const { return m_phase; }
    // The call being recorded, valid from Receiving to the end of Stopping: how it is filed
    // (its caller) and when its reception started.
    const CallFiling::Decision &filing() const { return m_filing; }
    const QDateTime &recordStart() const { return RecordStart; }

    // A "Recorded.wav" left by a recording that was cut off (a crash, a power cut, a killed
    // program) is completed, catalogued and renamed before anything can replace it.
    void recoverInterruptedRecording();

    QString RecordFileName() const;
    ModemWatchdog &watchdog() { return *m_watchdog; }

    // Developer switch: "at+fclass=12" before the voice mode command; cleared when it fails.
    bool Redirection = false;
    // How the call being recorded is filed (its caller, memo and folder), asked once its
    // reception starts with the modem's caller-ID text and the start, unless the call was
    // filed when it was answered. Unset: the caller-ID text is the memo and the recording
    // goes to the folder shown.
    std::function<CallFiling::Decision(const QString &callerText, const QDateTime &start)> fileCall;
    // Every full block of display samples, for a live trace.
    std::function<void(std::span<const std::uint8_t> samples)> onDisplayBlock;

signals:
    // Record passed its first checks: other modem dialogues must wait until it ends.
    void preparing();
    // The start failed: what preparing() held back may go on again.
    void startFailed();
    // Voice reception runs.
    void started();
    // Once a second while receiving: " hh:mm:ss" since the start.
    void elapsed(const QString &text);
    // Stop began: the trace is cleared, the animation ends.
    void stopping();
    // The recording ended and was catalogued (or, without a catalogue row, kept on disk).
    void stopped();
    // A recording's row and details were added (at Stop, or recovered at start-up).
    void catalogued(const QString &id);
    // A call ended without any sound in its file (the disk was full, nothing was received):
    // no row was added and the file is gone. facts holds its caller and end; why says, in a
    // few words, why nothing was kept.
    void notRecorded(const QDateTime &start, const RecordingFacts &facts, const QString &why);
    // phase() changed.
    void phaseChanged(CallRecorder::Phase phase);

private slots:
    void Timer2Timer();

private:
    bool PrepareRecordFile();
    bool StartReceive();
    void AbortRecording();
    bool sendTwice(const QString &command, const QString &logText, const QString &expected);
    bool failStart(const QString &message);
    void voiceData(const QByteArray &received);
    void endAfterFault(const QString &message, const RecordingEnd &end);
    bool maximumLengthReached() const;
    RecordingFacts measuredFacts(double seconds) const;
    static RecordingFacts recoveredFacts(const RecoveredWav &wav);
    void freeWriter();
    bool catalogueRecording(const QDateTime &start, int seconds, const QString &caller,
                            const QString &folderId, const RecordingFacts &facts);
    // Returns the text the user is shown.
    QString dropCallWithoutSound(const QDateTime &start, const RecordingFacts &facts);
    void recoverRenamedRecording(const CallJournal &journal);
    QString journalPath() const;
    void keepAside(const QString &path);
    void message(const QString &text);
    void setListUpdates(bool enabled);
    void enterPhase(Phase phase);
    CallFiling::Decision filingFor(const QDateTime &start);
    QString filingFolder() const;

    TIniFile &m_ini;
    const Preferences &m_prefs;
    const TModemParams &m_profile;
    const bool &m_voiceSupported;
    EventLog &m_log;
    MessageService &m_messages;
    TfmModem &m_modem;
    Catalogue &m_catalogue;
    std::unique_ptr<ModemWatchdog> m_watchdog;
    VoiceReceiver m_receiver;
    QFile m_file;
    std::unique_ptr<TdeRIFFAudioWriter> m_writer;
    QDateTime RecordStart;
    int m_ticks = 0;
    int m_refreshTicks = 0;
    QTimer m_timer2;
    bool m_stopping = false;
    bool m_modemLost = false;   // the device went away since the port was last opened
    bool m_lastCallKept = true; // the last Stop left a recording (else it told of the call)
    RecordingEnd m_closingEnd{EndReason::ProgramClosed, {}};
    int m_maxMinutes = 0;  // of the recording in progress; 0: no limit
    qint64 m_maxBytes = 0; // the same in bytes of the recording's format
    Phase m_phase = Phase::Idle;
    CallFiling::Decision m_filing;                        // of the recording in progress
    std::optional<CallFiling::Decision> m_answeredFiling; // while an answered call starts
};
