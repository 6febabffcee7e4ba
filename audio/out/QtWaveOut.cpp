// QAudioSink behind the block queue. Everything runs on the thread that opened the device.
#include "audio/out/QtWaveOut.h"

#include "audio/out/TdeAudioDevice.h"

#include <QAudioDevice>
#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <deque>

std::optional<QAudioFormat> sinkFormat(const TdeWaveFormat &format)
{
    if (format.FormatTag() != 1 || format.Channels() < 1 || format.Channels() > 8 ||
        format.SamplesPerSec() == 0)
        return std::nullopt;
    QAudioFormat f;
    f.setSampleRate(int(format.SamplesPerSec()));
    f.setChannelCount(format.Channels());
    switch (format.BitsPerSample()) {
    case 8:
        f.setSampleFormat(QAudioFormat::UInt8);
        break;
    case 16:
        f.setSampleFormat(QAudioFormat::Int16);
        break;
    case 32:
        f.setSampleFormat(QAudioFormat::Int32);
        break;
    default:
        return std::nullopt;
    }
    return f;
}

namespace {

constexpr int PumpMs = 10;

class QtWaveOut final : public WaveOutDevice
{
public:
    ~QtWaveOut() override { close(); }

    int open(int device, const TdeWaveFormat &format,
             std::function<void(WaveHeader *)> onDone) override
    {
        close();
        const std::optional<QAudioFormat> f = sinkFormat(format);
        if (!f)
            return BadFormat;
        QAudioDevice output = QMediaDevices::defaultAudioOutput();
        if (device >= 0) {
            const QList<TdeAudioOutDevice> &described = AudioDevices::outputs();
            if (device >= described.size())
                return BadDeviceId;
            output = {};
            for (const QAudioDevice &d : QMediaDevices::audioOutputs()) {
                if (d.id() == described[device].id)
                    output = d;
            }
        }
        if (output.isNull())
            return BadDeviceId;
        if (!output.isFormatSupported(*f))
            return BadFormat;
        m_context = std::make_unique<QObject>();
        m_sink = new QAudioSink(output, *f, m_context.get());
        m_deviceId = output.id();
        m_sink->setVolume(OutputVolumes::instance().level(m_deviceId));
        QObject::connect(&OutputVolumes::instance(), &OutputVolumes::changed, m_sink,
                         [this](const QByteArray &id, double level) {
                             if (id == m_deviceId)
                                 m_sink->setVolume(level);
                         });
        m_bytesPerSecond = f->bytesForDuration(1000000);
        m_onDone = std::move(onDone);
        if (!startSink())
            return NoMemory;
        m_pump = new QTimer(m_context.get());
        m_pump->setTimerType(Qt::PreciseTimer);
        m_pump->setInterval(PumpMs);
        QObject::connect(m_pump, &QTimer::timeout, m_context.get(), [this] { pump(); });
        m_pump->start();
        return 0;
    }

    int write(WaveHeader *header) override
    {
        if (!m_sink)
            return InvalidHandle;
        m_pending.push_back({header, m_writtenEnd + header->length});
        m_writtenEnd += header->length;
        pump();
        return 0;
    }

    int pause() override
    {
        if (!m_sink)
            return InvalidHandle;
        m_sink->suspend();
        m_paused = true;
        return 0;
    }

    int restart() override
    {
        if (!m_sink)
            return InvalidHandle;
        m_sink->resume();
        m_paused = false;
        return 0;
    }

    int reset() override
    {
        if (!m_sink)
            return InvalidHandle;
        m_sink->stop();
        for (const Pending &p : m_pending)
            post(p.header);
        m_pending.clear();
        m_paused = false;
        return startSink() ? 0 : NoMemory;
    }

    int close() override
    {
        if (!m_sink)
            return 0;
        m_sink->stop();
        m_sink = nullptr;
        m_pump = nullptr;
        m_io = nullptr;
        // Reports already posted still arrive: the context that carries them outlives the
        // sink until the next opening.
        m_retired.push_back(std::move(m_context));
        if (m_retired.size() > 2)
            m_retired.pop_front();
        m_pending.clear();
        return 0;
    }

private:
    struct Pending
    {
        WaveHeader *header;
        qint64 end; // the stream offset just past the block's last byte
    };

    bool startSink()
    {
        m_io = m_sink->start();
        m_writtenEnd = 0;
        m_fed = 0;
        m_feedBlock = 0;
        m_feedOffset = 0;
        return m_io != nullptr;
    }

    void post(WaveHeader *header)
    {
        // Always later, as the device's notifications come between other events.
        QMetaObject::invokeMethod(
            m_context.get(), [done = m_onDone, header] { done(header); }, Qt::QueuedConnection);
    }

    void pump()
    {
        if (!m_sink || !m_io)
            return;
        // Hand the sink what it has room for, in the order written.
        while (m_feedBlock < m_pending.size() && !m_paused) {
            const Pending &p = m_pending[m_feedBlock];
            const qint64 free = m_sink->bytesFree();
            if (free <= 0)
                break;
            const qint64 left = qint64(p.header->length) - m_feedOffset;
            const qint64 n =
                m_io->write(reinterpret_cast<const char *>(p.header->data) + m_feedOffset,
                            std::min(left, free));
            if (n <= 0)
                break;
            m_feedOffset += n;
            m_fed += n;
            if (m_feedOffset == qint64(p.header->length)) {
                ++m_feedBlock;
                m_feedOffset = 0;
            }
        }
        // What has played: the sink's processed time, never more than it was given; when it
        // ran dry, everything it was given has played.
        qint64 played = m_sink->processedUSecs() * m_bytesPerSecond / 1000000;
        if (m_sink->state() == QAudio::IdleState)
            played = m_fed;
        played = std::min(played, m_fed);
        while (!m_pending.empty() && m_feedBlock > 0 && m_pending.front().end <= played) {
            post(m_pending.front().header);
            m_pending.pop_front();
            --m_feedBlock;
        }
    }

    std::unique_ptr<QObject> m_context;
    std::deque<std::unique_ptr<QObject>> m_retired;
    QAudioSink *m_sink = nullptr;
    QIODevice *m_io = nullptr;
    QTimer *m_pump = nullptr;
    QByteArray m_deviceId;
    std::function<void(WaveHeader *)> m_onDone;
    std::deque<Pending> m_pending;
    qint64 m_bytesPerSecond = 8000;
    qint64 m_writtenEnd = 0;
    qint64 m_fed = 0;
    std::size_t m_feedBlock = 0;
    qint64 m_feedOffset = 0;
    bool m_paused = false;
};

} // namespace

std::unique_ptr<WaveOutDevice> makeQtWaveOut()
{
    return std::make_unique<QtWaveOut>();
}
