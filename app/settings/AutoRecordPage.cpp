#include "AutoRecordPage.h"

#include "config/Preferences.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QSpinBox>
#include <QVBoxLayout>

AutoRecordPage::AutoRecordPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsAutoRecord"));
    m_autoRecord = new QCheckBox(
        QStringLiteral("Automatically record all incoming calls when i lift handset"), this);
    m_autoRecord->setObjectName(QStringLiteral("cbAutoMode"));
    m_autoRecord->setChecked(true);

    m_conditions = new QGroupBox(QStringLiteral(" Conditions "), this);
    m_discTime = new QSpinBox(m_conditions);
    m_discTime->setObjectName(QStringLiteral("seDiscTime"));
    m_discTime->setRange(1, 30);
    m_discTime->setValue(10);
    m_discTime->setAccessibleName(
        QStringLiteral("Disconnect after seconds of silence or beep tone"));
    m_rejectCall = new QCheckBox(QStringLiteral("Reject call recording after"), m_conditions);
    m_rejectCall->setObjectName(QStringLiteral("cbRejectCall"));
    m_rejectRings = new QSpinBox(m_conditions);
    m_rejectRings->setObjectName(QStringLiteral("seRejectRings"));
    m_rejectRings->setRange(2, 20);
    m_rejectRings->setValue(6);
    m_rejectRings->setAccessibleName(QStringLiteral("Reject call recording after rings"));

    auto *disconnect = new QLabel(QStringLiteral("Disconnect after "), m_conditions);
    disconnect->setBuddy(m_discTime);
    auto *grid = new QGridLayout(m_conditions);
    grid->addWidget(disconnect, 0, 0);
    grid->addWidget(m_discTime, 0, 1);
    grid->addWidget(new QLabel(QStringLiteral("seconds of silence or beep tone"), m_conditions), 0,
                    2);
    grid->addWidget(m_rejectCall, 1, 0);
    grid->addWidget(m_rejectRings, 1, 1);
    grid->addWidget(new QLabel(QStringLiteral("rings"), m_conditions), 1, 2);
    grid->setColumnStretch(3, 1);

    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_autoRecord);
    layout->addWidget(m_conditions);
    layout->addStretch(1);

    connect(m_autoRecord, &QCheckBox::toggled, this, &AutoRecordPage::cbAutoModeClick);
    cbAutoModeClick();
}

void AutoRecordPage::load(const Preferences &prefs)
{
    m_autoRecord->setChecked(prefs.AutoRecord);
    m_discTime->setValue(prefs.DiscTime);
    m_rejectCall->setChecked(prefs.RejectCall);
    m_rejectRings->setValue(prefs.RejectRings);
    cbAutoModeClick();
}

void AutoRecordPage::store(Preferences &prefs) const
{
    prefs.AutoRecord = m_autoRecord->isChecked();
    prefs.DiscTime = m_discTime->value();
    prefs.RejectCall = m_rejectCall->isChecked();
    prefs.RejectRings = m_rejectRings->value();
}

void AutoRecordPage::setVoiceSupported(bool supported)
{
    m_autoRecord->setEnabled(supported);
    m_conditions->setEnabled(supported);
    cbAutoModeClick();
}

void AutoRecordPage::cbAutoModeClick()
{
    const bool on = m_autoRecord->isChecked();
    for (QWidget *control :
         std::initializer_list<QWidget *>{m_discTime, m_rejectCall, m_rejectRings})
        control->setEnabled(on);
}
