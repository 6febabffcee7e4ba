// The formats the program's components start from.
#pragma once

#include "audio/TdeWaveFormat.h"

// PCM, mono, 8000 Hz, 8 bits, one unsigned byte per sample: the working form of playback,
// the live trace and the tools, and the built-in default file compression.
TdeWaveFormat WorkingPcmFormat();
// IMA ADPCM, mono, 8000 Hz, 4 bits, 256-byte blocks of 505 samples: the file compression
// before the configuration file is read.
TdeWaveFormat ImaAdpcmDefaultFormat();
