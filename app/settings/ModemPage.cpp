#include "ModemPage.h"

#include "config/Preferences.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

ModemPage::ModemPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsModem"));
    auto *layout = new QVBoxLayout(this);

    auto *model = new QGroupBox(QStringLiteral(" Model "), this);
    m_model = new QLabel(model);
    m_model->setObjectName(QStringLiteral("lbModel"));
    m_model->setAccessibleName(QStringLiteral("Model"));
    m_port = new QLabel(model);
    m_port->setObjectName(QStringLiteral("lbPort"));
    m_port->setAccessibleName(QStringLiteral("Port"));
    for (QLabel *label : {m_model, m_port})
        label->setTextFormat(Qt::PlainText); // the model is the modem's own reply
    auto *modelLayout = new QVBoxLayout(model);
    modelLayout->addWidget(m_model);
    modelLayout->addWidget(m_port);
    layout->addWidget(model);

    auto *form = new QFormLayout;
    m_compressions = new QComboBox(this);
    m_compressions->setObjectName(QStringLiteral("cbxCompression"));
    m_timeout = new QSpinBox(this);
    m_timeout->setObjectName(QStringLiteral("seTimeout"));
    m_timeout->setRange(1, 8);
    m_timeout->setValue(4);
    m_baudRate = new QComboBox(this);
    m_baudRate->setObjectName(QStringLiteral("cbBaudrate"));
    m_baudRate->addItems(Preferences::BaudRates);
    m_baudRate->setCurrentIndex(1);
    m_flowControl = new QComboBox(this);
    m_flowControl->setObjectName(QStringLiteral("cbFlowControl"));
    m_flowControl->addItems(Preferences::FlowControls);
    m_flowControl->setCurrentIndex(0);
    const std::pair<QString, QWidget *> rows[] = {
        {QStringLiteral("Voice Compression"), m_compressions},
        {QStringLiteral("Time out (sec)"), m_timeout},
        {QStringLiteral("Baudrate"), m_baudRate},
        {QStringLiteral("Flow control"), m_flowControl}};
    for (const auto &[caption, control] : rows) {
        auto *label = new QLabel(caption, this);
        label->setBuddy(control);
        control->setAccessibleName(caption);
        form->addRow(label, control);
    }
    layout->addLayout(form);

    m_findModems = new QPushButton(QStringLiteral("Find modems"), this);
    m_findModems->setObjectName(QStringLiteral("btnFindModems"));
    m_findModems->setAccessibleName(m_findModems->text());
    layout->addWidget(m_findModems, 0, Qt::AlignLeft);
    layout->addStretch(1);

    connect(m_findModems, &QPushButton::clicked, this, &ModemPage::findModemsClicked);
}

void ModemPage::showModem(bool configured, const QString &model, const QString &portText)
{
    m_model->setText(configured ? model : QStringLiteral("No modem detected"));
    m_port->setText(configured ? portText : QStringLiteral("Com "));
}

void ModemPage::setCompressions(const QStringList &lines, int row)
{
    m_compressions->clear();
    m_compressions->addItems(lines);
    m_compressions->setCurrentIndex(row >= 0 && row < lines.size() ? row : -1);
}

void ModemPage::setTimeout(int seconds)
{
    m_timeout->setValue(seconds); // the box keeps it within 1..8
}

void ModemPage::loadPortSettings(const Preferences &prefs)
{
    m_baudRate->setCurrentIndex(prefs.baudrate);
    m_flowControl->setCurrentIndex(prefs.FlowControl);
}

void ModemPage::store(Preferences &prefs) const
{
    prefs.Timeout = m_timeout->value();
    prefs.baudrate = m_baudRate->currentIndex();
    prefs.FlowControl = m_flowControl->currentIndex();
}
