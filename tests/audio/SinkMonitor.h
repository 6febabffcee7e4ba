// Records what reaches the sound server's default sink, through its monitor source, as 8000 Hz
// mono 8-bit samples, and finds a signal in the recording.
#pragma once

#include <QProcess>
#include <QStandardPaths>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "support/Waits.h"

class SinkMonitor
{
public:
    ~SinkMonitor()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }

    // Starts recording; true once the recorder delivers data. Qt lists no monitor sources,
    // so the sound server's own recorder is used.
    bool start()
    {
        if (QStandardPaths::findExecutable("parec").isEmpty())
            return false;
        m_process.start("parec",
                        {"-d", "@DEFAULT_MONITOR@", "--format=u8", "--rate=8000", "--channels=1",
                         "--raw", "--latency-msec=20", "--process-time-msec=10"});
        return m_process.waitForStarted(3000) &&
               Waits::waitUntil([&] { return collect() > 100; }, 3000);
    }

    qint64 collect()
    {
        m_data += m_process.readAllStandardOutput();
        return m_data.size();
    }

    std::vector<double> samples()
    {
        collect();
        std::vector<double> s;
        for (char c : m_data)
            s.push_back(double(std::uint8_t(c)) - 128.0);
        return s;
    }

    // The best normalised correlation of signal with the recording at any lag. The server's
    // resampling shifts the sound by a fraction of a sample, so quarter-sample shifts around
    // the best whole-sample lag are tried too.
    static double bestCorrelation(const std::vector<double> &recording,
                                  const std::vector<double> &signal)
    {
        if (recording.size() < signal.size() + 4)
            return 0;
        auto correlation = [&](std::size_t lag, double fraction, std::size_t step) {
            double dot = 0, energy = 0, signalEnergy = 0;
            for (std::size_t i = 0; i < signal.size(); i += step) {
                const double r =
                    recording[lag + i] * (1 - fraction) + recording[lag + i + 1] * fraction;
                dot += r * signal[i];
                energy += r * r;
                signalEnergy += signal[i] * signal[i];
            }
            return energy > 0 && signalEnergy > 0 ? dot / std::sqrt(energy * signalEnergy) : 0.0;
        };
        std::size_t bestLag = 0;
        double coarse = -1;
        for (std::size_t lag = 0; lag + signal.size() + 1 < recording.size(); ++lag) {
            const double c = correlation(lag, 0, 4);
            if (c > coarse) {
                coarse = c;
                bestLag = lag;
            }
        }
        double best = 0;
        for (std::size_t lag = bestLag > 2 ? bestLag - 2 : 0;
             lag <= bestLag + 2 && lag + signal.size() + 1 < recording.size(); ++lag) {
            for (double fraction : {0.0, 0.25, 0.5, 0.75})
                best = std::max(best, correlation(lag, fraction, 1));
        }
        return best;
    }

private:
    QProcess m_process;
    QByteArray m_data;
};
