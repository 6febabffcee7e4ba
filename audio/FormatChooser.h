// The interactive choice of a wave format. The core only knows this interface; the program
// passes a window that implements it (audio/ui), the tests a scripted one.
#pragma once

#include "audio/codecs/Result.h"
#include "audio/codecs/WaveFields.h"

#include <QString>

class FormatChooser
{
public:
    virtual ~FormatChooser() = default;
    // Starts from format and, on a choice, writes the chosen format into it. Returns 0 on
    // a choice, 515 when the user cancelled, another audio result code on failure.
    virtual codecs::Result choose(codecs::FormatBlock &format, const QString &title) = 0;
};
