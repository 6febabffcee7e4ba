#include "VoiceModemSetup.h"

#include "audio/StandardFormats.h"
#include "config/TIniFile.h"
#include "config/WaveFormatIni.h"
#include "modem/capabilities/CompressionsFile.h"

#include <utility>

void writeVirtualModemSetup(TIniFile &ini, const QString &dataDir, const QString &device,
                            const TdeWaveFormat &fileFormat)
{
    ini.WriteString("Ports", "COM3", device);
    const std::pair<const char *, const char *> modemKeys[] = {
        {"port", "3"},
        {"VoiceMode", "at+fclass=8"},
        {"RecGain", "at+vgr=127"},
        {"SilenceTimer", "none"},
        {"VoiceCompression", "at+vsm=1,8000"},
        {"LineSel_T", "at+vls=1"},
        {"LineSel_T#", "ok"},
        {"ForCallerId", "at+vcid=1"},
        {"DisCallerId", "at+vcid=0"},
        {"Reset", "atz"},
        {"answer", "ats0=0"}};
    for (const auto &[key, value] : modemKeys)
        ini.WriteString("Modem", key, value);
    ini.WriteString("Params", "UseLine", "at+vls=1");
    ini.WriteString("Params", "UseLineRes", "OK");
    WriteWaveFormat(ini, "Modem compression", WorkingPcmFormat());
    WriteWaveFormat(ini, "File compression", fileFormat);
    CompressionRow row = *ParseVsmLine("1,\"UNSIGNED PCM\",8,0,8000,0,0");
    row.VSMCommand = BuildVsmCommand(row);
    CompressionsFile::write(dataDir + "/Compressions.d", {row});
}
