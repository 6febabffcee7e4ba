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

    // "SIGTERM", "SIGINT".
    static QString signalName(int signalNumber);

signals:
    // count is 1 for the first signal, 2 for the second, and so on; signalNumber is the
    // signal that came (SIGTERM or SIGINT).
    void terminationRequested(int count, int signalNumber);

private:
    QSocketNotifier *m_notifier = nullptr;
    int m_count = 0;
};
