// Wiring of the post-processing windows into the main window.
#include "PostprocTools.h"

#include "MainActions.h"
#include "PlaybackControl.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "audio/postproc/ui/TfmVoEqzer.h"
#include "audio/postproc/ui/TfmVolLevel.h"
#include "catalogue/Catalogue.h"

#include <QAction>

PostprocTools::PostprocTools(TfmOrv &window, Catalogue &catalogue, PlaybackControl &playback,
                             TfmAudio &audio, MessageService &messages)
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

    // A playback or a recording disables the tools and puts them back when it ends.
    auto follow = [&window, &playback](const CommandStates &states) {
        const bool enabled = states.listCommandsEnabled() && !playback.busy();
        MainActions &a = window.actions();
        a.mnLevel->setEnabled(enabled);
        a.mnEqualizer->setEnabled(enabled);
    };
    connect(&catalogue, &Catalogue::commandStatesChanged, this, follow);
    follow(catalogue.commandStates());
}

// The windows go before the audio window they play through.
PostprocTools::~PostprocTools()
{
    m_playback.showLevelTool = nullptr;
    m_playback.showEqualizerTool = nullptr;
    delete m_volumeLevel.data();
    delete m_voiceEqualizer.data();
}
