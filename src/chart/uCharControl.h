#pragma once

#include <cstdint>

class QCPGraph;

namespace korvex {

class TTrendPlot;

// The chart data window: appends readings to the data series of the trend chart, keeps the page
// arithmetic and moves the horizontal axis window from page to page. It follows the newest reading
// unless the user has paged away. The readings live in the chart's data series only.
//
// The chart must carry its three series already (see StyleTrendChart); the second one, index 1,
// is the data series. A point's X is its position in its series: every series holds a leading
// point of value 0 at X 0, so reading n sits at X n.
class TChartControl {
public:
    // Throws std::invalid_argument when the chart has no data series or pageSize is below 1.
    TChartControl(TTrendPlot* chart, std::int32_t pageSize);
    TChartControl(const TChartControl&) = delete;
    TChartControl& operator=(const TChartControl&) = delete;

    // Each returns the page shown after the call, for the page box.
    std::int32_t AddValue(double value);
    std::int32_t FirstPage();
    std::int32_t PreviousPage();
    std::int32_t NextPage();
    std::int32_t LastPage();
    std::int32_t Clear();

    // pageSize must be at least 1 (std::invalid_argument otherwise); the range box never passes less.
    void SetPageSize(std::int32_t pageSize);

    // Apply a vertical limit when it differs from the one last applied. A limit that would put the
    // minimum above the maximum, or that is not a finite number, is refused with
    // std::invalid_argument and not remembered.
    void SetVerticalMax(double value);
    void SetVerticalMin(double value);

    // Moves the horizontal window by offset. With checkLimits, a forward move happens only while the
    // largest X among the visible series lies beyond the window, a backward move only while the
    // smallest X lies before it.
    void ScrollPage(double offset, bool checkLimits);

    TTrendPlot* Chart() const { return mChart; }
    std::int32_t CurrentPage() const { return mCurrentPage; }
    std::int32_t PageSize() const { return mPageSize; }
    std::int32_t PageCount() const { return mPageCount; }
    bool Browsing() const { return mBrowsing; }
    double VerticalMax() const { return mVerticalMax; }
    double VerticalMin() const { return mVerticalMin; }

    // The horizontal window of the current page, first and last reading number. A window of one
    // reading is drawn with half a reading of margin on each side, so the axis never collapses.
    double WindowFirst() const { return mWindowFirst; }
    double WindowLast() const { return mWindowLast; }

private:
    QCPGraph* DataSeries() const;
    std::int64_t ReadingCount() const;
    std::int32_t PageHolding(std::int64_t readings) const;
    bool MoveWindow(double offset, bool checkLimits);
    void ShowWindow();
    void ShowValueRange();
    void Repaint();
    void AppendLeadingPoints();

    TTrendPlot* mChart;
    std::int32_t mCurrentPage = 1;
    std::int32_t mPageSize = 0;
    std::int32_t mPageCount = 1;
    bool mBrowsing = false;
    double mVerticalMax = 0;
    double mVerticalMin = 0;
    double mWindowFirst = 1;
    double mWindowLast = 1;
    double mValueLower = 0;
    double mValueUpper = 0;
};

}  // namespace korvex
