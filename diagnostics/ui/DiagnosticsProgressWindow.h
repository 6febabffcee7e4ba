// The window a diagnostics run shows: a progress bar and Cancel. It is modal, so that nothing
// else uses the modem while the queries run.
#pragma once

#include "diagnostics/Diagnostics.h"

#include <QWidget>

class QProgressBar;
class QPushButton;

class DiagnosticsProgressWindow final : public QWidget, public DiagnosticsProgress
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(DiagnosticsProgressWindow)

public:
    explicit DiagnosticsProgressWindow(QWidget *parent = nullptr);

    void start(const QString &caption) override;
    void setProgress(int percent) override;
    void finish() override;
    bool cancelRequested() const override { return m_cancelled; }

    int progress() const;
    QPushButton *cancelButton() const { return m_cancel; }

protected:
    // Closing the window stops the run as Cancel does.
    void closeEvent(QCloseEvent *event) override;

private:
    QProgressBar *m_bar;
    QPushButton *m_cancel;
    bool m_cancelled = false;
};
