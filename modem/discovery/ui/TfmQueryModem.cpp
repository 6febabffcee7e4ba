// The user's edits go straight to the buffer, so the developer query parses what is shown.
#include "TfmQueryModem.h"

#include "modem/discovery/QueryBuffer.h"

#include <QPlainTextEdit>
#include <QVBoxLayout>

TfmQueryModem::TfmQueryModem(QueryBuffer &buffer, QWidget *parent)
    : QWidget(parent, Qt::Window), m_buffer(buffer), m_edit(new QPlainTextEdit(this))
{
    setObjectName(QStringLiteral("fmQueryModem"));
    setWindowTitle(QStringLiteral("Query Modem"));
    m_edit->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_edit->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_edit->setPlainText(buffer.text());
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_edit);
    resize(420, 300);

    connect(&buffer, &QueryBuffer::textChanged, this, [this](const QString &text) {
        if (m_edit->toPlainText() != text)
            m_edit->setPlainText(text);
    });
    connect(m_edit, &QPlainTextEdit::textChanged, this,
            [this] { m_buffer.setText(m_edit->toPlainText()); });
}
