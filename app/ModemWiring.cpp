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
    // The menu's ticks and whether Record is there follow the port's state with the rest of
    // the commands (see WindowState); here are the status bar and the tray icon.
    auto showState = [&window](bool on) {
        window.setStatusText(0, on ? QStringLiteral(" Modem on") : QStringLiteral(" Modem off"));
        window.tray().setModemIcon(on);
        if (window.refreshCommands)
            window.refreshCommands();
    };
    QObject::connect(&modem, &TfmModem::modemStateChanged, &window, showState);
    showState(modem.PortOpen());

    QObject::connect(actions.acModemOn, &QAction::triggered, &modem, [&modem] { modem.modemOn(); });
    QObject::connect(actions.acModemOff, &QAction::triggered, &modem,
                     [&modem] { modem.modemOff(); });

    callerId.attach(modem);
}
