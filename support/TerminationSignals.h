// SIGTERM and SIGINT (the desktop session ending, Ctrl+C in a terminal) as a Qt signal, so
// that they end the program like the system's log-off query does.
#pragma once

#include <QObject>

class QSocketNotifier;

class TerminationSignals final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TerminationSignals)

public:
    explicit TerminationSignals(QObject *parent = nullptr);
    ~TerminationSignals() override;

signals:
    // count is 1 for the first signal, 2 for the second, and so on.
    void terminationRequested(int count);

private:
    QSocketNotifier *m_notifier = nullptr;
    int m_count = 0;
};
