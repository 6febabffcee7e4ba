#include "CommandPresenter.h"

#include "MainActions.h"
#include "TfmOrv.h"
#include "TransportPanel.h"

#include <QAction>
#include <QMenu>
#include <QSlider>

CommandPresenter::CommandPresenter(TfmOrv &window, std::function<WindowState()> state,
                                   QObject *parent)
    : QObject(parent), m_window(window), m_state(std::move(state))
{
    // A click toggles a checkable command before its handler runs; whatever the handler did,
    // the button shows the command's state afterwards. Made after the handlers' connections,
    // so this one runs after them.
    MainActions &a = m_window.actions();
    for (QAction *action : {a.acPlay, a.acPause, a.acRecord, a.acModemOn, a.acModemOff, a.acKeep})
        connect(action, &QAction::triggered, this, &CommandPresenter::refresh);
}

void CommandPresenter::refresh()
{
    apply(commandsFor(m_state()));
}

void CommandPresenter::apply(const WindowCommands &c)
{
    MainActions &a = m_window.actions();
    const auto set = [](QAction *action, bool enabled) { action->setEnabled(enabled); };
    const auto setDown = [](QAction *action, bool enabled, bool down) {
        action->setEnabled(enabled);
        action->setChecked(down);
    };
    setDown(a.acRecord, c.record, c.recordDown);
    setDown(a.acPlay, c.play, c.playDown);
    setDown(a.acPause, c.pause, c.pauseDown);
    set(a.acStop, c.stop);
    set(a.acRewind, c.rewindAndForward);
    set(a.acFF, c.rewindAndForward);
    m_window.transport().positionBar()->setEnabled(c.positionBar);
    set(a.mnLevel, c.postProcessing);
    set(a.mnEqualizer, c.postProcessing);
    set(a.acSettings, c.settings);
    set(a.modemMenu->menuAction(), c.modemSwitch);
    setDown(a.acModemOn, c.modemSwitch, c.modemOnDown);
    setDown(a.acModemOff, c.modemSwitch, !c.modemOnDown);
    set(a.acDiagnostics, c.diagnostics);
    set(a.ReportProblem1, c.reportProblem);
    for (QAction *action :
         {a.acMemo, a.acDeleteFiles, a.acMoveTo, a.acCopyToFolder, a.acSearch, a.acEmailFile})
        set(action, c.listCommands);
    setDown(a.acKeep, c.keep, c.keepDown);
    set(a.acPreviewCleanup, c.previewCleanup);
}
