// Playback commands and states of the main window.
#include "PlaybackControl.h"

#include "AppContext.h"
#include "MainActions.h"
#include "TfmOrv.h"
#include "TraceView.h"
#include "TransportPanel.h"
#include "audio/StandardFormats.h"
#include "audio/TdeAudioConvertor.h"
#include "audio/TdeRIFFAudioReader.h"
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
#include <QThread>
#include <cmath>
#include <memory>
#include <vector>

namespace {
// The nearest whole number, halves to the even one.
qint64 roundEven(double value)
{
    return qint64(std::nearbyint(value));
}
} // namespace

PlaybackControl::PlaybackControl(AppContext &context, TfmOrv &window, Catalogue &catalogue)
    : m_ctx(context), m_window(window), m_catalogue(catalogue)
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

    // A double click plays the clicked recording, also while another one plays.
    connect(m_window.recordingsList(), &RecordingsListView::rowDoubleClicked, this, [this] {
        if (!m_window.actions().acPlay->isEnabled())
            return;
        if (busy())
            acStopExecute();
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
}

PlaybackControl::~PlaybackControl()
{
    waitForDecodes();
}

void PlaybackControl::waitForDecodes()
{
    for (QThread *thread : std::as_const(m_decodes))
        thread->wait();
    qDeleteAll(m_decodes);
    m_decodes.clear();
}

bool PlaybackControl::startTraceDecode(const QString &path)
{
    // What cannot be decoded at all shows at once: the format, the codec chain.
    try {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            throw FileAccessError(file.errorString());
        TdeRIFFAudioReader reader(file);
        TdeAudioConvertor probe;
        probe.setFormatIn(reader.TrackFormat(0));
        probe.setFormatOut(WorkingPcmFormat());
        probe.Open();
        probe.Close();
    } catch (const std::exception &e) {
        // The design's text, then which file and why.
        m_ctx.messages.showMessage(QStringLiteral("Error was created during pcm conversion\n") +
                                       path + QStringLiteral(": ") + QString::fromUtf8(e.what()),
                                   MessageService::Kind::Error);
        return false;
    }
    const int generation = ++m_generation;
    m_pcmReady = false;
    auto pcm = std::make_shared<QByteArray>();
    auto failed = std::make_shared<bool>(false);
    auto why = std::make_shared<QString>();
    QThread *thread = QThread::create([path, pcm, failed, why] {
        try {
            TdeAudioConvertor convertor;
            convertor.OnAudioConverted = [&](TdeAudioConvertor &, const std::uint8_t *data,
                                             qint64 size) {
                pcm->append(reinterpret_cast<const char *>(data), size);
            };
            TfmAudio::decodeToWorkingPcm(path, convertor);
        } catch (const std::exception &e) {
            *failed = true;
            *why = QString::fromUtf8(e.what());
        }
    });
    m_decodes << thread;
    connect(thread, &QThread::finished, this, [this, thread, pcm, failed, why, path, generation] {
        m_decodes.removeAll(thread);
        thread->deleteLater();
        if (generation != m_generation || !busy())
            return; // a playback that is over
        if (*failed) {
            m_ctx.messages.showMessage(QStringLiteral("Error was created during pcm conversion\n") +
                                           path + QStringLiteral(": ") + *why,
                                       MessageService::Kind::Error);
            backToIdle();
            return;
        }
        PlaybackPcm.close();
        PlaybackPcm.setData(*pcm);
        PlaybackPcm.open(QIODevice::ReadWrite);
        m_pcmReady = true;
    });
    thread->start();
    return true;
}

bool PlaybackControl::busy() const
{
    return state() != WindowState::Playback::Stopped;
}

WindowState::Playback PlaybackControl::state() const
{
    using Playback = WindowState::Playback;
    const MediaPlayer::Mode mode = Mplayer1.mode();
    if (mode == MediaPlayer::Mode::Paused || SeekPending)
        return Playback::Paused;
    return mode == MediaPlayer::Mode::Playing ? Playback::Playing : Playback::Stopped;
}

void PlaybackControl::followRecording(CallRecorder &recorder)
{
    connect(&recorder, &CallRecorder::stopped, this, &PlaybackControl::acStopExecute);
}

QString PlaybackControl::recordingPath()
{
    CurrentFileName = m_catalogue.RecordingFileName();
    return m_catalogue.recordingFilePath();
}

void PlaybackControl::showMissing(const QString &path)
{
    m_ctx.messages.showMessage(QStringLiteral("\"") + path +
                                   QStringLiteral("\" file does not exist"),
                               MessageService::Kind::Error);
}

void PlaybackControl::acPlayExecute()
{
    using Mode = MediaPlayer::Mode;
    if (Mplayer1.mode() == Mode::Playing)
        return;
    if (Mplayer1.mode() == Mode::Paused || SeekPending) {
        SeekPending = false;
        Mplayer1.Resume();
        Timer2.start();
        emit stateChanged();
        return;
    }

    m_catalogue.RenameLegacyFile();
    if (m_ctx.prefs.ExtPlayer) {
        m_ctx.log.AddLogLine(QStringLiteral("-- External MediaPlayer playback"));
        const QString path = recordingPath();
        // The path is one argument of its own; no shell sees it, so it needs no quotes.
        if (!path.isEmpty() && QFile::exists(path))
            launchExternal(m_ctx.prefs.Player, path);
        else
            showMissing(path);
        return;
    }

    m_ctx.log.AddLogLine(QStringLiteral("-- Playback file"));
    SeekPending = false;
    Mplayer1.Wait = false;
    const QString path = recordingPath();
    if (CurrentFileName.isEmpty() || !QFile::exists(path)) {
        showMissing(path);
        return;
    }
    Mplayer1.FileName = path;
    QCoreApplication::processEvents();

    PlaybackPcm.close();
    PlaybackPcm.setData(QByteArray());
    PlaybackPcm.open(QIODevice::ReadWrite);
    if (!startTraceDecode(path))
        return;

    // The sink opens at the bar's volume on whichever output is the default now.
    TrackBar2Change();
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
            emit stateChanged();
            return;
        }
    }
    enterPlaying();
}

void PlaybackControl::enterPlaying()
{
    Timer2.start();
    emit stateChanged();
}

void PlaybackControl::acPauseExecute()
{
    // Pause never resumes; Play does.
    if (Mplayer1.mode() != MediaPlayer::Mode::Playing || SeekPending)
        return;
    Mplayer1.Pause();
    Timer2.stop();
    emit stateChanged();
}

void PlaybackControl::acStopExecute()
{
    if (busy()) {
        m_ctx.log.AddLogLine(QStringLiteral("-- Playback stopped"));
        backToIdle();
    }
}

void PlaybackControl::backToIdle()
{
    Mplayer1.Close();
    ++m_generation; // a decode still running is for nobody now
    m_pcmReady = false;
    m_window.transport().positionBar()->setValue(0);
    Timer2.stop();
    SeekPending = false;
    BarPressed = BarDragging = false;
    // The trace belongs to a recording while one runs.
    if (!m_window.isRecording || !m_window.isRecording())
        m_window.trace().ClearTrace();
    emit stateChanged();
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
        if (m_ctx.prefs.PlayTrace && !recording && m_pcmReady)
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
    const auto v = std::uint16_t(p == 0 ? 0 : p * 4096 - 1);
    // The bar sets the volume of the output the sound is heard on, which follows the desktop's
    // default output; the device found at start-up is only the first of them.
    const QByteArray heardOn = Mplayer1.outputDeviceId();
    if (VolumeDevice && (heardOn.isEmpty() || heardOn == VolumeDevice->id))
        VolumeDevice->SetVolume(v);
    else if (!heardOn.isEmpty())
        OutputVolumes::instance().setLevel(heardOn, double(v) / 65535.0);
}

void PlaybackControl::openTool(const QString &logLine,
                               const std::function<void(const QString &)> &tool)
{
    m_ctx.log.AddLogLine(logLine);
    m_catalogue.RenameLegacyFile();
    const QString path = recordingPath();
    if (tool)
        tool(path);
}

void PlaybackControl::mnLevelClick()
{
    openTool(QStringLiteral("-- Volume level clicked"), showLevelTool);
}

void PlaybackControl::mnEqualizerClick()
{
    openTool(QStringLiteral("-- Voice equilizer clicked"), showEqualizerTool);
}
