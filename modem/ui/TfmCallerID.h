// The caller-ID pop-up: appears at the bottom right of the screen when a call's number
// arrives, slides up 80 pixels during the first second and hides itself after ten seconds.
#pragma once

#include <QTimer>
#include <QWidget>

class QLabel;
class TfmModem;

class TfmCallerID final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TfmCallerID)

public:
    static constexpr int TickMs = 50;     // scaled by Waits' time scale
    static constexpr int SlideTicks = 20; // 4 pixels each
    static constexpr int SlideStep = 4;
    static constexpr int HideTick = 200; // ten seconds

    explicit TfmCallerID(QWidget *parent = nullptr);

    // Follows the modem's caller-ID signals.
    void attach(TfmModem &modem);

    // Sets the caller text (shown as plain text) and shows the window; a window already
    // showing only changes its text.
    void showCaller(const QString &text);
    void hideCaller();

    QString callerText() const;

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void tmShowTimer();

private:
    QLabel *m_label1;
    QLabel *m_label2;
    QString m_text;
    QTimer m_tmShow;
    int m_steps = 0;
};
