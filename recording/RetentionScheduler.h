// When the retention rules run, in both programs: after each recording and once a day (also
// across restarts), never while a recording runs. Before a rule removes anything for the first
// time the user is asked (the window shows what would go); a program nobody watches removes
// nothing until the user has agreed, and says so in its log.
#pragma once

#include "catalogue/RetentionPass.h"

#include <QDateTime>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

class CallRecorder;
class Catalogue;
class EventLog;
class MessageService;
class TIniFile;

class RetentionScheduler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(RetentionScheduler)

public:
    // How often the day is looked at.
    static constexpr int CheckMs = 60 * 60 * 1000;

    RetentionScheduler(TIniFile &ini, Catalogue &catalogue, MessageService &messages, EventLog &log,
                       CallRecorder &recorder, QObject *parent = nullptr);

    // Defaults: the file system's free space, the local clock.
    RetentionPass::FreeSpace freeSpace;
    std::function<QDateTime()> clock;
    // Shows what the pass would remove and asks; true to go ahead. Unset: nothing is removed by
    // a rule the user has not agreed to yet.
    std::function<bool(RetentionPass &pass)> askFirstTime;
    // While it says so (the window plays a recording) no pass runs; the hourly look at the day
    // tries again.
    std::function<bool()> busy;

    // Runs after each recording from now on, and looks at the day now and every hour.
    void start();
    // The pass of the day, unless today's ran already.
    void checkDay();
    // One pass now (nothing while a recording runs). Returns the recordings removed.
    int runNow();
    // The user asked for the clean-up ("Preview clean-up"): what the rules would remove is
    // shown by ask, and removed when it answers yes, which also counts as agreeing to the rules
    // that remove it. Returns the recordings removed.
    int runAsked(const std::function<bool(RetentionPass &pass)> &ask);
    // The rules were changed: a clean-up the user declined is offered again.
    void rulesChanged();

signals:
    // Recordings were removed (the list may have lost rows).
    void removed(int count);

private:
    void log(const QString &line);
    // A pass; ask decides before anything goes (always, or only before a rule's first removal).
    int run(const std::function<bool(RetentionPass &pass)> &ask, bool askAlways);
    int remove(RetentionPass &pass);

    TIniFile &m_ini;
    Catalogue &m_catalogue;
    MessageService &m_messages;
    EventLog &m_log;
    CallRecorder &m_recorder;
    QTimer m_dayTimer;
    bool m_declined = false;    // the user said no to the first clean-up of this run
    bool m_toldToAgree = false; // the log said once that the rules wait for an agreement
    QStringList m_shortfalls;   // last said, so that each pass does not repeat them
};
