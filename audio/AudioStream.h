// The audio stream classes: a wave format over a byte stream the caller owns, specialised
// into writers that append audio bytes and track-based readers.
#pragma once

#include "audio/TdeWaveFormat.h"

#include <QIODevice>

class TdeAbstractAudioStream
{
public:
    explicit TdeAbstractAudioStream(QIODevice &stream) : m_stream(stream) {}
    virtual ~TdeAbstractAudioStream() = default;
    TdeAbstractAudioStream(const TdeAbstractAudioStream &) = delete;
    TdeAbstractAudioStream &operator=(const TdeAbstractAudioStream &) = delete;

    virtual void setFormat(const TdeWaveFormat &format) { Format.Assign(format); }
    virtual TdeWaveFormat getFormat() const { return Format; }

protected:
    TdeWaveFormat Format;
    QIODevice &m_stream;
};

class TdeAbstractAudioWriter : public TdeAbstractAudioStream
{
public:
    // Remembers the stream's position as the start; writes nothing.
    explicit TdeAbstractAudioWriter(QIODevice &stream);

    // Appends size (> 0) audio bytes; the first call writes the header first. Raises
    // EACMAudioStreamError when the stream refuses a byte.
    void Write(const void *data, qint64 size);
    qint64 BytesWritten() const { return m_written; }

protected:
    virtual void Finish() {}
    virtual void AfterFirstWrite() {}
    virtual void WriteHeader() {}
    virtual void WriteData(const void *data, qint64 size) = 0;

    // Writes all of data or raises EACMAudioStreamError; file devices are flushed so that a
    // full disk shows here and not later.
    void writeChecked(const void *data, qint64 size);
    void seekChecked(qint64 position);

    qint64 m_written = 0;
    qint64 m_start;
};

class TdeAbstractAudioReader : public TdeAbstractAudioStream
{
public:
    using TdeAbstractAudioStream::TdeAbstractAudioStream;

    virtual int TrackCount() const = 0;
    virtual TdeWaveFormat TrackFormat(int track) const = 0;
    virtual qint64 TrackSize(int track) const = 0;
    virtual void SelectTrack(int track) = 0;
    virtual qint64 ReadTrack(int track, void *buffer, qint64 count) = 0;
    virtual void selectLastTrack();
    virtual void selectNextTrack();

    TdeWaveFormat getFormat() const override { return TrackFormat(m_current); }
    int currentTrack() const { return m_current; }
    bool endOfTracks() const { return m_end; }

protected:
    int m_current = 0;
    bool m_end = false;
};
