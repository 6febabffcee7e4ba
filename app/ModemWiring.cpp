// The modem link knows nothing of windows; here its signals meet the main window's controls.
#include "ModemWiring.h"

#include "MainActions.h"
#include "TfmOrv.h"
#include "TrayController.h"
#include "modem/TfmModem.h"
#include "modem/ui/TfmCallerID.h"

#include <QAction>

void connectModem(TfmOrv &window, TfmModem &modem, TfmCallerID &callerId)
{
    MainActions &actions = window.actions();
    auto showState = [&window, &actions](bool on) {
        window.setStatusText(0, on ? QStringLiteral(" Modem on") : QStringLiteral(" Modem off"));
        actions.acModemOn->setChecked(on);
        actions.acModemOff->setChecked(!on);
        window.tray().setModemIcon(on);
    };
    QObject::connect(&modem, &TfmModem::modemStateChanged, &window, showState);
    showState(modem.PortOpen());

    // Without an open port there is nothing to record from: a port that would not open
    // disables Record, and switching the modem off also releases a Record that is down.
    QObject::connect(&modem, &TfmModem::portOpenFailed, &window,
                     [&window] { window.setRecordEnabled(false); });
    QObject::connect(&modem, &TfmModem::switchedOff, &window, [&window, &actions] {
        actions.acRecord->setChecked(false);
        window.setRecordEnabled(false);
    });

    actions.acModemOn->setEnabled(true);
    actions.acModemOff->setEnabled(true);
    QObject::connect(actions.acModemOn, &QAction::triggered, &modem, [&modem, &actions] {
        modem.modemOn();
        actions.acModemOn->setChecked(modem.PortOpen());
    });
    QObject::connect(actions.acModemOff, &QAction::triggered, &modem, [&modem, &actions] {
        modem.modemOff();
        actions.acModemOff->setChecked(!modem.PortOpen());
    });

    window.takeStartRecordRequest = [&modem] {
        if (!modem.StartRecordRequest())
            return false;
        modem.setStartRecordRequest(false);
        return true;
    };

    callerId.attach(modem);
}
