// The list of drivers and the queries that go to the driver owning a format.
#include "audio/codecs/CodecLayer.h"

#include "audio/codecs/G711.h"
#include "audio/codecs/Gsm610.h"
#include "audio/codecs/ImaAdpcm.h"
#include "audio/codecs/MsAdpcm.h"
#include "audio/codecs/Pcm.h"

namespace codecs {

namespace {

std::vector<std::unique_ptr<Driver>> makeDrivers()
{
    std::vector<std::unique_ptr<Driver>> list;
    list.push_back(makePcmDriver());
    list.push_back(makeImaAdpcmDriver());
    list.push_back(makeMsAdpcmDriver());
    list.push_back(makeALawDriver());
    list.push_back(makeMuLawDriver());
    list.push_back(makeGsm610Driver());
    return list;
}

std::string bounded(std::string text, std::size_t limit)
{
    if (text.size() > limit)
        text.resize(limit);
    return text;
}

} // namespace

const std::vector<std::unique_ptr<Driver>> &installedDrivers()
{
    static const std::vector<std::unique_ptr<Driver>> drivers = [] {
        auto list = makeDrivers();
        // Driver identifiers start at 1 so that 0 can mean "no driver".
        std::uint32_t id = 1;
        for (auto &d : list)
            d->setId(id++);
        return list;
    }();
    return drivers;
}

const Driver *driverById(std::uint32_t id)
{
    for (const auto &d : installedDrivers()) {
        if (d->id() == id)
            return d.get();
    }
    return nullptr;
}

const Driver *driverFor(const WaveFields &format)
{
    for (const auto &d : installedDrivers()) {
        if (!d->tagName(format.tag).empty() && d->accepts(format))
            return d.get();
    }
    return nullptr;
}

Result tagDetails(std::uint16_t tag, std::string &name)
{
    for (const auto &d : installedDrivers()) {
        std::string n = d->tagName(tag);
        if (!n.empty()) {
            name = bounded(std::move(n), 48);
            return Result::Ok;
        }
    }
    return Result::NotSupported;
}

Result formatDetails(const FormatBlock &format, std::string &text)
{
    const WaveFields f = WaveFields::read(format);
    const Driver *d = driverFor(f);
    if (!d)
        return Result::NotSupported;
    text = bounded(d->formatText(f), 128);
    return Result::Ok;
}

Result streamQuery(const FormatBlock &src, const FormatBlock &dst)
{
    const WaveFields s = WaveFields::read(src);
    const WaveFields d = WaveFields::read(dst);
    for (const auto &driver : installedDrivers()) {
        if (driver->canConvert(s, d))
            return Result::Ok;
    }
    return Result::NotPossible;
}

Result formatSuggest(const FormatBlock &src, FormatBlock &dst)
{
    const WaveFields s = WaveFields::read(src);
    if (WaveFields::read(dst).tag != Tag::Pcm)
        return Result::NotPossible;
    for (const auto &driver : installedDrivers()) {
        WaveFields pcm;
        if (driver->suggestPcm(s, pcm)) {
            // A PCM format has no codec bytes: those of the record it started from go.
            dst.fill(0);
            pcm.write(dst);
            return Result::Ok;
        }
    }
    return Result::NotPossible;
}

Result streamOpen(const FormatBlock &src, const FormatBlock &dst, std::unique_ptr<Stream> &stream)
{
    const WaveFields s = WaveFields::read(src);
    const WaveFields d = WaveFields::read(dst);
    for (const auto &driver : installedDrivers()) {
        if (driver->canConvert(s, d)) {
            stream = driver->open(s, d);
            return stream ? Result::Ok : Result::NoMemory;
        }
    }
    return Result::NotPossible;
}

Result buildFormat(std::uint16_t tag, std::uint32_t rate, std::uint16_t channels,
                   std::uint16_t bits, FormatBlock &format)
{
    for (const auto &driver : installedDrivers()) {
        WaveFields f;
        if (!driver->tagName(tag).empty() && driver->build(tag, rate, channels, bits, f)) {
            format.fill(0);
            f.write(format);
            return Result::Ok;
        }
    }
    return Result::InvalidParam;
}

std::uint32_t samplesPerBlock(const FormatBlock &format)
{
    const WaveFields f = WaveFields::read(format);
    const Driver *d = driverFor(f);
    return d ? d->samplesPerBlock(f) : 0;
}

} // namespace codecs
