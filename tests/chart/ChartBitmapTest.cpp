#include <cmath>

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "chart/ChartBitmap.h"
#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"

namespace korvex {
namespace {

bool IsReadingBlue(QRgb pixel)
{
    return qBlue(pixel) > 200 && qRed(pixel) < 100 && qGreen(pixel) < 100;
}

TEST(ChartBitmapTest, SavedPictureIsTheChartAsShownOnWhite)
{
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    TTrendPlot chart;
    StyleTrendChart(&chart);
    chart.resize(420, 260);
    TChartControl control(&chart, 100);
    for (int i = 0; i < 150; ++i)
        control.AddValue(30 * std::sin(i / 8.0));
    control.PreviousPage();

    const QString fileName = folder.filePath("chart.bmp");
    SaveChartBitmap(&chart, fileName);

    QFile file(fileName);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.read(2), "BM");
    QImage saved;
    ASSERT_TRUE(saved.load(fileName, "BMP"));
    ASSERT_EQ(saved.size(), QSize(420, 260));
    EXPECT_EQ(saved.pixel(1, 1), qRgb(255, 255, 255));
    EXPECT_EQ(saved.pixel(419, 259), qRgb(255, 255, 255));
    int blue = 0;
    for (int y = 0; y < saved.height(); ++y)
        for (int x = 0; x < saved.width(); ++x)
            blue += IsReadingBlue(saved.pixel(x, y)) ? 1 : 0;
    EXPECT_GT(blue, 300);
}

TEST(ChartBitmapTest, UnwritableFileIsReportedByName)
{
    QTemporaryDir folder;
    QCustomPlot chart;
    StyleTrendChart(&chart);
    chart.resize(100, 80);
    const QString fileName = folder.filePath("no/such/folder/chart.bmp");
    try {
        SaveChartBitmap(&chart, fileName);
        FAIL() << "no error for an unwritable file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(fileName.toStdString()), std::string::npos) << error.what();
    }
    EXPECT_FALSE(QFile::exists(fileName));
}

}  // namespace
}  // namespace korvex
