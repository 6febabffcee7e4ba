// The desktop's sound output as a WaveOutDevice: a QAudioSink in push mode, fed from the queue
// of written blocks every few milliseconds; a block is reported done once the sink has played
// past its last byte.
#pragma once

#include "audio/out/WaveOutDevice.h"

#include <QAudioFormat>
#include <memory>
#include <optional>

std::unique_ptr<WaveOutDevice> makeQtWaveOut();

// The sink format for a PCM wave format; none for other formats or sizes Qt cannot play.
std::optional<QAudioFormat> sinkFormat(const TdeWaveFormat &format);
