// Device descriptions from the desktop's audio service.
#include "audio/out/TdeAudioDevice.h"

#include "audio/EACMError.h"

#include <QAudioDevice>
#include <QMediaDevices>
#include <optional>

namespace {

constexpr int MaxDevices = 33;

struct Lists
{
    QList<TdeAudioInDevice> inputs;
    QList<TdeAudioOutDevice> outputs;
};

std::optional<Lists> &lists()
{
    static std::optional<Lists> l;
    return l;
}

template <class D> D describe(const QAudioDevice &device, int number)
{
    D d;
    d.DeviceNumber = std::int8_t(number);
    d.Channels = std::uint16_t(std::max(0, device.maximumChannelCount()));
    d.Name = device.description().left(32);
    d.id = device.id();
    return d;
}

const Lists &built()
{
    if (!lists()) {
        // The default output comes first, so that device 0 is where the default sinks play,
        // as the platform's mapper plays on device 0.
        QList<QAudioDevice> outputs = QMediaDevices::audioOutputs();
        const QAudioDevice preferred = QMediaDevices::defaultAudioOutput();
        for (qsizetype i = 1; i < outputs.size(); ++i) {
            if (outputs[i] == preferred)
                outputs.move(i, 0);
        }
        AudioDevices::rebuild(QMediaDevices::audioInputs(), outputs);
    }
    return *lists();
}

} // namespace

void TdeAudioOutDevice::SetVolume(std::uint16_t v) const
{
    if (!(Support & Volume))
        throw EACMDeviceOutError(QStringLiteral("This device does not support volume control."));
    OutputVolumes::instance().setLevel(id, double(v) / 65535.0);
}

OutputVolumes &OutputVolumes::instance()
{
    static OutputVolumes volumes;
    return volumes;
}

double OutputVolumes::level(const QByteArray &deviceId) const
{
    return m_levels.value(deviceId, 1.0);
}

void OutputVolumes::setLevel(const QByteArray &deviceId, double level)
{
    m_levels.insert(deviceId, level);
    emit changed(deviceId, level);
}

namespace AudioDevices {

void rebuild(const QList<QAudioDevice> &inputDevices, const QList<QAudioDevice> &outputDevices)
{
    Lists l;
    for (int d = 0; d < std::min<int>(MaxDevices, int(inputDevices.size())); ++d)
        l.inputs << describe<TdeAudioInDevice>(inputDevices[d], d);
    for (int d = 0; d < std::min<int>(MaxDevices, int(outputDevices.size())); ++d) {
        auto out = describe<TdeAudioOutDevice>(outputDevices[d], d);
        // Every sink of the sound server has a volume, one for all channels.
        out.Support = TdeAudioOutDevice::Volume;
        l.outputs << out;
    }
    lists() = std::move(l);
}

const QList<TdeAudioOutDevice> &outputs()
{
    return built().outputs;
}

const QList<TdeAudioInDevice> &inputs()
{
    return built().inputs;
}

int outputCount()
{
    return int(outputs().size());
}

const TdeAudioOutDevice &output(int index)
{
    return outputs().at(index);
}

const TdeAudioOutDevice *firstWithVolume()
{
    for (const TdeAudioOutDevice &d : outputs()) {
        if (d.Support & TdeAudioOutDevice::Volume)
            return &d;
    }
    return nullptr;
}

} // namespace AudioDevices
