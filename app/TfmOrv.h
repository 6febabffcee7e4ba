// The main window: tool bar, trace area, transport panel, folder pane and recordings list,
// status bar, menus and tray icon; it saves its placement when it closes.
#pragma once

#include "modem/discovery/SetupTarget.h"

#include <QMainWindow>
#include <QTimer>
#include <functional>

struct AppContext;
struct MainActions;
class FolderTreeView;
class QFrame;
class QLabel;
class QSplitter;
class RecordingsListView;
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
    FolderTreeView *folderTree() const { return m_tree; }
    QSplitter *splitter() const { return m_splitter; }
    QFrame *tracePanel() const { return m_tracePanel; }
    TraceView &trace() { return *m_trace; }

    // The status bar's panels: modem state, " COM PORT n", " " + modem model.
    QString statusText(int panel) const;
    void setStatusText(int panel, const QString &text);

    // Volume, folder pane width, list fonts and column widths from orv.ini.
    void applyWindowSettings() override;
    // The first recording current; the commands follow the modem's state just set.
    void resetCommandStates() override;
    void setPortStatus(int port, const QString &model) override;

    // The session's end: closing really ends the program.
    void WMQueryEndSession();
    // Shows the window in front, also from the tray (a second start asks for this).
    void bringToFront();
    void apEventsIdle();

    // Set by the parts that own recording and the folder tree.
    std::function<bool()> isRecording;
    std::function<void()> stopRecording;
    // Set by the owner of the commands: reads the state and sets every command from it.
    std::function<void()> refreshCommands;
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
    bool Redirection = false;

signals:
    // The window closed for good; the program ends.
    void closed();
    // The list's font and text colour from the settings were just applied (at start-up and
    // after the settings dialog); the folder tree takes the same.
    void listFontApplied(const QFont &font, const QColor &color);

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
    FolderTreeView *m_tree = nullptr;
    RecordingsListView *m_list = nullptr;
    QSplitter *m_splitter = nullptr;
    QLabel *m_panels[3] = {};
    QTimer m_timer1;
};
