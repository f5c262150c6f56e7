#include "chart/TrendPlot.h"

#include <QPaintEvent>
#include <cmath>

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
    // From the point the new line starts at (the one before firstKey) to the last; the pen, its joins
    // and a point's symbol reach a little beyond.
    const double from = data->findBegin(firstKey, true)->key;
    const double to = (data->constEnd() - 1)->key;
    const double reach = std::ceil(std::max(1.0, series.pen().widthF())) + series.scatterStyle().size() + 2;
    const double left = series.keyAxis()->coordToPixel(from);
    const double right = series.keyAxis()->coordToPixel(to);
    const QRect area = axisRect()->rect();
    const QRectF strip(QPointF(std::min(left, right) - reach, area.top()),
                       QPointF(std::max(left, right) + reach, area.bottom() + 1));
    update(strip.toAlignedRect() & area);
}

TTrendPlot::TGeometry TTrendPlot::Geometry() const
{
    TGeometry geometry{mViewport, axisRect()->rect(), {}};
    for (const QCPAxis* axis : axisRect()->axes())
        geometry.ranges.append(axis->range());
    return geometry;
}

void TTrendPlot::paintEvent(QPaintEvent* event)
{
    // What QCustomPlot's export to a painter draws: the background brush, then draw() lays the chart out
    // and draws the background picture and every layer.
    QCPPainter painter(this);
    if (!painter.isActive())
        return;
    if (mBackgroundBrush.style() != Qt::NoBrush)
        painter.fillRect(mViewport, mBackgroundBrush);
    draw(&painter);
    const TGeometry drawn = Geometry();
    if ((QRegion(rect()) - event->region()).isEmpty())
        mDrawn = drawn;
    else if (drawn != mDrawn)
        Redraw();  // part of a chart that has moved was drawn: the rest follows
}

void TTrendPlot::resizeEvent(QResizeEvent*)
{
    setViewport(rect());
    Redraw();
}

}  // namespace korvex
