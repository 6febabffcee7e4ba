// The "Query Modem" window: the query text in one editable text control filling the window,
// kept in step with the QueryBuffer the parser reads.
#pragma once

#include <QWidget>

class QPlainTextEdit;
class QueryBuffer;

class TfmQueryModem final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmQueryModem)

public:
    explicit TfmQueryModem(QueryBuffer &buffer, QWidget *parent = nullptr);

    QPlainTextEdit *editor() const { return m_edit; }

private:
    QueryBuffer &m_buffer;
    QPlainTextEdit *m_edit;
};
