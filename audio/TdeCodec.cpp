// Examining the installed codec drivers.
#include "audio/TdeCodec.h"

#include "audio/EACMError.h"
#include "audio/codecs/CodecLayer.h"

#include <algorithm>

namespace {

QString bounded(const std::string &text, int limit)
{
    return QString::fromStdString(text).left(limit);
}

bool built = false;

} // namespace

TdeWaveFormat CodecFormat::Format() const
{
    TdeWaveFormat f;
    f.Buffer().fill(0);
    f.loadFromBytes(Block);
    return f;
}

TdeCodec::TdeCodec(quint32 driverId) : m_driverId(driverId)
{
    const codecs::Driver *driver = codecs::driverById(driverId);
    CheckAudioResult<EACMCodecError>(driver ? codecs::Result::Ok : codecs::Result::InvalidHandle,
                                     QStringLiteral("Error retrieving driver details."));
    const codecs::DriverDetails &d = driver->details();
    m_shortName = bounded(d.shortName, 31);
    m_longName = bounded(d.longName, 127);
    m_copyright = bounded(d.copyright, 79);
    m_licensing = bounded(d.licensing, 127);
    m_features = bounded(d.features, 511);
    m_priority = d.priority;
    m_support.Codec = d.support & codecs::Support::Codec;
    m_support.Converter = d.support & codecs::Support::Converter;
    m_support.Filter = d.support & codecs::Support::Filter;
    m_support.Hardware = d.support & codecs::Support::Hardware;
    m_support.Async = d.support & codecs::Support::Async;
    m_support.Local = d.support & codecs::Support::Local;
    m_support.Disabled = d.support & codecs::Support::Disabled;
    m_maxFormatSize = std::max<int>(d.maxFormatSize, 18);
    for (std::uint16_t tag : driver->tags())
        m_tags.append(tag);

    for (const codecs::WaveFields &f : driver->formats()) {
        codecs::FormatBlock block{};
        f.write(block);
        const int used = std::min<int>(int(codecs::HeaderSize + f.extraSize()), m_maxFormatSize);
        QByteArray bytes(m_maxFormatSize, '\0');
        std::copy(block.begin(), block.begin() + used, bytes.begin());
        m_formats.push_back({bounded(driver->formatText(f), 128), bytes});
    }
}

std::vector<std::unique_ptr<TdeCodec>> &CodecCatalogue::list()
{
    static std::vector<std::unique_ptr<TdeCodec>> codecs;
    return codecs;
}

void CodecCatalogue::Refresh()
{
    list().clear();
    for (const auto &driver : codecs::installedDrivers()) {
        try {
            list().push_back(std::make_unique<TdeCodec>(driver->id()));
        } catch (const EACMError &) {
            // A driver that cannot be examined is not offered.
        }
    }
    built = true;
}

void CodecCatalogue::ensureBuilt()
{
    if (!built)
        Refresh();
}

int CodecCatalogue::count()
{
    ensureBuilt();
    return int(list().size());
}

const TdeCodec &CodecCatalogue::Codec(int index)
{
    ensureBuilt();
    return *list().at(std::size_t(index));
}
