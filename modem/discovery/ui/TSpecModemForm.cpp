// The window mirrors the discovery's state through its signals; it holds none of its own.
#include "TSpecModemForm.h"

#include "TProgressForm.h"

#include "modem/discovery/ModemDiscovery.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

TSpecModemForm::TSpecModemForm(ModemDiscovery &discovery, TProgressForm &progress, bool unattended,
                               QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      m_discovery(discovery), m_unattended(unattended), m_list(new QListWidget(this)),
      m_gauge(new QProgressBar(this)), m_ok(new QPushButton(QStringLiteral("OK"), this))
{
    setObjectName(QStringLiteral("SpecModemForm"));
    setWindowTitle(QStringLiteral("Modem initialization"));
    setModal(true);

    auto *label = new QLabel(QStringLiteral("Modems"), this);
    label->setBuddy(m_list);
    m_list->setAccessibleName(label->text());
    m_gauge->setAccessibleName(QStringLiteral("Progress"));
    m_gauge->setRange(0, 100);
    m_gauge->setVisible(false);
    m_ok->setDefault(true);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_list);
    layout->addWidget(m_gauge);
    layout->addLayout(buttons);
    resize(360, 260);

    connect(m_ok, &QPushButton::clicked, &m_discovery, &ModemDiscovery::ConfirmModem);
    connect(m_list, &QListWidget::currentRowChanged, &m_discovery, &ModemDiscovery::setSelected);
    connect(&m_discovery, &ModemDiscovery::listChanged, this, &TSpecModemForm::showList);
    connect(&m_discovery, &ModemDiscovery::selectedChanged, this, [this](int index) {
        if (m_list->currentRow() != index)
            m_list->setCurrentRow(index);
    });
    connect(&m_discovery, &ModemDiscovery::controlsEnabledChanged, this, [this](bool enabled) {
        m_ok->setEnabled(enabled);
        m_list->setEnabled(enabled);
    });
    connect(&m_discovery, &ModemDiscovery::gaugeChanged, this, [this](bool visible, int value) {
        m_gauge->setValue(value);
        m_gauge->setVisible(visible);
    });
    connect(&m_discovery, &ModemDiscovery::closeRequested, this, [this] {
        m_closing = true;
        if (isVisible())
            done(QDialog::Accepted);
        m_closing = false;
    });

    connect(&m_discovery, &ModemDiscovery::progressShown, &progress,
            [&progress](const QString &caption) {
                progress.setWindowTitle(caption);
                progress.show();
            });
    connect(&m_discovery, &ModemDiscovery::progressChanged, &progress, &TProgressForm::setProgress);
    connect(&m_discovery, &ModemDiscovery::progressHidden, &progress, &QWidget::hide);

    showList(m_discovery.listLines());
}

void TSpecModemForm::showList(const QStringList &lines)
{
    m_list->clear();
    // Names come from the modem or the system; list items show them as plain text.
    m_list->addItems(lines);
}

void TSpecModemForm::showModal()
{
    if (!m_discovery.prepareShow())
        return;
    if (m_unattended) {
        m_discovery.ConfirmModem();
        return;
    }
    exec();
}

void TSpecModemForm::closeEvent(QCloseEvent *event)
{
    if (m_closing)
        event->accept();
    else
        event->ignore();
}
