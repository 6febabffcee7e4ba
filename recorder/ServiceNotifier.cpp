#include "ServiceNotifier.h"

#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "recording/RecorderSession.h"

#include <systemd/sd-daemon.h>

#include <cstdint>

ServiceNotifier::ServiceNotifier(RecorderSession &session, QObject *parent)
    : QObject(parent), m_session(session)
{
    if (qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
        return;
    connect(&session.modem(), &TfmModem::modemStateChanged, this, &ServiceNotifier::updateStatus);
    connect(&session.recorder(), &CallRecorder::phaseChanged, this, &ServiceNotifier::updateStatus);
    connect(&session.recorder(), &CallRecorder::started, this, [this] {
        m_lastCall = QDateTime::currentDateTime();
        updateStatus();
    });
    // Beating twice per period leaves room for a busy moment without a restart; the beat comes
    // from the event loop, so a loop that hangs stops it.
    std::uint64_t usec = 0;
    if (sd_watchdog_enabled(0, &usec) > 0 && usec > 0) {
        m_watchdog.setInterval(int(qBound<std::uint64_t>(1, usec / 2000, 3600 * 1000)));
        connect(&m_watchdog, &QTimer::timeout, this, [this] { send("WATCHDOG=1"); });
        m_watchdog.start();
    }
}

void ServiceNotifier::ready()
{
    if (m_ready || qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
        return;
    m_ready = true;
    m_sentStatus = statusText();
    send("READY=1\nSTATUS=" + m_sentStatus.toUtf8());
}

void ServiceNotifier::stopping()
{
    if (qEnvironmentVariableIsEmpty("NOTIFY_SOCKET"))
        return;
    m_watchdog.stop();
    send("STOPPING=1\nSTATUS=Ending");
}

QString ServiceNotifier::statusText() const
{
    const CallRecorder &recorder = m_session.recorder();
    const CallRecorder::Phase phase = recorder.phase();
    QString text;
    if (phase == CallRecorder::Phase::Receiving || phase == CallRecorder::Phase::Stopping) {
        const CallFiling::Decision &call = recorder.filing();
        text = call.number.isEmpty()
                   ? QStringLiteral("Recording a call")
                   : QStringLiteral("Recording the call of %1").arg(call.callerText());
    } else if (m_session.modem().PortOpen() || phase != CallRecorder::Phase::Idle) {
        // A recording holds the modem from its preparation until it is armed again, also while
        // the port is closed and opened again around the stop.
        text = QStringLiteral("Modem on, waiting for calls");
    } else {
        text = QStringLiteral("Modem off");
    }
    if (m_lastCall.isValid())
        text += QStringLiteral("; last call %1").arg(m_lastCall.toString(Qt::ISODate));
    // The caller's name comes from the line: a line break in it would start another of the
    // assignments systemd reads.
    for (QChar &c : text)
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            c = u' ';
    return text;
}

void ServiceNotifier::updateStatus()
{
    const QString text = statusText();
    if (!m_ready || text == m_sentStatus)
        return;
    m_sentStatus = text;
    send("STATUS=" + text.toUtf8());
}

void ServiceNotifier::send(const QByteArray &state)
{
    sd_notify(0, state.constData());
}
