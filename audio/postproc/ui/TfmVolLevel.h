// The volume level tool: a gain between -50 % and +100 % picked on a vertical bar and applied
// to every sample of the recording, as often as the user likes, before Save writes it back.
#pragma once

#include "audio/postproc/ui/PostprocWindow.h"

class QLabel;
class QSlider;
class TrackBarScale;

class TfmVolLevel final : public PostprocWindow
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmVolLevel)

public:
    TfmVolLevel(TfmAudio &audio, MessageService &messages, MainTrace trace,
                QWidget *parent = nullptr);

    void trbChange();

    QSlider *trb = nullptr;
    TrackBarScale *trbScale = nullptr;
    QLabel *Label1 = nullptr;

protected:
    void prepareForFile() override;
    void FormShow() override;
    QString applyTool(const GaugeHandler &gauge) override;
};
