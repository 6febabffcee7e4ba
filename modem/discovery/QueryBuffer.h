// The text of the "Query Modem" window: replies are collected here and the compression list
// is parsed from its lines. The window shows it and hands the user's edits back.
#pragma once

#include <QObject>
#include <QStringList>

class QueryBuffer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(QueryBuffer)

public:
    // Text kept at most; a longer paste or reply is cut here.
    static constexpr qsizetype MaxLength = 64 * 1024;

    using QObject::QObject;

    const QString &text() const { return m_text; }
    // The lines as the window shows them (CR LF, CR and LF all end a line).
    QStringList lines() const;

    void clear();
    void setText(const QString &text);
    // Adds text as further lines.
    void addText(const QString &text);

signals:
    // The text changed (the window updates itself unless it already shows this text).
    void textChanged(const QString &text);

private:
    QString m_text;
};
