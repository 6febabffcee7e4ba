// The window's side of storage care: "Keep" (in the File menu and the list's pop-up), "Preview
// clean-up...", the "Hide silent recordings" view option, the question before the retention
// rules remove anything for the first time, the list following the details table, and the
// low-disk warning in the status bar and the tray.
#pragma once

#include <QObject>
#include <memory>

struct AppContext;
class CleanupPreviewDialog;
class QLabel;
class RecorderSession;
class RecordingListPresenter;
class TfmOrv;

class StorageCommands final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(StorageCommands)

public:
    // Everything given must outlive this object.
    StorageCommands(AppContext &context, TfmOrv &window, RecorderSession &session,
                    RecordingListPresenter &list);
    ~StorageCommands() override;

    // Keeps the current and the selected recordings, or, when the current one is kept
    // already, lets them go again.
    void acKeepExecute();
    void acPreviewCleanupExecute();
    void acHideSilentExecute(bool hide);

    CleanupPreviewDialog &preview() { return *m_preview; }
    // The status bar's place of the low-disk warning; empty while there is none.
    QLabel *diskWarning() const { return m_diskWarning; }

private:
    void detailsChanged();

    AppContext &m_ctx;
    TfmOrv &m_window;
    RecorderSession &m_session;
    RecordingListPresenter &m_list;
    std::unique_ptr<CleanupPreviewDialog> m_preview;
    QLabel *m_diskWarning = nullptr; // owned by the status bar
};
