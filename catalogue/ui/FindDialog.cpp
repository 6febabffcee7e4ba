// The find dialog.
#include "FindDialog.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

FindDialog::FindDialog(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("dlgFind"));
    setWindowTitle(QStringLiteral("Find"));
    setModal(false);
    auto *layout = new QGridLayout(this);

    auto *label = new QLabel(QStringLiteral("Fi&nd what:"), this);
    m_text = new QLineEdit(this);
    m_text->setAccessibleName(QStringLiteral("Find what"));
    m_text->setMaxLength(255);
    label->setBuddy(m_text);
    layout->addWidget(label, 0, 0);
    layout->addWidget(m_text, 0, 1, 1, 2);

    m_matchCase = new QCheckBox(QStringLiteral("Match &case"), this);
    m_matchCase->setAccessibleName(QStringLiteral("Match case"));
    layout->addWidget(m_matchCase, 1, 0, 1, 2);

    // The search always runs down the list.
    auto *direction = new QGroupBox(QStringLiteral("Direction"), this);
    auto *up = new QRadioButton(QStringLiteral("&Up"), direction);
    auto *down = new QRadioButton(QStringLiteral("&Down"), direction);
    up->setAccessibleName(QStringLiteral("Up"));
    down->setAccessibleName(QStringLiteral("Down"));
    down->setChecked(true);
    direction->setEnabled(false);
    auto *directionLayout = new QHBoxLayout(direction);
    directionLayout->addWidget(up);
    directionLayout->addWidget(down);
    layout->addWidget(direction, 1, 2);

    m_find = new QPushButton(QStringLiteral("&Find Next"), this);
    m_find->setAccessibleName(QStringLiteral("Find Next"));
    m_find->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setAccessibleName(QStringLiteral("Cancel"));
    layout->addWidget(m_find, 0, 3);
    layout->addWidget(cancel, 1, 3);

    connect(m_find, &QPushButton::clicked, this,
            [this] { emit findNext(findText(), matchCase()); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_text, &QLineEdit::textChanged, this,
            [this](const QString &text) { m_find->setEnabled(!text.isEmpty()); });
    m_find->setEnabled(false);
}

QString FindDialog::findText() const
{
    return m_text->text();
}

void FindDialog::setFindText(const QString &text)
{
    m_text->setText(text);
}

bool FindDialog::matchCase() const
{
    return m_matchCase->isChecked();
}

void FindDialog::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    emit shown();
}

void FindDialog::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    emit closed();
}
