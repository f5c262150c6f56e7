#include "records/ui/RecordGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QScrollBar>
#include <QStyle>
#include <QTableView>
#include <algorithm>
#include <cmath>

#include "records/RecordGridModel.h"
#include "widgets/Guarded.h"

namespace korvex {
namespace {

// The widths were drawn for an 8-point font in which this time stamp is 99 pixels wide, with a cell's
// text starting 2 pixels in and the grid line outside the column's width.
const QString kTimeStampSample = QStringLiteral("2011-05-24 15:59:13");
constexpr double kDesignTimeStampWidth = 99.0;
constexpr int kDesignTextPadding = 2;

}  // namespace

int TextColumnWidth(const QTableView& grid, int designWidth)
{
    const double ratio = std::max(1.0, grid.fontMetrics().horizontalAdvance(kTimeStampSample) / kDesignTimeStampWidth);
    // A cell here keeps a text margin on both sides and draws its grid line inside the column.
    const int textMargin = grid.style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, &grid) + 1;
    const int padding = 2 * textMargin + (grid.showGrid() ? 1 : 0);
    return static_cast<int>(std::ceil(designWidth * ratio)) + std::max(0, padding - kDesignTextPadding);
}

void ConfigureRecordGrid(QTableView& grid, TRecordGridModel& model)
{
    grid.setModel(&model);
    grid.setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid.setSelectionBehavior(QAbstractItemView::SelectRows);
    grid.setSelectionMode(QAbstractItemView::SingleSelection);
    grid.setShowGrid(true);
    grid.setWordWrap(false);
    grid.setFrameShape(QFrame::Box);
    grid.setFrameShadow(QFrame::Plain);
    grid.setVerticalScrollMode(QAbstractItemView::ScrollPerItem);

    QHeaderView* titles = grid.horizontalHeader();
    titles->setVisible(true);
    titles->setHighlightSections(false);
    titles->setStretchLastSection(false);
    // The styles' own floor (58 pixels for the Windows style's headers) would widen the narrow columns.
    titles->setMinimumSectionSize(16);
    titles->setDefaultSectionSize(DefaultColumnWidth);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < static_cast<int>(RecordColumns.size()); ++c) {
        const int width = RecordColumns[static_cast<std::size_t>(c)].width;
        titles->resizeSection(c, width > 0 ? TextColumnWidth(grid, width) : DefaultColumnWidth);
    }

    QHeaderView* rows = grid.verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(grid.fontMetrics().height() + 4);
    rows->setVisible(false);

    const auto showLastRow = [&grid, &model](const QModelIndex&, int, int last) {
        const QModelIndex current = model.index(last, grid.currentIndex().isValid() ? grid.currentIndex().column() : 0);
        // Down to the new row only: a view scrolled sideways stays where the user put it (making the row
        // current scrolls to its cell as well).
        QScrollBar* sideways = grid.horizontalScrollBar();
        const int across = sideways->value();
        grid.selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid.scrollTo(current, QAbstractItemView::EnsureVisible);
        sideways->setValue(across);
    };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &grid, Guarded(showLastRow));
}

}  // namespace korvex
