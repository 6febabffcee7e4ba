// What the post-processing windows share: the recording held as working PCM while the window
// is open, Play and Stop through the audio window with the 200 ms timer that notices the end,
// Save back into the recording's file, Close, the gauge along the bottom edge and the clean-up
// when the window is hidden. Each tool adds its own controls and its Apply.
#pragma once

#include "audio/postproc/GaugeHandler.h"
#include "audio/postproc/ui/MainTrace.h"

#include <QBuffer>
#include <QDialog>
#include <QTimer>

class MessageService;
class QProgressBar;
class QPushButton;
class QToolButton;
class TfmAudio;

class PostprocWindow : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PostprocWindow)

public:
    // The entry point of the main window: loads the recording and shows the window modally.
    // False, with LoadWav's message shown, when the recording cannot be decoded.
    bool ShowForFile(const QString &path);

    void btnApplyClick();
    void btnSaveClick();
    void tbPlay1Click();
    void tbStop1Click();
    void Timer1Timer();
    void btnCloseClick();

    const QString &path() const { return m_path; }

    QPushButton *btnApply = nullptr;
    QPushButton *btnSave = nullptr;
    QPushButton *btnClose = nullptr;
    QToolButton *tbPlay = nullptr;
    QToolButton *tbStop = nullptr;
    QProgressBar *Gauge1 = nullptr;
    QTimer Timer1;
    // The recording as working PCM, owned by the window while it is open.
    QBuffer stmWav;

protected:
    PostprocWindow(const QString &caption, TfmAudio &audio, MessageService &messages,
                   MainTrace trace, QWidget *parent);

    // Before the recording is loaded: the tool's own controls back to their start.
    virtual void prepareForFile() {}
    // The window is being shown: which buttons start enabled.
    virtual void FormShow() = 0;
    // The tool's processing of stmWav, the gauge being shown meanwhile. Empty when done, or
    // why nothing was changed.
    virtual QString applyTool(const GaugeHandler &gauge) = 0;

    // Lays out the tool's own area above the buttons, the play buttons and the gauge.
    void buildLayout(QWidget *toolArea);
    void showTrace();
    MessageService &messages() { return m_messages; }

    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void reject() override;

private:
    void FormHide();
    void setPlayUp();

    TfmAudio &m_audio;
    MessageService &m_messages;
    MainTrace m_trace;
    QString m_path;
    bool m_applying = false;
};
