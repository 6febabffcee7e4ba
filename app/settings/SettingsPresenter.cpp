#include "SettingsPresenter.h"

#include "TfmSettings.h"

#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "app/TraceColors.h"
#include "catalogue/store/TStoreDataset.h"
#include "modem/TfmModem.h"
#include "modem/discovery/TfmInitORV.h"

#include <QAction>

SettingsPresenter::SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog,
                                     TfmModem &modem, TfmInitORV &initOrv,
                                     TStoreDataset &recordings, QObject *parent)
    : QObject(parent), m_ctx(context), m_window(window), m_dialog(dialog), m_modem(modem),
      m_initOrv(initOrv), m_recordings(recordings)
{
    QAction *settings = m_window.actions().acSettings;
    connect(settings, &QAction::triggered, this, &SettingsPresenter::Settings1Click);
    settings->setEnabled(true);
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

    m_initOrv.ApplySettings();
    m_recordings.EnableControls();
    if (row > 0 && row <= m_recordings.RecordCount())
        m_recordings.setRecNo(row);
    if (!m_ctx.VoiceSupported)
        m_window.setRecordEnabled(false);
    m_window.setPortStatus(m_ctx.ModemProfile.port, m_ctx.ModemProfile.Model);
    m_window.ReallyExit = !m_ctx.prefs.StartUp;
    applyTraceColors(m_window, m_ctx.prefs);
}
