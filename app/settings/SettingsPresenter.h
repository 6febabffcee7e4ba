// "Settings...": the modem port closed and auto-record off while the dialog is open, and
// afterwards the start-up set-up run again so that every change takes effect at once.
#pragma once

#include <QObject>
#include <functional>

struct AppContext;
class TStoreDataset;
class TfmModem;
class TfmOrv;
class TfmSettings;

class SettingsPresenter final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SettingsPresenter)

public:
    // recordings is the list's table; applySettings is the start-up set-up's second half.
    SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog, TfmModem &modem,
                      std::function<void()> applySettings, TStoreDataset &recordings,
                      QObject *parent = nullptr);

    void Settings1Click();

private:
    AppContext &m_ctx;
    TfmOrv &m_window;
    TfmSettings &m_dialog;
    TfmModem &m_modem;
    std::function<void()> m_applySettings;
    TStoreDataset &m_recordings;
};
