// The logger window: the event log as read-only text, on top of the other windows.
#pragma once

#include <QWidget>

class EventLog;
class QPlainTextEdit;

class LoggerWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LoggerWindow)

public:
    explicit LoggerWindow(EventLog &log, QWidget *parent = nullptr);

    QString text() const;

private:
    QPlainTextEdit *m_text;
};
