// The caller-ID pop-up: appears at the bottom right of the screen when a call's number
// arrives, slides up 80 pixels during the first second and hides itself after ten seconds.
#pragma once

#include <QTimer>
#include <QWidget>
#include <functional>

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

    // The caller's name for a caller-ID text ("Withheld", a contact's name), or empty; a
    // name found is shown under the number.
    std::function<QString(const QString &callerText)> nameOf;

    // Sets the caller text (shown as plain text) and shows the window; a window already
    // showing only changes its text.
    void showCaller(const QString &text);
    void hideCaller();

    QString callerText() const;
    QString callerName() const { return m_name; }

protected:
    void showEvent(QShowEvent *event) override;

private slots:
    void tmShowTimer();

private:
    QLabel *m_label1;
    QLabel *m_label2;
    QLabel *m_nameLabel;
    QString m_text;
    QString m_name;
    QTimer m_tmShow;
    int m_steps = 0;
};
