#include "widgets/GlyphImages.h"

#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace korvex {
namespace {

// A readout shows a few dozen glyphs at a few positions; a font that shows more starts afresh.
constexpr qsizetype kMostImages = 512;

}  // namespace

QList<TGlyphImages::TPlacedGlyph> TGlyphImages::Place(const QGlyphRun& run, const QPointF& origin, const QColor& colour)
{
    const QRawFont font = run.rawFont();
    if (font != m_font || colour != m_colour || m_images.size() > kMostImages) {
        m_images.clear();
        m_font = font;
        m_colour = colour;
    }
    const QList<quint32> glyphs = run.glyphIndexes();
    const QList<QPointF> positions = run.positions();
    QList<TPlacedGlyph> placed;
    for (qsizetype i = 0; i < glyphs.size() && i < positions.size(); ++i) {
        // Qt places an outline on a 64th of a pixel: the whole pixel and the 64ths within it.
        const QPointF at = (origin + positions[i]) * 64;
        const QPoint sixtyFourths(static_cast<int>(std::lround(at.x())), static_cast<int>(std::lround(at.y())));
        const QPoint whole(sixtyFourths.x() >> 6, sixtyFourths.y() >> 6);
        const QPoint within(sixtyFourths.x() & 63, sixtyFourths.y() & 63);
        const quint64 key = (quint64(glyphs[i]) << 12) | quint64(within.x() << 6) | quint64(within.y());
        auto image = m_images.constFind(key);
        if (image == m_images.constEnd()) {
            TPlacedGlyph rendered;
            rendered.image = Render(glyphs[i], within, &rendered.at);
            image = m_images.insert(key, rendered);
        }
        if (!image->image.isNull())
            placed.append({whole + image->at, image->image});
    }
    return placed;
}

bool TGlyphImages::Separate(const QList<TPlacedGlyph>& glyphs)
{
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        const QRect first(glyphs[i].at, glyphs[i].image.size());
        for (qsizetype j = i + 1; j < glyphs.size(); ++j) {
            const QRect second(glyphs[j].at, glyphs[j].image.size());
            const QRect shared = first & second;
            for (int y = shared.top(); y <= shared.bottom(); ++y)
                for (int x = shared.left(); x <= shared.right(); ++x) {
                    // Blending b over a covers a + b - ab/255 where both filled at once cover a + b.
                    const int a = qAlpha(glyphs[i].image.pixel(QPoint(x, y) - first.topLeft()));
                    const int b = qAlpha(glyphs[j].image.pixel(QPoint(x, y) - second.topLeft()));
                    if (a * b > 255)
                        return false;
                }
        }
    }
    return true;
}

void TGlyphImages::Draw(QPainter& painter, const QList<TPlacedGlyph>& glyphs)
{
    for (const TPlacedGlyph& glyph : glyphs)
        painter.drawImage(glyph.at, glyph.image);
}

QImage TGlyphImages::Render(quint32 glyph, const QPoint& sixtyFourths, QPoint* corner) const
{
    const QPointF within = QPointF(sixtyFourths) / 64;
    const QRectF outline = m_font.pathForGlyph(glyph).boundingRect().translated(within);
    if (outline.isEmpty())
        return {};
    // A pixel of room each side for the antialiased edge.
    const QRect bounds = outline.toAlignedRect().adjusted(-1, -1, 1, 1);
    QImage image(bounds.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setPen(m_colour);
    QGlyphRun one;
    one.setRawFont(m_font);
    one.setGlyphIndexes({glyph});
    one.setPositions({within - QPointF(bounds.topLeft())});
    painter.drawGlyphRun(QPointF(0, 0), one);
    *corner = bounds.topLeft();
    return image;
}

}  // namespace korvex
