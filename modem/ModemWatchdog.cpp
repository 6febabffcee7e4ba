#include "ModemWatchdog.h"

#include "TfmModem.h"

#include "support/EventLog.h"
#include "support/Waits.h"

#include <algorithm>

ModemWatchdog::ModemWatchdog(TfmModem &modem, std::function<int()> portNumber, EventLog &log,
                             QObject *parent)
    : QObject(parent), m_modem(modem), m_portNumber(std::move(portNumber)), m_log(log)
{
    m_retry.setSingleShot(true);
    connect(&m_retry, &QTimer::timeout, this, &ModemWatchdog::tryReopen);
    // The user switched the modem off: it stays off.
    connect(&m_modem, &TfmModem::switchedOff, this, &ModemWatchdog::stop);
    m_check.setSingleShot(true);
    connect(&m_check, &QTimer::timeout, this, &ModemWatchdog::checkModem);
}

void ModemWatchdog::startChecks()
{
    armCheck();
}

void ModemWatchdog::armCheck()
{
    const int seconds = checkSeconds ? checkSeconds() : 0;
    if (seconds > 0)
        m_check.start(Waits::scaledMs(seconds * 1000));
}

void ModemWatchdog::checkModem()
{
    // Only an idle modem is checked: not while it rings, records, or is away or off.
    const bool idle = m_modem.PortOpen() && !m_modem.Receiving() && !m_modem.commandPending() &&
                      m_modem.RingCount() == 0 && !m_modem.StartRecordRequest() &&
                      !m_retry.isActive() && !(busy && busy());
    if (idle) {
        QString reply;
        // A RING arriving meanwhile is handled as usual; the check is simply tried again.
        const bool answered = m_modem.SendCommand(QStringLiteral("at"), reply) == AtResult::Ok ||
                              m_modem.SendCommand(QStringLiteral("at"), reply) == AtResult::Ok;
        if (!answered && m_modem.PortOpen() && m_modem.RingCount() == 0 && !m_modem.Receiving()) {
            m_log.appendLine(QStringLiteral("The modem does not answer; reopening com port %1")
                                 .arg(m_modem.portNumber()));
            m_modem.CloseModemPort();
            reopenSoon();
        }
    }
    armCheck();
}

void ModemWatchdog::reopenSoon()
{
    if (m_retry.isActive() || m_modem.PortOpen())
        return;
    m_pauseMs = FirstPauseMs;
    m_tries = 0;
    m_retry.start(Waits::scaledMs(m_pauseMs));
}

void ModemWatchdog::stop()
{
    m_retry.stop();
}

void ModemWatchdog::tryReopen()
{
    if (m_modem.PortOpen())
        return;
    if (busy && busy()) {
        m_retry.start(Waits::scaledMs(m_pauseMs));
        return;
    }
    const int port = m_portNumber();
    ++m_tries;
    if (m_modem.OpenModemPort(port, true)) {
        m_modem.rearmAutoRecord();
        m_log.appendLine(QStringLiteral("Modem back on com port %1").arg(port));
        emit reopened();
        return;
    }
    // The first failure is logged; later ones only when the pause grows, so that a modem that
    // stays away for days does not fill the log.
    if (m_pauseMs < LongestPauseMs)
        m_log.appendLine(QStringLiteral("Com port %1 not back yet; next try in %2 s")
                             .arg(port)
                             .arg(std::min(m_pauseMs * 2, LongestPauseMs) / 1000));
    m_pauseMs = std::min(m_pauseMs * 2, LongestPauseMs);
    // A wait inside the open may have started tries of its own meanwhile.
    if (!m_retry.isActive() && !m_modem.PortOpen())
        m_retry.start(Waits::scaledMs(m_pauseMs));
}
