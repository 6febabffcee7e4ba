// The transport panel's playback: Play, Pause, the playback half of Stop, Rewind and Fast
// forward, the position bar, the volume bar and the 100 ms playback tick. The sound comes from
// the media player; the recording is also decoded to working PCM (on a thread of its own, while
// the sound starts) so that the trace can show the samples under the play position.
#pragma once

#include "WindowState.h"
#include "audio/out/MediaPlayer.h"

#include <QBuffer>
#include <QList>
#include <QObject>
#include <QTimer>
#include <functional>

struct AppContext;
class CallRecorder;
class Catalogue;
class QAction;
class QThread;
class TdeAudioOutDevice;
class TfmOrv;

class PlaybackControl final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PlaybackControl)

public:
    PlaybackControl(AppContext &context, TfmOrv &window, Catalogue &catalogue);
    ~PlaybackControl() override;

    void acPlayExecute();
    void acPauseExecute();
    // The playback half of Stop, run after the recording half.
    void acStopExecute();
    void acRewindExecute();
    void acFFExecute();
    void PlaybackTick();
    // A click on the position bar at x pixels from its left edge, the bar being width wide.
    void TrackBar1MouseDown(Qt::MouseButton button);
    void TrackBar1MouseMove();
    void TrackBar1MouseUp(Qt::MouseButton button, int x, int width);
    void TrackBar2Change();
    void mnLevelClick();
    void mnEqualizerClick();

    // Playing or paused, or moved by a seek: a recording may still start (a call always wins).
    bool busy() const;
    // Playing, or paused (a seek leaves the player stopped until Play), or stopped.
    WindowState::Playback state() const;
    // Stop has a recording half and a playback half: a recording's end runs this one too.
    void followRecording(CallRecorder &recorder);

    MediaPlayer Mplayer1;
    QTimer Timer2;
    QBuffer PlaybackPcm;
    bool SeekPending = false;
    qint64 SeekStep = 1;
    bool BarPressed = false;
    bool BarDragging = false;
    const TdeAudioOutDevice *VolumeDevice = nullptr;
    QString CurrentFileName;

    // Starts the external player with one argument; tests replace it.
    std::function<bool(const QString &program, const QString &argument)> launchExternal;
    // The post-processing tools' ShowForFile, set by their owner.
    std::function<void(const QString &path)> showLevelTool, showEqualizerTool;

signals:
    // state() changed.
    void stateChanged();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The current row's file, in the recordings folder or an earlier one.
    QString recordingPath();
    void showMissing(const QString &path);
    void enterPlaying();
    // The end of a playback, by Stop or at the end of the recording.
    void backToIdle();
    void openTool(const QString &logLine, const std::function<void(const QString &)> &tool);

    AppContext &m_ctx;
    TfmOrv &m_window;
    Catalogue &m_catalogue;
    // The trace's copy is decoded beside the sound, so that a long recording starts at once.
    bool startTraceDecode(const QString &path);
    void waitForDecodes();
    QList<QThread *> m_decodes;
    int m_generation = 0;
    bool m_pcmReady = false;
};
