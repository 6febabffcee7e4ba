// Loading, playing, saving and closing shared by the post-processing windows.
#include "audio/postproc/ui/PostprocWindow.h"

#include "audio/out/TfmAudio.h"
#include "support/MessageService.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHideEvent>
#include <QProgressBar>
#include <QPushButton>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setAccessibleName(QString(caption).remove(QLatin1Char('&')));
    button->setAutoDefault(false);
    return button;
}

QToolButton *makeToolButton(QWidget *parent, const char *name, const QString &hint,
                            QStyle::StandardPixmap icon)
{
    auto *button = new QToolButton(parent);
    button->setObjectName(QLatin1String(name));
    button->setIcon(parent->style()->standardIcon(icon));
    button->setToolTip(hint);
    button->setAccessibleName(hint);
    button->setFocusPolicy(Qt::StrongFocus);
    return button;
}
} // namespace

PostprocWindow::PostprocWindow(const QString &caption, TfmAudio &audio, MessageService &messages,
                               MainTrace trace, QWidget *parent)
    : QDialog(parent), m_audio(audio), m_messages(messages), m_trace(std::move(trace))
{
    setWindowTitle(caption);
    setAccessibleName(caption);
    setWindowModality(Qt::ApplicationModal);
    btnApply = makeButton(this, "btnApply", QStringLiteral("&Apply"));
    btnSave = makeButton(this, "btnSave", QStringLiteral("&Save"));
    btnClose = makeButton(this, "btnClose", QStringLiteral("Close"));
    tbPlay = makeToolButton(this, "tbPlay", QStringLiteral("Play"), QStyle::SP_MediaPlay);
    tbPlay->setCheckable(true);
    tbStop = makeToolButton(this, "tbStop", QStringLiteral("Stop"), QStyle::SP_MediaStop);
    Gauge1 = new QProgressBar(this);
    Gauge1->setObjectName(QStringLiteral("Gauge1"));
    Gauge1->setAccessibleName(QStringLiteral("Progress"));
    Gauge1->setRange(0, 100);
    Gauge1->setValue(0);
    Gauge1->setTextVisible(false);
    // The gauge comes and goes without the window changing its size.
    QSizePolicy keep = Gauge1->sizePolicy();
    keep.setRetainSizeWhenHidden(true);
    Gauge1->setSizePolicy(keep);
    Gauge1->hide();
    Timer1.setInterval(200);

    connect(btnApply, &QPushButton::clicked, this, &PostprocWindow::btnApplyClick);
    connect(btnSave, &QPushButton::clicked, this, &PostprocWindow::btnSaveClick);
    connect(btnClose, &QPushButton::clicked, this, &PostprocWindow::btnCloseClick);
    // A click has already toggled Play; the handler puts it down itself.
    connect(tbPlay, &QToolButton::clicked, this, &PostprocWindow::tbPlay1Click);
    connect(tbStop, &QToolButton::clicked, this, &PostprocWindow::tbStop1Click);
    connect(&Timer1, &QTimer::timeout, this, &PostprocWindow::Timer1Timer);
}

void PostprocWindow::buildLayout(QWidget *toolArea)
{
    auto *buttons = new QVBoxLayout;
    buttons->addWidget(btnApply);
    buttons->addWidget(btnSave);
    buttons->addWidget(btnClose);
    auto *play = new QHBoxLayout;
    play->addWidget(tbPlay);
    play->addWidget(tbStop);
    play->addStretch();
    buttons->addLayout(play);
    buttons->addStretch();

    auto *top = new QHBoxLayout;
    if (toolArea)
        top->addWidget(toolArea, 1);
    top->addLayout(buttons);

    auto *outer = new QVBoxLayout(this);
    outer->addLayout(top);
    outer->addWidget(Gauge1);
    outer->setSizeConstraint(QLayout::SetFixedSize);
}

bool PostprocWindow::ShowForFile(const QString &path)
{
    m_path = path;
    prepareForFile();
    stmWav.close();
    stmWav.setData(QByteArray());
    stmWav.open(QIODevice::ReadWrite);
    if (!m_audio.LoadWav(path, stmWav)) {
        stmWav.close();
        stmWav.setData(QByteArray());
        return false;
    }
    showTrace();
    show();
    raise();
    activateWindow();
    return true;
}

void PostprocWindow::showTrace()
{
    if (m_trace.DisplayStreamData)
        m_trace.DisplayStreamData(stmWav.data());
}

void PostprocWindow::btnApplyClick()
{
    if (m_applying)
        return;
    m_applying = true;
    QCoreApplication::processEvents();
    // Nothing else may start while the samples change under the message loop.
    setEnabled(false);
    Gauge1->show();
    const QString problem = applyTool([this](int position) {
        Gauge1->setValue(position);
        QCoreApplication::processEvents();
    });
    if (problem.isEmpty())
        showTrace();
    Gauge1->hide();
    Gauge1->setValue(0);
    QCoreApplication::processEvents();
    setEnabled(true);
    m_applying = false;
    if (problem.isEmpty())
        btnSave->setEnabled(true);
    else
        m_messages.showMessage(problem, MessageService::Kind::Error);
}

void PostprocWindow::btnSaveClick()
{
    // A copy of the samples (shared until changed) is saved, so that a playback reading the
    // stream keeps its place.
    QByteArray samples = stmWav.data();
    QBuffer copy(&samples);
    copy.open(QIODevice::ReadOnly);
    if (m_audio.SaveWav(m_path, copy))
        btnSave->setEnabled(false);
    else
        m_messages.showMessage(QStringLiteral("Error was created during ") + m_path +
                                   QStringLiteral(" file saving"),
                               MessageService::Kind::Error);
}

void PostprocWindow::tbPlay1Click()
{
    tbPlay->setChecked(true);
    if (m_audio.AudioOut.Active())
        return;
    Timer1.start();
    try {
        m_audio.PlayStream(stmWav);
    } catch (const std::exception &e) {
        setPlayUp();
        m_messages.showMessage(QString::fromUtf8(e.what()), MessageService::Kind::Error);
    }
}

void PostprocWindow::tbStop1Click()
{
    m_audio.AudioOut.Close();
}

void PostprocWindow::Timer1Timer()
{
    if (!m_audio.AudioOut.Active())
        setPlayUp();
}

void PostprocWindow::setPlayUp()
{
    Timer1.stop();
    tbPlay->setChecked(false);
}

void PostprocWindow::btnCloseClick()
{
    close();
}

void PostprocWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void PostprocWindow::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    // A minimised main window hides its dialogs too; only a real hiding ends the session.
    if (!event->spontaneous())
        FormHide();
}

void PostprocWindow::closeEvent(QCloseEvent *event)
{
    if (m_applying)
        event->ignore();
    else
        QDialog::closeEvent(event);
}

void PostprocWindow::reject()
{
    if (!m_applying)
        QDialog::reject();
}

void PostprocWindow::FormHide()
{
    if (m_audio.AudioOut.Active()) {
        setPlayUp();
        try {
            m_audio.AudioClose();
        } catch (const std::exception &) {
            m_messages.showMessage(QStringLiteral("fmAudio.AudioClose"),
                                   MessageService::Kind::Error);
        }
    }
    setPlayUp();
    if (m_trace.ClearTrace)
        m_trace.ClearTrace();
    stmWav.close();
    stmWav.setData(QByteArray());
}
