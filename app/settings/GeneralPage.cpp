#include "GeneralPage.h"

#include "config/Preferences.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {
// A group with a label and its "Select" button; the button is named after the group.
QGroupBox *selectGroup(const QString &title, const QString &name, QLabel *&label,
                       QPushButton *&button, QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    label = new QLabel(group);
    label->setTextFormat(Qt::PlainText);
    label->setAccessibleName(name);
    button = new QPushButton(QStringLiteral("Select"), group);
    button->setAccessibleName(QStringLiteral("Select ") + name.toLower());
    auto *row = new QHBoxLayout(group);
    row->addWidget(label, 1);
    row->addWidget(button);
    return group;
}
} // namespace

GeneralPage::GeneralPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsGeneral"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(selectGroup(QStringLiteral("File  compression format  "),
                                  QStringLiteral("File compression format"), m_fileFormat,
                                  m_selectFileFormat, this));
    layout->addWidget(
        selectGroup(QStringLiteral(" Fonts "), QStringLiteral("Font"), m_font, m_selectFont, this));
    m_selectFileFormat->setObjectName(QStringLiteral("btnFileCompression"));
    m_selectFont->setObjectName(QStringLiteral("btnFont"));
    // The font chooser gives family and size; the text's colour is chosen beside it.
    m_selectFontColor = new QPushButton(QStringLiteral("Color..."), m_selectFont->parentWidget());
    m_selectFontColor->setObjectName(QStringLiteral("btnFontColor"));
    m_selectFontColor->setAccessibleName(QStringLiteral("Select font colour"));
    m_selectFont->parentWidget()->layout()->addWidget(m_selectFontColor);

    m_startUp = new QCheckBox(QStringLiteral("Run as a system service (load at start up)"), this);
    m_startUp->setObjectName(QStringLiteral("cbStartUp"));
    m_callerId = new QCheckBox(QStringLiteral("Enable caller ID"), this);
    m_callerId->setObjectName(QStringLiteral("cbCallerId"));
    m_callerId->setChecked(true);
    layout->addWidget(m_startUp);
    layout->addWidget(m_callerId);
    m_notifications = new QCheckBox(
        QStringLiteral("Announce calls and new recordings as desktop notifications"), this);
    m_notifications->setObjectName(QStringLiteral("cbNotifications"));
    layout->addWidget(m_notifications);
    layout->addStretch(1);

    connect(m_selectFileFormat, &QPushButton::clicked, this, &GeneralPage::selectFileFormatClicked);
    connect(m_selectFont, &QPushButton::clicked, this, &GeneralPage::selectFontClicked);
    connect(m_selectFontColor, &QPushButton::clicked, this, &GeneralPage::selectFontColorClicked);
}

void GeneralPage::load(const Preferences &prefs, bool callerIdAvailable)
{
    setFontName(prefs.FontName);
    m_startUp->setChecked(prefs.StartUp);
    m_callerId->setEnabled(callerIdAvailable);
    m_callerId->setChecked(callerIdAvailable && prefs.CallerID);
    m_notifications->setChecked(prefs.Notifications);
}

void GeneralPage::store(Preferences &prefs) const
{
    prefs.StartUp = m_startUp->isChecked();
    prefs.CallerID = m_callerId->isChecked();
    prefs.Notifications = m_notifications->isChecked();
}

void GeneralPage::setFileFormatText(const QString &description)
{
    m_fileFormat->setText(description);
}

void GeneralPage::setFontName(const QString &name)
{
    m_font->setText(name);
}
