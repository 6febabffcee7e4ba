// Playback commands and states of the main window.
#include "PlaybackControl.h"

#include "AppContext.h"
#include "MainActions.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "TransportPanel.h"
#include "audio/out/TdeAudioDevice.h"
#include "audio/out/TfmAudio.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ui/RecordingsListView.h"
#include "recording/CallRecorder.h"

#include <QAction>
#include <QCoreApplication>
#include <QFile>
#include <QMouseEvent>
#include <QProcess>
#include <QSlider>
#include <cmath>
#include <vector>

namespace {
// The nearest whole number, halves to the even one.
qint64 roundEven(double value)
{
    return qint64(std::nearbyint(value));
}
} // namespace

PlaybackControl::PlaybackControl(AppContext &context, TfmOrv &window, Catalogue &catalogue,
                                 TfmAudio &audio)
    : m_ctx(context), m_window(window), m_catalogue(catalogue), m_audio(audio)
{
    Timer2.setInterval(100);
    Timer2.setTimerType(Qt::PreciseTimer);
    connect(&Timer2, &QTimer::timeout, this, &PlaybackControl::PlaybackTick);
    PlaybackPcm.open(QIODevice::ReadWrite);
    launchExternal = [](const QString &program, const QString &argument) {
        return QProcess::startDetached(program, {argument});
    };

    MainActions &a = m_window.actions();
    connect(a.acPlay, &QAction::triggered, this, &PlaybackControl::acPlayExecute);
    connect(a.acPause, &QAction::triggered, this, &PlaybackControl::acPauseExecute);
    // Connected after the recording's own handler, so the playback half runs second.
    connect(a.acStop, &QAction::triggered, this, &PlaybackControl::acStopExecute);
    connect(a.acRewind, &QAction::triggered, this, &PlaybackControl::acRewindExecute);
    connect(a.acFF, &QAction::triggered, this, &PlaybackControl::acFFExecute);
    connect(a.mnLevel, &QAction::triggered, this, &PlaybackControl::mnLevelClick);
    connect(a.mnEqualizer, &QAction::triggered, this, &PlaybackControl::mnEqualizerClick);

    // The list's rows decide whether there is anything to play.
    connect(&m_catalogue, &Catalogue::commandStatesChanged, this,
            [this](const CommandStates &states) {
                MainActions &a = m_window.actions();
                for (QAction *action : {a.acPlay, a.acPause, a.acStop})
                    action->setEnabled(states.listCommandsEnabled());
                if (const auto seek = states.rewindAndForward())
                    setSeekButtonsEnabled(*seek);
            });
    connect(m_window.recordingsList(), &RecordingsListView::rowDoubleClicked, this, [this] {
        if (m_window.actions().acPlay->isEnabled())
            acPlayExecute();
    });

    QSlider *position = m_window.transport().positionBar();
    position->installEventFilter(this);
    QSlider *volume = m_window.transport().volumeBar();
    connect(volume, &QSlider::valueChanged, this, &PlaybackControl::TrackBar2Change);
    VolumeDevice = AudioDevices::firstWithVolume();
    TrackBar2Change();

    // Closing the window ends the sound with it.
    connect(&m_window, &TfmOrv::closed, this, [this] {
        if (busy())
            acStopExecute();
    });
    m_window.isPlaying = [this] { return busy(); };
}

PlaybackControl::~PlaybackControl()
{
    m_window.isPlaying = nullptr;
}

bool PlaybackControl::busy() const
{
    const MediaPlayer::Mode mode = Mplayer1.mode();
    return mode == MediaPlayer::Mode::Playing || mode == MediaPlayer::Mode::Paused || SeekPending;
}

void PlaybackControl::followRecording(CallRecorder &recorder)
{
    connect(&recorder, &CallRecorder::stopped, this, &PlaybackControl::acStopExecute);
}

QString PlaybackControl::recordingPath() const
{
    return m_ctx.prefs.wavDir + CurrentFileName + QStringLiteral(".wav");
}

void PlaybackControl::showMissing(const QString &path)
{
    m_ctx.messages.showMessage(QStringLiteral("\"") + path +
                                   QStringLiteral("\" file does not exist"),
                               MessageService::Kind::Error);
}

void PlaybackControl::setSeekButtonsEnabled(bool enabled)
{
    m_window.actions().acRewind->setEnabled(enabled);
    m_window.actions().acFF->setEnabled(enabled);
}

void PlaybackControl::acPlayExecute()
{
    MainActions &a = m_window.actions();
    using Mode = MediaPlayer::Mode;
    if (Mplayer1.mode() == Mode::Playing)
        a.acPlay->setChecked(true);
    if (Mplayer1.mode() == Mode::Paused || SeekPending || Mplayer1.mode() == Mode::Playing) {
        if (Mplayer1.mode() == Mode::Paused || SeekPending) {
            SeekPending = false;
            Mplayer1.Resume();
            a.acPlay->setChecked(true);
            a.acPause->setChecked(false);
            Timer2.start();
            setSeekButtonsEnabled(false);
        }
        return;
    }

    m_catalogue.RenameLegacyFile();
    if (m_ctx.prefs.ExtPlayer) {
        m_ctx.log.appendLine(QStringLiteral("-- External MediaPlayer playback"));
        CurrentFileName = m_catalogue.RecordingFileName();
        const QString path = recordingPath();
        a.acPlay->setChecked(false);
        // The path is one argument of its own; no shell sees it, so it needs no quotes.
        if (QFile::exists(path))
            launchExternal(m_ctx.prefs.Player, path);
        else
            showMissing(path);
        return;
    }

    m_ctx.log.appendLine(QStringLiteral("-- Playback file"));
    CurrentFileName = m_catalogue.RecordingFileName();
    SeekPending = false;
    Mplayer1.Wait = false;
    const QString path = recordingPath();
    if (CurrentFileName.isEmpty() || !QFile::exists(path)) {
        a.acPlay->setChecked(false);
        showMissing(path);
        return;
    }
    Mplayer1.FileName = path;
    a.acPlay->setChecked(true);
    QCoreApplication::processEvents();

    PlaybackPcm.close();
    PlaybackPcm.setData(QByteArray());
    PlaybackPcm.open(QIODevice::ReadWrite);
    if (!m_audio.LoadWav(path, PlaybackPcm)) {
        a.acPlay->setChecked(false);
        return;
    }
    PlaybackPcm.seek(0);

    for (const char *step : {"Mplayer1.open", "Mplayer1.play"}) {
        try {
            if (qstrcmp(step, "Mplayer1.open") == 0)
                Mplayer1.Open();
            else
                Mplayer1.Play();
        } catch (const MediaPlayerError &e) {
            m_ctx.messages.showMessage(QStringLiteral("\"%1\" Error num %2. %3")
                                           .arg(QLatin1String(step))
                                           .arg(e.number())
                                           .arg(e.text()),
                                       MessageService::Kind::Error);
            Mplayer1.Close();
            a.acPlay->setChecked(false);
            return;
        }
    }
    enterPlaying();
}

void PlaybackControl::enterPlaying()
{
    MainActions &a = m_window.actions();
    Timer2.start();
    m_savedStates.clear();
    for (QAction *action : {a.acRecord, a.mnLevel, a.mnEqualizer}) {
        m_savedStates.insert(action, action->isEnabled());
        action->setEnabled(false);
    }
    setSeekButtonsEnabled(false);
    m_window.transport().positionBar()->setEnabled(true);
}

void PlaybackControl::acPauseExecute()
{
    MainActions &a = m_window.actions();
    const bool paused = Mplayer1.mode() == MediaPlayer::Mode::Paused;
    // The action toggled itself before this runs, so its state before the click is the other.
    const bool wasUp = a.acPause->isChecked();
    a.acPause->setChecked((wasUp && paused) || SeekPending);
    if (Mplayer1.mode() != MediaPlayer::Mode::Playing)
        return;
    Mplayer1.Pause();
    a.acPause->setChecked(true);
    a.acPlay->setChecked(false);
    Timer2.stop();
    setSeekButtonsEnabled(true);
}

void PlaybackControl::acStopExecute()
{
    if (busy()) {
        m_ctx.log.appendLine(QStringLiteral("-- Playback stopped"));
        backToIdle();
    }
    if (!m_ctx.VoiceSupported)
        m_window.setRecordEnabled(false);
}

void PlaybackControl::backToIdle()
{
    MainActions &a = m_window.actions();
    Mplayer1.Close();
    setSeekButtonsEnabled(false);
    a.acPlay->setChecked(false);
    // Record and the tools come back as they were before playing, so that a feature that is
    // not available (no modem, a tool not there) does not come alive.
    for (auto it = m_savedStates.cbegin(); it != m_savedStates.cend(); ++it)
        it.key()->setEnabled(it.value());
    m_savedStates.clear();
    QSlider *bar = m_window.transport().positionBar();
    bar->setValue(0);
    bar->setEnabled(false);
    Timer2.stop();
    SeekPending = false;
    BarPressed = BarDragging = false;
    m_window.trace().ClearTrace();
    a.acPause->setChecked(false);
}

void PlaybackControl::acRewindExecute()
{
    SeekPending = true;
    const qint64 length = Mplayer1.Length();
    SeekStep = length >= 60 ? length / 60 : 1;
    Mplayer1.Seek(Mplayer1.Position() - SeekStep); // a refused seek is not reported
    PlaybackTick();
}

void PlaybackControl::acFFExecute()
{
    SeekPending = true;
    const qint64 length = Mplayer1.Length();
    SeekStep = length >= 60 ? length / 60 : 1;
    Mplayer1.Seek(Mplayer1.Position() + SeekStep);
    PlaybackTick();
}

void PlaybackControl::PlaybackTick()
{
    const MediaPlayer::Mode mode = Mplayer1.mode();
    if (mode == MediaPlayer::Mode::Playing || SeekPending) {
        const qint64 length = Mplayer1.Length();
        const float f = length < 1 ? 0.0f : float(Mplayer1.Position()) / float(length);
        const int n = m_ctx.prefs.pointsValue();
        if (!BarDragging)
            m_window.transport().positionBar()->setValue(int(roundEven(1000.0 * double(f))));
        PlaybackPcm.seek(roundEven(double(PlaybackPcm.size()) * double(f)));
        std::vector<std::uint8_t> block(std::size_t(n) + 1, 0);
        char last = 0;
        for (int i = 1; i <= n; ++i) {
            // Past the end the last byte read repeats.
            PlaybackPcm.getChar(&last);
            block[std::size_t(i)] = std::uint8_t(last);
        }
        // The trace belongs to a recording while one runs.
        const bool recording = m_window.isRecording && m_window.isRecording();
        if (m_ctx.prefs.PlayTrace && !recording)
            m_window.trace().DisplayData(std::span<const std::uint8_t>(block).subspan(1));
    }
    if (mode == MediaPlayer::Mode::Stopped && !SeekPending)
        backToIdle(); // the end of the recording
}

bool PlaybackControl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_window.transport().positionBar()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
            TrackBar1MouseDown(static_cast<QMouseEvent *>(event)->button());
            break;
        case QEvent::MouseMove:
            TrackBar1MouseMove();
            break;
        case QEvent::MouseButtonRelease: {
            const auto *mouse = static_cast<QMouseEvent *>(event);
            TrackBar1MouseUp(mouse->button(), int(mouse->position().x()),
                             m_window.transport().positionBar()->width());
            break;
        }
        default:
            break;
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlaybackControl::TrackBar1MouseDown(Qt::MouseButton button)
{
    if (button == Qt::LeftButton && Mplayer1.mode() == MediaPlayer::Mode::Playing)
        BarPressed = true;
}

void PlaybackControl::TrackBar1MouseMove()
{
    if (BarPressed && Mplayer1.mode() == MediaPlayer::Mode::Playing)
        BarDragging = true;
}

void PlaybackControl::TrackBar1MouseUp(Qt::MouseButton button, int x, int width)
{
    if (button != Qt::LeftButton || Mplayer1.mode() != MediaPlayer::Mode::Playing)
        return;
    SeekPending = true;
    // Six pixels of margin at each end of the bar.
    const double span = std::max(1, width - 12);
    Mplayer1.Seek(roundEven(double(Mplayer1.Length()) * double(x - 6) / span));
    PlaybackTick();
    acPlayExecute();
    BarPressed = BarDragging = false;
}

void PlaybackControl::TrackBar2Change()
{
    const int p = m_window.transport().volumeBar()->value();
    if (VolumeDevice)
        VolumeDevice->SetVolume(std::uint16_t(p == 0 ? 0 : p * 4096 - 1));
}

void PlaybackControl::openTool(const QString &logLine,
                               const std::function<void(const QString &)> &tool)
{
    m_ctx.log.appendLine(logLine);
    CurrentFileName = m_catalogue.RecordingFileName();
    m_catalogue.RenameLegacyFile();
    if (tool)
        tool(recordingPath());
}

void PlaybackControl::mnLevelClick()
{
    openTool(QStringLiteral("-- Volume level clicked"), showLevelTool);
}

void PlaybackControl::mnEqualizerClick()
{
    openTool(QStringLiteral("-- Voice equilizer clicked"), showEqualizerTool);
}
