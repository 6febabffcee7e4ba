// The Storage page's own settings: the longest a recording may last and the clean-up
// (retention) rules, for all folders and per folder. Every value starts off.
#pragma once

#include "config/StorageSettings.h"

#include <QList>
#include <QWidget>

class QComboBox;
class QSpinBox;
class QTreeWidget;

class StorageRulesBox final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StorageRulesBox)

public:
    struct Folder
    {
        QString code, name;
    };
    // The choices of a folder's "Rules" list, in order.
    static const QStringList FolderModes;

    explicit StorageRulesBox(QWidget *parent = nullptr);

    // The folders shown are those given; a folder's rules not among them are kept as they are.
    void load(const StorageSettings &settings, const QList<Folder> &folders);
    StorageSettings store() const;

    QSpinBox *maxMinutesBox() const { return m_maxMinutes; }
    QSpinBox *keepDaysBox() const { return m_keepDays; }
    QSpinBox *maxMBBox() const { return m_maxMB; }
    QSpinBox *minFreeMBBox() const { return m_minFreeMB; }
    QTreeWidget *folderTable() const { return m_folders; }
    // The row of a folder's controls: its "Rules" list, days and MB.
    QComboBox *folderMode(int row) const;
    QSpinBox *folderDays(int row) const;
    QSpinBox *folderMB(int row) const;

private:
    void followMode(int row);

    QSpinBox *m_maxMinutes;
    QSpinBox *m_keepDays;
    QSpinBox *m_maxMB;
    QSpinBox *m_minFreeMB;
    QTreeWidget *m_folders;
    QList<Folder> m_shown;
    StorageSettings m_loaded; // what load() was given, for the folders not shown
};
