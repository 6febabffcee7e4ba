// The logger window follows the log through its signals; it keeps no lines of its own.
#include "LoggerWindow.h"

#include "support/EventLog.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

LoggerWindow::LoggerWindow(EventLog &log, QWidget *parent)
    : QWidget(parent, Qt::Window | Qt::WindowStaysOnTopHint), m_text(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("fmMonitor"));
    setWindowTitle(QStringLiteral("Logger"));
    setGeometry(20, 177, 281, 416);

    m_text->setReadOnly(true);
    m_text->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_text);

    m_text->setPlainText(log.lines().join(QLatin1Char('\n')));
    connect(&log, &EventLog::lineAppended, m_text, &QPlainTextEdit::appendPlainText);
    connect(&log, &EventLog::cleared, m_text, &QPlainTextEdit::clear);
}

QString LoggerWindow::text() const
{
    return m_text->toPlainText();
}
