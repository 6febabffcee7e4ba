// Descriptions of the desktop's sound devices, one list per direction built on first use, and
// the output volume that every sink opened on a device follows.
#pragma once

#include <QByteArray>
#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

class QAudioDevice;

class TdeAudioDevice
{
public:
    virtual ~TdeAudioDevice() = default;

    std::int8_t DeviceNumber = 0;
    std::uint8_t DriverMajor = 0, DriverMinor = 0;
    std::uint16_t Manufacturer = 0, Product = 0;
    std::uint16_t Channels = 0;
    QString Name;  // at most 32 characters
    QByteArray id; // the sound server's name of the device
};

class TdeAudioInDevice final : public TdeAudioDevice
{};

class TdeAudioOutDevice final : public TdeAudioDevice
{
public:
    enum Support : std::uint32_t
    {
        Pitch = 0x1,
        PlaybackRate = 0x2,
        Volume = 0x4,
        LRVolume = 0x8,
        Sync = 0x10,
        SampleAccurate = 0x20,
        DirectSound = 0x40
    };
    std::uint32_t Support = 0;

    // v: 0 (silent) to 65535 (full), the same on both channels. Raises EACMDeviceOutError
    // "This device does not support volume control." without the Volume flag.
    void SetVolume(std::uint16_t v) const;
};

// The volume of each output device, 0..1; sinks opened on a device take it and follow it.
class OutputVolumes final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OutputVolumes)

public:
    static OutputVolumes &instance();
    double level(const QByteArray &deviceId) const;
    void setLevel(const QByteArray &deviceId, double level);

signals:
    void changed(const QByteArray &deviceId, double level);

private:
    OutputVolumes() = default;
    QHash<QByteArray, double> m_levels;
};

namespace AudioDevices {

// At most 33 devices of each kind (numbers 0 to 32), in the sound server's order but for the
// default output, which is output 0.
const QList<TdeAudioOutDevice> &outputs();
const QList<TdeAudioInDevice> &inputs();
int outputCount();
const TdeAudioOutDevice &output(int index);
// Builds both lists again from these device lists (tests give their own).
void rebuild(const QList<QAudioDevice> &inputDevices, const QList<QAudioDevice> &outputDevices);
// The first output device that has volume control; null when none has.
const TdeAudioOutDevice *firstWithVolume();

} // namespace AudioDevices
