// The settings page "Storage": the recordings folder and how full its disk is, then the
// longest a recording may last and the clean-up rules.
#pragma once

#include <QWidget>
#include <optional>

class QLabel;
class QLineEdit;
class QProgressBar;
class QToolButton;
class StorageRulesBox;

class StoragePage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StoragePage)

public:
    // The used share of a disk in whole percent; no value when the size is unknown.
    static std::optional<int> usedPercent(qint64 total, qint64 free);

    explicit StoragePage(QWidget *parent = nullptr);

    QString folder() const;
    // Shows the folder and the disk it is on.
    void setFolder(const QString &folder);
    // Measures the folder's disk again: "Disk " + its mount point, and the meter.
    void refreshDisk();

    QLineEdit *folderEdit() const { return m_folder; }
    QToolButton *selectFolderButton() const { return m_select; }
    QLabel *diskLabel() const { return m_disk; }
    QProgressBar *meter() const { return m_meter; }
    StorageRulesBox *rules() const { return m_rules; }

signals:
    void selectFolderClicked();

private:
    QLineEdit *m_folder;
    QToolButton *m_select;
    QLabel *m_disk;
    QProgressBar *m_meter;
    StorageRulesBox *m_rules;
};
