// Starting and ending the demo's virtual modem.
#include "DemoModem.h"

#include "config/PortMap.h"

#include "config/TIniFile.h"
#include "support/SharedFiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

QString DemoModem::defaultDataDir()
{
    QString base = qEnvironmentVariable("XDG_DATA_HOME");
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return QDir(base).absoluteFilePath(QStringLiteral("calvora-demo"));
}

DemoModem::~DemoModem()
{
    if (m_process.state() != QProcess::NotRunning) {
        m_process.terminate();
        if (!m_process.waitForFinished(3000))
            m_process.kill();
    }
}

bool DemoModem::start(const QString &dataDir, QString &error)
{
    const QString bin = QCoreApplication::applicationDirPath();
    // The scenario names its voice sample relative to the shared files' folder.
    const QString shared = SharedFiles::dir();
    m_dataDir = dataDir;
    m_link = QDir(dataDir).absoluteFilePath(QStringLiteral("ttyVMODEM"));
    QDir().mkpath(dataDir);
    m_process.setWorkingDirectory(shared);
    m_process.setProcessChannelMode(QProcess::SeparateChannels);
    m_process.setStandardErrorFile(QDir(dataDir).absoluteFilePath(QStringLiteral("vmodem.log")));
    QStringList args = {
        QStringLiteral("--profile"),  QStringLiteral("voice"),
        QStringLiteral("--scenario"), shared + QStringLiteral("/vmodem-scenarios/demo.scenario"),
        QStringLiteral("--link"),     m_link};
    const QString speed = qEnvironmentVariable(SpeedVariable);
    if (!speed.isEmpty())
        args << QStringLiteral("--speed") << speed << QStringLiteral("--pace") << speed;
    m_process.start(bin + QStringLiteral("/calvora-vmodem"), args);
    if (!m_process.waitForStarted(10000)) {
        error = QStringLiteral("Unable to start the virtual modem: ") + m_process.errorString();
        return false;
    }
    if (!m_process.waitForReadyRead(10000) || !m_process.canReadLine()) {
        error = QStringLiteral("The virtual modem did not start");
        return false;
    }
    m_process.readLine(); // the pseudo-terminal's path; the link leads to it
    return true;
}

void DemoModem::writePorts(TIniFile &ini) const
{
    PortMap::setDevice(ini, 1, m_link);
    for (int port = 2; port <= 8; ++port) {
        PortMap::setDevice(
            ini, port, QDir(m_dataDir).absoluteFilePath(QStringLiteral("no-modem-%1").arg(port)));
    }
}
