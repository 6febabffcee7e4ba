// Design-time values of the program's formats.
#include "audio/StandardFormats.h"

TdeWaveFormat WorkingPcmFormat()
{
    TdeWaveFormat f;
    f.setFormatTag(1);
    f.setChannels(1);
    f.setSamplesPerSec(8000);
    f.setAvgBytesPerSec(8000);
    f.setBlockAlign(1);
    f.setBitsPerSample(8);
    f.setCbSize(0);
    return f;
}

TdeWaveFormat ImaAdpcmDefaultFormat()
{
    TdeWaveFormat f;
    f.setFormatTag(0x0011);
    f.setChannels(1);
    f.setSamplesPerSec(8000);
    f.setAvgBytesPerSec(4055);
    f.setBlockAlign(256);
    f.setBitsPerSample(4);
    f.setCbSize(2);
    f.Buffer()[18] = 0xF9; // 505 samples per block
    f.Buffer()[19] = 0x01;
    return f;
}
