// The voice equaliser: raises the quiet stretches of speech of the recording to 1.3 times
// its average speech level; it has no settings of its own.
#pragma once

#include "audio/postproc/ui/PostprocWindow.h"

class TfmVoEqzer final : public PostprocWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmVoEqzer)

public:
    TfmVoEqzer(TfmAudio &audio, MessageService &messages, MainTrace trace,
               QWidget *parent = nullptr);

protected:
    void FormShow() override;
    QString applyTool(const GaugeHandler &gauge) override;
};
