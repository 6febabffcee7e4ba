#include "MonitorPage.h"

#include "app/ColorValue.h"
#include "config/Preferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

MonitorPage::MonitorPage(QWidget *parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("tsMonitor"));
    m_playTrace = new QCheckBox(QStringLiteral("Enable during play"), this);
    m_playTrace->setObjectName(QStringLiteral("cbPlayTrace"));
    m_recordTrace = new QCheckBox(QStringLiteral("Enable during record"), this);
    m_recordTrace->setObjectName(QStringLiteral("cbRecordTrace"));
    m_points = new QComboBox(this);
    m_points->setObjectName(QStringLiteral("cbxPoints"));
    m_points->addItems(Preferences::PointsList);
    m_points->setAccessibleName(QStringLiteral("Points to display"));
    auto *pointsLabel = new QLabel(QStringLiteral("Points to display"), this);
    pointsLabel->setBuddy(m_points);

    auto *colors = new QGroupBox(QStringLiteral(" Color "), this);
    auto *grid = new QGridLayout(colors);
    auto swatchRow = [&](int row, const QString &caption, QFrame *&swatch, QPushButton *&button) {
        swatch = new QFrame(colors);
        swatch->setFrameShape(QFrame::Box);
        swatch->setFixedSize(40, 20);
        swatch->setAutoFillBackground(true);
        swatch->setAccessibleName(caption + QStringLiteral(" colour"));
        button = new QPushButton(caption, colors);
        button->setAccessibleName(caption);
        grid->addWidget(swatch, row, 0);
        grid->addWidget(button, row, 1);
    };
    swatchRow(0, QStringLiteral("Background"), m_backSwatch, m_background);
    swatchRow(1, QStringLiteral("Trace"), m_traceSwatch, m_trace);
    grid->setColumnStretch(2, 1);
    m_background->setObjectName(QStringLiteral("btnBackground"));
    m_trace->setObjectName(QStringLiteral("btnTrace"));

    auto *pointsRow = new QHBoxLayout;
    pointsRow->addWidget(pointsLabel);
    pointsRow->addWidget(m_points);
    pointsRow->addStretch(1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_playTrace);
    layout->addWidget(m_recordTrace);
    layout->addLayout(pointsRow);
    layout->addWidget(colors);
    layout->addStretch(1);

    connect(m_background, &QPushButton::clicked, this, &MonitorPage::backgroundClicked);
    connect(m_trace, &QPushButton::clicked, this, &MonitorPage::traceClicked);
    setBackColor(m_backColor);
    setTraceColor(m_traceColor);
}

void MonitorPage::load(const Preferences &prefs)
{
    m_playTrace->setChecked(prefs.PlayTrace);
    m_recordTrace->setChecked(prefs.RecordTrace);
    m_points->setCurrentIndex(prefs.Points);
    setBackColor(prefs.BackColor);
    setTraceColor(prefs.TraceColor);
}

void MonitorPage::store(Preferences &prefs) const
{
    prefs.PlayTrace = m_playTrace->isChecked();
    prefs.RecordTrace = m_recordTrace->isChecked();
    prefs.Points = m_points->currentIndex();
    prefs.BackColor = m_backColor;
    prefs.TraceColor = m_traceColor;
}

void MonitorPage::setBackColor(int value)
{
    m_backColor = value;
    paintSwatch(m_backSwatch, value);
}

void MonitorPage::setTraceColor(int value)
{
    m_traceColor = value;
    paintSwatch(m_traceSwatch, value);
}

void MonitorPage::paintSwatch(QFrame *swatch, int value)
{
    QPalette p = swatch->palette();
    p.setColor(QPalette::Window, colorFromValue(value, palette()));
    swatch->setPalette(p);
}
