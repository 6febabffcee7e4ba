// Drawing the trace. Coordinates are rounded half to even, so a flat line of 128 in a box
// 56 pixels high lies on row 28.
#include "TraceView.h"

#include "support/MessageService.h"

#include <QPainter>
#include <cmath>

namespace {
int roundEven(double v)
{
    return static_cast<int>(std::nearbyint(v));
}
} // namespace

TraceView::TraceView(MessageService &messages, QWidget *parent)
    : QWidget(parent), m_messages(messages)
{
    setObjectName(QStringLiteral("pBox"));
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedHeight(DesignHeight);
    setMinimumWidth(1);
    m_bitmap = QImage(DesignWidth, DesignHeight, QImage::Format_RGB32);
    m_bitmap.fill(m_background);
}

int TraceView::yFor(int v, int h)
{
    return h - roundEven(double(v) * double(h) / 254.0);
}

void TraceView::setColors(const QColor &background, const QColor &trace)
{
    m_background = background;
    m_trace = trace;
}

void TraceView::fill()
{
    // The picture's width follows the box; its height stays as it was made. A hidden box
    // gets its resize event only when shown, so the width is also checked here.
    if (width() > 0 && width() != m_bitmap.width())
        m_bitmap = QImage(width(), m_bitmap.height(), QImage::Format_RGB32);
    m_bitmap.fill(m_background);
}

void TraceView::ClearTrace()
{
    fill();
    update();
}

void TraceView::DisplayData(std::span<const uint8_t> samples)
{
    fill();
    const int w = m_bitmap.width();
    const int h = m_bitmap.height();
    const std::size_t n = samples.size();
    if (n == 0) {
        update();
        return;
    }
    if (n > std::size_t(50) * std::size_t(w)) {
        update();
        m_messages.showMessage(
            QStringLiteral("Error \"DisplayData(a1:TDisp)\" Contact Tarvel Systems support"),
            MessageService::Kind::Error);
        return;
    }
    QPainter painter(&m_bitmap);
    painter.setPen(QPen(m_trace, 1));
    const float step = float(w) / float(n);
    QPoint from(0, yFor(samples[0], h));
    for (std::size_t i = 1; i < n; ++i) {
        const QPoint to(roundEven(double(i) * double(step)), yFor(samples[i], h));
        painter.drawLine(from, to);
        from = to;
    }
    painter.end();
    update();
}

void TraceView::DisplayStreamData(const QByteArray &stream)
{
    fill();
    const qsizetype size = stream.size();
    if (size == 0) {
        update();
        return;
    }
    const int w = m_bitmap.width();
    const int h = m_bitmap.height();
    QPainter painter(&m_bitmap);
    painter.setPen(QPen(m_trace, 1));
    const float step = float(w) / float(size);
    auto sample = [&](qsizetype at, int previous) {
        return at < size ? int(uint8_t(stream[at])) : previous;
    };
    int value = sample(0, 0);
    QPoint from(0, yFor(value, h));
    const qsizetype limit = qsizetype(50) * w;
    if (size <= limit) {
        for (qsizetype k = 1; k <= size; ++k) {
            value = sample(k, value); // past the end the last value is drawn again
            const QPoint to(roundEven(double(k) * double(step)), yFor(value, h));
            painter.drawLine(from, to);
            from = to;
        }
    } else {
        const qsizetype u = size / limit;
        const qsizetype count = size / u;
        for (qsizetype k = 1; k <= count; ++k) {
            value = sample(1 + k * u, value);
            const QPoint to(roundEven(double(k * u) * double(step)), yFor(value, h));
            painter.drawLine(from, to);
            from = to;
        }
    }
    painter.end();
    update();
}

void TraceView::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, m_bitmap);
}

void TraceView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (width() != m_bitmap.width())
        fill();
}
