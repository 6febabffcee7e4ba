// The saves made while the program closes. Each is tried on its own, so that a file that
// cannot be written costs only what goes into it, and what could not be saved is told to the
// user once, in one message naming it and the reason.
#pragma once

#include <QList>
#include <QString>
#include <functional>

class ClosingSaves final
{
public:
    static inline const QString EventLogItem = QStringLiteral("The event log");

    // Runs save. Whatever it raises is kept as the reason why `what` (for example "The event
    // log") was not saved; only the first reason for the same `what` is kept. Raises nothing.
    void attempt(const QString &what, const std::function<void()> &save);

    bool allSaved() const { return m_failures.isEmpty(); }
    // The message for the user; empty when everything was saved.
    QString report() const;

private:
    struct Failure
    {
        QString what;
        QString why;
    };
    QList<Failure> m_failures;
};
