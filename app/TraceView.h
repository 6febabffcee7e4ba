// The live signal trace: 8-bit samples (128 the zero line) drawn as a line graph into an
// off-screen picture, which a repaint only copies.
#pragma once

#include <QByteArray>
#include <QImage>
#include <QWidget>
#include <cstdint>
#include <span>

class MessageService;

class TraceView final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TraceView)

public:
    static constexpr int DesignWidth = 474, DesignHeight = 56;

    TraceView(MessageService &messages, QWidget *parent);

    void setColors(const QColor &background, const QColor &trace);

    // Draws the samples s1..sn across the box.
    void DisplayData(std::span<const uint8_t> samples);
    // Draws a whole stream across the box, thinned out to 50..100 points per pixel column.
    void DisplayStreamData(const QByteArray &stream);
    void ClearTrace();

    const QImage &TraceBitmap() const { return m_bitmap; }

    // The row of sample value v in a box h pixels high: 0 on the bottom edge, 254 on top.
    static int yFor(int v, int h);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void fill();

    MessageService &m_messages;
    QImage m_bitmap;
    QColor m_background = Qt::black;
    QColor m_trace = Qt::green;
};
