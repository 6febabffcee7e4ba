// Wiring of the post-processing windows into the main window.
#include "PostprocTools.h"

#include "PlaybackControl.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "audio/postproc/ui/TfmVoEqzer.h"
#include "audio/postproc/ui/TfmVolLevel.h"

#include <QAction>

PostprocTools::PostprocTools(TfmOrv &window, PlaybackControl &playback, TfmAudio &audio,
                             MessageService &messages)
    : m_playback(playback)
{
    const MainTrace trace{
        [&window](const QByteArray &stream) { window.trace().DisplayStreamData(stream); },
        [&window] { window.trace().ClearTrace(); }};
    m_volumeLevel = new TfmVolLevel(audio, messages, trace, &window);
    m_voiceEqualizer = new TfmVoEqzer(audio, messages, trace, &window);
    playback.showLevelTool = [this](const QString &path) {
        if (m_volumeLevel)
            m_volumeLevel->ShowForFile(path);
    };
    playback.showEqualizerTool = [this](const QString &path) {
        if (m_voiceEqualizer)
            m_voiceEqualizer->ShowForFile(path);
    };
}

// The windows go before the audio window they play through.
PostprocTools::~PostprocTools()
{
    m_playback.showLevelTool = nullptr;
    m_playback.showEqualizerTool = nullptr;
    delete m_volumeLevel.data();
    delete m_voiceEqualizer.data();
}
