// The volume level window: the bar, its label and the gain applied through VolumeLevel.
#include "audio/postproc/ui/TfmVolLevel.h"

#include "audio/postproc/VolumeLevel.h"
#include "audio/postproc/ui/TrackBarScale.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

TfmVolLevel::TfmVolLevel(TfmAudio &audio, MessageService &messages, MainTrace trace,
                         QWidget *parent)
    : PostprocWindow(QStringLiteral("Volume level"), audio, messages, std::move(trace), parent)
{
    setObjectName(QStringLiteral("fmVolLevel"));
    auto *area = new QWidget(this);
    trb = new QSlider(Qt::Vertical, area);
    trb->setObjectName(QStringLiteral("trb"));
    trb->setAccessibleName(QStringLiteral("Volume level"));
    trb->setRange(VolumeLevel::MinPercent, VolumeLevel::MaxPercent);
    trb->setValue(0);
    trb->setTickPosition(QSlider::TicksBothSides);
    trb->setTickInterval(10);
    trb->setSingleStep(1);
    trb->setPageStep(10);
    trb->setMinimumHeight(160);
    trbScale = new TrackBarScale(*trb, 25, QStringLiteral("%"), area);
    Label1 = new QLabel(area);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setAccessibleName(QStringLiteral("Gain"));
    Label1->setTextFormat(Qt::PlainText);
    Label1->setMinimumWidth(Label1->fontMetrics().horizontalAdvance(QStringLiteral("-100%")));
    Label1->setAlignment(Qt::AlignRight | Qt::AlignVCenter);

    auto *row = new QHBoxLayout(area);
    row->setContentsMargins(0, 0, 0, 0);
    row->addWidget(trbScale);
    row->addWidget(trb);
    row->addWidget(Label1);
    buildLayout(area);
    trbChange();

    connect(trb, &QSlider::valueChanged, this, &TfmVolLevel::trbChange);
}

void TfmVolLevel::prepareForFile()
{
    trb->setValue(0);
    Label1->setText(QString::number(trb->value()) + QStringLiteral("%"));
}

void TfmVolLevel::FormShow()
{
    btnApply->setEnabled(false);
    btnSave->setEnabled(false);
}

void TfmVolLevel::trbChange()
{
    Label1->setText(QString::number(trb->value()) + QStringLiteral("%"));
    btnApply->setEnabled(true);
}

QString TfmVolLevel::applyTool(const GaugeHandler &gauge)
{
    VolumeLevel(trb->value()).Apply(stmWav.buffer(), gauge);
    return {};
}
