#include "ParametersPage.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QSlider>
#include <QVBoxLayout>

namespace {
QSlider *sliderGroup(const QString &title, const QString &name, QVBoxLayout *layout,
                     QWidget *parent)
{
    auto *group = new QGroupBox(title, parent);
    auto *slider = new QSlider(Qt::Horizontal, group);
    slider->setRange(0, 255);
    slider->setValue(128);
    slider->setTickPosition(QSlider::TicksBelow);
    slider->setAccessibleName(name);
    auto *row = new QHBoxLayout(group);
    row->addWidget(new QLabel(QStringLiteral("Low"), group));
    row->addWidget(slider, 1);
    row->addWidget(new QLabel(QStringLiteral("High"), group));
    layout->addWidget(group);
    return slider;
}
} // namespace

std::optional<ParametersPage::Scale> ParametersPage::scaleFor(int min, int max)
{
    const int n = max - min + 1;
    if (n <= 16)
        return Scale{1, 1};
    if (n <= 32)
        return Scale{2, 2};
    if (n <= 48)
        return Scale{8, 3};
    if (n <= 64)
        return Scale{16, 4};
    if (n <= 128)
        return Scale{32, 4};
    if (n <= 256)
        return Scale{64, 8};
    return std::nullopt;
}

ParametersPage::ParametersPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsParameters"));
    auto *layout = new QVBoxLayout(this);
    m_speaker = sliderGroup(QStringLiteral("  Modem speaker volume  "),
                            QStringLiteral("Modem speaker volume"), layout, this);
    m_speaker->setObjectName(QStringLiteral("tbSpeaker"));
    m_record = sliderGroup(QStringLiteral("   Recording level   "),
                           QStringLiteral("Recording level"), layout, this);
    m_record->setObjectName(QStringLiteral("tbRecord"));
    layout->addStretch(1);
    applyRange(m_speaker, 0, 255);
    applyRange(m_record, 0, 255);
    // Actions come from the keyboard, the mouse and assistive technology, never from a
    // position or a range set by the program.
    connect(m_speaker, &QAbstractSlider::actionTriggered, this, [this] { m_speakerMoved = true; });
    connect(m_record, &QAbstractSlider::actionTriggered, this, [this] { m_recordMoved = true; });
}

void ParametersPage::setRanges(int speakerMin, int speakerMax, int recordMin, int recordMax)
{
    applyRange(m_speaker, speakerMin, speakerMax);
    applyRange(m_record, recordMin, recordMax);
}

void ParametersPage::applyRange(QSlider *slider, int min, int max)
{
    slider->setRange(min, max);
    if (const auto scale = scaleFor(min, max)) {
        slider->setPageStep(scale->labelInterval);
        slider->setTickInterval(scale->tickFrequency);
    }
}

int ParametersPage::labelInterval(const QSlider *slider)
{
    return slider->pageStep();
}
