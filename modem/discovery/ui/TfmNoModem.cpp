// The notice window.
#include "TfmNoModem.h"

#include "modem/discovery/NoModemNotice.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TfmNoModem::TfmNoModem(TIniFile &ini, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint), m_ini(ini),
      m_text(new QPlainTextEdit(this)), m_check(new QCheckBox(NoModemNotice::CheckText, this)),
      m_ok(new QPushButton(QStringLiteral("Ok"), this))
{
    setObjectName(QStringLiteral("fmNoModem"));
    setWindowTitle(NoModemNotice::Caption);
    setModal(true);
    m_text->setReadOnly(true);
    m_text->setAccessibleName(NoModemNotice::Caption);
    m_text->setFixedSize(361, 129);
    m_ok->setDefault(true);

    auto *bottom = new QHBoxLayout;
    bottom->addWidget(m_check);
    bottom->addStretch();
    bottom->addWidget(m_ok);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addLayout(bottom);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(m_ok, &QPushButton::clicked, this, &TfmNoModem::okClicked);
}

void TfmNoModem::ShowNoModemNotice()
{
    if (!NoModemNotice::wanted(m_ini))
        return;
    m_text->setPlainText(NoModemNotice::lines().join(QLatin1Char('\n')));
    exec();
}

void TfmNoModem::okClicked()
{
    NoModemNotice::storeChoice(m_ini, m_check->isChecked());
    accept();
}
