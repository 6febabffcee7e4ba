#include "SettingsPresenter.h"

#include "TfmSettings.h"

#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "app/TraceColors.h"
#include "catalogue/store/TStoreDataset.h"
#include "modem/TfmModem.h"

#include <QAction>

SettingsPresenter::SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog,
                                     TfmModem &modem, std::function<void()> applySettings,
                                     TStoreDataset &recordings, QObject *parent)
    : QObject(parent), m_ctx(context), m_window(window), m_dialog(dialog), m_modem(modem),
      m_applySettings(std::move(applySettings)), m_recordings(recordings)
{
    connect(m_window.actions().acSettings, &QAction::triggered, this,
            &SettingsPresenter::Settings1Click);
}

void SettingsPresenter::Settings1Click()
{
    m_ctx.log.AddLogLine(QStringLiteral("-- Options -> Settings clicked"));
    if (!m_modem.CloseModemPort())
        return;
    const int row = m_recordings.RecNo();
    m_recordings.DisableControls();
    if (m_ctx.prefs.AutoRecord)
        m_modem.DisableAutoRecord();

    m_dialog.Execute();

    if (m_applySettings)
        m_applySettings();
    m_recordings.EnableControls();
    if (row > 0 && row <= m_recordings.RecordCount())
        m_recordings.setRecNo(row);
    if (m_window.refreshCommands)
        m_window.refreshCommands();
    m_window.setPortStatus(m_ctx.ModemProfile.port, m_ctx.ModemProfile.Model);
    m_window.ReallyExit = !m_ctx.prefs.StartUp;
    applyTraceColors(m_window, m_ctx.prefs);
}
