#include <cmath>

#include <QApplication>
#include <QGuiApplication>
#include <QImage>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"

namespace korvex {
namespace {

// The largest difference of any colour channel between two pictures of one size.
int LargestDifference(const QImage& a, const QImage& b)
{
    int largest = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            largest = std::max({largest, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                                std::abs(qBlue(p) - qBlue(q))});
        }
    return largest;
}

// What the screen shows of a chart after a few replots. Under Windows without texts: drawn onto the
// opaque buffer they take ClearType's colours.
QImage Shown(QCustomPlot& chart, const std::function<void(QCustomPlot&)>& look)
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
    TChartControl control(&chart, 100);
    for (int i = 0; i < 60; ++i) {
        control.AddValue(30 * std::sin(i / 8.0));
        if (i % 20 == 0)
            QApplication::processEvents();
    }
    QApplication::processEvents();
    return chart.grab().toImage().convertToFormat(QImage::Format_RGB32);
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
    };
    for (const auto& [name, look] : looks) {
        SCOPED_TRACE(name);
        QCustomPlot reference;
        TTrendPlot plot;
        const QImage expected = Shown(reference, look);
        const QImage shown = Shown(plot, look);
        ASSERT_EQ(shown.size(), expected.size());
        // Lines and texts drawn straight onto white rather than onto transparent and then onto white:
        // rounding may differ by one step of a channel.
        EXPECT_LE(LargestDifference(shown, expected), 1);
    }
}

}  // namespace
}  // namespace korvex
