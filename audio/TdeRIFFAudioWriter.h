// Writes audio bytes as a RIFF WAVE file: "RIFF", "WAVE", a "fmt " chunk and a "data" chunk,
// no other chunks and no pad bytes. The two sizes are written as 0 and patched at the end.
#pragma once

#include "audio/AudioStream.h"

class TdeRIFFAudioWriter final : public TdeAbstractAudioWriter
{
public:
    explicit TdeRIFFAudioWriter(QIODevice &stream);
    // Patches the sizes when bytes were written (errors cannot be reported here: call
    // complete() first to see them). The stream stays open.
    ~TdeRIFFAudioWriter() override;

    // Brings the RIFF and data sizes up to date for the bytes written so far and returns to
    // the end, so that a recording in progress can be read. The final bytes do not change.
    void refreshSizes();
    // Patches the sizes for good (what destruction does), reporting a failed write.
    void complete();

    // The largest audio byte count whose RIFF size still fits 32 bits.
    qint64 MaxDataSize() const;

protected:
    void Finish() override;
    void WriteHeader() override;
    void WriteData(const void *data, qint64 size) override;

private:
    void patchSizes();

    qint64 m_dataHeader = 0;
    bool m_finished = false;
};
