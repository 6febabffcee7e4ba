// A data directory as modem discovery leaves it for the virtual voice modem on COM3: the
// port map, the modem profile, the line, the compressions and Compressions.d.
#pragma once

#include "audio/TdeWaveFormat.h"

#include <QString>

class TIniFile;

void writeVirtualModemSetup(TIniFile &ini, const QString &dataDir, const QString &device,
                            const TdeWaveFormat &fileFormat);
