// The settings page "Parameters": the modem speaker volume and the recording level, each a
// slider over the range the modem reported.
#pragma once

#include <QWidget>
#include <optional>

class QSlider;

class ParametersPage final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ParametersPage)

public:
    // The spacing of a slider's labels and ticks for a range of n = max - min + 1 positions;
    // no value above 256 positions (the slider keeps what it had).
    struct Scale
    {
        int labelInterval;
        int tickFrequency;
    };
    static std::optional<Scale> scaleFor(int min, int max);

    explicit ParametersPage(QWidget *parent = nullptr);

    // Ranges as the modem reported them; each slider's scale follows its range.
    void setRanges(int speakerMin, int speakerMax, int recordMin, int recordMax);

    QSlider *speakerSlider() const { return m_speaker; }
    QSlider *recordSlider() const { return m_record; }
    // Whether the user moved a slider since forgetMoves(); only a moved gain is written, so
    // that a stored command the sliders cannot show stays as it is.
    bool speakerMoved() const { return m_speakerMoved; }
    bool recordMoved() const { return m_recordMoved; }
    void forgetMoves() { m_speakerMoved = m_recordMoved = false; }
    // The label interval of a slider (its page step).
    static int labelInterval(const QSlider *slider);

private:
    static void applyRange(QSlider *slider, int min, int max);

    QSlider *m_speaker;
    QSlider *m_record;
    bool m_speakerMoved = false;
    bool m_recordMoved = false;
};
