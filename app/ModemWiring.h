// Connects the modem link to the main window: the status bar, the tray
// icon and the Modem On/Off commands.
#pragma once

class TfmCallerID;
class TfmModem;
class TfmOrv;

void connectModem(TfmOrv &window, TfmModem &modem, TfmCallerID &callerId);
