// Idle detection. The event filter counts events; when the dispatcher is about to block and
// events were handled since the last run, one run is posted. The run's own timer event is
// counted before the count is taken, so an idle run never triggers another by itself.
#include "IdleHandler.h"

#include <QAbstractEventDispatcher>
#include <QCoreApplication>
#include <QTimer>

IdleHandler::IdleHandler(std::function<void()> work, QObject *parent)
    : QObject(parent), m_work(std::move(work))
{
    QCoreApplication::instance()->installEventFilter(this);
    if (auto *dispatcher = QAbstractEventDispatcher::instance())
        connect(dispatcher, &QAbstractEventDispatcher::aboutToBlock, this,
                &IdleHandler::queueEmptied);
}

IdleHandler::~IdleHandler()
{
    if (auto *app = QCoreApplication::instance())
        app->removeEventFilter(this);
}

bool IdleHandler::eventFilter(QObject *, QEvent *)
{
    ++m_eventsSeen;
    return false;
}

void IdleHandler::queueEmptied()
{
    if (m_posted || m_running || m_eventsSeen == m_eventsAtLastRun)
        return;
    m_posted = true;
    QTimer::singleShot(0, this, &IdleHandler::run);
}

void IdleHandler::run()
{
    m_posted = false;
    if (m_running)
        return;
    m_running = true;
    struct Finish
    {
        IdleHandler *self;
        ~Finish()
        {
            self->m_running = false;
            self->m_eventsAtLastRun = self->m_eventsSeen;
        }
    } finish{this};
    m_work();
}
