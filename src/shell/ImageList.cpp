#include "shell/ImageList.h"

#include <QGuiApplication>
#include <QIconEngine>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QResource>
#include <functional>
#include <utility>

// The icon's pictures live in a static library, whose resources register only when asked for by name.
static void InitApplicationIconResource()
{
    Q_INIT_RESOURCE(ApplicationIcon);
}

namespace korvex {

namespace {

const QColor ArrowBlue(0, 64, 192);
const QColor Outline(0, 0, 0);

void Triangle(QPainter& p, QPointF a, QPointF b, QPointF c, const QColor& color)
{
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPolygon(QPolygonF({a, b, c}));
}

// Two arrows one beside the other; left points them to the left.
void DoubleArrow(QPainter& p, qreal x, bool left)
{
    for (qreal offset : {0.0, 5.0}) {
        const qreal x0 = x + offset;
        if (left)
            Triangle(p, {x0, 8}, {x0 + 5, 3}, {x0 + 5, 13}, ArrowBlue);
        else
            Triangle(p, {x0 + 5, 8}, {x0, 3}, {x0, 13}, ArrowBlue);
    }
}

void Page(QPainter& p)
{
    QPainterPath page;
    page.moveTo(3.5, 1.5);
    page.lineTo(10.5, 1.5);
    page.lineTo(13.5, 4.5);
    page.lineTo(13.5, 14.5);
    page.lineTo(3.5, 14.5);
    page.closeSubpath();
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    p.drawPath(page);
    p.setBrush(Qt::NoBrush);
    p.drawPolyline(QPolygonF({{10.5, 1.5}, {10.5, 4.5}, {13.5, 4.5}}));
}

void Diskette(QPainter& p)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(QColor(0, 0, 128));
    p.drawRect(QRectF(1.5, 1.5, 13, 13));
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(4, 2, 8, 5), QColor(192, 192, 192));  // shutter
    p.fillRect(QRectF(9, 3, 2, 3), QColor(0, 0, 128));      // shutter window
    p.fillRect(QRectF(3, 9, 10, 5), Qt::white);             // label
    p.fillRect(QRectF(4, 10, 8, 1), QColor(128, 128, 128));
    p.fillRect(QRectF(4, 12, 8, 1), QColor(128, 128, 128));
}

void Magnifier(QPainter& p, const QColor& color, bool plus)
{
    p.setPen(QPen(color, 1.5));
    p.setBrush(QColor(255, 255, 255, 200));
    p.drawEllipse(QRectF(1.75, 1.75, 8.5, 8.5));
    p.setPen(QPen(color, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(9.5, 9.5), QPointF(13.5, 13.5));
    p.setPen(Qt::NoPen);
    // Whole-pixel signs stay sharp at 16 pixels.
    p.fillRect(QRectF(4, 5, 4, 2), color);
    if (plus)
        p.fillRect(QRectF(5, 4, 2, 4), color);
}

void OpenFolder(QPainter& p, const QColor& front, const QColor& back)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(back);
    p.drawPolygon(QPolygonF({{1.5, 3.5}, {5.5, 3.5}, {6.5, 4.5}, {12.5, 4.5}, {12.5, 13.5}, {1.5, 13.5}}));
    p.setBrush(front);
    p.drawPolygon(QPolygonF({{1.5, 13.5}, {4.5, 7.5}, {15.5, 7.5}, {12.5, 13.5}}));
}

void Printer(QPainter& p)
{
    p.setPen(QPen(Outline, 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 1.5, 7, 5));  // paper in
    p.setBrush(QColor(192, 192, 192));
    p.drawRect(QRectF(1.5, 6.5, 13, 5));  // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 10.5, 7, 4));  // paper out
    p.setPen(Qt::NoPen);
    p.fillRect(QRectF(12, 8, 1, 1), QColor(0, 160, 0));  // power light
    p.fillRect(QRectF(6, 12, 4, 1), QColor(128, 128, 128));
}

void Histogram(QPainter& p)
{
    p.setPen(Qt::NoPen);
    // Whole-pixel bars stay sharp at 16 pixels.
    const QRectF bars[] = {{2, 11, 2, 3}, {5, 7, 2, 7}, {8, 4, 2, 10}, {11, 8, 2, 6}};
    for (const QRectF& bar : bars)
        p.fillRect(bar, ArrowBlue);
    p.setPen(QPen(Outline, 1));
    p.drawLine(QPointF(0.5, 14.5), QPointF(15.5, 14.5));
    QPainterPath curve;
    curve.moveTo(1, 13);
    curve.cubicTo(5, 13, 6, 2, 9, 2);
    curve.cubicTo(12, 2, 12, 13, 15, 13);
    p.setPen(QPen(QColor(192, 0, 0), 1.2));
    p.setBrush(Qt::NoBrush);
    p.drawPath(curve);
}

void Go(QPainter& p)
{
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setBold(true);
    font.setPixelSize(9);
    p.setFont(font);
    p.setPen(QColor(0, 128, 0));
    p.drawText(QRectF(0, 0, 16, 16), Qt::AlignCenter, QStringLiteral("GO"));
}

void PaintToolImageAt16(QPainter& p, int index)
{
    const QColor black(0, 0, 0);
    const QColor grey(160, 160, 160);
    switch (index) {
    case 0:
        p.fillRect(QRectF(2, 3, 2, 10), ArrowBlue);
        DoubleArrow(p, 4, true);
        break;
    case 1: DoubleArrow(p, 3, true); break;
    case 2: DoubleArrow(p, 3, false); break;
    case 3:
        DoubleArrow(p, 2, false);
        p.fillRect(QRectF(12, 3, 2, 10), ArrowBlue);
        break;
    case 4: Page(p); break;
    case 5: Diskette(p); break;
    case 6: Magnifier(p, ArrowBlue, false); break;
    case 7: Magnifier(p, ArrowBlue, true); break;
    case 8: OpenFolder(p, QColor(255, 224, 64), QColor(224, 176, 0)); break;
    case 9: OpenFolder(p, QColor(208, 208, 208), grey); break;
    case 10: Printer(p); break;
    case 11: Go(p); break;
    case 12: Magnifier(p, black, true); break;
    case 13: Magnifier(p, black, false); break;
    case 14: Magnifier(p, black, true); break;
    case 15: Magnifier(p, black, false); break;
    default: break;
    }
}

QPixmap PaintAt16(int size, const std::function<void(QPainter&)>& paint)
{
    QPixmap picture(size, size);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    paint(p);
    return picture;
}

// An icon of a picture at 16 and at 32 pixels that paints each size the first time it is asked for: a button
// hidden at the start never needs its picture then, a shown one only one size.
class TPaintedIconEngine final : public QIconEngine {
public:
    explicit TPaintedIconEngine(std::function<QPixmap(int)> paint) : paint_(std::move(paint)) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State state) override
    {
        const qreal scale = painter->device() ? painter->device()->devicePixelRatio() : qGuiApp->devicePixelRatio();
        IconFor(rect.size() * scale).paint(painter, rect, Qt::AlignCenter, mode, state);
    }
    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return IconFor(size).pixmap(size, 1.0, mode, state);
    }
    // The pictures are of one scale: the size in device pixels alone chooses, as for pixmap().
    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State state, qreal) override
    {
        return pixmap(size, mode, state);
    }
    QSize actualSize(const QSize& size, QIcon::Mode mode, QIcon::State state) override
    {
        return IconFor(size).actualSize(size, mode, state);
    }
    QList<QSize> availableSizes(QIcon::Mode mode, QIcon::State state) override
    {
        if (mode != QIcon::Normal || state != QIcon::Off)
            return {};
        return {QSize(16, 16), QSize(32, 32)};
    }
    QIconEngine* clone() const override { return new TPaintedIconEngine(*this); }

private:
    // The choice of an icon holding both pictures: the smaller one, unless its area is smaller than asked for.
    QIcon& IconFor(const QSize& size)
    {
        const bool small = size.width() * size.height() <= 16 * 16;
        QIcon& icon = small ? small_ : large_;
        if (icon.isNull())
            icon.addPixmap(paint_(small ? 16 : 32));
        return icon;
    }

    std::function<QPixmap(int)> paint_;
    QIcon small_;
    QIcon large_;
};

}  // namespace

QPixmap PaintToolImage(int index, int size)
{
    return PaintAt16(size, [index](QPainter& p) { PaintToolImageAt16(p, index); });
}

QPixmap PaintStatisticsImage(int size)
{
    return PaintAt16(size, Histogram);
}

QIcon StatisticsImage()
{
    return QIcon(new TPaintedIconEngine(PaintStatisticsImage));
}

QIcon ToolImage(int index)
{
    return QIcon(new TPaintedIconEngine([index](int size) { return PaintToolImage(index, size); }));
}

QIcon ApplicationIcon()
{
    InitApplicationIconResource();
    QIcon icon;
    for (const int size : ApplicationIconSizes) {
        const QByteArray pixels = QResource(QStringLiteral(":/icons/korvex-lcr-%1.argb32").arg(size)).uncompressedData();
        if (pixels.size() != size * size * 4)
            continue;
        // Converted into an image of its own, which the pixmap may keep: the pixels above belong to the resource.
        const QImage picture(reinterpret_cast<const uchar*>(pixels.constData()), size, size, QImage::Format_ARGB32);
        icon.addPixmap(QPixmap::fromImage(picture.convertToFormat(QImage::Format_ARGB32_Premultiplied)));
    }
    return icon;
}

}  // namespace korvex
