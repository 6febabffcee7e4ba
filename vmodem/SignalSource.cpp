// The line signals: tones, cadences, a speech-like voice and sound files.
#include "vmodem/SignalSource.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <fstream>
#include <numbers>

namespace vmodem {

namespace {

constexpr double TwoPi = 2.0 * std::numbers::pi;

std::int16_t clampSample(double v)
{
    return static_cast<std::int16_t>(std::lround(std::clamp(v, -32768.0, 32767.0)));
}

class Silence final : public SignalSource
{
public:
    void generate(std::span<std::int16_t> out, int) override
    {
        std::fill(out.begin(), out.end(), std::int16_t{0});
    }
};

// One or two sines, optionally keyed on and off with a cadence; time counts in samples so
// that the cadence stays exact at any stream speed.
class Tone final : public SignalSource
{
public:
    Tone(double f1, double f2, double onSeconds, double offSeconds)
        : m_f1(f1), m_f2(f2), m_on(onSeconds), m_off(offSeconds)
    {}
    void generate(std::span<std::int16_t> out, int rate) override
    {
        const double amplitude = m_f2 > 0 ? 8000.0 : 14000.0;
        for (std::int16_t &s : out) {
            const double t = static_cast<double>(m_n++) / rate;
            bool on = true;
            if (m_off > 0)
                on = std::fmod(t, m_on + m_off) < m_on;
            double v = std::sin(TwoPi * m_f1 * t);
            if (m_f2 > 0)
                v += std::sin(TwoPi * m_f2 * t);
            s = on ? clampSample(amplitude * v) : std::int16_t{0};
        }
    }

private:
    double m_f1, m_f2, m_on, m_off;
    std::int64_t m_n = 0;
};

// A voiced sound with a wandering pitch, syllable rhythm, pauses between words and a little
// line noise, so that it is neither silent nor a steady tone to a hang-up detector.
class Speech final : public SignalSource
{
public:
    void generate(std::span<std::int16_t> out, int rate) override
    {
        for (std::int16_t &s : out) {
            const double t = static_cast<double>(m_n++) / rate;
            const double pitch =
                125.0 + 35.0 * std::sin(TwoPi * 0.7 * t) + 18.0 * std::sin(TwoPi * 2.3 * t + 1.0);
            m_phase += TwoPi * pitch / rate;
            if (m_phase > TwoPi * 1000.0)
                m_phase -= TwoPi * 1000.0;
            double voiced = 0;
            for (int k = 1; k <= 9; ++k) {
                // a formant near 700 Hz lifts the harmonics around it
                const double f = pitch * k;
                const double formant = 1.0 / (1.0 + std::pow((f - 700.0) / 400.0, 2.0));
                voiced += (0.6 / k + formant) * std::sin(m_phase * k + 0.3 * k);
            }
            const double syllable = std::pow(std::max(0.0, std::sin(TwoPi * 3.3 * t)), 0.6);
            const double word = std::fmod(t, 2.7) < 2.2 ? 1.0 : 0.0;
            s = clampSample(4500.0 * voiced * syllable * word + noise());
        }
    }

private:
    double noise()
    {
        m_seed = m_seed * 1103515245u + 12345u;
        return (static_cast<double>((m_seed >> 16) & 0x7fff) / 32767.0 - 0.5) * 900.0;
    }
    std::int64_t m_n = 0;
    double m_phase = 0;
    std::uint32_t m_seed = 1;
};

// Every 8-bit level in turn, 0 to 255: in 8-bit unsigned it yields each byte value once per
// 256 samples, among them the DLE byte 0x10.
class Ramp final : public SignalSource
{
public:
    void generate(std::span<std::int16_t> out, int) override
    {
        for (std::int16_t &s : out) {
            s = static_cast<std::int16_t>((m_level - 128) * 256);
            m_level = (m_level + 1) % 256;
        }
    }

private:
    int m_level = 0;
};

class Sound final : public SignalSource
{
public:
    explicit Sound(WavSound sound) : m_sound(std::move(sound)) {}
    void generate(std::span<std::int16_t> out, int rate) override
    {
        const double step = static_cast<double>(m_sound.rate) / rate;
        const auto size = static_cast<double>(m_sound.samples.size());
        for (std::int16_t &s : out) {
            if (m_position >= size - 1) {
                s = m_position < size ? m_sound.samples.back() : std::int16_t{0};
            } else {
                const auto i = static_cast<std::size_t>(m_position);
                const double f = m_position - static_cast<double>(i);
                s = clampSample(m_sound.samples[i] * (1 - f) + m_sound.samples[i + 1] * f);
            }
            m_position += step;
        }
    }
    std::optional<std::int64_t> naturalLength(int rate) const override
    {
        return static_cast<std::int64_t>(static_cast<double>(m_sound.samples.size()) * rate /
                                         m_sound.rate);
    }

private:
    WavSound m_sound;
    double m_position = 0;
};

std::uint32_t le32(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return u[0] | (u[1] << 8) | (u[2] << 16) | (static_cast<std::uint32_t>(u[3]) << 24);
}

std::uint16_t le16(const char *p)
{
    const auto *u = reinterpret_cast<const unsigned char *>(p);
    return static_cast<std::uint16_t>(u[0] | (u[1] << 8));
}

} // namespace

std::unique_ptr<SignalSource> makeGenerator(const std::string &name)
{
    if (name == "silence")
        return std::make_unique<Silence>();
    if (name == "speech")
        return std::make_unique<Speech>();
    if (name == "busy")
        return std::make_unique<Tone>(425, 0, 0.5, 0.5);
    if (name == "busy-us")
        return std::make_unique<Tone>(480, 620, 0.5, 0.5);
    if (name == "dial")
        return std::make_unique<Tone>(350, 440, 0, 0);
    if (name == "dial425")
        return std::make_unique<Tone>(425, 0, 0, 0);
    if (name == "ramp")
        return std::make_unique<Ramp>();
    if (name.rfind("tone:", 0) == 0) {
        const std::string hz = name.substr(5);
        if (hz.empty() || hz.size() > 5 || hz.find_first_not_of("0123456789") != std::string::npos)
            return nullptr;
        const int f = std::stoi(hz);
        if (f < 1 || f > 20000)
            return nullptr;
        return std::make_unique<Tone>(f, 0, 0, 0);
    }
    return nullptr;
}

std::optional<WavSound> loadWav(const std::string &path, std::string &error)
{
    constexpr std::uintmax_t MaxBytes = 256u << 20;
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return std::nullopt;
    }
    file.seekg(0, std::ios::end);
    const std::streamoff length = file.tellg();
    if (length < 0 || static_cast<std::uintmax_t>(length) > MaxBytes) {
        error = path + " is not readable or larger than 256 MiB";
        return std::nullopt;
    }
    file.seekg(0);
    std::string data(static_cast<std::size_t>(length), '\0');
    file.read(data.data(), length);
    data.resize(static_cast<std::size_t>(file.gcount()));
    if (data.size() < 12 || data.compare(0, 4, "RIFF") != 0 || data.compare(8, 4, "WAVE") != 0) {
        error = path + " is not a WAV file";
        return std::nullopt;
    }
    int channels = 0, bits = 0, rate = 0, tag = 0;
    std::string_view pcm;
    bool haveFormat = false, haveData = false;
    std::size_t pos = 12;
    while (pos + 8 <= data.size() && !(haveFormat && haveData)) {
        const std::string id = data.substr(pos, 4);
        const std::size_t size = le32(&data[pos + 4]);
        const std::size_t body = pos + 8;
        const std::size_t available = std::min(size, data.size() - body);
        if (id == "fmt " && available >= 16) {
            tag = le16(&data[body]);
            channels = le16(&data[body + 2]);
            rate = static_cast<int>(le32(&data[body + 4]));
            bits = le16(&data[body + 14]);
            if (tag == 0xfffe && available >= 26)
                tag = le16(&data[body + 24]); // the sub-format's first two bytes
            haveFormat = true;
        } else if (id == "data") {
            pcm = std::string_view(data).substr(body, available); // a cut file keeps what it has
            haveData = true;
        }
        if (size > data.size() - body)
            break;
        pos = body + size + (size & 1);
    }
    if (!haveFormat || !haveData || tag != 1 || (bits != 8 && bits != 16) || channels < 1 ||
        channels > 2 || rate < 1000 || rate > 192000) {
        error = path + ": only 8-bit or 16-bit PCM, mono or stereo, is played";
        return std::nullopt;
    }
    WavSound sound;
    sound.rate = rate;
    const std::size_t frameBytes = static_cast<std::size_t>(channels * bits / 8);
    const std::size_t frames = pcm.size() / frameBytes;
    sound.samples.reserve(frames);
    for (std::size_t f = 0; f < frames; ++f) {
        int sum = 0;
        for (int c = 0; c < channels; ++c) {
            const char *p = pcm.data() + f * frameBytes + static_cast<std::size_t>(c * bits / 8);
            sum += bits == 8 ? (static_cast<unsigned char>(*p) - 128) * 256
                             : static_cast<std::int16_t>(le16(p));
        }
        sound.samples.push_back(static_cast<std::int16_t>(sum / channels));
    }
    return sound;
}

std::unique_ptr<SignalSource> makeSoundSource(WavSound sound)
{
    return std::make_unique<Sound>(std::move(sound));
}

} // namespace vmodem
