// A small window that stays on top with one progress bar (0 to 100), reset whenever shown.
#pragma once

#include <QWidget>

class QProgressBar;

class TProgressForm final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TProgressForm)

public:
    explicit TProgressForm(QWidget *parent = nullptr);

    void setProgress(int percent);
    int progress() const;

protected:
    void showEvent(QShowEvent *event) override;

private:
    QProgressBar *m_bar;
};
