#include <optional>
#include <vector>

#include <QCoreApplication>
#include <QTest>
#include <gtest/gtest.h>

#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"
#include "common/PaintRecorder.h"

namespace korvex {
namespace {

enum class Op { Add, First, Previous, Next, Last, Clear, PageSize };

struct Step {
    Op op;
    int arg;                      // Add: readings appended; PageSize: the new size
    std::optional<int> returned;  // page returned by the (last) call; none for SetPageSize
    int currentPage;
    int pageCount;
    bool browsing;
    double windowFirst;  // reading numbers at the ends of the horizontal window
    double windowLast;
};

struct Sequence {
    const char* name;
    int pageSize;
    std::vector<Step> steps;
};

constexpr bool F = false;
constexpr bool T = true;
constexpr std::nullopt_t None = std::nullopt;

const Sequence kSequences[] = {
    {"FreshChartPagingChangesNothing", 100,
     {{Op::First, 0, 1, 1, 1, F, 1, 100},
      {Op::Previous, 0, 1, 1, 1, F, 1, 100},
      {Op::Next, 0, 1, 1, 1, F, 1, 100},
      {Op::Last, 0, 1, 1, 1, F, 1, 100}}},
    {"ReadingPastThePageTurnsTheView", 100,
     {{Op::Add, 100, 1, 1, 1, F, 1, 100},
      {Op::Add, 1, 2, 2, 2, F, 101, 200}}},
    {"BrowsingHoldsTheViewUntilTheLastPage", 100,
     {{Op::Add, 201, 3, 3, 3, F, 201, 300},
      {Op::Previous, 0, 2, 2, 3, T, 101, 200},
      {Op::Add, 150, 2, 2, 4, T, 101, 200},
      {Op::Next, 0, 3, 3, 4, T, 201, 300},
      {Op::Next, 0, 4, 4, 4, F, 301, 400},
      {Op::Add, 50, 5, 5, 5, F, 401, 500}}},
    {"FirstAndLastPage", 100,
     {{Op::Add, 50, 1, 1, 1, F, 1, 100},
      {Op::First, 0, 1, 1, 1, F, 1, 100},
      {Op::Add, 260, 4, 4, 4, F, 301, 400},
      {Op::First, 0, 1, 1, 4, T, 1, 100},
      {Op::First, 0, 1, 1, 4, T, 1, 100},
      {Op::Add, 1, 1, 1, 4, T, 1, 100},
      {Op::Last, 0, 4, 4, 4, F, 301, 400},
      {Op::Last, 0, 4, 4, 4, F, 301, 400}}},
    {"PageSizeShowsTheLastPageAndFollows", 100,
     {{Op::Add, 250, 3, 3, 3, F, 201, 300},
      {Op::PageSize, 100, None, 3, 3, F, 201, 300},
      {Op::Previous, 0, 2, 2, 3, T, 101, 200},
      {Op::PageSize, 50, None, 5, 5, F, 201, 250},
      {Op::PageSize, 1000, None, 1, 1, F, 1, 1000},
      {Op::Add, 751, 2, 2, 2, F, 1001, 2000}}},
    {"ClearOnPage7Of9", 50,
     {{Op::Add, 450, 9, 9, 9, F, 401, 450},
      {Op::Previous, 0, 8, 8, 9, T, 351, 400},
      {Op::Previous, 0, 7, 7, 9, T, 301, 350},
      {Op::Clear, 0, 1, 1, 1, F, 1, 50},
      {Op::Add, 1, 1, 1, 1, F, 1, 50},
      {Op::Add, 50, 2, 2, 2, F, 51, 100}}},
    {"SingleReadingPages", 1,
     {{Op::First, 0, 1, 1, 1, F, 1, 1},
      {Op::Add, 1, 1, 1, 1, F, 1, 1},
      {Op::Add, 2, 3, 3, 3, F, 3, 3},
      {Op::Previous, 0, 2, 2, 3, T, 2, 2},
      {Op::Add, 1, 2, 2, 4, T, 2, 2},
      {Op::Last, 0, 4, 4, 4, F, 4, 4},
      {Op::PageSize, 2, None, 2, 2, F, 3, 4},
      {Op::Clear, 0, 1, 1, 1, F, 1, 2}}},
};

class ChartControlTest : public ::testing::Test {
protected:
    ChartControlTest() { StyleTrendChart(&chart); }

    TTrendPlot chart;
};

// Each series keeps its leading point (0 at X 0); the data series then holds one point per reading
// at X = its number.
void ExpectPoints(QCustomPlot& chart, int readings)
{
    for (int i = 0; i < chart.graphCount(); ++i) {
        const auto data = chart.graph(i)->data();
        ASSERT_FALSE(data->isEmpty());
        EXPECT_EQ(data->constBegin()->key, 0);
        EXPECT_EQ(data->constBegin()->value, 0);
        EXPECT_EQ(data->size(), i == 1 ? readings + 1 : 1) << "series " << i;
    }
    EXPECT_EQ((chart.graph(1)->data()->constEnd() - 1)->key, readings);
}

TEST_F(ChartControlTest, OperationSequences)
{
    for (const Sequence& sequence : kSequences) {
        SCOPED_TRACE(sequence.name);
        TTrendPlot plot;
        StyleTrendChart(&plot);
        TChartControl control(&plot, sequence.pageSize);
        int readings = 0;
        for (std::size_t index = 0; index < sequence.steps.size(); ++index) {
            const Step& step = sequence.steps[index];
            SCOPED_TRACE(testing::Message() << "step " << index);
            std::optional<int> returned;
            switch (step.op) {
            case Op::Add:
                for (int i = 0; i < step.arg; ++i)
                    returned = control.AddValue(readings + i + 0.5);
                readings += step.arg;
                break;
            case Op::First: returned = control.FirstPage(); break;
            case Op::Previous: returned = control.PreviousPage(); break;
            case Op::Next: returned = control.NextPage(); break;
            case Op::Last: returned = control.LastPage(); break;
            case Op::Clear:
                returned = control.Clear();
                readings = 0;
                break;
            case Op::PageSize: control.SetPageSize(step.arg); break;
            }
            EXPECT_EQ(returned, step.returned);
            EXPECT_EQ(control.CurrentPage(), step.currentPage);
            EXPECT_EQ(control.PageCount(), step.pageCount);
            EXPECT_EQ(control.Browsing(), step.browsing);
            EXPECT_EQ(control.WindowFirst(), step.windowFirst);
            EXPECT_EQ(control.WindowLast(), step.windowLast);
            const double margin = step.windowFirst == step.windowLast ? 0.5 : 0;
            EXPECT_EQ(plot.xAxis->range().lower, step.windowFirst - margin);
            EXPECT_EQ(plot.xAxis->range().upper, step.windowLast + margin);
            ExpectPoints(plot, readings);
        }
    }
}

TEST_F(ChartControlTest, ReadingsAreStoredInOrderWithTheirValues)
{
    TChartControl control(&chart, 10);
    for (double value : {1.5, -2.25, 0.0, 19999.0})
        control.AddValue(value);
    const auto data = chart.graph(1)->data();
    const std::vector<double> stored{data->at(1)->value, data->at(2)->value, data->at(3)->value, data->at(4)->value};
    EXPECT_EQ(stored, (std::vector<double>{1.5, -2.25, 0.0, 19999.0}));
    EXPECT_EQ(chart.graph(1)->name(), "Series1");
    EXPECT_EQ(chart.graph(1)->pen().color(), QColor(0, 0, 255));
}

TEST_F(ChartControlTest, NewReadingsRedrawOnlyWhenTheyLandOnThePageInView)
{
    TChartControl control(&chart, 10);
    for (int i = 0; i < 25; ++i)
        control.AddValue(i);
    chart.resize(200, 120);
    chart.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&chart));
    test::PaintRecorder paints(chart);
    const auto paintsAfterAdding = [&](int readings) {
        QCoreApplication::processEvents();
        paints.Clear();
        for (int i = 0; i < readings; ++i)
            control.AddValue(i);
        QCoreApplication::processEvents();
        return paints.Count();
    };
    EXPECT_EQ(paintsAfterAdding(1), 1) << "the last page is in view";
    EXPECT_EQ(paintsAfterAdding(3), 1) << "readings before the next paint are drawn together";
    control.PreviousPage();
    EXPECT_EQ(paintsAfterAdding(20), 0) << "an earlier page is in view";
    control.LastPage();
    EXPECT_EQ(paintsAfterAdding(1), 1);
}

struct ScrollCase {
    const char* name;
    int readings;
    double hiddenSeriesLastX;  // Series3 reaches this X; 0 leaves it at its leading point
    bool showHiddenSeries;
    std::vector<std::pair<double, bool>> moves;  // offset and limit check
    double windowFirst;
    double windowLast;
};

TEST_F(ChartControlTest, ScrollPageLimitCheckLooksAtShownSeriesOnly)
{
    const ScrollCase cases[] = {
        {"ForwardHeldWhileTheDataEndsInTheWindow", 50, 0, false, {{100, true}}, 1, 100},
        {"ForwardWithoutTheCheck", 50, 0, false, {{100, false}}, 101, 200},
        {"ForwardWhenDataLiesBeyond", 150, 0, false, {{100, true}}, 101, 200},
        {"HiddenSeriesDoNotCount", 50, 500, false, {{100, true}}, 1, 100},
        {"ShownSeriesCount", 50, 500, true, {{100, true}}, 101, 200},
        {"BackwardOnlyWhileDataLiesBefore", 50, 0, false, {{-100, true}, {-100, true}}, -99, 0},
    };
    for (const ScrollCase& scroll : cases) {
        SCOPED_TRACE(scroll.name);
        TTrendPlot plot;
        StyleTrendChart(&plot);
        TChartControl control(&plot, 100);
        for (int i = 0; i < scroll.readings; ++i)
            control.AddValue(i);
        for (double x = 1; x <= scroll.hiddenSeriesLastX; ++x)
            plot.graph(2)->addData(x, 1);
        plot.graph(2)->setVisible(scroll.showHiddenSeries);
        for (const auto& [offset, check] : scroll.moves)
            control.ScrollPage(offset, check);
        EXPECT_EQ(control.WindowFirst(), scroll.windowFirst);
        EXPECT_EQ(control.WindowLast(), scroll.windowLast);
        EXPECT_EQ(plot.xAxis->range(), QCPRange(scroll.windowFirst, scroll.windowLast));
    }
}

TEST_F(ChartControlTest, VerticalLimitIsAppliedOnlyWhenItChanges)
{
    TChartControl control(&chart, 100);
    int axisChanges = 0;
    QObject::connect(chart.yAxis, qOverload<const QCPRange&>(&QCPAxis::rangeChanged), [&] { ++axisChanges; });

    control.SetVerticalMax(0);
    control.SetVerticalMin(0);
    EXPECT_EQ(axisChanges, 0);
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-40, 40));

    control.SetVerticalMax(20);
    control.SetVerticalMax(20);
    EXPECT_EQ(axisChanges, 1);
    EXPECT_EQ(control.VerticalMax(), 20);
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-40, 20));
}

TEST_F(ChartControlTest, RangeChangesInTheDecodersOrderNeverInvert)
{
    TChartControl control(&chart, 100);
    const double fullScales[] = {20000, 2, 200, 0, 20};
    for (double fullScale : fullScales) {
        SCOPED_TRACE(fullScale);
        control.SetVerticalMin(-fullScale);
        control.SetVerticalMax(fullScale);
        EXPECT_EQ(control.VerticalMin(), -fullScale);
        EXPECT_EQ(control.VerticalMax(), fullScale);
        // Equal limits would leave the axis without height; they are shown with a margin.
        const QCPRange expected = fullScale > 0 ? QCPRange(-fullScale, fullScale) : QCPRange(-1, 1);
        EXPECT_EQ(chart.yAxis->range(), expected);
    }
}

TEST_F(ChartControlTest, InvertingVerticalLimitIsRefusedAndNotRemembered)
{
    TChartControl control(&chart, 100);
    EXPECT_THROW(control.SetVerticalMin(50), std::invalid_argument);
    EXPECT_EQ(control.VerticalMin(), 0);
    EXPECT_EQ(chart.yAxis->range(), QCPRange(-40, 40));

    control.SetVerticalMax(60);
    control.SetVerticalMin(50);
    EXPECT_EQ(chart.yAxis->range(), QCPRange(50, 60));
    EXPECT_THROW(control.SetVerticalMax(10), std::invalid_argument);
    EXPECT_EQ(control.VerticalMax(), 60);
}

TEST_F(ChartControlTest, RefusesAChartWithoutDataSeriesAndEmptyPages)
{
    TTrendPlot bare;
    EXPECT_THROW(TChartControl(&bare, 100), std::invalid_argument);
    EXPECT_THROW(TChartControl(&chart, 0), std::invalid_argument);
    TChartControl control(&chart, 100);
    EXPECT_THROW(control.SetPageSize(0), std::invalid_argument);
    EXPECT_EQ(control.PageSize(), 100);
}

TEST_F(ChartControlTest, ChartLooksAsDescribed)
{
    ASSERT_EQ(chart.graphCount(), 3);
    const char* names[] = {"Series2", "Series1", "Series3"};
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(chart.graph(i)->name(), names[i]);
    EXPECT_FALSE(chart.graph(0)->visible());
    EXPECT_NE(chart.graph(0)->brush().style(), Qt::NoBrush);
    EXPECT_TRUE(chart.graph(1)->visible());
    EXPECT_FALSE(chart.graph(2)->visible());
    EXPECT_EQ(chart.xAxis->label(), "Record Number");
    EXPECT_EQ(chart.yAxis->label(), "Value");
    EXPECT_FALSE(chart.legend->visible());
    EXPECT_EQ(chart.interactions(), QCP::Interactions());
    EXPECT_EQ(chart.xAxis->grid()->pen().color(), QColor(192, 192, 192));

    // Whole-number labels only, even over a narrow window.
    chart.xAxis->setRange(0.5, 3.5);
    chart.replot();
    EXPECT_EQ(chart.xAxis->tickVectorLabels(), (QVector<QString>{"1", "2", "3"}));
}

}  // namespace
}  // namespace korvex
