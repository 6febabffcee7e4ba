#include "SettingsPresenter.h"

#include "TfmSettings.h"

#include "app/AppContext.h"
#include "app/MainActions.h"
#include "app/TfmOrv.h"
#include "app/TraceColors.h"
#include "catalogue/store/TStoreDataset.h"
#include "modem/TfmModem.h"
#include "recording/CallRecorder.h"
#include "support/Waits.h"

#include <QAction>
#include <QTimer>

SettingsPresenter::SettingsPresenter(AppContext &context, TfmOrv &window, TfmSettings &dialog,
                                     TfmModem &modem, CallRecorder &recorder, SetUp setUp,
                                     TStoreDataset &recordings, QObject *parent)
    : QObject(parent), m_ctx(context), m_window(window), m_dialog(dialog), m_modem(modem),
      m_recorder(recorder), m_setUp(std::move(setUp)), m_recordings(recordings)
{
    connect(m_window.actions().acSettings, &QAction::triggered, this,
            &SettingsPresenter::Settings1Click);
    m_dialog.modemFree = [this] { return !modemBusy(); };
    // The search closed the port; the modem it found is taken up at once, not at OK, so that
    // calls are recorded again while the dialog stays open.
    m_dialog.modemSearchEnded = [this] {
        m_setUp.applyPreferences();
        m_setUp.bringModemOnLine();
        m_link = ModemLinkSettings::read(m_ctx.ini, m_ctx.prefs);
    };
    connect(&m_recorder, &CallRecorder::phaseChanged, this, [this](CallRecorder::Phase phase) {
        // Queued, so that the recording's Stop has re-armed the modem before it is reopened.
        if (m_reopenPending && phase == CallRecorder::Phase::Idle)
            QTimer::singleShot(0, this, &SettingsPresenter::reopenWhenFree);
    });
}

bool SettingsPresenter::modemBusy() const
{
    return m_recorder.phase() != CallRecorder::Phase::Idle || m_modem.StartRecordRequest();
}

void SettingsPresenter::Settings1Click()
{
    m_ctx.log.AddLogLine(QStringLiteral("-- Options -> Settings clicked"));
    m_link = ModemLinkSettings::read(m_ctx.ini, m_ctx.prefs);
    const bool autoRecord = m_ctx.prefs.AutoRecord;

    m_dialog.Execute();
    // Closed because the program ends: nothing is applied, the modem is left as it is.
    if (Waits::ending())
        return;

    const auto done = keepListRow();
    // A port that is not open is opened as at start-up, whatever changed.
    const bool reopen =
        ModemLinkSettings::read(m_ctx.ini, m_ctx.prefs) != m_link || !m_modem.PortOpen();
    if (!reopen && !m_reopenPending) {
        m_setUp.applyPreferences();
        // A recording's end arms the modem as the preferences say.
        if (autoRecord != m_ctx.prefs.AutoRecord && !modemBusy())
            m_modem.rearmAutoRecord();
    } else if (modemBusy()) {
        // The profile the recording runs with stays until it ends; the window's part need not.
        m_window.applyWindowSettings();
        if (!m_reopenPending)
            m_ctx.log.appendLine(QStringLiteral(
                "The modem's new settings take effect when the call being recorded ends"));
        m_reopenPending = true;
    } else {
        reopenModem();
    }
    m_window.ReallyExit = !m_ctx.prefs.StartUp;
    applyTraceColors(m_window, m_ctx.prefs);
}

void SettingsPresenter::reopenModem()
{
    m_modem.CloseModemPort();
    m_setUp.applyPreferences();
    m_setUp.bringModemOnLine();
    m_link = ModemLinkSettings::read(m_ctx.ini, m_ctx.prefs);
    m_reopenPending = false;
}

void SettingsPresenter::reopenWhenFree()
{
    // Another call may have been answered meanwhile; its end brings this back.
    if (!m_reopenPending || modemBusy() || m_dialog.isVisible() || Waits::ending())
        return;
    const auto done = keepListRow();
    reopenModem();
}

// The list keeps its current row while the settings are applied; the commands are computed
// again at the end.
SettingsPresenter::ListRowKeeper SettingsPresenter::keepListRow()
{
    const int row = m_recordings.RecNo();
    m_recordings.DisableControls();
    return qScopeGuard(std::function<void()>([this, row] {
        m_recordings.EnableControls();
        if (row > 0 && row <= m_recordings.RecordCount())
            m_recordings.setRecNo(row);
        if (m_window.refreshCommands)
            m_window.refreshCommands();
    }));
}
