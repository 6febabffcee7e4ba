// The scale labels beside a vertical track bar: every step values from its minimum, each
// written as the value followed by a suffix, level with the bar's handle at that value.
#pragma once

#include <QString>
#include <QWidget>

class QSlider;

class TrackBarScale final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TrackBarScale)

public:
    TrackBarScale(QSlider &bar, int step, const QString &suffix, QWidget *parent);

    // The labels from the top down.
    QStringList labels() const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QList<int> values() const;

    QSlider &m_bar;
    int m_step;
    QString m_suffix;
};
