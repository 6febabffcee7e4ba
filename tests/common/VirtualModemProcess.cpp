// Starting and steering the virtual modem from a test.
#include "VirtualModemProcess.h"

#include "support/Waits.h"

#include <QDir>

VirtualModemProcess::~VirtualModemProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

QString VirtualModemProcess::program()
{
    return QDir(qEnvironmentVariable("CALVORA_BIN_DIR")).filePath("calvora-vmodem");
}

bool VirtualModemProcess::start(const QStringList &args)
{
    m_process.start(program(), args);
    if (!m_process.waitForStarted(10000))
        return false;
    Waits::waitUntil(
        [this] { return m_process.canReadLine() || m_process.state() == QProcess::NotRunning; },
        20000);
    if (!m_process.canReadLine())
        return false;
    m_path = QString::fromLocal8Bit(m_process.readLine()).trimmed();
    return !m_path.isEmpty();
}

void VirtualModemProcess::step(const QString &line)
{
    m_process.write(line.toUtf8() + '\n');
}

QString VirtualModemProcess::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_log;
}

bool VirtualModemProcess::waitForExit(int ms)
{
    return Waits::waitUntil([this] { return m_process.state() == QProcess::NotRunning; }, ms);
}
