// The voice equaliser window: Apply runs VoiceEqualizer on the recording.
#include "audio/postproc/ui/TfmVoEqzer.h"

#include "audio/postproc/VoiceEqualizer.h"

#include <QPushButton>

TfmVoEqzer::TfmVoEqzer(TfmAudio &audio, MessageService &messages, MainTrace trace, QWidget *parent)
    : PostprocWindow(QStringLiteral("Voice equalizer"), audio, messages, std::move(trace), parent)
{
    setObjectName(QStringLiteral("fmVoEqzer"));
    buildLayout(nullptr);
}

void TfmVoEqzer::FormShow()
{
    btnSave->setEnabled(false);
}

QString TfmVoEqzer::applyTool(const GaugeHandler &gauge)
{
    const auto outcome = VoiceEqualizer::Apply(stmWav.buffer(), gauge);
    if (!outcome.voiceFound)
        return QString::fromUtf8(VoiceEqualizer::NoVoiceMessage);
    return {};
}
