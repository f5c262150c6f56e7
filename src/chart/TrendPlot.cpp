#include "chart/TrendPlot.h"

#include <QPaintEvent>
#include <algorithm>
#include <cmath>

#include "widgets/Guarded.h"

namespace korvex {
namespace {

// The buffer QCustomPlot's own replots draw into: one pixel that is never shown, so a replot costs no
// fill and no copy of the chart's size (what it draws is clipped away at once).
class TUnshownPaintBuffer : public QCPAbstractPaintBuffer {
public:
    TUnshownPaintBuffer() : QCPAbstractPaintBuffer(QSize(1, 1), 1.0), pixel_(1, 1, QImage::Format_RGB32) {}

    QCPPainter* startPainting() override { return new QCPPainter(&pixel_); }
    void draw(QCPPainter*) const override {}
    void clear(const QColor&) override {}

protected:
    void reallocateBuffer() override {}

private:
    QImage pixel_;
};

// A layer is drawn through a member that only QCustomPlot itself may call; a plot drawing its layers
// one by one reaches it as a class derived from the layer may.
struct TLayerDrawing : QCPLayer {
    static void Draw(QCPLayer& layer, QCPPainter* painter) { (layer.*&TLayerDrawing::draw)(painter); }
};

}  // namespace

TTrendPlot::TTrendPlot(QWidget* parent) : QCustomPlot(parent)
{
    // The plot draws its layers into the first buffer it holds and makes one only when it holds none.
    mPaintBuffers.prepend(QSharedPointer<QCPAbstractPaintBuffer>(new TUnshownPaintBuffer));
}

void TTrendPlot::Redraw()
{
    update();
}

void TTrendPlot::RedrawAppended(const QCPGraph& series, double firstKey)
{
    if (!series.realVisibility())
        return;
    const QSharedPointer<QCPGraphDataContainer> data = series.data();
    if (!mDrawn || *mDrawn != Geometry() || data->isEmpty()) {
        Redraw();
        return;
    }
    // The new line starts at the point before firstKey. The segment before that one was the line's last
    // and is drawn again whole: Qt draws a line's last segment with its end cap, which shifts a segment
    // drawn upwards by part of a pixel. The pen, its joins and a point's symbol reach a little beyond.
    auto from = data->findBegin(firstKey, true);
    if (from != data->constBegin())
        --from;
    const double reach = std::ceil(std::max(1.0, series.pen().widthF())) + series.scatterStyle().size() + 2;
    double left = qInf(), right = -qInf(), top = qInf(), bottom = -qInf();
    for (auto point = from; point != data->constEnd(); ++point) {
        const double x = series.keyAxis()->coordToPixel(point->key);
        const double y = series.valueAxis()->coordToPixel(point->value);
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
    }
    const QRect area = axisRect()->rect();
    QRectF box(QPointF(left - reach, top - reach), QPointF(right + reach, bottom + reach));
    // A straight line between points stays within their box. Anything else the new points may change
    // (a fill, steps, a line drawn from samples of the data) reaches over the whole height.
    if (!LineStaysBetweenPoints(series))
        box = QRectF(QPointF(box.left(), area.top()), QPointF(box.right(), area.bottom() + 1));
    update(box.toAlignedRect() & area);
}

bool TTrendPlot::LineStaysBetweenPoints(const QCPGraph& series) const
{
    if (series.lineStyle() != QCPGraph::lsLine || series.brush().style() != Qt::NoBrush || series.channelFillGraph())
        return false;
    if (!series.adaptiveSampling())
        return true;
    // The graph draws samples of its data only when a pixel holds two points or more.
    const QCPRange keys = series.keyAxis()->range();
    const auto shown = series.data()->findEnd(keys.upper) - series.data()->findBegin(keys.lower);
    return shown < axisRect()->width();
}

TTrendPlot::TGeometry TTrendPlot::Geometry() const
{
    TGeometry geometry{mViewport, axisRect()->rect(), {}};
    for (const QCPAxis* axis : axisRect()->axes())
        geometry.ranges.append(axis->range());
    return geometry;
}

// Inside the plot area an axis draws only its line and ticks, in a band along the area's edge; its tick
// labels and title lie outside. A reading's box lies inside the area and mostly clear of those bands, and
// drawing an axis places every tick label, clipped away or not: most of what drawing a box would cost.
const QCPLayer* TTrendPlot::AxesLeftOutOf(const QRegion& region) const
{
    // Only while the axes are where they were last drawn.
    const QCPLayer* const axes = layer(QStringLiteral("axes"));
    if (axes == nullptr || !mDrawn || *mDrawn != Geometry())
        return nullptr;
    for (QCPLayerable* child : axes->children()) {
        const auto* axis = qobject_cast<const QCPAxis*>(child);
        if (axis == nullptr)
            return nullptr;  // something else is drawn with the axes
        if (!axis->realVisibility())
            continue;
        if (axis->tickLabelSide() != QCPAxis::lsOutside || axis->lowerEnding().style() != QCPLineEnding::esNone
            || axis->upperEnding().style() != QCPLineEnding::esNone)
            return nullptr;
        // The line, moved by the axis' offset, with the longest tick either way and the widest pen, and a
        // pixel each side for rounding and antialiasing.
        const double pen = std::max({axis->basePen().widthF(), axis->tickPen().widthF(), axis->subTickPen().widthF(),
                                     axis->selectedBasePen().widthF(), axis->selectedTickPen().widthF(),
                                     axis->selectedSubTickPen().widthF(), 1.0});
        const int reach = std::abs(axis->offset())
                          + std::max({std::abs(axis->tickLengthIn()), std::abs(axis->tickLengthOut()),
                                      std::abs(axis->subTickLengthIn()), std::abs(axis->subTickLengthOut())})
                          + static_cast<int>(std::ceil(pen)) + 2;
        const QRect area = axis->axisRect()->rect();
        QRect band;
        switch (axis->axisType()) {
        case QCPAxis::atLeft: band = QRect(area.topLeft(), area.bottomLeft()); break;
        case QCPAxis::atRight: band = QRect(area.topRight(), area.bottomRight()); break;
        case QCPAxis::atTop: band = QRect(area.topLeft(), area.topRight()); break;
        case QCPAxis::atBottom: band = QRect(area.bottomLeft(), area.bottomRight()); break;
        }
        if (region.intersects(band.adjusted(-reach, -reach, reach, reach)))
            return nullptr;
    }
    return axes;
}

void TTrendPlot::paintEvent(QPaintEvent* event)
{
    RunGuarded([&] {
        // What QCustomPlot's export to a painter draws: the background brush, then what draw() draws.
        QCPPainter painter(this);
        if (!painter.isActive())
            return;
        if (mBackgroundBrush.style() != Qt::NoBrush)
            painter.fillRect(mViewport, mBackgroundBrush);
        // What draw() does: lay the chart out, draw the background picture and every layer; but the axes'
        // layer is left out where the paint cannot reach it. Leaving out the axes themselves instead would
        // hide their grids, and lay the chart out without them.
        const QCPLayer* const leftOut = AxesLeftOutOf(event->region());
        updateLayout();
        drawBackground(&painter);
        for (QCPLayer* layer : std::as_const(mLayers)) {
            if (layer != leftOut)
                TLayerDrawing::Draw(*layer, &painter);
        }
        const TGeometry drawn = Geometry();
        if ((QRegion(rect()) - event->region()).isEmpty())
            mDrawn = drawn;
        else if (drawn != mDrawn)
            Redraw();  // part of a chart that has moved was drawn: the rest follows
    });
}

void TTrendPlot::resizeEvent(QResizeEvent*)
{
    setViewport(rect());
    Redraw();
}

}  // namespace korvex
