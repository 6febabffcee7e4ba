// The storage rules' controls. Zero is "off" on every spin box.
#include "StorageRulesBox.h"

#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QSpinBox>
#include <QTreeWidget>
#include <QVBoxLayout>

namespace {

enum FolderColumn
{
    ColName,
    ColMode,
    ColDays,
    ColMB
};

QSpinBox *offSpin(int max, const QString &suffix, const QString &name, QWidget *parent)
{
    auto *spin = new QSpinBox(parent);
    spin->setRange(0, max);
    spin->setSpecialValueText(QStringLiteral("off"));
    spin->setSuffix(suffix);
    // "1 day", not "1 days".
    if (suffix.endsWith(QLatin1Char('s'))) {
        QObject::connect(spin, &QSpinBox::valueChanged, spin, [spin, suffix](int value) {
            spin->setSuffix(value == 1 ? suffix.chopped(1) : suffix);
        });
    }
    spin->setAccessibleName(name);
    return spin;
}

} // namespace

const QStringList StorageRulesBox::FolderModes = {
    QStringLiteral("As all folders"), QStringLiteral("Own rules"), QStringLiteral("Excluded")};

StorageRulesBox::StorageRulesBox(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("gbStorageRules"));
    m_maxMinutes = offSpin(StorageSettings::MaxMinutes, QStringLiteral(" min"),
                           QStringLiteral("Stop a recording after"), this);
    m_maxMinutes->setObjectName(QStringLiteral("seMaxMinutes"));

    auto *rules = new QGroupBox(QStringLiteral(" Clean-up of old recordings "), this);
    m_keepDays = offSpin(StorageSettings::MaxDays, QStringLiteral(" days"),
                         QStringLiteral("Keep recordings at most"), rules);
    m_keepDays->setObjectName(QStringLiteral("seKeepDays"));
    m_maxMB = offSpin(StorageSettings::MaxMB, QStringLiteral(" MB"),
                      QStringLiteral("Keep the recordings under"), rules);
    m_maxMB->setObjectName(QStringLiteral("seMaxFolderMB"));
    m_minFreeMB = offSpin(StorageSettings::MaxMB, QStringLiteral(" MB"),
                          QStringLiteral("Keep free on their disk at least"), rules);
    m_minFreeMB->setObjectName(QStringLiteral("seMinFreeMB"));

    m_folders = new QTreeWidget(rules);
    m_folders->setObjectName(QStringLiteral("tvFolderRules"));
    m_folders->setAccessibleName(QStringLiteral("Rules per folder"));
    m_folders->setColumnCount(4);
    m_folders->setHeaderLabels({QStringLiteral("Folder"), QStringLiteral("Rules"),
                                QStringLiteral("Days"), QStringLiteral("MB")});
    m_folders->setRootIsDecorated(false);
    m_folders->header()->setSectionResizeMode(ColName, QHeaderView::Stretch);
    m_folders->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_folders->setSelectionMode(QAbstractItemView::NoSelection);

    auto *form = new QFormLayout;
    auto *limit = new QFormLayout;
    limit->addRow(QStringLiteral("Stop a recording after"), m_maxMinutes);
    form->addRow(QStringLiteral("Keep recordings at most"), m_keepDays);
    form->addRow(QStringLiteral("Keep the recordings under"), m_maxMB);
    form->addRow(QStringLiteral("Keep free on their disk at least"), m_minFreeMB);
    auto *note = new QLabel(QStringLiteral("The rules apply to all folders together unless a "
                                           "folder has its own rules or is excluded. Recordings "
                                           "marked Keep are never removed."),
                            rules);
    note->setWordWrap(true);
    auto *rulesLayout = new QVBoxLayout(rules);
    rulesLayout->addLayout(form);
    rulesLayout->addWidget(note);
    rulesLayout->addWidget(m_folders, 1);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(limit);
    layout->addWidget(rules, 1);
}

QComboBox *StorageRulesBox::folderMode(int row) const
{
    return qobject_cast<QComboBox *>(m_folders->itemWidget(m_folders->topLevelItem(row), ColMode));
}

QSpinBox *StorageRulesBox::folderDays(int row) const
{
    return qobject_cast<QSpinBox *>(m_folders->itemWidget(m_folders->topLevelItem(row), ColDays));
}

QSpinBox *StorageRulesBox::folderMB(int row) const
{
    return qobject_cast<QSpinBox *>(m_folders->itemWidget(m_folders->topLevelItem(row), ColMB));
}

void StorageRulesBox::load(const StorageSettings &settings, const QList<Folder> &folders)
{
    m_loaded = settings;
    m_shown = folders;
    m_maxMinutes->setValue(settings.maxRecordingMinutes);
    m_keepDays->setValue(settings.retention.all.maxDays);
    m_maxMB->setValue(settings.retention.all.maxMB);
    m_minFreeMB->setValue(settings.retention.minFreeMB);

    m_folders->clear();
    int modeWidth = 0;
    for (int row = 0; row < folders.size(); ++row) {
        const Folder &f = folders[row];
        // Folder names are the user's text: shown as plain text, one line.
        auto *item = new QTreeWidgetItem(m_folders, {f.name.simplified()});
        auto *mode = new QComboBox(m_folders);
        mode->addItems(FolderModes);
        mode->setAccessibleName(QStringLiteral("Rules of folder ") + f.name.simplified());
        auto *days = new QSpinBox(m_folders);
        auto *mb = new QSpinBox(m_folders);
        for (QSpinBox *spin : {days, mb})
            spin->setSpecialValueText(QStringLiteral("off"));
        days->setRange(0, StorageSettings::MaxDays);
        mb->setRange(0, StorageSettings::MaxMB);
        days->setAccessibleName(QStringLiteral("Days kept in folder ") + f.name.simplified());
        mb->setAccessibleName(QStringLiteral("MB kept in folder ") + f.name.simplified());
        const FolderRetention rule = settings.retention.folder(f.code);
        mode->setCurrentIndex(int(rule.mode));
        days->setValue(rule.limits.maxDays);
        mb->setValue(rule.limits.maxMB);
        m_folders->setItemWidget(item, ColMode, mode);
        modeWidth = std::max(modeWidth, mode->sizeHint().width());
        m_folders->setItemWidget(item, ColDays, days);
        m_folders->setItemWidget(item, ColMB, mb);
        connect(mode, &QComboBox::currentIndexChanged, this, [this, row] { followMode(row); });
        followMode(row);
    }
    // The rules' choices are read whole ("As all folders").
    if (modeWidth > 0)
        m_folders->setColumnWidth(ColMode, std::max(m_folders->columnWidth(ColMode), modeWidth));
}

// A folder's own days and MB count only with its own rules.
void StorageRulesBox::followMode(int row)
{
    const bool own = folderMode(row)->currentIndex() == int(FolderRetention::Mode::Own);
    folderDays(row)->setEnabled(own);
    folderMB(row)->setEnabled(own);
}

StorageSettings StorageRulesBox::store() const
{
    StorageSettings s = m_loaded;
    s.maxRecordingMinutes = m_maxMinutes->value();
    s.retention.all = {m_keepDays->value(), m_maxMB->value()};
    s.retention.minFreeMB = m_minFreeMB->value();
    for (int row = 0; row < m_shown.size(); ++row) {
        FolderRetention f;
        f.mode = FolderRetention::Mode(folderMode(row)->currentIndex());
        if (f.mode == FolderRetention::Mode::Own)
            f.limits = {folderDays(row)->value(), folderMB(row)->value()};
        if (f.mode == FolderRetention::Mode::Shared)
            s.retention.folders.remove(m_shown[row].code);
        else
            s.retention.folders.insert(m_shown[row].code, f);
    }
    return s;
}
