// The far end of a pseudo-terminal for modem tests: the code under test opens the slave
// path as its serial port; the test reads the commands and answers on the master side.
#pragma once

#include <QByteArray>
#include <QObject>
#include <QSocketNotifier>
#include <QString>
#include <functional>
#include <memory>

class PtyPeer final : public QObject
{
    Q_OBJECT

public:
    PtyPeer();
    ~PtyPeer() override;

    bool isValid() const { return m_master >= 0; }
    // The path to open as the serial device.
    const QString &slavePath() const { return m_slavePath; }

    // Called with each command line the host sent, without its carriage return.
    std::function<void(const QByteArray &command)> onCommand;
    // Everything the host sent so far.
    QByteArray received;
    QList<QByteArray> commands;

    // Sends bytes to the host.
    void send(const QByteArray &bytes);
    // Closes the master side: for the host the device vanishes.
    void hangUp();

private:
    void readMaster();

    int m_master = -1;
    int m_slaveKeeper = -1; // keeps the terminal alive while the host has it closed
    QString m_slavePath;
    std::unique_ptr<QSocketNotifier> m_notifier;
    QByteArray m_pending;
};

// A peer that answers like a simple modem: "OK" to every command unless answers names
// another reply for a command (matched by prefix, without regard to case).
struct ScriptedAnswer
{
    QByteArray commandPrefix;
    QByteArray reply; // sent as is; empty sends nothing
};
void answerLikeModem(PtyPeer &peer, std::vector<ScriptedAnswer> answers);
