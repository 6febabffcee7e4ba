// Design-time values of the program's formats.
#include "audio/StandardFormats.h"

TdeWaveFormat WorkingPcmFormat()
{
    TdeWaveFormat f;
    f.SetFormatTag(1);
    f.SetChannels(1);
    f.SetSamplesPerSec(8000);
    f.SetAvgBytesPerSec(8000);
    f.SetBlockAlign(1);
    f.SetBitsPerSample(8);
    f.SetCbSize(0);
    return f;
}

TdeWaveFormat ImaAdpcmDefaultFormat()
{
    TdeWaveFormat f;
    f.SetFormatTag(0x0011);
    f.SetChannels(1);
    f.SetSamplesPerSec(8000);
    f.SetAvgBytesPerSec(4055);
    f.SetBlockAlign(256);
    f.SetBitsPerSample(4);
    f.SetCbSize(2);
    f.Buffer()[18] = 0xF9; // 505 samples per block
    f.Buffer()[19] = 0x01;
    return f;
}
