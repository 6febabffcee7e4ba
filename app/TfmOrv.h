// The main window: tool bar, trace area, transport panel, folder pane and recordings list,
// status bar, menus and tray icon; it saves its placement when it closes.
#pragma once

#include "modem/discovery/SetupTarget.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>

struct AppContext;
struct MainActions;
class QFrame;
class QLabel;
class QSplitter;
class RecordingsListView;
class QTreeWidget;
class TransportPanel;
class TraceView;
class TrayController;

class TfmOrv final : public QMainWindow, public SetupTarget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmOrv)

public:
    // Design-time placement, used when orv.ini has none.
    static constexpr int DesignTop = 210, DesignLeft = 415, DesignWidth = 492, DesignHeight = 476,
                         MinWidth = 450, MinHeight = 320;

    explicit TfmOrv(AppContext &context, QWidget *parent = nullptr);
    ~TfmOrv() override;

    MainActions &actions() { return *m_actions; }
    TrayController &tray() { return *m_tray; }
    TransportPanel &transport() { return *m_transport; }
    RecordingsListView *recordingsList() const { return m_list; }
    QTreeWidget *folderTree() const { return m_tree; }
    QSplitter *splitter() const { return m_splitter; }
    QFrame *tracePanel() const { return m_tracePanel; }
    TraceView &trace() { return *m_trace; }

    // The status bar's panels: modem state, " COM PORT n", " " + modem model.
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString &text);

    // The Record button, the Recorder menu's item and the tray's item together.
    void setRecordEnabled(bool enabled) override;

    // Volume, folder pane width, list fonts and column widths from orv.ini.
    void applyWindowSettings() override;
    // Rewind and Fast forward off, the first recording current.
    void resetCommandStates() override;
    void setPortStatus(int port, const QString &model) override;

    // The session's end: closing really ends the program.
    void WMQueryEndSession();
    // Shows the window in front, also from the tray (a second start asks for this).
    void bringToFront();
    void apEventsIdle();

    // Set by the parts that own recording and the folder tree.
    std::function<bool()> isRecording;
    // Set by the playback: a recording may start while it has Record disabled.
    std::function<bool()> isPlaying;
    std::function<void()> stopRecording;
    std::function<void()> startRecording;
    std::function<bool()> takeStartRecordRequest;
    std::function<void()> SaveTreeToIni;
    std::function<void()> showLogger;
    std::function<void()> firstRecording;
    // Developer keys (with "ONIDE"): Alt+3, Alt+4 and Alt+7; Alt+6 is the window's own.
    std::function<void()> showQueryWindow;
    std::function<void()> queryCompressions;
    std::function<void()> showNoModemNotice;

    bool ReallyExit = true;
    bool Closing = false;
    bool TreeChanged = false;
    bool ListUpdatesEnabled = true;
    bool Redirection = false;

signals:
    // The window closed for good; the program ends.
    void closed();

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private slots:
    // Exit commands: closing really ends the program.
    void Exit1Click();
    // "Show" in the tray menu and a double click on the tray icon.
    void Show1Click();
    void Contents1Click();
    void About1Click();
    void Timer1Timer();

private:
    void buildLayout();
    void restorePlacement();
    bool FormCloseQuery();
    void FormClose();
    void minimiseToTray();
    void checkSoundCard();

    AppContext &m_ctx;
    std::unique_ptr<MainActions> m_actions;
    TrayController *m_tray = nullptr;
    TransportPanel *m_transport = nullptr;
    QFrame *m_tracePanel = nullptr;
    TraceView *m_trace = nullptr;
    QTreeWidget *m_tree = nullptr;
    RecordingsListView *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
    QLabel *m_panels[3] = {};
    QTimer m_timer1;
};
