// Connects the modem link to the main window: status bar, menu ticks, tray icon, the Record
// controls, the Modem On/Off commands and the idle handler's start-record request.
#pragma once

class TfmCallerID;
class TfmModem;
class TfmOrv;

void connectModem(TfmOrv &window, TfmModem &modem, TfmCallerID &callerId);
