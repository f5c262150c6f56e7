#pragma once

#include <QColor>
#include <QHash>
#include <QImage>
#include <QList>
#include <QPoint>
#include <QRawFont>

class QGlyphRun;
class QPainter;

namespace korvex {

// Qt keeps the glyphs of fonts up to 64 pixels as pictures and draws larger ones from their outlines on
// every paint: for a 71-pixel readout, most of what showing a reading costs. This keeps each glyph of such a
// font as a picture, drawn once from its outline as Qt draws it, to draw glyph runs from.
class TGlyphImages {
public:
    struct TPlacedGlyph {
        QPoint at;  // where the picture's corner goes
        QImage image;
    };

    // The pictures of run's glyphs, moved by origin and drawn in colour, and where each goes.
    QList<TPlacedGlyph> Place(const QGlyphRun& run, const QPointF& origin, const QColor& colour);

    // Whether the pictures drawn one over another show what Qt's filling all the outlines at once shows, to
    // a step of rounding: no pixel is covered much by two glyphs (as a kerned pair's may be).
    static bool Separate(const QList<TPlacedGlyph>& glyphs);

    static void Draw(QPainter& painter, const QList<TPlacedGlyph>& glyphs);

private:
    QImage Render(quint32 glyph, const QPoint& sixtyFourths, QPoint* corner) const;

    QRawFont m_font;
    QColor m_colour;
    QHash<quint64, TPlacedGlyph> m_images;  // by glyph and 64ths of a pixel; at is the corner from the pixel
};

}  // namespace korvex
