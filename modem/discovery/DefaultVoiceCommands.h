// The voice command set a modem that passed the voice check starts from; each command is
// then tried on the modem and kept only when it is accepted.
#pragma once

struct TModemParams;

// Sets every command field of the set; identification, port, monitor, the line-selection
// reply and UseLine/UseLineRes are left alone.
void applyDefaultVoiceCommands(TModemParams &params);
