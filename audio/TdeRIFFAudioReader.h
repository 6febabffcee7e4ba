// Finds the format and the audio data of a RIFF WAVE file. A RIFF file has one track.
#pragma once

#include "audio/AudioStream.h"

class TdeRIFFAudioReader final : public TdeAbstractAudioReader
{
public:
    // Parses from the stream's position; raises EACMAudioReadError "Invalid file format."
    // when the stream holds no RIFF WAVE file with a format and a data chunk.
    explicit TdeRIFFAudioReader(QIODevice &stream);

    int TrackCount() const override { return 1; }
    TdeWaveFormat TrackFormat(int track) const override;
    // The data size the "data" chunk declares (the file may hold fewer bytes).
    qint64 TrackSize(int) const override { return m_dataSize; }
    void SelectTrack(int track) override;
    // Reads min(count, declared size) bytes from the start of the data; returns the count
    // actually read.
    qint64 ReadTrack(int track, void *buffer, qint64 count) override;

    // The audio bytes the file really holds: the declared size, cut at the end of the file.
    qint64 AvailableSize() const;
    // Reads on from the stream's position, never past the end of the data; after
    // SelectTrack this walks the data in pieces. Returns the count read (0 at the end).
    qint64 ReadData(void *buffer, qint64 count);

private:
    void parse();

    qint64 m_dataStart = 0;
    qint64 m_dataSize = 0;
};
