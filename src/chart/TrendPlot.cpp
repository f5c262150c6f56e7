#include "chart/TrendPlot.h"

#include <functional>
#include <utility>

namespace korvex {
namespace {

// A pixmap buffer that a replot clears to the chart's opaque background rather than to transparent.
class TOpaquePaintBuffer : public QCPPaintBufferPixmap {
public:
    TOpaquePaintBuffer(const QSize& size, double devicePixelRatio, std::function<QColor()> background)
        : QCPPaintBufferPixmap(size, devicePixelRatio), background_(std::move(background))
    {
    }

    void clear(const QColor& color) override
    {
        const QColor background = color.alpha() == 0 ? background_() : QColor();
        QCPPaintBufferPixmap::clear(background.isValid() ? background : color);
    }

private:
    std::function<QColor()> background_;
};

}  // namespace

TTrendPlot::TTrendPlot(QWidget* parent) : QCustomPlot(parent)
{
    // The plot takes the first buffer it holds for its layers and makes its own only when it holds none.
    mPaintBuffers.prepend(QSharedPointer<QCPAbstractPaintBuffer>(new TOpaquePaintBuffer(
        viewport().size() * mBufferDevicePixelRatio, mBufferDevicePixelRatio, [this] { return OpaqueBackground(); })));
}

QColor TTrendPlot::OpaqueBackground() const
{
    if (mBackgroundBrush.style() != Qt::SolidPattern || mBackgroundBrush.color().alpha() != 255 ||
        !mBackgroundPixmap.isNull())
        return {};
    return mBackgroundBrush.color();
}

void TTrendPlot::paintEvent(QPaintEvent* event)
{
    if (!OpaqueBackground().isValid()) {
        QCustomPlot::paintEvent(event);
        return;
    }
    // The first buffer covers the chart; those of buffered layers above it are transparent, as usual.
    QCPPainter painter(this);
    if (painter.isActive())
        for (const QSharedPointer<QCPAbstractPaintBuffer>& buffer : std::as_const(mPaintBuffers))
            buffer->draw(&painter);
}

}  // namespace korvex
