// The invisible audio window: loads a recording as working PCM (8000 Hz, mono, 8 bits), plays
// such PCM from memory through AudioOut, and writes it back in the format of the file last
// loaded. The post-processing tools and the main window's playback use it.
#pragma once

#include "audio/TdeAudioConvertor.h"
#include "audio/out/TdeAudioOut.h"

#include <QObject>
#include <functional>
#include <memory>

class MessageService;
class QBuffer;

class TfmAudio final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmAudio)

public:
    // Without a device, AudioOut plays on the desktop's sound output.
    explicit TfmAudio(MessageService &messages, std::unique_ptr<WaveOutDevice> device = {},
                      QObject *parent = nullptr);
    ~TfmAudio() override;

    // Appends the file's audio as working PCM at the stream's position (callers pass an empty
    // stream). On failure shows "Error was created during pcm conversion" and returns false.
    bool LoadWav(const QString &path, QBuffer &stream);
    // Writes the whole stream (working PCM) as the WAV file at path, in the format of the
    // file last loaded. The new file is written beside the old one and replaces it only once
    // complete, so a failure leaves the old file as it was; it returns false without a
    // message (saveError() says why).
    bool SaveWav(const QString &path, QBuffer &stream);
    // Plays the stream from its start; AudioOut closes itself once the last block has played.
    void PlayStream(QBuffer &stream);
    void AudioClose();

    // Why the last SaveWav failed.
    QString saveError() const { return m_saveError; }
    // Called with the size of every piece SaveWav hands to Converter.
    std::function<void(qint64 size)> onConverterFed;

    TdeAudioConvertor pcmConverter1; // file format -> working PCM
    TdeAudioConvertor pcmConverter2; // only its FormatOut is used: the output's format
    TdeAudioConvertor Converter;     // working PCM -> the format of the file last loaded
    TdeAudioOut AudioOut;

private:
    void AudioOutAudioPlayed(TdeCustomAudioOut &sender, std::uint8_t *data, std::uint32_t size);

    MessageService &m_messages;
    QBuffer *stmWav = nullptr;
    QString m_saveError;
};
