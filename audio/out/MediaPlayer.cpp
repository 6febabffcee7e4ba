// The media player on the codec layer and QAudioSink (pull mode: the sink reads the decoded
// audio when it needs it, on this thread).
#include "audio/out/MediaPlayer.h"

#include "audio/out/DecodingSource.h"
#include "audio/out/QtWaveOut.h"
#include "audio/out/TdeAudioDevice.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QMediaDevices>
#include <QTimer>

QString MediaPlayer::ErrorText(int number)
{
    switch (number) {
    case FileNotFound:
        return QStringLiteral(
            "Cannot find the specified file. Make sure the path and filename are correct.");
    case InvalidFile:
        return QStringLiteral("The specified file cannot be played on the specified MCI device. "
                              "The file may be corrupt, or not in the correct format.");
    case DeviceNotReady:
        return QStringLiteral("The device is not ready.");
    case NotOpen:
        return QStringLiteral("The device is not open.");
    default:
        return QStringLiteral("Unknown error code");
    }
}

MediaPlayer::MediaPlayer(QObject *parent) : QObject(parent), m_watch(new QTimer(this))
{
    m_watch->setInterval(20);
    connect(m_watch, &QTimer::timeout, this, &MediaPlayer::checkEnd);
}

MediaPlayer::~MediaPlayer()
{
    Close();
}

void MediaPlayer::Open()
{
    Close();
    m_source = std::make_unique<DecodingSource>(FileName);
    m_source->onFirstBytes = [this] {
        if (onFirstBlock)
            onFirstBlock();
    };
    m_lengthMs = m_source->lengthMs();
    m_startMs = m_stoppedAt = 0;
    m_mode = Mode::Stopped;
}

void MediaPlayer::Play()
{
    if (!m_source)
        throw MediaPlayerError(NotOpen, ErrorText(NotOpen));
    if (m_mode == Mode::Playing)
        return;
    if (m_mode == Mode::Paused && m_sink) {
        Resume();
        return;
    }
    startSink();
}

QAudioDevice MediaPlayer::deviceToOpen() const
{
    if (OutputDevice.isEmpty())
        return QMediaDevices::defaultAudioOutput();
    for (const QAudioDevice &d : QMediaDevices::audioOutputs()) {
        if (d.id() == OutputDevice)
            return d;
    }
    return {};
}

QByteArray MediaPlayer::outputDeviceId() const
{
    return m_sink ? m_sinkDevice : deviceToOpen().id();
}

void MediaPlayer::startSink()
{
    stopSink();
    const QAudioFormat format = *sinkFormat(m_source->pcmFormat());
    const QAudioDevice device = deviceToOpen();
    if (device.isNull())
        throw MediaPlayerError(DeviceNotReady, ErrorText(DeviceNotReady));
    m_sink = new QAudioSink(device, format, this);
    m_sinkDevice = device.id();
    m_sink->setVolume(OutputVolumes::instance().level(device.id()));
    connect(&OutputVolumes::instance(), &OutputVolumes::changed, m_sink,
            [this, id = device.id()](const QByteArray &changed, double level) {
                if (changed == id)
                    m_sink->setVolume(level);
            });
    m_startMs = m_stoppedAt;
    m_sink->start(m_source.get());
    if (m_sink->error() == QAudio::OpenError) {
        stopSink();
        throw MediaPlayerError(DeviceNotReady, ErrorText(DeviceNotReady));
    }
    m_mode = Mode::Playing;
    m_watch->start();
}

void MediaPlayer::stopSink()
{
    m_watch->stop();
    if (!m_sink)
        return;
    // Dropping what the sink holds first makes stop() return at once instead of draining it.
    m_sink->reset();
    m_sink->stop();
    delete m_sink;
    m_sink = nullptr;
}

void MediaPlayer::Pause()
{
    if (m_mode != Mode::Playing)
        return;
    m_stoppedAt = Position();
    m_sink->suspend();
    m_mode = Mode::Paused;
}

void MediaPlayer::Resume()
{
    if (!m_source)
        return;
    if (m_mode == Mode::Paused && m_sink) {
        m_sink->resume();
        m_mode = Mode::Playing;
        m_watch->start();
        return;
    }
    // A stopped device cannot resume: it plays from where it stands.
    if (m_mode == Mode::Stopped)
        startSink();
}

bool MediaPlayer::Seek(qint64 ms)
{
    if (!m_source)
        return false;
    const bool ranAhead = m_mode == Mode::Playing || m_mode == Mode::Paused;
    if (ranAhead)
        m_stoppedAt = Position();
    stopSink();
    m_mode = Mode::Stopped;
    if (ms < 0 || ms > m_lengthMs) {
        // The decoder ran ahead of what was heard; it goes back to where the sound stopped.
        if (ranAhead)
            m_stoppedAt = m_source->seekMs(m_stoppedAt);
        return false;
    }
    m_stoppedAt = m_source->seekMs(ms);
    return true;
}

void MediaPlayer::Close()
{
    stopSink();
    m_source.reset();
    m_lengthMs = m_startMs = m_stoppedAt = 0;
    m_mode = Mode::NotReady;
}

qint64 MediaPlayer::Position() const
{
    if (!m_sink || (m_mode != Mode::Playing && m_mode != Mode::Paused))
        return m_stoppedAt;
    return std::min(m_lengthMs, m_startMs + m_sink->processedUSecs() / 1000);
}

MediaPlayer::Mode MediaPlayer::mode() const
{
    return m_mode;
}

// The end: every byte decoded and taken, and the sink has played what it holds.
void MediaPlayer::checkEnd()
{
    if (!m_sink || m_mode != Mode::Playing)
        return;
    const bool drained = m_source->exhausted() && (m_sink->state() == QAudio::IdleState ||
                                                   m_sink->state() == QAudio::StoppedState);
    if (drained || m_sink->error() == QAudio::FatalError) {
        stopSink();
        m_stoppedAt = m_lengthMs;
        m_mode = Mode::Stopped;
    }
}
