// The progress window.
#include "TProgressForm.h"

#include <QProgressBar>
#include <QVBoxLayout>

TProgressForm::TProgressForm(QWidget *parent)
    : QWidget(parent,
              Qt::Tool | Qt::WindowStaysOnTopHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_bar(new QProgressBar(this))
{
    setObjectName(QStringLiteral("ProgressForm"));
    m_bar->setRange(0, 100);
    m_bar->setValue(0);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_bar);
    resize(300, 60);
}

void TProgressForm::setProgress(int percent)
{
    m_bar->setValue(std::clamp(percent, 0, 100));
}

int TProgressForm::progress() const
{
    return m_bar->value();
}

void TProgressForm::showEvent(QShowEvent *event)
{
    m_bar->setValue(0);
    QWidget::showEvent(event);
}
