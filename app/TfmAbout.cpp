// The About box.
#include "TfmAbout.h"

#include "AppIcons.h"
#include "AppInfo.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

TfmAbout::TfmAbout(QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("fmAbout"));
    setWindowTitle(QStringLiteral("About"));

    auto *picture = new QLabel(this);
    picture->setPixmap(AppIcons::telephone().pixmap(64));
    auto *text = new QLabel(this);
    text->setObjectName(QStringLiteral("aboutText"));
    text->setTextFormat(Qt::PlainText);
    text->setText(QStringLiteral("%1\nVersion %2\n\n%3\n%4\n%5")
                      .arg(AppInfo::ProductName, AppInfo::Version, AppInfo::Vendor,
                           AppInfo::WebAddress, AppInfo::SupportAddress));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto *row = new QHBoxLayout;
    row->addWidget(picture, 0, Qt::AlignTop);
    row->addWidget(text, 1);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    setFixedSize(sizeHint());
}
