#include "records/ui/RecordGridView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QEvent>
#include <QHash>
#include <QHeaderView>
#include <QHoverEvent>
#include <QImage>
#include <QItemSelectionModel>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStaticText>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cmath>

#include "widgets/Guarded.h"

namespace korvex {
namespace {

// Draws a plain text cell as the Fusion style's item view drawing does, pixel for pixel, with less than
// half the work: the style lays the text out three times over (to size it, to elide it and to draw it),
// here it is measured once and drawn once. Cells with pictures, check boxes, wrapped text or the focus frame,
// and every other style, are left to the style.
class TGridCellDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        QStyleOptionViewItem cell = option;
        initStyleOption(&cell, index);
        const QWidget* widget = cell.widget;
        QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
        constexpr auto drawnByStyle = QStyleOptionViewItem::HasDecoration | QStyleOptionViewItem::HasCheckIndicator |
                                      QStyleOptionViewItem::WrapText;
        if ((cell.features & drawnByStyle) || (cell.state & (QStyle::State_HasFocus | QStyle::State_Editing)) ||
            cell.direction != Qt::LeftToRight || style->name() != QLatin1String("fusion")) {
            style->drawControl(QStyle::CE_ItemViewItem, &cell, painter, widget);
            return;
        }
        painter->save();
        painter->setClipRect(cell.rect);
        style->drawPrimitive(QStyle::PE_PanelItemViewItem, &cell, painter, widget);
        if (!cell.text.isEmpty())
            DrawText(*painter, cell, style->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, widget) + 1);
        painter->restore();
    }

private:
    // A cell's text laid out once: the grid draws the same texts again and again (a row that loses the
    // selection, units and modes that repeat from reading to reading), and laying a text out is most of
    // the cost of drawing a cell.
    struct LaidOutText {
        QStaticText text;
        qreal width = 0;
    };

    const LaidOutText& LaidOut(const QStyleOptionViewItem& cell, int boxWidth) const
    {
        if (cell.font != cacheFont_ || laidOut_.size() > MaxLaidOut) {
            laidOut_.clear();
            cacheFont_ = cell.font;
        }
        const QString key = cell.text + QChar(0) + QString::number(boxWidth) + QChar(cell.textElideMode);
        auto found = laidOut_.find(key);
        if (found == laidOut_.end()) {
            const QFontMetricsF metrics(cell.font);
            QString text = cell.text;
            qreal width = metrics.horizontalAdvance(text);
            if (width > boxWidth) {
                text = metrics.elidedText(text, cell.textElideMode, boxWidth);
                width = metrics.horizontalAdvance(text);
            }
            LaidOutText entry{QStaticText(text), width};
            entry.text.setTextFormat(Qt::PlainText);
            entry.text.prepare(QTransform(), cell.font);
            found = laidOut_.insert(key, std::move(entry));
        }
        return *found;
    }

    void DrawText(QPainter& painter, const QStyleOptionViewItem& cell, int margin) const
    {
        const bool enabled = (cell.state & QStyle::State_Enabled) != 0;
        const QPalette::ColorGroup group =
            !enabled ? QPalette::Disabled : (cell.state & QStyle::State_Active) ? QPalette::Normal : QPalette::Inactive;
        painter.setPen(cell.palette.color(group, (cell.state & QStyle::State_Selected) ? QPalette::HighlightedText
                                                                                       : QPalette::Text));
        painter.setFont(cell.font);
        const QRect box = cell.rect.adjusted(margin, 0, -margin, 0);
        const LaidOutText& text = LaidOut(cell, box.width());
        // One line of whole pixels, placed in the box by the cell's alignment; the text's top is its
        // font's ascent above its baseline.
        const QFontMetricsF metrics(cell.font);
        const int lineHeight = static_cast<int>(std::ceil(metrics.ascent() + metrics.descent()));
        const int top = QStyle::alignedRect(Qt::LeftToRight, cell.displayAlignment & Qt::AlignVertical_Mask,
                                            QSize(1, lineHeight), box).top();
        qreal x = box.x();
        if (cell.displayAlignment & Qt::AlignRight)
            x += box.width() - text.width;
        else if (cell.displayAlignment & Qt::AlignHCenter)
            x += (box.width() - text.width) / 2;
        painter.drawStaticText(QPointF(x, top), text.text);
    }

    static constexpr qsizetype MaxLaidOut = 1024;
    mutable QHash<QString, LaidOutText> laidOut_;
    mutable QFont cacheFont_;
};

// The grid's vertical scroll bar. A new row changes the bar's range, and a slider draws itself again
// on any change; in a long table the handle stays where it is for many rows (at a million rows, for
// good), so the bar is drawn again only when what it shows changes.
class TRowScrollBar : public QScrollBar {
public:
    using QScrollBar::QScrollBar;

protected:
    void sliderChange(SliderChange change) override
    {
        if (change != SliderRangeChange && change != SliderValueChange) {
            QScrollBar::sliderChange(change);
            return;
        }
        // Looked at once the events at hand are handled: a new row moves the range first and the value
        // after it, and only where both end up counts.
        if (lookPending_)
            return;
        lookPending_ = true;
        QMetaObject::invokeMethod(this, [this] {
            lookPending_ = false;
            if (Look() != shown_)
                update();
        }, Qt::QueuedConnection);
    }

    void paintEvent(QPaintEvent* event) override
    {
        shown_ = Look();
        QScrollBar::paintEvent(event);
    }

private:
    // What the range and the value change in the bar's picture: the handle's place and size, and whether
    // the bar stands at either end (some styles grey the arrow at an end out).
    struct TLook {
        QRect handle;
        bool atStart = false;
        bool atEnd = false;
        bool operator==(const TLook&) const = default;
    };

    TLook Look() const
    {
        QStyleOptionSlider option;
        initStyleOption(&option);
        return {style()->subControlRect(QStyle::CC_ScrollBar, &option, QStyle::SC_ScrollBarSlider, this),
                value() == minimum(), value() == maximum()};
    }

    std::optional<TLook> shown_;
    bool lookPending_ = false;
};

}  // namespace

TRecordGridView::TRecordGridView(QWidget* parent) : QTableView(parent)
{
    setItemDelegate(new TGridCellDelegate(this));
    // The item view listens to the bar it was made with; a bar put in its place is connected here.
    auto* down = new TRowScrollBar(Qt::Vertical, this);
    setVerticalScrollBar(down);
    connect(down, &QAbstractSlider::actionTriggered, this, &TRecordGridView::verticalScrollbarAction);
    connect(down, &QAbstractSlider::valueChanged, this, &TRecordGridView::verticalScrollbarValueChanged);
    // The scroll area lays its children out again after every change of range (a new row), which draws
    // both scroll bars again; that is needed only when the bar comes or goes.
    disconnect(down, SIGNAL(rangeChanged(int,int)), this, SLOT(_q_showOrHideScrollBars()));
    connect(down, &QAbstractSlider::rangeChanged, this, [this, scrolled = false](int minimum, int maximum) mutable {
        const bool scrolls = maximum > minimum;
        if (scrolls != scrolled) {
            scrolled = scrolls;
            QMetaObject::invokeMethod(this, "_q_showOrHideScrollBars", Qt::QueuedConnection);
        }
    });
    setVerticalScrollMode(ScrollPerItem);
    QHeaderView* rows = verticalHeader();
    rows->setSectionResizeMode(QHeaderView::Fixed);
    rows->hide();
    // The corner button sits where the two headers meet; without a row header there is no corner.
    for (QAbstractButton* corner : findChildren<QAbstractButton*>(Qt::FindDirectChildrenOnly))
        corner->hide();
    // The table view hears of a changed row count from its row header; that is taken over here.
    disconnect(rows, &QHeaderView::sectionCountChanged, this, nullptr);
    connect(rows, &QHeaderView::sectionCountChanged, this, Guarded(this, &TRecordGridView::RowCountChanged));
}

void TRecordGridView::setSelectionModel(QItemSelectionModel* selectionModel)
{
    QTableView::setSelectionModel(selectionModel);
    if (model() == nullptr)
        return;
    // Neither header shows the selection (the titles are not highlighted, the row header is hidden). On
    // the grid's selection model each would work out where the selected rows lie whenever they change, and
    // the titles would be drawn again with every new row: each gets a selection model of its own, empty.
    const auto giveOwnSelection = [this](QHeaderView* header, QPointer<QItemSelectionModel>& own) {
        QItemSelectionModel* before = own;
        own = new QItemSelectionModel(model(), header);
        header->setSelectionModel(own);
        delete before;
    };
    giveOwnSelection(horizontalHeader(), titlesSelection_);
    giveOwnSelection(verticalHeader(), rowsSelection_);
}

int TRecordGridView::RowPitch() const
{
    return std::max(1, verticalHeader()->defaultSectionSize());
}

int TRecordGridView::VerticalOffset() const
{
    // Scrolled to the end, the last row lies on the bottom edge (the top one may be cut); elsewhere the
    // first row shown lies on the top edge.
    const QScrollBar* down = verticalScrollBar();
    if (down->maximum() > 0 && down->value() == down->maximum())
        return std::max(0, verticalHeader()->count() * RowPitch() - viewport()->height());
    return down->value() * RowPitch();
}

int TRecordGridView::RowTop(int row) const
{
    return row * RowPitch() - VerticalOffset();
}

int TRecordGridView::RowAt(int y) const
{
    return (y + VerticalOffset()) / RowPitch();
}

int TRecordGridView::RowsFitting(int height) const
{
    return std::max(1, std::min(verticalHeader()->count(), height / RowPitch()));
}

void TRecordGridView::RowCountChanged(int oldCount, int newCount)
{
    // Scroll range and header offset at once, so that scrolling to a new row right after is exact. New
    // rows are drawn as they are inserted; a reset lays the view out and draws it whole by itself.
    updateGeometries();
    if (newCount < oldCount)
        viewport()->update();
}

void TRecordGridView::rowsInserted(const QModelIndex& parent, int start, int end)
{
    QTableView::rowsInserted(parent, start, end);
    if (parent != rootIndex())
        return;
    // Rows added at the end: only they are drawn (the rows shown before are moved if the view scrolls to
    // a new one). Rows put in between move every row below them.
    const int bottom = end == verticalHeader()->count() - 1 ? RowTop(end + 1) : viewport()->height();
    viewport()->update(QRect(0, RowTop(start), viewport()->width(), bottom - RowTop(start)) & viewport()->rect());
}

QRect TRecordGridView::visualRect(const QModelIndex& index) const
{
    if (isRightToLeft())
        return QTableView::visualRect(index);
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        isColumnHidden(index.column()))
        return {};
    const_cast<TRecordGridView*>(this)->executeDelayedItemsLayout();
    const int grid = showGrid() ? 1 : 0;
    return {columnViewportPosition(index.column()), RowTop(index.row()), columnWidth(index.column()) - grid,
            RowPitch() - grid};
}

QModelIndex TRecordGridView::indexAt(const QPoint& point) const
{
    if (isRightToLeft())
        return QTableView::indexAt(point);
    const_cast<TRecordGridView*>(this)->executeDelayedItemsLayout();
    if (model() == nullptr || point.y() + VerticalOffset() < 0)
        return {};
    const int row = RowAt(point.y());
    const int column = columnAt(point.x());
    if (row >= verticalHeader()->count() || column < 0)
        return {};
    return model()->index(row, column, rootIndex());
}

void TRecordGridView::ScrollSidewaysTo(int column, ScrollHint hint)
{
    QHeaderView* titles = horizontalHeader();
    const int width = viewport()->width();
    const int left = titles->sectionPosition(column) - titles->offset();
    const int cell = titles->sectionSize(column);
    const bool beforeView = left < 0;
    const bool afterView = left + cell > width;
    if (horizontalScrollMode() == ScrollPerPixel) {
        QScrollBar* sideways = horizontalScrollBar();
        if (hint == PositionAtCenter)
            sideways->setValue(titles->sectionPosition(column) - (width - cell) / 2);
        else if (beforeView || cell > width)
            sideways->setValue(titles->sectionPosition(column));
        else if (afterView)
            sideways->setValue(titles->sectionPosition(column) - width + cell);
        return;
    }
    if (!(beforeView || afterView || hint == PositionAtCenter))
        return;
    // A column at a time: the first column shown is the one that leaves this column whole at the right
    // edge (or in the middle), or this column itself when it lies before the view.
    int first = titles->visualIndex(column);
    if (afterView || hint == PositionAtCenter) {
        const int room = hint == PositionAtCenter ? width / 2 : width;
        for (int used = cell; first > 0; --first) {
            used += titles->sectionSize(titles->logicalIndex(first - 1));
            if (used > room)
                break;
        }
    }
    horizontalScrollBar()->setValue(first);
}

void TRecordGridView::scrollTo(const QModelIndex& index, ScrollHint hint)
{
    if (isRightToLeft()) {
        QTableView::scrollTo(index, hint);
        return;
    }
    if (!index.isValid() || index.model() != model() || index.parent() != rootIndex() ||
        isColumnHidden(index.column()))
        return;
    executeDelayedItemsLayout();
    ScrollSidewaysTo(index.column(), hint);

    const int height = viewport()->height();
    const int pitch = RowPitch();
    const int row = index.row();
    if (hint == EnsureVisible) {
        if (RowTop(row) < 0 || pitch > height)
            hint = PositionAtTop;
        else if (RowTop(row) + pitch > height)
            hint = PositionAtBottom;
    }
    // The rows above the index that still fit with it in the view, or in its upper half.
    const auto rowsAbove = [pitch](int room) { return std::max(0, room / pitch - 1); };
    switch (hint) {
    case PositionAtTop: verticalScrollBar()->setValue(row); break;
    case PositionAtBottom: verticalScrollBar()->setValue(row - rowsAbove(height)); break;
    case PositionAtCenter: verticalScrollBar()->setValue(row - rowsAbove(height / 2)); break;
    case EnsureVisible: break;
    }
    update(index);
}

void TRecordGridView::scrollContentsBy(int dx, int dy)
{
    if (isRightToLeft()) {
        QTableView::scrollContentsBy(dx, dy);
        return;
    }
    if (dx != 0) {
        QHeaderView* titles = horizontalHeader();
        const QScrollBar* sideways = horizontalScrollBar();
        const int before = titles->offset();
        if (horizontalScrollMode() == ScrollPerPixel)
            titles->setOffset(sideways->value());
        else if (sideways->maximum() > 0 && sideways->value() == sideways->maximum())
            titles->setOffsetToLastSection();
        else
            titles->setOffsetToSectionPosition(sideways->value());
        dx = before - titles->offset();
    }
    if (dy != 0) {
        // The scroll bar counts rows; the row header's offset and the viewport move in pixels.
        QHeaderView* rows = verticalHeader();
        const int before = rows->offset();
        rows->setOffset(VerticalOffset());
        dy = before - rows->offset();
    }
    scrollDirtyRegion(dx, dy);
    viewport()->scroll(dx, dy);
}

void TRecordGridView::updateGeometries()
{
    if (isRightToLeft() || !verticalHeader()->isHidden()) {
        QTableView::updateGeometries();
        return;
    }
    if (inGeometries_)
        return;
    inGeometries_ = true;
    QHeaderView* titles = horizontalHeader();
    QHeaderView* rows = verticalHeader();
    const int titlesHeight =
        titles->isHidden() ? 0 : std::min(std::max(titles->minimumHeight(), titles->sizeHint().height()), titles->maximumHeight());
    if (viewportMargins() != QMargins(0, titlesHeight, 0, 0))
        setViewportMargins(0, titlesHeight, 0, 0);
    const QRect area = viewport()->geometry();
    rows->setGeometry(area.left(), area.top(), 0, area.height());
    titles->setGeometry(area.left(), area.top() - titlesHeight, area.width(), titlesHeight);
    QMetaObject::invokeMethod(rows, "updateGeometries");
    if (titles->isHidden())
        QMetaObject::invokeMethod(titles, "updateGeometries");

    // With no scroll bars the viewport would take all the room: then the table is measured against that.
    QSize size = viewport()->size();
    const QSize most = maximumViewportSize();
    if (most.width() >= titles->length() && most.height() >= rows->length())
        size = most;

    int columnsFitting = 0;
    for (int visual = titles->count() - 1, used = 0; visual >= 0; --visual) {
        const int column = titles->logicalIndex(visual);
        if (titles->isSectionHidden(column))
            continue;
        used += titles->sectionSize(column);
        if (used > size.width())
            break;
        ++columnsFitting;
    }
    columnsFitting = std::max(columnsFitting, 1);
    QScrollBar* sideways = horizontalScrollBar();
    if (horizontalScrollMode() == ScrollPerItem) {
        const int columns = titles->count() - titles->hiddenSectionCount();
        sideways->setRange(0, columns - columnsFitting);
        sideways->setPageStep(columnsFitting);
        sideways->setSingleStep(1);
        if (columnsFitting >= columns)
            titles->setOffset(0);
    } else {
        sideways->setPageStep(size.width());
        sideways->setRange(0, titles->length() - size.width());
        sideways->setSingleStep(std::max(size.width() / (columnsFitting + 1), 2));
    }

    const int rowsFitting = RowsFitting(size.height());
    QScrollBar* down = verticalScrollBar();
    down->setRange(0, std::max(0, rows->count() - rowsFitting));
    down->setPageStep(rowsFitting);
    down->setSingleStep(1);
    // A new range can move the rows without the scroll bar moving (a row added while the view shows the
    // end turns "last row on the bottom edge" into "first row on the top edge"): what is drawn moves with
    // them, as the rows shown are not drawn again.
    const int before = rows->offset();
    rows->setOffset(VerticalOffset());
    if (const int dy = before - rows->offset(); dy != 0) {
        scrollDirtyRegion(0, dy);
        viewport()->scroll(0, dy);
    }

    inGeometries_ = false;
    QAbstractItemView::updateGeometries();
}

QRegion TRecordGridView::visualRegionForSelection(const QItemSelection& selection) const
{
    if (isRightToLeft() || horizontalHeader()->sectionsMoved())
        return QTableView::visualRegionForSelection(selection);
    QRegion region;
    const QRect shown = viewport()->rect();
    const int grid = showGrid() ? 1 : 0;
    const int pitch = RowPitch();
    // Rows outside the view add nothing; leaving them out keeps the rectangles small in a long table.
    const int firstRow = RowAt(0);
    const int lastRow = RowAt(shown.height());
    for (const QItemSelectionRange& range : selection) {
        if (range.parent() != rootIndex() || !range.isValid())
            continue;
        const int top = std::max(range.top(), firstRow);
        const int bottom = std::min(range.bottom(), lastRow);
        if (top > bottom)
            continue;
        const int left = columnViewportPosition(range.left());
        const int right = columnViewportPosition(range.right()) + columnWidth(range.right());
        const QRect rows(QPoint(left, RowTop(top)), QPoint(right - 1 - grid, RowTop(bottom) + pitch - 1 - grid));
        if (shown.intersects(rows))
            region += rows;
    }
    return region;
}

bool TRecordGridView::viewportEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::HoverEnter:
    case QEvent::HoverMove:
    case QEvent::HoverLeave:
        hovered_ = event->type() == QEvent::HoverLeave ? QModelIndex()
                                                       : indexAt(static_cast<QHoverEvent*>(event)->position().toPoint());
        // The table view draws the rows the pointer leaves and enters again (rows scrolling under a
        // resting pointer: two rows a reading); with a style that draws them alike that is skipped.
        if (!HoverIsDrawn())
            return QAbstractScrollArea::viewportEvent(event);
        break;
    case QEvent::Leave: hovered_ = QPersistentModelIndex(); break;
    default: break;
    }
    return QTableView::viewportEvent(event);
}

void TRecordGridView::verticalScrollbarValueChanged(int value)
{
    if (HoverIsDrawn()) {
        QTableView::verticalScrollbarValueChanged(value);
        return;
    }
    // The table view also asks where the pointer is after each scroll (a round trip to the X server a
    // reading) to draw the rows that scrolled under a resting pointer again; with a style that draws
    // them alike only the fetching of more rows is kept.
    if (value == verticalScrollBar()->maximum() && model() != nullptr && model()->canFetchMore(rootIndex()))
        model()->fetchMore(rootIndex());
}

void TRecordGridView::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::StyleChange)
        hoverDrawn_.reset();
    QTableView::changeEvent(event);
}

bool TRecordGridView::HoverIsDrawn() const
{
    if (!hoverDrawn_) {
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        option.rect = QRect(0, 0, 40, 16);
        option.text = QStringLiteral("8");
        option.features |= QStyleOptionViewItem::HasDisplay;
        const auto draw = [this, &option](QStyle::State hover) {
            QStyleOptionViewItem cell = option;
            cell.state |= hover;
            QImage picture(cell.rect.size(), QImage::Format_ARGB32_Premultiplied);
            picture.fill(Qt::transparent);
            QPainter painter(&picture);
            style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &cell, &painter, this);
            style()->drawControl(QStyle::CE_ItemViewItem, &cell, &painter, this);
            return picture;
        };
        hoverDrawn_ = draw(QStyle::State_None) != draw(QStyle::State_MouseOver);
    }
    return *hoverDrawn_;
}

void TRecordGridView::DrawCell(QPainter& painter, QStyleOptionViewItem option, const QModelIndex& index) const
{
    if (selectionModel() != nullptr && selectionModel()->isSelected(index))
        option.state |= QStyle::State_Selected;
    if (index == hovered_)
        option.state |= QStyle::State_MouseOver;
    if (option.state & QStyle::State_Enabled) {
        const bool enabled = (model()->flags(index) & Qt::ItemIsEnabled) != 0;
        option.state.setFlag(QStyle::State_Enabled, enabled);
        option.palette.setCurrentColorGroup(enabled ? QPalette::Normal : QPalette::Disabled);
    }
    if (index == currentIndex() && (hasFocus() || viewport()->hasFocus()))
        option.state |= QStyle::State_HasFocus;
    style()->drawPrimitive(QStyle::PE_PanelItemViewRow, &option, &painter, this);
    itemDelegateForIndex(index)->paint(&painter, option, index);
}

void TRecordGridView::DrawGridLines(QPainter& painter, const QRect& area, int firstRow, int lastRow,
                                    int firstColumn, int lastColumn, const QStyleOptionViewItem& option) const
{
    const QColor colour = QColor::fromRgba(static_cast<QRgb>(style()->styleHint(QStyle::SH_Table_GridLineColor, &option, this)));
    const QPen before = painter.pen();
    painter.setPen(QPen(colour, 1, gridStyle()));
    // A solid line of one pixel is that pixel row or column filled: filling is the cheaper of the two.
    const bool solid = gridStyle() == Qt::SolidLine && !painter.testRenderHint(QPainter::Antialiasing);
    const auto drawLine = [&painter, &colour, solid](int x1, int y1, int x2, int y2) {
        if (solid)
            painter.fillRect(QRect(QPoint(x1, y1), QPoint(x2, y2)), colour);
        else
            painter.drawLine(QLineF(x1, y1, x2, y2).translated(0.5, 0.5));
    };
    const int pitch = RowPitch();
    // Each cell's line runs along its bottom and right edges, inside its row and column.
    for (int row = firstRow; row <= lastRow; ++row) {
        const int y = RowTop(row) + pitch - 1;
        drawLine(area.left(), y, area.right(), y);
    }
    QHeaderView* titles = horizontalHeader();
    for (int visual = firstColumn; visual <= lastColumn; ++visual) {
        const int column = titles->logicalIndex(visual);
        if (titles->isSectionHidden(column))
            continue;
        const int x = columnViewportPosition(column) + columnWidth(column) - 1;
        drawLine(x, area.top(), x, area.bottom());
    }
    // Styles that want them get the top and left lines where no header draws an edge.
    if (style()->styleHint(QStyle::SH_Table_AlwaysDrawLeftTopGridLines, &option, this)) {
        if (titles->isHidden() && RowTop(firstRow) == area.top())
            painter.drawLine(area.left(), area.top(), area.right(), area.top());
        const int column = titles->logicalIndex(firstColumn);
        if (!titles->isSectionHidden(column) && columnViewportPosition(column) == area.left())
            painter.drawLine(area.left(), area.top(), area.left(), area.bottom());
    }
    painter.setPen(before);
}

void TRecordGridView::paintEvent(QPaintEvent* event)
{
    RunGuarded([&] {
        if (isRightToLeft()) {
            QTableView::paintEvent(event);
            return;
        }
        QStyleOptionViewItem option;
        initViewItemOption(&option);
        QPainter painter(viewport());
        QHeaderView* titles = horizontalHeader();
        const int rowCount = verticalHeader()->count();
        if (titles->count() == 0 || rowCount == 0 || model() == nullptr)
            return;
        const int pitch = RowPitch();
        const int grid = showGrid() ? 1 : 0;
        const int tableRight = titles->length() - titles->offset() - 1;
        const int tableBottom = std::min(RowTop(rowCount) - 1, viewport()->height());
        for (QRect area : event->region()) {
            area.setRight(std::min(area.right(), tableRight));
            area.setBottom(std::min(area.bottom(), tableBottom));
            if (!area.isValid())
                continue;
            int firstColumn = titles->visualIndexAt(area.left());
            int lastColumn = titles->visualIndexAt(area.right());
            if (firstColumn == -1)
                firstColumn = 0;
            if (lastColumn == -1)
                lastColumn = titles->count() - 1;
            const int firstRow = RowAt(std::max(0, area.top()));
            const int lastRow = std::min(rowCount - 1, RowAt(area.bottom()));
            if (firstRow > lastRow)
                continue;
            for (int row = firstRow; row <= lastRow; ++row) {
                option.features.setFlag(QStyleOptionViewItem::Alternate, alternatingRowColors() && (row & 1) != 0);
                for (int visual = firstColumn; visual <= lastColumn; ++visual) {
                    const int column = titles->logicalIndex(visual);
                    if (titles->isSectionHidden(column))
                        continue;
                    const QModelIndex index = model()->index(row, column, rootIndex());
                    if (!index.isValid())
                        continue;
                    option.rect = QRect(columnViewportPosition(column), RowTop(row), columnWidth(column) - grid, pitch - grid);
                    DrawCell(painter, option, index);
                }
            }
            if (showGrid())
                DrawGridLines(painter, area, firstRow, lastRow, firstColumn, lastColumn, option);
        }
    });
}

}  // namespace korvex
