// Storage commands of the main window.
#include "StorageCommands.h"

#include "AppContext.h"
#include "CleanupPreviewDialog.h"
#include "MainActions.h"
#include "TfmOrv.h"
#include "TrayController.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingListPresenter.h"
#include "catalogue/ui/RecordingsListView.h"
#include "config/StorageSettings.h"
#include "config/WindowLayout.h"
#include "recording/CallRecorder.h"
#include "recording/LowDiskWatch.h"
#include "recording/RetentionScheduler.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

StorageCommands::StorageCommands(AppContext &context, TfmOrv &window, RecorderSession &session,
                                 RecordingListPresenter &list)
    : m_ctx(context), m_window(window), m_session(session), m_list(list),
      m_preview(std::make_unique<CleanupPreviewDialog>(&window))
{
    MainActions &a = m_window.actions();
    connect(a.acKeep, &QAction::triggered, this, &StorageCommands::acKeepExecute);
    connect(a.acPreviewCleanup, &QAction::triggered, this,
            &StorageCommands::acPreviewCleanupExecute);
    connect(a.acHideSilent, &QAction::toggled, this, &StorageCommands::acHideSilentExecute);
    if (QMenu *popup = m_list.popupMenu()) {
        popup->addSeparator();
        popup->addAction(a.acKeep);
    }

    RecordingsListView *view = m_window.recordingsList();
    view->setDetails(&m_session.catalogue().Details);
    const bool hide = hideSilentRecordings(m_ctx.ini);
    a.acHideSilent->setChecked(hide);
    view->setHideSilent(hide);

    RetentionScheduler &retention = m_session.retention();
    // A run nobody watches cannot answer; it waits for the user's agreement as the headless
    // recorder does.
    if (!m_ctx.options.unattended)
        retention.askFirstTime = [this](RetentionPass &pass) { return m_preview->ask(pass, true); };
    connect(&m_session.recorder(), &CallRecorder::catalogued, this,
            &StorageCommands::detailsChanged);
    connect(&retention, &RetentionScheduler::removed, this, &StorageCommands::detailsChanged);

    m_diskWarning = new QLabel(&m_window);
    m_diskWarning->setObjectName(QStringLiteral("lbDiskWarning"));
    m_diskWarning->setTextFormat(Qt::PlainText);
    m_diskWarning->setAccessibleName(QStringLiteral("Storage warning"));
    m_window.statusBar()->addPermanentWidget(m_diskWarning);
    connect(&m_session.lowDisk(), &LowDiskWatch::lowDisk, this,
            [this](const QString &text, qint64 minutes) {
                m_diskWarning->setText(QStringLiteral(" Disk: about %1 min left ").arg(minutes));
                m_diskWarning->setToolTip(text);
                m_window.tray().showWarning(QStringLiteral("Calvora: low disk space"), text);
            });
    connect(&m_session.lowDisk(), &LowDiskWatch::roomAgain, this, [this] {
        m_diskWarning->clear();
        m_diskWarning->setToolTip(QString());
    });
}

StorageCommands::~StorageCommands()
{
    m_session.retention().askFirstTime = nullptr;
    m_window.recordingsList()->setDetails(nullptr);
}

void StorageCommands::detailsChanged()
{
    m_window.recordingsList()->detailsChanged();
    if (m_window.refreshCommands)
        m_window.refreshCommands();
}

void StorageCommands::acKeepExecute()
{
    Catalogue &catalogue = m_session.catalogue();
    const QString current = catalogue.currentRecordingId();
    if (current.isEmpty())
        return;
    QStringList ids = m_list.selection().ids();
    if (!ids.contains(current))
        ids << current;
    const bool keep = !catalogue.Details.isPinned(current);
    m_ctx.log.appendLine(
        (keep ? QStringLiteral("-- Keep ") : QStringLiteral("-- Keep no longer ")) +
        QString::number(ids.size()) + QStringLiteral(" recording(s)"));
    catalogue.Details.setPinned(ids, keep);
    m_list.clearSelection();
    detailsChanged();
}

void StorageCommands::acPreviewCleanupExecute()
{
    m_ctx.log.appendLine(QStringLiteral("-- Storage -> Preview clean-up clicked"));
    if (!loadStorageSettings(m_ctx.ini).retention.any()) {
        m_ctx.messages.showMessage(
            QStringLiteral("No clean-up rule is on. Set the rules in Options > Settings..., "
                           "page Storage."),
            MessageService::Kind::Information);
        return;
    }
    m_session.retention().runAsked(
        [this](RetentionPass &pass) { return m_preview->ask(pass, false); });
    detailsChanged();
}

void StorageCommands::acHideSilentExecute(bool hide)
{
    m_window.recordingsList()->setHideSilent(hide);
    try {
        setHideSilentRecordings(m_ctx.ini, hide);
    } catch (const std::exception &e) {
        m_ctx.messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
}
