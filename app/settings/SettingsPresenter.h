// "Settings...": the modem port closed and auto-record off while the dialog is open, and
// afterwards the start-up set-up run again so that every change takes effect at once.
#pragma once

#include <QObject>

struct AppContext;
class TStoreDataset;
class TfmInitORV;
class TfmModem;
class TfmOrv;
class TfmSettings;

class SettingsPresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsPresenter)

public:
    // recordings is the list's table. Enables the window's Settings command.
    SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog, TfmModem &modem,
                      TfmInitORV &initOrv, TStoreDataset &recordings, QObject *parent = nullptr);

    void Settings1Click();

private:
    AppContext &m_ctx;
    TfmOrv &m_window;
    TfmSettings &m_dialog;
    TfmModem &m_modem;
    TfmInitORV &m_initOrv;
    TStoreDataset &m_recordings;
};
