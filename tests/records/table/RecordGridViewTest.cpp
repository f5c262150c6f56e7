#include "records/ui/RecordGridView.h"
#include "records/ui/RecordGrid.h"
#include "records/RecordGridModel.h"
#include "records/RecordTable.h"
#include "common/PaintRecorder.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCursor>
#include <QHeaderView>
#include <QImage>
#include <QPainter>
#include <QProxyStyle>
#include <QScreen>
#include <QScrollBar>
#include <QStandardItemModel>
#include <QStyleFactory>
#include <QTest>
#include <functional>
#include <memory>

using namespace korvex;
using korvex::test::PaintRecorder;

namespace {

TMeterState Reading(int i)
{
    TMeterState s;
    s.MainMode = mmC;
    s.MainKind = rkNumber;
    s.MainText = std::to_string(1000 + i * 7);
    s.MainUnit = unF;
    s.SubMode = smD;
    s.SubKind = rkNumber;
    s.SubText = std::to_string(i % 100);
    s.Freq = tf1kHz;
    return s;
}

// Opens the views' selection regions to the test.
class ReferenceGrid : public QTableView {
public:
    using QTableView::visualRegionForSelection;
};
class FastGrid : public TRecordGridView {
public:
    using TRecordGridView::visualRegionForSelection;
};

// The record grid's view beside a plain table view over the same table, configured alike: the plain
// view is the oracle for every place, scroll and picture.
struct GridPair {
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model{cds1};
    ReferenceGrid reference;
    FastGrid grid;

    explicit GridPair(int rows)
    {
        for (QTableView* view : Views()) {
            ConfigureRecordGrid(*view, model);
            view->resize(420, 220);
            view->show();
            EXPECT_TRUE(QTest::qWaitForWindowExposed(view));
        }
        Append(rows);
    }
    std::vector<QTableView*> Views() { return {&reference, &grid}; }
    void Append(int rows)
    {
        for (int i = 0; i < rows; ++i)
            AppendRecord(cds1, Reading(cds1.RecordCount()));
        QApplication::processEvents();
    }
    void Both(const std::function<void(QTableView&)>& step)
    {
        for (QTableView* view : Views())
            step(*view);
        QApplication::processEvents();
    }
};

}  // namespace

TEST(RecordGridView, DrawsExactlyWhatATableViewDraws)
{
    struct Case {
        const char* name;
        int rows;
        std::function<void(QTableView&)> step;
    };
    const Case cases[] = {
        {"empty", 0, [](QTableView&) {}},
        {"a few rows", 3, [](QTableView&) {}},
        {"long table at its newest row", 300, [](QTableView&) {}},
        {"scrolled back with an earlier row chosen", 300,
         [](QTableView& view) {
             view.verticalScrollBar()->setValue(100);
             view.selectionModel()->setCurrentIndex(view.model()->index(108, 2),
                                                    QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
         }},
        {"scrolled sideways", 300, [](QTableView& view) { view.horizontalScrollBar()->setValue(view.horizontalScrollBar()->maximum()); }},
        {"columns widened and narrowed", 40,
         [](QTableView& view) {
             view.setColumnWidth(1, 170);
             view.setColumnWidth(0, 14);
             view.setColumnWidth(3, 25);
         }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GridPair pair(c.rows);
        pair.Both(c.step);
        const QImage expected = pair.reference.grab().toImage();
        const QImage drawn = pair.grid.grab().toImage();
        ASSERT_EQ(drawn.size(), expected.size());
        EXPECT_TRUE(drawn == expected);
        EXPECT_EQ(pair.grid.verticalScrollBar()->maximum(), pair.reference.verticalScrollBar()->maximum());
        EXPECT_EQ(pair.grid.verticalScrollBar()->pageStep(), pair.reference.verticalScrollBar()->pageStep());
        EXPECT_EQ(pair.grid.horizontalScrollBar()->maximum(), pair.reference.horizontalScrollBar()->maximum());
    }
}

// The grid draws only what a new row changes and moves the rest: after readings arrive one by one, what
// the window shows (not a fresh drawing) must still be what the table view shows.
TEST(RecordGridView, RowsArrivingOneByOneShowWhatATableViewShows)
{
    const auto shown = [](QTableView& view) { return view.screen()->grabWindow(view.winId()).toImage(); };
    for (const int rows : {2, 40}) {
        SCOPED_TRACE(rows);
        GridPair pair(rows);
        for (int reading = 0; reading < 6; ++reading)
            pair.Append(1);
        const QImage expected = shown(pair.reference);
        const QImage drawn = shown(pair.grid);
        ASSERT_EQ(drawn.size(), expected.size());
        EXPECT_TRUE(drawn == expected);
    }
}

TEST(RecordGridView, PlacesScrollsAndHitsAsATableViewDoes)
{
    GridPair pair(300);
    const QAbstractItemView::ScrollHint hints[] = {QAbstractItemView::EnsureVisible, QAbstractItemView::PositionAtTop,
                                                   QAbstractItemView::PositionAtBottom, QAbstractItemView::PositionAtCenter};
    for (const int start : {0, 57, 299}) {
        for (const int row : {0, 5, 56, 57, 66, 70, 150, 298, 299}) {
            for (const int column : {0, 8}) {
                for (const auto hint : hints) {
                    SCOPED_TRACE(testing::Message() << "from " << start << " to " << row << "," << column << " hint " << hint);
                    pair.Both([&](QTableView& view) {
                        view.verticalScrollBar()->setValue(start);
                        view.horizontalScrollBar()->setValue(0);
                        view.scrollTo(view.model()->index(row, column), hint);
                    });
                    EXPECT_EQ(pair.grid.verticalScrollBar()->value(), pair.reference.verticalScrollBar()->value());
                    EXPECT_EQ(pair.grid.horizontalScrollBar()->value(), pair.reference.horizontalScrollBar()->value());
                    const QModelIndex index = pair.model.index(row, column);
                    EXPECT_EQ(pair.grid.visualRect(index), pair.reference.visualRect(index));
                    for (const QPoint point : {QPoint(3, 0), QPoint(120, 17), QPoint(400, 150), QPoint(10, -1)})
                        EXPECT_EQ(pair.grid.indexAt(point), pair.reference.indexAt(point)) << point.x() << "," << point.y();
                    const QItemSelection rows(pair.model.index(std::max(0, row - 3), 0), pair.model.index(row, 8));
                    // What is drawn again when these rows change: the same part of the viewport.
                    const QRect shown = pair.grid.viewport()->rect();
                    EXPECT_EQ(pair.grid.visualRegionForSelection(rows) & shown, pair.reference.visualRegionForSelection(rows) & shown);
                }
            }
        }
    }
}

TEST(RecordGridView, ANewRowDrawsOnlyTheRowsItChanges)
{
    for (const int rows : {2, 300}) {
        SCOPED_TRACE(rows);
        GridPair pair(rows);
        PaintRecorder cells(*pair.grid.viewport()), titles(*pair.grid.horizontalHeader()->viewport());
        pair.Append(1);
        const int rowHeight = pair.grid.rowHeight(0);
        // The new row and the row that loses the selection (two rows with the Fusion style, a little more
        // under Windows); the rows already shown are moved, not drawn again.
        const qint64 viewportArea = qint64(pair.grid.viewport()->width()) * pair.grid.viewport()->height();
        EXPECT_GT(cells.Area(), 0);
        EXPECT_LE(cells.Area(), viewportArea / 2) << "row height " << rowHeight;
        EXPECT_EQ(titles.Area(), 0);
        EXPECT_EQ(pair.grid.currentIndex().row(), rows);
        EXPECT_TRUE(pair.grid.viewport()->rect().contains(pair.grid.visualRect(pair.grid.currentIndex())));
    }
}

namespace {

// The grid's view alone over a plain model of 40 rows, shown, with a style of the test's choosing.
struct ShownGrid {
    std::unique_ptr<QStyle> style;
    QStandardItemModel model{40, 3};
    TRecordGridView grid;

    explicit ShownGrid(QStyle* chosenStyle = nullptr) : style(chosenStyle)
    {
        grid.setModel(&model);
        if (style)
            grid.setStyle(style.get());
        grid.resize(300, 200);
        grid.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&grid));
        QApplication::processEvents();
    }
};

}  // namespace

TEST(RecordGridView, ARowPutInBetweenDrawsEveryRowBelowIt)
{
    ShownGrid shown;
    QStandardItemModel& model = shown.model;
    TRecordGridView& grid = shown.grid;
    PaintRecorder cells(*grid.viewport());
    model.insertRow(2);
    QApplication::processEvents();
    const qint64 below = qint64(grid.viewport()->height() - grid.visualRect(model.index(2, 0)).top()) * grid.viewport()->width();
    EXPECT_GE(cells.Area(), below);
}

TEST(RecordGridView, RowsUnderThePointerAreDrawnAgainOnlyIfTheStyleShowsThem)
{
    // A style that marks the row under the pointer, against Fusion, which draws it as any other.
    class HoverMarking : public QProxyStyle {
    public:
        using QProxyStyle::QProxyStyle;
        void drawPrimitive(PrimitiveElement element, const QStyleOption* option, QPainter* painter,
                           const QWidget* widget) const override
        {
            QProxyStyle::drawPrimitive(element, option, painter, widget);
            if (element == PE_PanelItemViewRow && (option->state & State_MouseOver))
                painter->fillRect(option->rect, Qt::yellow);
        }
    };
    for (const bool marking : {false, true}) {
        SCOPED_TRACE(marking);
        ShownGrid shown(marking ? static_cast<QStyle*>(new HoverMarking(QStyleFactory::create("fusion")))
                                : QStyleFactory::create("fusion"));
        QStandardItemModel& model = shown.model;
        TRecordGridView& grid = shown.grid;
        PaintRecorder cells(*grid.viewport());

        // The pointer crossing rows (entering the viewport draws it whole, whatever the style: only moves
        // within it are sent).
        QPoint from(-1, -1);
        for (const int row : {1, 2, 3}) {
            const QPoint to = grid.visualRect(model.index(row, 1)).center();
            QHoverEvent move(QEvent::HoverMove, to, grid.viewport()->mapToGlobal(to), from);
            QApplication::sendEvent(grid.viewport(), &move);
            from = to;
        }
        QApplication::processEvents();
        EXPECT_EQ(cells.Area() > 0, marking);

        // Rows scrolling under a resting pointer: beyond the row the scroll uncovers, only a style that
        // marks the row under the pointer has rows drawn again.
        const auto scrollOneRow = [&grid, &cells] {
            cells.Clear();
            grid.verticalScrollBar()->setValue(grid.verticalScrollBar()->value() + 1);
            QApplication::processEvents();
            return cells.Area();
        };
        QCursor::setPos(grid.mapToGlobal(QPoint(-50, -50)));
        QApplication::processEvents();
        const qint64 pointerAway = scrollOneRow();
        QCursor::setPos(grid.viewport()->mapToGlobal(grid.visualRect(model.index(5, 1)).center()));
        QApplication::processEvents();
        const qint64 pointerOver = scrollOneRow();
        EXPECT_GT(pointerAway, 0);
        EXPECT_EQ(pointerOver > pointerAway, marking);
    }
}

TEST(RecordGridView, TheScrollBarIsDrawnAgainOnlyWhenItsPictureChanges)
{
    GridPair pair(3000);
    pair.Append(1);  // logging under way
    PaintRecorder grid(*pair.grid.verticalScrollBar()), reference(*pair.reference.verticalScrollBar());
    // A long table at its end: a new row leaves the handle at the bottom.
    for (int reading = 0; reading < 5; ++reading)
        pair.Append(1);
    EXPECT_GT(reference.Area(), 0);
    EXPECT_EQ(grid.Area(), 0);
    pair.Both([](QTableView& view) { view.verticalScrollBar()->setValue(0); });
    EXPECT_GT(grid.Area(), 0);
}
