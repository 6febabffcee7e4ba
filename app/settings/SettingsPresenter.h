// "Settings...": the modem stays armed while the dialog is open, so that a call ringing
// meanwhile is recorded as at any other time. Afterwards the preferences take effect at once;
// the modem's port is closed and opened again only when OK changed what it is opened with
// (or a search for modems ran), and not before a call being recorded has ended.
#pragma once

#include "config/ModemLinkSettings.h"

#include <QObject>
#include <QScopeGuard>
#include <functional>

struct AppContext;
class CallRecorder;
class TStoreDataset;
class TfmModem;
class TfmOrv;
class TfmSettings;

class SettingsPresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsPresenter)

public:
    // The start-up set-up's second half, in its two parts.
    struct SetUp
    {
        // The profile and the window's preferences from orv.ini; the port is left alone.
        std::function<void()> applyPreferences;
        // The port opened with initialisation and automatic recording armed.
        std::function<void()> bringModemOnLine;
    };

    // recordings is the list's table.
    SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog, TfmModem &modem,
                      CallRecorder &recorder, SetUp setUp, TStoreDataset &recordings,
                      QObject *parent = nullptr);

    void Settings1Click();
    // The modem's new settings wait for the call being recorded to end.
    bool reopenPending() const { return m_reopenPending; }

private:
    // A call holds the modem: it is being recorded, or it was answered and its recording is
    // about to start.
    bool modemBusy() const;
    void reopenModem();
    using ListRowKeeper = QScopeGuard<std::function<void()>>;
    [[nodiscard]] ListRowKeeper keepListRow();
    void reopenWhenFree();

    AppContext &m_ctx;
    TfmOrv &m_window;
    TfmSettings &m_dialog;
    TfmModem &m_modem;
    CallRecorder &m_recorder;
    SetUp m_setUp;
    TStoreDataset &m_recordings;
    // What the open port was opened with.
    ModemLinkSettings m_link;
    bool m_reopenPending = false;
};
