// A raw-mode pseudo-terminal driven from the test's event loop.
#include "PtyPeer.h"

#include <fcntl.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

PtyPeer::PtyPeer()
{
    m_master = posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK);
    if (m_master < 0)
        return;
    if (grantpt(m_master) != 0 || unlockpt(m_master) != 0) {
        ::close(m_master);
        m_master = -1;
        return;
    }
    m_slavePath = QString::fromLocal8Bit(ptsname(m_master));
    m_slaveKeeper = ::open(ptsname(m_master), O_RDWR | O_NOCTTY | O_NONBLOCK);
    termios tio{};
    tcgetattr(m_master, &tio);
    cfmakeraw(&tio);
    tcsetattr(m_master, TCSANOW, &tio);
    m_notifier = std::make_unique<QSocketNotifier>(m_master, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &PtyPeer::readMaster);
}

PtyPeer::~PtyPeer()
{
    hangUp();
}

void PtyPeer::hangUp()
{
    m_notifier.reset();
    if (m_master >= 0)
        ::close(m_master);
    if (m_slaveKeeper >= 0)
        ::close(m_slaveKeeper);
    m_master = -1;
    m_slaveKeeper = -1;
}

void PtyPeer::send(const QByteArray &bytes)
{
    qsizetype done = 0;
    while (m_master >= 0 && done < bytes.size()) {
        const ssize_t n = ::write(m_master, bytes.constData() + done, bytes.size() - done);
        if (n <= 0)
            break;
        done += n;
    }
}

void PtyPeer::readMaster()
{
    char buffer[512];
    while (m_master >= 0) {
        const ssize_t n = ::read(m_master, buffer, sizeof buffer);
        if (n <= 0)
            break;
        const QByteArray data(buffer, n);
        received += data;
        m_pending += data;
        qsizetype end;
        while ((end = m_pending.indexOf('\r')) >= 0) {
            QByteArray command = m_pending.left(end);
            m_pending.remove(0, end + 1);
            if (command.startsWith('\n'))
                command.remove(0, 1);
            commands.append(command);
            if (onCommand)
                onCommand(command);
        }
    }
}

void answerLikeModem(PtyPeer &peer, std::vector<ScriptedAnswer> answers)
{
    peer.onCommand = [&peer, answers = std::move(answers)](const QByteArray &command) {
        for (const ScriptedAnswer &answer : answers) {
            if (command.toLower().startsWith(answer.commandPrefix.toLower())) {
                if (!answer.reply.isEmpty())
                    peer.send(answer.reply);
                return;
            }
        }
        peer.send("\r\nOK\r\n");
    };
}
