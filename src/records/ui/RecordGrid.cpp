#include "records/ui/RecordGrid.h"

#include <QHeaderView>
#include <QItemSelectionModel>
#include <QTableView>

#include "records/RecordGridModel.h"
#include "widgets/Guarded.h"

namespace korvex {

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
    titles->setDefaultSectionSize(DefaultColumnWidth);
    titles->setSectionResizeMode(QHeaderView::Interactive);
    for (int c = 0; c < static_cast<int>(RecordColumns.size()); ++c) {
        const int width = RecordColumns[static_cast<std::size_t>(c)].width;
        titles->resizeSection(c, width > 0 ? width : DefaultColumnWidth);
    }

    QHeaderView* rows = grid.verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->setDefaultSectionSize(grid.fontMetrics().height() + 4);
    rows->setVisible(false);

    const auto showLastRow = [&grid, &model](const QModelIndex&, int, int last) {
        const QModelIndex current = model.index(last, grid.currentIndex().isValid() ? grid.currentIndex().column() : 0);
        grid.selectionModel()->setCurrentIndex(current, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        grid.scrollTo(current, QAbstractItemView::EnsureVisible);
    };
    QObject::connect(&model, &QAbstractItemModel::rowsInserted, &grid, Guarded(showLastRow));
}

}  // namespace korvex
