// Runs idle work whenever the event queue has emptied after handling something. The work
// runs from a zero-delay call, never inside the dispatcher's own callback, because it may
// start a recording that runs nested event loops; it is never re-entered.
#pragma once

#include <QObject>
#include <functional>

class IdleHandler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IdleHandler)

public:
    explicit IdleHandler(std::function<void()> work, QObject *parent = nullptr);
    ~IdleHandler() override;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void queueEmptied();
    void run();

    std::function<void()> m_work;
    quint64 m_eventsSeen = 0;
    quint64 m_eventsAtLastRun = 0;
    bool m_posted = false;
    bool m_running = false;
};
