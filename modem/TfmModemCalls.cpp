// Modem control and call events of the modem link: initialisation, arming, RING and
// caller-ID lines, the ring span and the Modem On/Off commands.
#include "TfmModem.h"

#include "ModemReply.h"

#include "config/ModemState.h"
#include "config/Preferences.h"
#include "config/TIniFile.h"
#include "config/TModemParams.h"
#include "support/EventLog.h"
#include "support/MessageService.h"

#include <cmath>

namespace {

// A second RING sooner than this after the first is a repeat, not the next ring of the
// cadence (real cadences put seconds between RING lines); it is not learnt from.
constexpr qint64 MinRingGapMs = 300;
// A stored ring span outside this range cannot come from a telephone line.
constexpr int MinStoredSpanMs = 100;
constexpr int MaxStoredSpanMs = 60000;

bool sendable(const QString &command)
{
    return !command.trimmed().isEmpty() && TModemParams::isSupported(command);
}
} // namespace

void TfmModem::learnRingSpan()
{
    const std::optional<int> stored = ModemState::ringSpanMs(m_ini, DefaultRingSpanMs);
    m_ringSpanKnown = stored.has_value();
    if (!m_ringSpanKnown)
        return;
    const int value = *stored;
    m_ringSpanMs = value >= MinStoredSpanMs && value <= MaxStoredSpanMs ? value : DefaultRingSpanMs;
}

void TfmModem::InitModem()
{
    const QString ok = QStringLiteral("ok");
    SendCommandExpect(QStringLiteral("atz"), QStringLiteral("Modem Reset.."), ok);
    SendCommandExpect(QStringLiteral("atE0"), QStringLiteral("echo off.."), ok);
    SendCommandExpect(QStringLiteral("ath0"), QStringLiteral("Modem on hook.."), ok);
    SendCommandExpect(QStringLiteral("ats0=0"), QStringLiteral("Setting autoanswer off.."), ok);
    if (m_prefs.CallerID) {
        if (sendable(m_profile.ForCallerId)) {
            SendCommandExpect(m_profile.ForCallerId, QStringLiteral("Enable caller ID.."), ok);
            m_callerText.clear();
        }
    } else if (sendable(m_profile.DisCallerId)) {
        SendCommandExpect(m_profile.DisCallerId, QStringLiteral("Disable caller ID.."), ok);
    }
}

void TfmModem::EnableAutoRecord()
{
    m_startRecordRequest = false;
    m_ringCount = 0;
    m_replyText.clear();
    m_autoRecordArmed = true;
    log(QStringLiteral("Enabling autoRecord mode"));
}

void TfmModem::DisableAutoRecord()
{
    m_replyText.clear();
    m_autoRecordArmed = false;
    // RING lines are no longer acted on, so a span still running must not request a
    // recording (it would start one beside a recording the user started by hand).
    m_tmRingSpan.stop();
    log(QStringLiteral("Disabling autoRecord mode"));
}

void TfmModem::rearmAutoRecord()
{
    if (m_prefs.AutoRecord)
        EnableAutoRecord();
    else
        DisableAutoRecord();
}

void TfmModem::setCallerNamer(std::function<QString(const QString &number)> namer)
{
    m_callerNamer = std::move(namer);
}

QString TfmModem::callerIdLogLine(const QString &number) const
{
    const QString line = QStringLiteral("Caller ID detected");
    const QString name = m_callerNamer ? m_callerNamer(number) : QString();
    // The name comes from the user's contacts: one line, bounded like the caller text.
    return name.isEmpty() ? line : line + QStringLiteral(": ") + ModemReply::cleanCallerText(name);
}

void TfmModem::followCall(bool callerId)
{
    const bool lineWasQuiet = !m_callClock.isValid() || m_callClock.elapsed() > m_callGapMs;
    // A call brings its caller ID once, before its ringing ends.
    const bool anotherCallerId = callerId && (m_callRingingEnded || m_callHadCallerId);
    if (m_callNumber == 0 || lineWasQuiet || anotherCallerId) {
        ++m_callNumber;
        // A call without caller ID must not take the one of the call before.
        m_callerText.clear();
        m_callRingingEnded = false;
        m_callHadCallerId = false;
        m_callWasRejected = false;
    }
    m_callClock.start();
}

void TfmModem::handleUnsolicited()
{
    if (m_prefs.CallerID) {
        const ModemReply::CallerIdLine id = ModemReply::findCallerId(m_replyText);
        if (id.found) {
            // Some lines send the caller ID before the first RING.
            followCall(true);
            m_callHadCallerId = true;
            m_callerText = id.value;
            // Lines after the caller-ID line (a RING) are still looked at below.
            m_replyText.remove(0, id.end);
            log(id.isError ? id.value : callerIdLogLine(id.value));
            emit callerIdShown(id.value);
        }
    }
    if (m_autoRecordArmed && ModemReply::hasRing(m_replyText)) {
        followCall(false);
        HandleRing();
        m_replyText.clear();
    }
}

void TfmModem::HandleRing()
{
    ++m_ringCount;
    m_tmRingSpan.stop();
    if (m_callWasRejected) {
        // Rung on after its ringing seemed to end: the call stays rejected.
        m_callRejected = true;
    } else if (m_prefs.RejectCall && m_ringCount == m_prefs.RejectRings) {
        emit callerIdHidden();
        log(QStringLiteral("Call recording rejected..."));
        m_callRejected = true;
        m_callWasRejected = true;
    }

    int interval = DefaultRingSpanMs;
    if (m_ringSpanKnown) {
        interval = m_ringSpanMs;
    } else if (!m_timer1.isActive()) {
        // First RING of the call the span is learnt from.
        m_timer1.start();
        m_ringClock.start();
        m_ringTicks = 0;
    } else {
        const qint64 gapMs = m_ringClock.elapsed();
        if (gapMs > DefaultRingSpanMs) {
            // The measuring call was answered without reception stopping the measurement
            // (a failed recording start): this RING starts a new measurement.
            m_timer1.start();
            m_ringClock.start();
            m_ringTicks = 0;
        } else if (gapMs >= MinRingGapMs) {
            m_timer1.stop();
            m_ringTicks = static_cast<int>(gapMs / 100);
            m_ringSpanKnown = true;
            m_ringSpanMs = static_cast<int>(std::nearbyint(m_ringTicks * 100 * 1.3));
            try {
                ModemState::setRingSpanMs(m_ini, m_ringSpanMs);
            } catch (const IniWriteError &) {
                // The span is still used for this run; it is learnt again next time.
            }
            interval = m_ringSpanMs;
        }
    }
    m_tmRingSpan.start(interval);
    log(QStringLiteral("ring"));
}

void TfmModem::timer1Timer()
{
    // Ticks are counted from a clock: a busy event loop drops timer ticks, which would
    // make the learnt span too short.
    m_ringTicks = static_cast<int>(m_ringClock.elapsed() / 100);
}

void TfmModem::tmRingSpanTimer()
{
    emit callerIdHidden();
    m_tmRingSpan.stop();
    m_callRingingEnded = true;
    if (m_callRejected) {
        m_callRejected = false;
        log(QStringLiteral("Calling party hung up"));
        EnableAutoRecord();
        return;
    }
    m_startRecordRequest = true;
    m_autoCall = true;
    emit startRecordRequested();
}

void TfmModem::addUserLogLine(const QString &line)
{
    try {
        m_log.AddLogLine(line);
    } catch (const FileCreateError &e) {
        // The line stays in memory; the user learns that the log file cannot be written.
        m_messages.showMessage(QString::fromStdString(e.what()), MessageService::Kind::Error);
    }
}

void TfmModem::modemOn()
{
    addUserLogLine(QStringLiteral("-- Modem on clicked"));
    if (m_portOpen)
        return;
    const int port = m_profile.port;
    if (OpenModemPort(port, true)) {
        rearmAutoRecord();
        return;
    }
    m_messages.showMessage(openErrorMessage(port), MessageService::Kind::Error);
    emit portOpenFailed();
}

void TfmModem::modemOff()
{
    addUserLogLine(QStringLiteral("-- Modem off clicked"));
    if (!CloseModemPort())
        return;
    // With the modem off no ringing can be followed any further.
    m_tmRingSpan.stop();
    m_callRejected = false;
    emit switchedOff();
}
