// A wave format kept in a section of the configuration file: "Desc" (its description, for
// the reader of the file) and "Bin" (its 128 bytes in hex).
#pragma once

#include "audio/TdeWaveFormat.h"

class TIniFile;

// Writes "Desc" and then "Bin".
void WriteWaveFormat(TIniFile &ini, const QString &section, const TdeWaveFormat &format);
// Loads the bytes of "Bin" into the start of format; returns the count loaded (0 when the
// key is missing, and format is then unchanged).
int ReadWaveFormat(const TIniFile &ini, const QString &section, TdeWaveFormat &format);
