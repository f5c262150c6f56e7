#include "chart/uCharControl.h"

#include <cmath>
#include <limits>
#include <optional>
#include <stdexcept>
#include <string>

#include "chart/TrendPlot.h"

namespace korvex {

namespace {

constexpr int kDataSeriesIndex = 1;

// A window of a single reading has no width; this much is shown on each side of it.
constexpr double kSingleReadingMargin = 0.5;
// Likewise for a vertical range whose limits are equal (a range code with no full scale).
constexpr double kFlatValueMargin = 1.0;

struct XBounds {
    double smallest;
    double largest;
};

// The series keep their points in key order, so the first and last point give the X bounds
// without walking the data.
std::optional<XBounds> VisibleSeriesBounds(const QCustomPlot& chart)
{
    std::optional<XBounds> bounds;
    for (int i = 0; i < chart.graphCount(); ++i) {
        const QCPGraph* series = chart.graph(i);
        if (!series->visible() || series->data()->isEmpty())
            continue;
        const double first = series->data()->constBegin()->key;
        const double last = (series->data()->constEnd() - 1)->key;
        if (!bounds)
            bounds = XBounds{first, last};
        else
            bounds = XBounds{std::min(bounds->smallest, first), std::max(bounds->largest, last)};
    }
    return bounds;
}

void AppendPoint(QCPGraph* series, double value)
{
    series->data()->add(QCPGraphData(series->dataCount(), value));
}

void RequirePageSize(std::int32_t pageSize)
{
    if (pageSize < 1)
        throw std::invalid_argument("A chart page holds at least one reading, not " + std::to_string(pageSize) + ".");
}

std::string Number(double value)
{
    return QString::number(value).toStdString();
}

}  // namespace

TChartControl::TChartControl(TTrendPlot* chart, std::int32_t pageSize) : mChart(chart)
{
    if (mChart == nullptr || mChart->graphCount() <= kDataSeriesIndex)
        throw std::invalid_argument("The trend chart has no data series.");
    RequirePageSize(pageSize);
    const QCPRange values = mChart->yAxis->range();
    mValueLower = values.lower;
    mValueUpper = values.upper;

    SetPageSize(pageSize);
    mWindowFirst = 1;
    mWindowLast = mPageSize;
    mPageCount = 1;
    mCurrentPage = 1;
    AppendLeadingPoints();
    ShowWindow();
    Repaint();
}

std::int32_t TChartControl::AddValue(double value)
{
    QCPGraph* series = DataSeries();
    const double key = series->dataCount();
    AppendPoint(series, value);
    mPageCount = PageHolding(ReadingCount());
    if (!mBrowsing) {
        if (MoveWindow(mPageSize, true))
            ShowWindow();
        mCurrentPage = mPageCount;
    }
    // A point beyond the page in view changes nothing on screen: nothing is drawn while the user reads
    // an earlier page of a long session.
    if (mChart->xAxis->range().contains(key))
        mChart->RedrawAppended(*series, key);
    return mCurrentPage;
}

std::int32_t TChartControl::FirstPage()
{
    if (mPageCount <= 1 || mCurrentPage == 1)
        return mCurrentPage;
    for (std::int32_t step = 1; step < mCurrentPage; ++step)
        MoveWindow(-mPageSize, true);
    mCurrentPage = 1;
    mBrowsing = true;
    ShowWindow();
    Repaint();
    return mCurrentPage;
}

std::int32_t TChartControl::PreviousPage()
{
    if (mCurrentPage <= 1)
        return mCurrentPage;
    MoveWindow(-mPageSize, true);
    --mCurrentPage;
    mBrowsing = true;
    ShowWindow();
    Repaint();
    return mCurrentPage;
}

std::int32_t TChartControl::NextPage()
{
    if (mPageCount <= 1 || mCurrentPage == mPageCount)
        return mCurrentPage;
    MoveWindow(mPageSize, true);
    ++mCurrentPage;
    mBrowsing = mCurrentPage != mPageCount;
    ShowWindow();
    Repaint();
    return mCurrentPage;
}

std::int32_t TChartControl::LastPage()
{
    if (mPageCount <= 1 || mCurrentPage == mPageCount)
        return mCurrentPage;
    for (std::int32_t step = mCurrentPage; step < mPageCount; ++step)
        MoveWindow(mPageSize, true);
    mCurrentPage = mPageCount;
    mBrowsing = false;
    ShowWindow();
    Repaint();
    return mCurrentPage;
}

std::int32_t TChartControl::Clear()
{
    FirstPage();
    for (int i = 0; i < mChart->graphCount(); ++i)
        mChart->graph(i)->data()->clear();
    AppendLeadingPoints();
    mPageCount = 1;
    mBrowsing = false;
    Repaint();
    return mCurrentPage;
}

void TChartControl::SetPageSize(std::int32_t pageSize)
{
    if (pageSize == mPageSize)
        return;
    RequirePageSize(pageSize);
    mPageSize = pageSize;
    mWindowFirst = 1;
    mWindowLast = mPageSize;
    mPageCount = PageHolding(ReadingCount());
    for (std::int32_t step = 1; step < mPageCount; ++step)
        MoveWindow(mPageSize, true);
    mCurrentPage = mPageCount;
    mBrowsing = false;
    ShowWindow();
    Repaint();
}

void TChartControl::SetVerticalMax(double value)
{
    if (value == mVerticalMax)
        return;
    if (!std::isfinite(value) || value < mValueLower)
        throw std::invalid_argument("The chart's vertical maximum " + Number(value) + " would lie below its minimum " +
                                    Number(mValueLower) + ".");
    mVerticalMax = value;
    mValueUpper = value;
    ShowValueRange();
    Repaint();
}

void TChartControl::SetVerticalMin(double value)
{
    if (value == mVerticalMin)
        return;
    if (!std::isfinite(value) || value > mValueUpper)
        throw std::invalid_argument("The chart's vertical minimum " + Number(value) + " would lie above its maximum " +
                                    Number(mValueUpper) + ".");
    mVerticalMin = value;
    mValueLower = value;
    ShowValueRange();
    Repaint();
}

void TChartControl::ScrollPage(double offset, bool checkLimits)
{
    if (!MoveWindow(offset, checkLimits))
        return;
    ShowWindow();
    Repaint();
}

QCPGraph* TChartControl::DataSeries() const
{
    return mChart->graph(kDataSeriesIndex);
}

std::int64_t TChartControl::ReadingCount() const
{
    const int points = DataSeries()->dataCount();
    return points > 0 ? points - 1 : 0;
}

std::int32_t TChartControl::PageHolding(std::int64_t readings) const
{
    if (readings == 0)
        return 1;
    const std::int64_t pages = (readings + mPageSize - 1) / mPageSize;
    return static_cast<std::int32_t>(std::min<std::int64_t>(pages, std::numeric_limits<std::int32_t>::max()));
}

bool TChartControl::MoveWindow(double offset, bool checkLimits)
{
    if (checkLimits && offset != 0) {
        const std::optional<XBounds> bounds = VisibleSeriesBounds(*mChart);
        if (!bounds)
            return false;
        if (offset > 0 && !(bounds->largest > mWindowLast))
            return false;
        if (offset < 0 && !(bounds->smallest < mWindowFirst))
            return false;
    }
    mWindowFirst += offset;
    mWindowLast += offset;
    return true;
}

void TChartControl::ShowWindow()
{
    if (mWindowLast > mWindowFirst)
        mChart->xAxis->setRange(mWindowFirst, mWindowLast);
    else
        mChart->xAxis->setRange(mWindowFirst - kSingleReadingMargin, mWindowLast + kSingleReadingMargin);
}

void TChartControl::ShowValueRange()
{
    if (mValueUpper > mValueLower)
        mChart->yAxis->setRange(mValueLower, mValueUpper);
    else
        mChart->yAxis->setRange(mValueLower - kFlatValueMargin, mValueUpper + kFlatValueMargin);
}

void TChartControl::Repaint()
{
    mChart->Redraw();
}

void TChartControl::AppendLeadingPoints()
{
    for (int i = 0; i < mChart->graphCount(); ++i)
        AppendPoint(mChart->graph(i), 0);
}

}  // namespace korvex
