// Starting the virtual modem from a test.
#include "VmodemProcess.h"

#include "support/Waits.h"

#include <QDir>

VmodemProcess::~VmodemProcess()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(5000))
            m_process.kill();
        m_process.waitForFinished(5000);
    }
}

bool VmodemProcess::start(const QStringList &args)
{
    m_process.start(QDir(qEnvironmentVariable("CALVORA_BIN_DIR")).filePath("calvora-vmodem"), args);
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

QString VmodemProcess::log()
{
    m_log += QString::fromLocal8Bit(m_process.readAllStandardError());
    return m_log;
}
