// Retention's schedule and its first-time agreement.
#include "RetentionScheduler.h"

#include "CallRecorder.h"

#include "catalogue/Catalogue.h"
#include "config/StorageSettings.h"
#include "config/TIniFile.h"
#include "support/EventLog.h"

RetentionScheduler::RetentionScheduler(TIniFile &ini, Catalogue &catalogue,
                                       MessageService &messages, EventLog &log,
                                       CallRecorder &recorder, QObject *parent)
    : QObject(parent), m_ini(ini), m_catalogue(catalogue), m_messages(messages), m_log(log),
      m_recorder(recorder)
{
    m_dayTimer.setInterval(CheckMs);
    connect(&m_dayTimer, &QTimer::timeout, this, &RetentionScheduler::checkDay);
}

void RetentionScheduler::log(const QString &line)
{
    m_log.appendLine(line);
}

void RetentionScheduler::start()
{
    // Queued: the recording's Stop is over, and its row in the list, before a pass runs.
    connect(&m_recorder, &CallRecorder::stopped, this, &RetentionScheduler::runNow,
            Qt::QueuedConnection);
    m_dayTimer.start();
    QTimer::singleShot(0, this, &RetentionScheduler::checkDay);
}

void RetentionScheduler::checkDay()
{
    const QDate today = (clock ? clock() : QDateTime::currentDateTime()).date();
    if (lastRetentionDay(m_ini) != today)
        runNow();
}

void RetentionScheduler::rulesChanged()
{
    m_declined = false;
    m_toldToAgree = false;
    m_shortfalls.clear();
}

int RetentionScheduler::runNow()
{
    return run(askFirstTime, false);
}

int RetentionScheduler::runAsked(const std::function<bool(RetentionPass &pass)> &ask)
{
    return run(ask, true);
}

int RetentionScheduler::run(const std::function<bool(RetentionPass &pass)> &ask, bool askAlways)
{
    if (m_recorder.phase() != CallRecorder::Phase::Idle || (busy && busy()))
        return 0;
    const StorageSettings settings = loadStorageSettings(m_ini);
    if (!settings.retention.any())
        return 0;
    RetentionPass pass(m_catalogue, m_messages, [this](const QString &line) { log(line); });
    pass.freeSpace = freeSpace;
    pass.clock = clock;
    const RetentionPlan &plan = pass.plan(settings.retention);
    const QDateTime now = clock ? clock() : QDateTime::currentDateTime();
    try {
        setLastRetentionDay(m_ini, now.date());
    } catch (const std::exception &e) {
        log(QString::fromUtf8(e.what()));
    }
    if (plan.shortfalls != m_shortfalls) {
        m_shortfalls = plan.shortfalls;
        for (const QString &shortfall : plan.shortfalls)
            log(QStringLiteral("Retention: ") + shortfall);
    }
    if (askAlways) {
        if (!ask || !ask(pass) || plan.empty())
            return 0;
        agreeRetentionRules(m_ini, plan.ruleNames());
        m_declined = false;
        return remove(pass);
    }
    if (plan.empty())
        return 0;

    const QStringList agreed = agreedRetentionRules(m_ini);
    bool needsAgreement = false;
    for (const QString &rule : plan.ruleNames())
        needsAgreement = needsAgreement || !agreed.contains(rule);
    if (needsAgreement) {
        if (m_declined)
            return 0;
        if (!ask) {
            if (!m_toldToAgree)
                log(QStringLiteral("Retention would remove %1; nothing is removed until you agree, "
                                   "in the window (Storage > Preview clean-up) or with "
                                   "calvora-catalogue retention")
                        .arg(pass.summary()));
            m_toldToAgree = true;
            return 0;
        }
        if (!ask(pass)) {
            m_declined = true;
            log(QStringLiteral("The first clean-up was declined; the rules wait until they change "
                               "or the clean-up is asked for"));
            return 0;
        }
        agreeRetentionRules(m_ini, plan.ruleNames());
    }
    return remove(pass);
}

int RetentionScheduler::remove(RetentionPass &pass)
{
    const qint64 bytes = pass.lastPlan().bytes;
    const int count = pass.apply();
    if (count > 0) {
        log(QStringLiteral("Retention removed %1 recording%2 (%3)")
                .arg(count)
                .arg(count == 1 ? QString() : QStringLiteral("s"))
                .arg(RetentionPass::megabytes(bytes)));
        m_catalogue.DataSource1DataChange();
        emit removed(count);
    }
    return count;
}
