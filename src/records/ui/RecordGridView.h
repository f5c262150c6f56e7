#pragma once

#include <QPointer>
#include <optional>
#include <QTableView>

namespace korvex {

// The record grid's view: a table view whose rows all have the height of the row header's default
// section, scrolled a row at a time. A plain table view asks its row header where a row lies, and the
// header sums the heights of all rows again after each new one; it also lays itself out and draws its
// whole viewport again for every new row. Here a row's place is its number times the row height, and a
// new row costs the drawing of that row (and of the rows whose selection changes) while the rows already
// shown are moved on screen as they are: the cost of a reading stays the same at a million rows as at ten.
// Right-to-left layouts are drawn by the table view itself.
class TRecordGridView : public QTableView {
    Q_OBJECT
public:
    explicit TRecordGridView(QWidget* parent = nullptr);

    void setSelectionModel(QItemSelectionModel* selectionModel) override;
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void updateGeometries() override;
    void scrollContentsBy(int dx, int dy) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void verticalScrollbarValueChanged(int value) override;

private:
    void RowCountChanged(int oldCount, int newCount);
    int RowPitch() const;
    // Pixels of the table above the viewport.
    int VerticalOffset() const;
    int RowTop(int row) const;
    int RowAt(int y) const;
    // Rows wholly inside a viewport of that height (at least one).
    int RowsFitting(int height) const;
    void DrawCell(QPainter& painter, QStyleOptionViewItem option, const QModelIndex& index) const;
    void DrawGridLines(QPainter& painter, const QRect& area, int firstRow, int lastRow, int firstColumn,
                       int lastColumn, const QStyleOptionViewItem& option) const;
    void ScrollSidewaysTo(int column, ScrollHint hint);
    // Whether the style draws a cell under the mouse pointer otherwise (asked once per style).
    bool HoverIsDrawn() const;

    QPointer<QItemSelectionModel> titlesSelection_;
    QPointer<QItemSelectionModel> rowsSelection_;
    QPersistentModelIndex hovered_;
    bool inGeometries_ = false;
    mutable std::optional<bool> hoverDrawn_;
};

}  // namespace korvex
