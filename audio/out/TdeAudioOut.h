// The sound output component: a small queue of PCM blocks on top of a WaveOutDevice. It holds
// back BufferCount blocks before it starts the device, reports every block that has played
// through OnAudioPlayed on the UI thread so that the owner can refill it, and closes the
// device on request. Class tree: TdeAudioIO > TdeAbstractAudioOut > TdeCustomAudioOut >
// TdeAudioOut.
#pragma once

#include "audio/TdeWaveFormat.h"
#include "audio/out/AudioBlockPool.h"
#include "audio/out/WaveOutDevice.h"

#include <QObject>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// Base of the audio device components: the active state with its events, the format and
// the block pool.
class TdeAudioIO : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TdeAudioIO)

public:
    using NotifyEvent = std::function<void(TdeAudioIO &sender)>;

    explicit TdeAudioIO(QObject *parent = nullptr);
    ~TdeAudioIO() override;

    bool Active() const { return m_active; }
    // true opens, false closes; the current value does nothing.
    void setActive(bool value);
    // Opening an active component does nothing; a failed opening leaves it closed.
    void Open();
    // Closing a closed component does nothing.
    void Close();

    // Opens the component when its owner has been loaded (the owner calls loaded()).
    bool AutoOpen = true;
    void loaded();

    std::uint8_t BufferCount() const { return m_bufferCount; }
    virtual void setBufferCount(std::uint8_t value) { m_bufferCount = value; }

    const TdeWaveFormat &Format() const { return m_format; }
    void setFormat(const TdeWaveFormat &format) { m_format.Assign(format); }

    NotifyEvent BeforeOpen, AfterOpen, BeforeClose, AfterClose;

    const AudioBlockPool &pool() const { return m_pool; }

protected:
    virtual void CloseDevice() = 0;
    virtual void OpenDevice() = 0;

    AudioBlockPool m_pool;

private:
    bool m_active = false;
    std::uint8_t m_bufferCount = 4;
    TdeWaveFormat m_format;
};

class TdeAbstractAudioOut : public TdeAudioIO
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TdeAbstractAudioOut)

public:
    using ObserverErrorEvent = std::function<void(TdeAbstractAudioOut &sender, const QString &)>;

    explicit TdeAbstractAudioOut(QObject *parent = nullptr);

    // Audio from an observed source: played while active.
    virtual void receiveAudio(const void *data, std::uint32_t size);
    virtual void observerError(const QString &message);
    // Queues a copy of size bytes.
    virtual void Play(const void *data, std::uint32_t size) = 0;

    ObserverErrorEvent OnObserverError;
};

class TdeCustomAudioOut : public TdeAbstractAudioOut
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TdeCustomAudioOut)

public:
    // The data are the block's own and valid during the call; the handler may queue them again.
    using AudioPlayedEvent =
        std::function<void(TdeCustomAudioOut &sender, std::uint8_t *data, std::uint32_t size)>;

    // Without a device, the desktop's sound output (QAudioSink) is used.
    explicit TdeCustomAudioOut(std::unique_ptr<WaveOutDevice> device = {},
                               QObject *parent = nullptr);
    ~TdeCustomAudioOut() override;

    // Raises EACMAudioIOError "Cannot perform this action while not active." when closed.
    // Size 0 does nothing; at MaximumBuffers blocks in the device the data are dropped.
    void Play(const void *data, std::uint32_t size) override;

    // -1: the desktop's default output; otherwise an index of the output device list.
    std::int8_t DeviceNumber = -1;

    std::uint32_t MaximumBuffers() const { return m_maximumBuffers; }
    // Raises EACMAudioIOError "Cannot perform this action while active." when open.
    void setMaximumBuffers(std::uint32_t value);

    // Blocks written to the device and not yet reported done.
    std::int32_t QueuedBuffers() const { return m_queued; }
    // Blocks queued but held back until the pre-buffer is full.
    int heldBackCount() const { return int(m_heldBack.size()); }
    int preparedCount() const { return int(m_prepared.size()); }

    bool Paused() const { return m_paused; }
    // Pauses or restarts the device while active; nothing while closed.
    virtual void setPaused(bool value);

    AudioPlayedEvent OnAudioPlayed;

protected:
    void OpenDevice() override;
    void CloseDevice() override;
    virtual void DoAudioPlayed(std::uint8_t *data, std::uint32_t size);

private:
    void blockDone(WaveHeader *header, std::uint64_t opening);
    void releaseHeader(WaveHeader *header);
    void writeHeader(WaveHeader *header);

    std::unique_ptr<WaveOutDevice> m_device;
    std::uint32_t m_maximumBuffers = 0;
    std::int32_t m_queued = 0;
    std::uint8_t m_countdown = 0;
    bool m_paused = false;
    bool m_deviceOpen = false;
    std::uint64_t m_opening = 0;
    std::vector<WaveHeader *> m_prepared;
    std::vector<WaveHeader *> m_heldBack;
};

class TdeAudioOut final : public TdeCustomAudioOut
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TdeAudioOut)

public:
    using TdeCustomAudioOut::TdeCustomAudioOut;
};
