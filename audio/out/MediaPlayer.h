// The media player of the main window: opens a WAV file in any format the codec layer reads,
// decodes it as it plays (so that a long recording starts at once), plays it through the
// desktop's sound output, pauses, resumes and seeks. Positions and lengths in milliseconds.
#pragma once

#include <QAudioDevice>
#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <stdexcept>

class QAudioSink;
class QTimer;
class DecodingSource;

// A failed open or play: a number and its text.
class MediaPlayerError : public std::runtime_error
{
public:
    MediaPlayerError(int number, const QString &text)
        : std::runtime_error(text.toStdString()), m_number(number), m_text(text)
    {}
    int number() const { return m_number; }
    const QString &text() const { return m_text; }

private:
    int m_number;
    QString m_text;
};

class MediaPlayer final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MediaPlayer)

public:
    enum class Mode
    {
        NotReady,
        Stopped,
        Playing,
        Recording,
        Seeking,
        Paused,
        Open
    };
    // The error numbers; ErrorText gives their texts.
    static constexpr int FileNotFound = 275, InvalidFile = 296, DeviceNotReady = 276, NotOpen = 277;
    static QString ErrorText(int number);

    explicit MediaPlayer(QObject *parent = nullptr);
    ~MediaPlayer() override;

    QString FileName;
    // The sound server's name of the output to play on; empty: the desktop's default output.
    QByteArray OutputDevice;
    // Commands return at once; kept for the callers that set it.
    bool Wait = false;

    // Opens FileName; the player is then stopped at position 0. Raises MediaPlayerError.
    void Open();
    // Plays from the current position, asynchronously. Raises MediaPlayerError.
    void Play();
    void Pause();
    // Continues from the current position, also after a seek.
    void Resume();
    // Moves to ms and stops there; false (nothing moves) outside 0..Length.
    bool Seek(qint64 ms);
    void Close();

    // The output the sound is heard on: the open sink's device, else the one Play would open
    // now (the desktop's default output can change while the program runs). Empty when the
    // desktop has no output.
    QByteArray outputDeviceId() const;

    qint64 Length() const { return m_lengthMs; }
    qint64 Position() const;
    Mode mode() const;

    // Called when the sink takes the first decoded bytes after Play or Resume.
    std::function<void()> onFirstBlock;

private:
    QAudioDevice deviceToOpen() const;
    void startSink();
    void stopSink();
    void checkEnd();

    std::unique_ptr<DecodingSource> m_source;
    QAudioSink *m_sink = nullptr;
    QByteArray m_sinkDevice;
    QTimer *m_watch = nullptr;
    qint64 m_lengthMs = 0;
    qint64 m_startMs = 0; // the position the sink started from
    qint64 m_stoppedAt = 0;
    Mode m_mode = Mode::NotReady;
};
