// The modem link: the one object that talks to the modem. It owns the serial port, runs the
// AT command dialogue (one command at a time, one pending reply), brings the modem to idle,
// and turns RING and caller-ID lines into call events. Never shown; windows follow its signals.
#pragma once

#include "SerialPort.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <optional>

class EventLog;
class MessageService;
class TIniFile;
struct Preferences;
struct TModemParams;

// Results of the sending operations.
enum class AtResult
{
    Ok = 0,         // the expected reply arrived
    NoRoom = 1,     // the output buffer lacked room; nothing was sent
    TimeOut = 2,    // no final reply within the command time-out (or no port)
    Error = 3,      // the modem answered ERROR
    Unexpected = 4, // another final reply (CONNECT where OK was expected)
};

class TfmModem final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmModem)

public:
    // Ring span used until one has been learnt, in milliseconds.
    static constexpr int DefaultRingSpanMs = 10233;
    // RINGs and a caller ID this close to a call's last RING or caller ID belong to that call:
    // real cadences put at most 6 s between RING lines, and a busy machine may read one late.
    static constexpr int DefaultCallGapMs = 8000;

    // Without a port, a QtSerialPort on ini's [Ports] map is used. The collaborators must
    // outlive this object; preferences and profile are read at the moment of use.
    TfmModem(TIniFile &ini, const Preferences &prefs, const TModemParams &profile, EventLog &log,
             MessageService &messages, std::unique_ptr<SerialPort> port = {},
             QObject *parent = nullptr);
    ~TfmModem() override;

    // --- Port and AT dialogue ---
    // Opens COM port (1..16) with the preferences' baud rate and flow control; with
    // initialise, runs InitModem afterwards. True when the port is open (also when it already
    // was; then nothing else happens).
    bool OpenModemPort(int port, bool initialise);
    // "Error during opening com port " + port, the message of a failed OpenModemPort; when the
    // system refused the device to this user, a second line says how to get access.
    QString openErrorMessage(int port) const;
    // The same after prefix, for the messages that word the failure otherwise.
    QString openErrorMessage(const QString &prefix) const;
    // The device the last opening (OpenModemPort, TryComPort) was refused for lack of
    // permission; empty when it was not refused so.
    const QString &deniedDevice() const { return m_deniedDevice; }
    // Closes the port when open and leaves voice receive mode. False when closing failed.
    bool CloseModemPort();
    // Sends command + CR and waits for the final reply, at most the preferences' Timeout
    // seconds (scaled by Waits' time scale). On Ok, reply is the text before
    // "OK"; on TimeOut "time out", on Error "error", on Unexpected "connect"; unchanged on
    // NoRoom. Writes no log lines.
    AtResult SendCommand(const QString &command, QString &reply);
    // Like SendCommand; logs logText after writing, then the outcome: expected (in the
    // caller's spelling) on success, "error", "time out", or the reply kind received.
    // Success when the reply kind equals expected without regard to case.
    AtResult SendCommandExpect(const QString &command, const QString &logText,
                               const QString &expected);
    // Whether the modem still answers "at" with OK. Unlike a command, it drops nothing that
    // came in: a RING or caller ID arriving with the answer is handled as if alone.
    bool checkAlive();
    // Leaves voice reception: the modem is told to stop sending (<DLE>!) while the port is
    // open, and received bytes go to the dialogue again.
    void endVoiceReceive();
    // Writes command + CR without waiting and logs logText; false (nothing written or
    // logged) when the output buffer lacks room or the port is closed.
    bool SendCommandNoWait(const QString &command, const QString &logText);

    // Port scanning on another port object (modem discovery). TryComPort reopens port on
    // number with half-second settling waits; false when it cannot be opened (errors other
    // than a missing port or an I/O failure are shown). ProbeComPort reopens likewise, sends
    // "AT", and is true when "OK" (any case) arrives within about two seconds; an error while
    // opening is thrown (SerialError).
    bool TryComPort(SerialPort &port, int portNumber);
    bool ProbeComPort(SerialPort &port, int portNumber);

    // --- Modem control and call events ---
    // Resets and initialises the modem; every step runs whatever the earlier results.
    void InitModem();
    void EnableAutoRecord();
    void DisableAutoRecord();
    // EnableAutoRecord when automatic recording is on in the preferences, else Disable.
    void rearmAutoRecord();
    // One RING (called by the receive dispatcher).
    void HandleRing();
    // The user's commands to switch the modem on and off.
    void modemOn();
    void modemOff();

    // --- State read (and partly set) by the rest of the program ---
    bool PortOpen() const { return m_portOpen; }
    int portNumber() const { return m_portNumber; }
    bool ReplyReady() const { return m_replyReady; }
    // A command waits for its reply (the one pending-reply slot is taken).
    bool commandPending() const { return m_tmCmdTimeout.isActive(); }
    const QString &ReplyKind() const { return m_replyKind; }
    const QString &ReplyText() const { return m_replyText; }
    // Voice mode: received bytes go out through voiceData() instead of the dialogue.
    bool Receiving() const { return m_receiving; }
    void setReceiving(bool receiving) { m_receiving = receiving; }
    bool AutoRecordArmed() const { return m_autoRecordArmed; }
    int RingCount() const { return m_ringCount; }
    bool CallRejected() const { return m_callRejected; }
    bool RingSpanKnown() const { return m_ringSpanKnown; }
    int RingSpanMs() const { return m_ringSpanMs; }
    int RingTicks() const { return m_ringTicks; }
    // Set when ringing ended without a rejection (the handset was lifted): the idle handler
    // starts an automatic recording when automatic recording is on, and clears it.
    bool StartRecordRequest() const { return m_startRecordRequest; }
    void setStartRecordRequest(bool request) { m_startRecordRequest = request; }
    // The recording in progress was started by the ring logic.
    bool AutoCall() const { return m_autoCall; }
    void setAutoCall(bool autoCall) { m_autoCall = autoCall; }
    // The caller-ID value of the call ringing or answered last, cleaned and bounded; empty
    // when that call brought none (a caller ID names its own call only).
    const QString &CallerText() const { return m_callerText; }
    // Names the caller of a caller-ID number in the log line of the call ("Anne Smith",
    // "Withheld"); an empty name leaves the line as it is. Without one the line names nobody.
    void setCallerNamer(std::function<QString(const QString &number)> namer);
    // The call the last RING or caller ID belonged to: 1 for the first call seen, then one
    // more for each call. A call lasts from its first RING or caller ID while further ones
    // follow within the call gap, also after its ringing ended once (a ring span shorter than
    // the line's cadence); a second caller ID, or one after the ringing ended, starts a new one.
    quint64 callNumber() const { return m_callNumber; }
    // For a line that rings faster than real time (the virtual modem run faster in tests).
    void setCallGapMs(int ms) { m_callGapMs = ms; }
    // Stops the 100 ms ring-measuring timer (voice reception does this at every batch).
    void stopRingMeasure() { m_timer1.stop(); }

    SerialPort &ComPort1() { return *m_port; }

signals:
    // The port opened (true) or closed (false).
    void modemStateChanged(bool on);
    // ModemOn could not open the port; the user has been told.
    void portOpenFailed();
    // A caller-ID line arrived: show the caller-ID window with text.
    void callerIdShown(const QString &text);
    // Ringing ended or the call was rejected: hide the caller-ID window.
    void callerIdHidden();
    // StartRecordRequest was just set.
    void startRecordRequested();
    // A batch of voice data while Receiving.
    void voiceData(const QByteArray &bytes);
    // The device vanished while the port was open; the port is closed.
    void deviceLost(const QString &reason);
    // The user switched the modem off and the port is closed.
    void switchedOff();

private slots:
    // Serial port notifications and timers.
    void ComPort1PortOpen();
    void ComPort1PortClose();
    void ComPort1TriggerAvail(int count);
    void portDeviceLost(const QString &reason);
    void tmCmdTimeoutTimer();
    void tmRingSpanTimer();
    void timer1Timer();

private:
    // Sends and waits; returns the classified reply kind ("ok", "error", "connect",
    // "time out") or no value when nothing was sent for lack of room.
    std::optional<QString> sendAndWait(const QString &command, const QString *logText,
                                       bool discardInput = true);
    void handleUnsolicited();
    // A RING or caller ID arrived: it continues the call on the line or begins a new one.
    void followCall(bool callerId);
    // "Caller ID detected", followed by the caller's name when the namer knows one.
    QString callerIdLogLine(const QString &number) const;
    void learnRingSpan();
    void log(const QString &line);
    void addUserLogLine(const QString &line);
    QString portText() const;

    TIniFile &m_ini;
    const Preferences &m_prefs;
    const TModemParams &m_profile;
    EventLog &m_log;
    MessageService &m_messages;
    std::unique_ptr<SerialPort> m_port;

    QTimer m_tmCmdTimeout;
    QTimer m_tmRingSpan;
    QTimer m_timer1;
    QElapsedTimer m_ringClock;

    int m_portNumber = 0;
    bool m_portOpen = false;
    QString m_deniedDevice;
    bool m_replyReady = false;
    QString m_replyKind;
    QString m_replyText;
    bool m_receiving = false;

    bool m_autoRecordArmed = false;
    int m_ringCount = 0;
    bool m_callRejected = false;
    bool m_ringSpanKnown = false;
    int m_ringSpanMs = DefaultRingSpanMs;
    int m_ringTicks = 0;
    bool m_startRecordRequest = false;
    bool m_autoCall = false;
    QString m_callerText;
    // The call on the line (see callNumber()).
    quint64 m_callNumber = 0;
    int m_callGapMs = DefaultCallGapMs;
    QElapsedTimer m_callClock; // since its last RING or caller ID
    bool m_callRingingEnded = false;
    bool m_callHadCallerId = false;
    bool m_callWasRejected = false; // its RINGs stay rejected after the span ended once
    std::function<QString(const QString &)> m_callerNamer;
};
