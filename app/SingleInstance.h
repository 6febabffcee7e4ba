// One running program per user and data directory. A second start asks the first to show
// its window and then ends.
#pragma once

#include <QObject>

class QLocalServer;

class SingleInstance final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SingleInstance)

public:
    explicit SingleInstance(const QString &dataDir, QObject *parent = nullptr);

    // True when another instance runs and was asked to show itself.
    bool notifyRunningInstance();
    // Starts answering later starts; false when the name cannot be taken.
    bool listen();

    const QString &serverName() const { return m_name; }

signals:
    void showRequested();

private:
    QString m_name;
    QLocalServer *m_server = nullptr;
};
