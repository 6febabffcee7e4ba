#include "StoragePage.h"

#include "StorageRulesBox.h"

#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStorageInfo>
#include <QToolButton>
#include <QVBoxLayout>

#include <cmath>

namespace {
QLabel *legend(const QString &text, const QColor &color, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, color);
    label->setPalette(p);
    return label;
}
} // namespace

std::optional<int> StoragePage::usedPercent(qint64 total, qint64 free)
{
    if (total <= 0 || free < 0 || free > total)
        return std::nullopt;
    return static_cast<int>(std::lround(double(total - free) / double(total) * 100.0));
}

StoragePage::StoragePage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsStorage"));
    auto *caption = new QLabel(QStringLiteral("Storage folder"), this);
    m_folder = new QLineEdit(this);
    m_folder->setObjectName(QStringLiteral("edWavDir"));
    m_folder->setReadOnly(true);
    m_folder->setAccessibleName(caption->text());
    caption->setBuddy(m_folder);
    m_select = new QToolButton(this);
    m_select->setObjectName(QStringLiteral("btnSelectFolder"));
    m_select->setText(QStringLiteral("..."));
    m_select->setToolTip(QStringLiteral("Select folder"));
    m_select->setAccessibleName(QStringLiteral("Select folder"));

    m_disk = new QLabel(QStringLiteral("Disk"), this);
    m_disk->setObjectName(QStringLiteral("lbDisk"));
    m_disk->setTextFormat(Qt::PlainText);
    m_meter = new QProgressBar(this);
    m_meter->setObjectName(QStringLiteral("pbUsedSpace"));
    m_meter->setRange(0, 100);
    m_meter->setValue(0);
    m_meter->setAccessibleName(QStringLiteral("Used space"));
    // The meter in the legend's colours: used space red over free space green.
    m_meter->setStyleSheet(QStringLiteral("QProgressBar { background: #2e9d2e; color: white; "
                                          "border: 1px solid gray; text-align: center; }"
                                          "QProgressBar::chunk { background: #d03030; }"));

    auto *folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(m_select);
    auto *legendRow = new QHBoxLayout;
    legendRow->addWidget(legend(QStringLiteral("Used space"), QColor(0xd0, 0x30, 0x30), this));
    legendRow->addWidget(legend(QStringLiteral("Free space"), QColor(0x2e, 0x9d, 0x2e), this));
    legendRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(caption);
    layout->addLayout(folderRow);
    layout->addWidget(m_disk);
    layout->addLayout(legendRow);
    layout->addWidget(m_meter);
    m_rules = new StorageRulesBox(this);
    layout->addWidget(m_rules, 1);

    connect(m_select, &QToolButton::clicked, this, &StoragePage::selectFolderClicked);
}

QString StoragePage::folder() const
{
    return m_folder->text();
}

void StoragePage::setFolder(const QString &folder)
{
    m_folder->setText(folder);
    refreshDisk();
}

void StoragePage::refreshDisk()
{
    // A folder not made yet (the default before the first recording) is on its parent's disk.
    QString existing = QDir(m_folder->text()).absolutePath();
    while (!QFileInfo(existing).isDir() && !QDir(existing).isRoot())
        existing = QFileInfo(existing).absolutePath();
    const QStorageInfo storage(existing);
    m_disk->setText(storage.isValid() ? QStringLiteral("Disk ") + storage.rootPath()
                                      : QStringLiteral("Disk"));
    const auto percent =
        storage.isValid() ? usedPercent(storage.bytesTotal(), storage.bytesFree()) : std::nullopt;
    m_meter->setValue(percent.value_or(0));
}
