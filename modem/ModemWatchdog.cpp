#include "ModemWatchdog.h"

#include "TfmModem.h"

#include "config/PortMap.h"
#include "support/EventLog.h"
#include "support/Waits.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <exception>

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
    connect(&m_modem, &TfmModem::modemStateChanged, this, [this](bool open) {
        if (open)
            rememberLink();
    });
}

void ModemWatchdog::followLinksIn(TIniFile *ini, const QString &byIdDir)
{
    m_ini = ini;
    m_byIdDir = byIdDir;
    m_linkName.clear();
    if (m_modem.PortOpen())
        rememberLink();
}

void ModemWatchdog::rememberLink()
{
    if (!m_ini || m_byIdDir.isEmpty())
        return;
    const QString device =
        QFileInfo(PortMap::devicePath(*m_ini, m_modem.portNumber())).canonicalFilePath();
    if (device.isEmpty())
        return;
    const QDir dir(m_byIdDir);
    for (const QFileInfo &link : dir.entryInfoList(QDir::System | QDir::Files)) {
        if (link.isSymLink() && link.canonicalFilePath() == device) {
            m_linkName = link.fileName();
            return;
        }
    }
}

// The modem is not where it was; its link may lead to its new device name.
void ModemWatchdog::followLink(int port)
{
    if (!m_ini || m_linkName.isEmpty())
        return;
    // The link names this modem, whatever device name it has now (the old one may be taken
    // by another device).
    const QString current = PortMap::devicePath(*m_ini, port);
    const QString target = QFileInfo(QDir(m_byIdDir).filePath(m_linkName)).canonicalFilePath();
    if (target.isEmpty() || target == QFileInfo(current).canonicalFilePath())
        return;
    try {
        PortMap::setDevice(*m_ini, port, target);
        m_log.appendLine(QStringLiteral("The modem %1 is now %2").arg(m_linkName, target));
    } catch (const std::exception &) {
        // The old device name stays; the next try looks again.
    }
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
        // A RING arriving meanwhile is handled as usual; the check is simply tried again.
        const bool answered =
            m_modem.checkAlive() || (m_modem.RingCount() == 0 && m_modem.checkAlive());
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
    followLink(port);
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
