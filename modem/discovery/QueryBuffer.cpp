// The query window's scratch text.
#include "QueryBuffer.h"

#include <QRegularExpression>

QStringList QueryBuffer::lines() const
{
    if (m_text.isEmpty())
        return {};
    static const QRegularExpression breaks(QStringLiteral("\r\n|\r|\n"));
    return m_text.split(breaks);
}

void QueryBuffer::clear()
{
    setText({});
}

void QueryBuffer::setText(const QString &text)
{
    const QString bounded = text.left(MaxLength);
    if (bounded == m_text)
        return;
    m_text = bounded;
    emit textChanged(m_text);
}

void QueryBuffer::addText(const QString &text)
{
    setText(m_text.isEmpty() ? text : m_text + QLatin1Char('\n') + text);
}
