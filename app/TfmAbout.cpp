// The About box.
#include "TfmAbout.h"

#include "AppIcons.h"
#include "AppInfo.h"
#include "UserGuide.h"
#include "support/MessageService.h"

#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// A plain-text label that a screen reader reads as it stands and the user can select.
QLabel *textLabel(const QString &text, const char *name, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    label->setAccessibleName(text);
    return label;
}

QPushButton *button(const QString &caption, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    b->setAutoDefault(false);
    return b;
}

} // namespace

TfmAbout::TfmAbout(const QString &dataDir, MessageService &messages, QWidget *parent)
    : QDialog(parent), m_dataDir(QDir::toNativeSeparators(dataDir)), m_messages(messages)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About"));

    auto *picture = new QLabel(this);
    picture->setPixmap(AppIcons::telephone().pixmap(64));
    picture->setAccessibleName(QStringLiteral("Calvora's icon"));

    // The Qt version is the one the program runs on, which may be newer than it was built with.
    auto *facts = new QVBoxLayout;
    facts->addWidget(textLabel(AppInfo::ProductName, "lblProduct", this));
    facts->addWidget(
        textLabel(QStringLiteral("Version %1").arg(AppInfo::Version), "lblVersion", this));
    facts->addWidget(
        textLabel(QStringLiteral("Qt %1").arg(QString::fromLatin1(qVersion())), "lblQt", this));
    facts->addWidget(
        textLabel(QStringLiteral("Licence: %1").arg(AppInfo::Licence), "lblLicence", this));
    facts->addSpacing(8);
    facts->addWidget(textLabel(AppInfo::Vendor, "lblVendor", this));
    facts->addWidget(textLabel(AppInfo::WebAddress, "lblWeb", this));
    facts->addWidget(textLabel(AppInfo::SupportAddress, "lblSupport", this));
    facts->addSpacing(8);
    facts->addWidget(
        textLabel(QStringLiteral("Data folder: %1").arg(m_dataDir), "lblDataDir", this));

    auto *row = new QHBoxLayout;
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addLayout(facts, 1);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    QPushButton *ok = buttons->button(QDialogButtonBox::Ok);
    ok->setAccessibleName(QStringLiteral("OK"));
    ok->setDefault(true);
    QPushButton *openData = button(QStringLiteral("Open &data folder"), "btnDataDir", this);
    QPushButton *guide = button(QStringLiteral("User &guide"), "btnGuide", this);
    buttons->addButton(openData, QDialogButtonBox::ActionRole);
    buttons->addButton(guide, QDialogButtonBox::HelpRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(openData, &QPushButton::clicked, this, &TfmAbout::openDataDir);
    connect(guide, &QPushButton::clicked, this, [this] { UserGuide::open(m_messages); });

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}

void TfmAbout::openDataDir()
{
    if (!QDesktopServices::openUrl(QUrl::fromLocalFile(m_dataDir)))
        m_messages.showMessage(QStringLiteral("Unable to open the data folder %1").arg(m_dataDir),
                               MessageService::Kind::Error);
}
