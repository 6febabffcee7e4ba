// The output component's queue: pre-buffer, held-back blocks, done notifications and the
// release of blocks back to the pool.
#include "audio/out/TdeAudioOut.h"

#include "audio/EACMError.h"
#include "audio/out/QtWaveOut.h"

#include <QScopeGuard>
#include <algorithm>
#include <cstring>

namespace {
const QString OpenText = QStringLiteral("Error opening audio device for output.");
const QString PrepareText = QStringLiteral("Error preparing output header.");
const QString WriteText = QStringLiteral("Error playing buffer.");
const QString UnprepareText = QStringLiteral("Error unpreparing output header.");
const QString CloseText = QStringLiteral("Error closing output device.");
const QString PauseText =
    QStringLiteral("An error occurred whilst trying to pause an output device");
const QString RestartText =
    QStringLiteral("An error occurred whilst trying to restart an output device");

bool contains(const std::vector<WaveHeader *> &list, const WaveHeader *header)
{
    return std::find(list.begin(), list.end(), header) != list.end();
}

void remove(std::vector<WaveHeader *> &list, const WaveHeader *header)
{
    list.erase(std::remove(list.begin(), list.end(), header), list.end());
}
} // namespace

TdeAudioIO::TdeAudioIO(QObject *parent) : QObject(parent) {}

TdeAudioIO::~TdeAudioIO() = default;

void TdeAudioIO::setActive(bool value)
{
    if (value == m_active)
        return;
    if (value)
        Open();
    else
        Close();
}

void TdeAudioIO::Open()
{
    if (m_active)
        return;
    m_pool.release();
    if (BeforeOpen)
        BeforeOpen(*this);
    OpenDevice();
    m_active = true;
    if (AfterOpen)
        AfterOpen(*this);
}

void TdeAudioIO::Close()
{
    if (!m_active)
        return;
    if (BeforeClose)
        BeforeClose(*this);
    CloseDevice();
    m_pool.release();
    m_active = false;
    if (AfterClose)
        AfterClose(*this);
}

void TdeAudioIO::loaded()
{
    if (AutoOpen)
        Open();
}

TdeAbstractAudioOut::TdeAbstractAudioOut(QObject *parent) : TdeAudioIO(parent)
{
    setBufferCount(0);
}

void TdeAbstractAudioOut::receiveAudio(const void *data, std::uint32_t size)
{
    if (Active())
        Play(data, size);
}

void TdeAbstractAudioOut::observerError(const QString &message)
{
    if (OnObserverError)
        OnObserverError(*this, message);
}

TdeCustomAudioOut::TdeCustomAudioOut(std::unique_ptr<WaveOutDevice> device, QObject *parent)
    : TdeAbstractAudioOut(parent), m_device(device ? std::move(device) : makeQtWaveOut())
{}

TdeCustomAudioOut::~TdeCustomAudioOut()
{
    try {
        Close();
    } catch (const EACMError &) {
        // A device that fails to close while the program drops its output has nothing to add.
    }
}

void TdeCustomAudioOut::setMaximumBuffers(std::uint32_t value)
{
    if (Active())
        throw EACMAudioIOError(QStringLiteral("Cannot perform this action while active."));
    m_maximumBuffers = value;
}

void TdeCustomAudioOut::OpenDevice()
{
    m_queued = 0;
    m_deviceOpen = false;
    m_countdown = BufferCount();
    int device = DeviceNumber;
    // Only PCM goes to the default output unmapped; other formats go to the first device.
    if (device == -1 && Format().FormatTag() != 1)
        device = 0;
    const std::uint64_t opening = ++m_opening;
    const int code = m_device->open(
        device, Format(), [this, opening](WaveHeader *header) { blockDone(header, opening); });
    CheckAudioResult<EACMAudioOutError>(code, OpenText);
    m_deviceOpen = true;
    m_paused = false;
}

void TdeCustomAudioOut::CloseDevice()
{
    if (!m_deviceOpen)
        return;
    CheckAudioResult<EACMAudioOutError>(m_device->reset(), CloseText);
    // The device returns the blocks later; they are released now, so that those reports
    // find them gone and are left alone.
    while (!m_heldBack.empty())
        releaseHeader(m_heldBack.back());
    while (!m_prepared.empty())
        releaseHeader(m_prepared.back());
    ++m_opening;
    m_deviceOpen = false;
    m_paused = false;
    CheckAudioResult<EACMAudioOutError>(m_device->close(), CloseText);
}

void TdeCustomAudioOut::Play(const void *data, std::uint32_t size)
{
    if (!Active())
        throw EACMAudioIOError(QStringLiteral("Cannot perform this action while not active."));
    if (size == 0)
        return;
    if (m_countdown == 0 && m_maximumBuffers != 0 && std::uint32_t(m_queued) >= m_maximumBuffers)
        return;

    auto *header = reinterpret_cast<WaveHeader *>(m_pool.take(32));
    std::memset(static_cast<void *>(header), 0, 32);
    m_prepared.push_back(header);
    std::uint8_t *block = m_pool.take(size);
    std::memcpy(block, data, size);
    header->data = block;
    header->length = size;
    header->loops = 1;
    header->prepared = 1;
    CheckAudioResult<EACMAudioOutError>(0, PrepareText); // our devices need no preparation

    if (m_countdown > 0) {
        m_heldBack.push_back(header);
        --m_countdown;
        return;
    }
    const std::vector<WaveHeader *> held = std::move(m_heldBack);
    m_heldBack.clear();
    for (WaveHeader *h : held)
        writeHeader(h);
    writeHeader(header);
}

void TdeCustomAudioOut::writeHeader(WaveHeader *header)
{
    CheckAudioResult<EACMAudioOutError>(m_device->write(header), WriteText);
    ++m_queued;
}

void TdeCustomAudioOut::setPaused(bool value)
{
    if (!Active())
        return;
    if (value)
        CheckAudioResult<EACMAudioOutError>(m_device->pause(), PauseText);
    else
        CheckAudioResult<EACMAudioOutError>(m_device->restart(), RestartText);
    m_paused = value;
}

void TdeCustomAudioOut::blockDone(WaveHeader *header, std::uint64_t opening)
{
    // A report from a closed opening: its blocks are gone and the memory may belong to
    // blocks of this opening now.
    if (opening != m_opening || !contains(m_prepared, header))
        return;
    const auto afterwards = qScopeGuard([this, header] {
        // The handler may have closed the output, which released the block already.
        if (contains(m_prepared, header) || contains(m_heldBack, header))
            releaseHeader(header);
        if (m_queued > 0)
            --m_queued;
    });
    if (Active())
        DoAudioPlayed(header->data, header->length);
}

void TdeCustomAudioOut::DoAudioPlayed(std::uint8_t *data, std::uint32_t size)
{
    if (OnAudioPlayed)
        OnAudioPlayed(*this, data, size);
}

void TdeCustomAudioOut::releaseHeader(WaveHeader *header)
{
    header->prepared = 0;
    remove(m_prepared, header);
    remove(m_heldBack, header);
    m_pool.give(header->data);
    m_pool.give(reinterpret_cast<std::uint8_t *>(header));
}
