// The trace's scale and drawing, checked on the picture's pixels.
#include "app/TraceView.h"
#include "support/ScriptedMessageService.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

int rowsWithTrace(const QImage &image, int column, QRgb trace)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y)
        rows += image.pixel(column, y) == trace ? 1 : 0;
    return rows;
}

TEST(TraceViewTest, ScaleMapsZeroToTheBottomAnd254ToTheTop)
{
    EXPECT_EQ(TraceView::yFor(128, 56), 28);
    EXPECT_EQ(TraceView::yFor(0, 56), 56);
    EXPECT_EQ(TraceView::yFor(254, 56), 0);
    EXPECT_EQ(TraceView::yFor(255, 56), 0);
    EXPECT_EQ(TraceView::yFor(255, 254), -1);
}

TEST(TraceViewTest, AFlatBlockDrawsOneHorizontalLineAtTheZeroRow)
{
    ScriptedMessageService messages;
    TraceView view(messages, nullptr);
    view.resize(TraceView::DesignWidth, TraceView::DesignHeight);
    view.setColors(Qt::black, Qt::green);
    view.DisplayData(std::vector<uint8_t>(1536, 128));
    const QImage &image = view.TraceBitmap();
    ASSERT_EQ(image.size(), QSize(474, 56));
    const QRgb green = QColor(Qt::green).rgb();
    for (int x : {0, 100, 473}) {
        EXPECT_EQ(image.pixel(x, 28), green) << x;
        EXPECT_EQ(rowsWithTrace(image, x, green), 1) << x;
    }
    view.ClearTrace();
    EXPECT_EQ(rowsWithTrace(view.TraceBitmap(), 100, green), 0);
    EXPECT_TRUE(messages.texts.isEmpty());
}

TEST(TraceViewTest, TooManySamplesForTheBoxAreRefusedWithAMessage)
{
    ScriptedMessageService messages;
    TraceView view(messages, nullptr);
    view.resize(10, TraceView::DesignHeight);
    view.DisplayData(std::vector<uint8_t>(501, 200));
    ASSERT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(messages.texts[0], "Error \"DisplayData(a1:TDisp)\" Contact Tarvel Systems support");

    // A whole stream is thinned out instead and drawn across the full width.
    QByteArray stream(100000, char(254));
    view.DisplayStreamData(stream);
    EXPECT_EQ(messages.texts.size(), 1);
    EXPECT_EQ(view.TraceBitmap().pixel(9, 0), QColor(Qt::green).rgb());
}

} // namespace
