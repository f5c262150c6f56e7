#include <cmath>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"
#include "common/ImageDifference.h"
#include "common/PaintRecorder.h"

namespace korvex {
namespace {

using test::LargestDifference;

// A chart styled for the trend, in one of the looks below, shown at a fixed size. Under Windows
// without texts: drawn onto white they take ClearType's colours, which QCustomPlot's transparent buffer
// does not.
void Show(QCustomPlot& chart, const std::function<void(QCustomPlot&)>& look)
{
    StyleTrendChart(&chart);
    if (QGuiApplication::platformName() == QLatin1String("windows")) {
        for (QCPAxis* axis : {chart.xAxis, chart.yAxis}) {
            axis->setTickLabels(false);
            axis->setLabel(QString());
        }
    }
    look(chart);
    chart.resize(420, 260);
    chart.show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(&chart));
}

// What the screen shows of a plot: what was last painted, not a fresh drawing.
QImage OnScreen(QWidget& plot)
{
    QApplication::processEvents();
    return plot.screen()->grabWindow(plot.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

// The same series and axis ranges as the trend plot, drawn by QCustomPlot itself.
void CopyChart(const QCustomPlot& from, QCustomPlot& to)
{
    for (int i = 0; i < from.graphCount(); ++i)
        to.graph(i)->data()->set(*from.graph(i)->data());
    to.xAxis->setRange(from.xAxis->range());
    to.yAxis->setRange(from.yAxis->range());
    to.replot();
}

TEST(TrendPlot, ShowsWhatQCustomPlotShows)
{
    const std::pair<const char*, std::function<void(QCustomPlot&)>> looks[] = {
        {"the chart's white", [](QCustomPlot&) {}},
        {"a background picture", [](QCustomPlot& chart) {
             QPixmap picture(32, 32);
             picture.fill(Qt::yellow);
             chart.setBackground(picture, false);
         }},
        {"a buffered layer on top", [](QCustomPlot& chart) { chart.layer(QStringLiteral("overlay"))->setMode(QCPLayer::lmBuffered); }},
        {"the readings filled down to zero", [](QCustomPlot& chart) { chart.graph(1)->setBrush(QColor(0, 0, 255, 60)); }},
        {"long ticks and thick axes reaching into the plot", [](QCustomPlot& chart) {
             for (QCPAxis* axis : {chart.xAxis, chart.yAxis}) {
                 axis->setTicks(true);
                 axis->setTickLength(40, 0);
                 axis->setSubTickLength(20, 0);
                 axis->setBasePen(QPen(Qt::darkGreen, 5));
                 axis->setTickPen(QPen(Qt::darkRed, 3));
             }
         }},
    };
    for (const auto& [name, look] : looks) {
        SCOPED_TRACE(name);
        TTrendPlot plot;
        Show(plot, look);
        TChartControl control(&plot, 25);
        QCustomPlot reference;
        Show(reference, look);
        // Drawn after every reading, as the window does: one page whole, then reading by reading.
        for (int i = 0; i < 60; ++i) {
            control.AddValue(30 * std::sin(i / 2.0));
            QApplication::processEvents();
        }
        CopyChart(plot, reference);
        const QImage expected = OnScreen(reference);
        ASSERT_EQ(OnScreen(plot).size(), expected.size());
        // Lines and texts drawn straight onto white rather than onto transparent and then onto white:
        // rounding may differ by one step of a channel.
        EXPECT_LE(LargestDifference(OnScreen(plot), expected), 1);

        // A change QCustomPlot shows with a replot of its own is shown too.
        plot.yAxis->setRange(-5, 5);
        plot.replot();
        CopyChart(plot, reference);
        EXPECT_LE(LargestDifference(OnScreen(plot), OnScreen(reference)), 1);
    }
}

TEST(TrendPlot, AReadingDrawsTheBoxOfItsLineOnlyUntilTheAxesMove)
{
    TTrendPlot plot;
    Show(plot, [](QCustomPlot&) {});
    TChartControl control(&plot, 10);
    control.AddValue(1);
    QApplication::processEvents();
    test::PaintRecorder painted(plot);
    const auto paintedAfter = [&](double value) {
        painted.Clear();
        control.AddValue(value);
        QApplication::processEvents();
        return painted.Count() == 1 ? painted.regions.front().boundingRect() : QRect();
    };
    const QRect rising = paintedAfter(5);
    EXPECT_LT(rising.width(), plot.width() / 5);
    EXPECT_LT(rising.height(), plot.axisRect()->rect().height() / 4);
    const QRect falling = paintedAfter(-3);
    EXPECT_GT(falling.height(), rising.height()) << "a line falling twice as far";
    EXPECT_LT(falling.height(), plot.axisRect()->rect().height() / 2);
    plot.graph(1)->setBrush(QColor(0, 0, 255, 60));
    EXPECT_EQ(paintedAfter(-2).height(), plot.axisRect()->rect().height()) << "a fill reaches down to zero";
    for (int i = 4; i < 10; ++i)
        paintedAfter(i);
    EXPECT_EQ(paintedAfter(0), plot.rect()) << "the next page";
    plot.yAxis->setRange(-100, 100);
    EXPECT_EQ(paintedAfter(0), plot.rect()) << "another value range";
}

}  // namespace
}  // namespace korvex
