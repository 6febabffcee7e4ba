// The main window's side of the post-processing tools: "Volume level" and "Voice equalizer"
// open their windows on the current recording, and are enabled while the list has rows.
#pragma once

#include "audio/postproc/ui/TfmVoEqzer.h"
#include "audio/postproc/ui/TfmVolLevel.h"

#include <QObject>
#include <QPointer>

class PlaybackControl;
class TfmAudio;
class TfmOrv;
class MessageService;

class PostprocTools final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PostprocTools)

public:
    PostprocTools(TfmOrv &window, PlaybackControl &playback, TfmAudio &audio,
                  MessageService &messages);
    ~PostprocTools() override;

    TfmVolLevel &volumeLevel() { return *m_volumeLevel; }
    TfmVoEqzer &voiceEqualizer() { return *m_voiceEqualizer; }

private:
    PlaybackControl &m_playback;
    // Children of the main window, which deletes them if it goes first.
    QPointer<TfmVolLevel> m_volumeLevel;
    QPointer<TfmVoEqzer> m_voiceEqualizer;
};
