// Scale labels drawn at the positions the style gives the bar's handle.
#include "audio/postproc/ui/TrackBarScale.h"

#include <QPainter>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>

TrackBarScale::TrackBarScale(QSlider &bar, int step, const QString &suffix, QWidget *parent)
    : QWidget(parent), m_bar(bar), m_step(std::max(1, step)), m_suffix(suffix)
{
    setAccessibleName(QStringLiteral("Scale"));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Preferred);
}

QList<int> TrackBarScale::values() const
{
    QList<int> result;
    for (int v = m_bar.maximum(); v >= m_bar.minimum(); --v)
        if ((v - m_bar.minimum()) % m_step == 0)
            result.append(v);
    return result;
}

QStringList TrackBarScale::labels() const
{
    QStringList result;
    for (int v : values())
        result.append(QString::number(v) + m_suffix);
    return result;
}

QSize TrackBarScale::sizeHint() const
{
    int width = 0;
    for (const QString &label : labels())
        width = std::max(width, fontMetrics().horizontalAdvance(label));
    return {width + 4, m_bar.sizeHint().height()};
}

void TrackBarScale::paintEvent(QPaintEvent *)
{
    QStyleOptionSlider option;
    option.initFrom(&m_bar);
    option.orientation = m_bar.orientation();
    option.minimum = m_bar.minimum();
    option.maximum = m_bar.maximum();
    option.upsideDown = !m_bar.invertedAppearance();
    const QRect handle =
        m_bar.style()->subControlRect(QStyle::CC_Slider, &option, QStyle::SC_SliderHandle, &m_bar);
    const int span = m_bar.height() - handle.height();
    const int top = m_bar.mapTo(window(), QPoint(0, 0)).y() - mapTo(window(), QPoint(0, 0)).y() +
                    handle.height() / 2;
    QPainter painter(this);
    const int textHeight = fontMetrics().height();
    for (int v : values()) {
        const int at = top + QStyle::sliderPositionFromValue(m_bar.minimum(), m_bar.maximum(), v,
                                                             span, option.upsideDown);
        painter.drawText(QRect(0, at - textHeight / 2, width() - 2, textHeight),
                         Qt::AlignRight | Qt::AlignVCenter, QString::number(v) + m_suffix);
    }
}
