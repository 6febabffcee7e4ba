// The diagnostics progress window.
#include "DiagnosticsProgressWindow.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

DiagnosticsProgressWindow::DiagnosticsProgressWindow(QWidget *parent)
    : QWidget(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_bar(new QProgressBar(this)), m_cancel(new QPushButton(QStringLiteral("Cancel"), this))
{
    setObjectName(QStringLiteral("DiagnosticsProgress"));
    setWindowModality(Qt::ApplicationModal);
    m_bar->setRange(0, 100);
    m_bar->setAccessibleName(QStringLiteral("Diagnostics progress"));
    m_cancel->setAccessibleName(QStringLiteral("Cancel"));
    connect(m_cancel, &QPushButton::clicked, this, [this] {
        m_cancelled = true;
        m_cancel->setEnabled(false);
    });
    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_cancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    layout->addLayout(buttons);
    resize(320, 90);
}

void DiagnosticsProgressWindow::start(const QString &caption)
{
    setWindowTitle(caption);
    m_cancelled = false;
    m_cancel->setEnabled(true);
    m_bar->setValue(0);
    show();
    raise();
    m_cancel->setFocus();
}

void DiagnosticsProgressWindow::setProgress(int percent)
{
    m_bar->setValue(std::clamp(percent, 0, 100));
}

void DiagnosticsProgressWindow::finish()
{
    hide();
}

int DiagnosticsProgressWindow::progress() const
{
    return m_bar->value();
}

void DiagnosticsProgressWindow::closeEvent(QCloseEvent *event)
{
    m_cancelled = true;
    m_cancel->setEnabled(false);
    event->ignore(); // the run hides the window when it has stopped
}
