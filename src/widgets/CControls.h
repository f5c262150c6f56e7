#pragma once

#include <QLineEdit>
#include <cstdint>
#include <optional>

#include "widgets/GlyphImages.h"

namespace korvex {

// Horizontal placement of an edit box's text.
enum TAlignment : std::uint8_t {
    taLeftJustify = 0,   // text at the left edge (the default)
    taRightJustify = 1,  // text at the right edge
    taCenter = 2,        // text centred
};

// A single-line edit box with an Alignment property. In a right-to-left layout left and right swap,
// so a left-justified box puts its text at the reading start of that layout.
class TCEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit TCEdit(QWidget* parent = nullptr);

    TAlignment Alignment() const { return m_alignment; }
    // A new value takes effect at once and keeps the text; the same value does nothing.
    void SetAlignment(TAlignment alignment);

    // Whether the box draws its text from pictures of its glyphs rather than have Qt draw it from their
    // outlines: in a font too large for Qt's own glyph pictures (a readout's), while it shows no cursor,
    // selection or placeholder and the whole text fits. The picture is the same either way.
    bool DrawsTextFromImages() const;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void ApplyAlignment();

    // The text's glyph pictures where QLineEdit would draw the glyphs, and the rectangle it clips them to.
    struct TTextPlacement {
        QList<TGlyphImages::TPlacedGlyph> glyphs;
        QRect clip;
    };
    std::optional<TTextPlacement> PlaceTextDrawnFromImages() const;

    TAlignment m_alignment = taLeftJustify;
    // Pictures kept for the next paint.
    mutable TGlyphImages m_glyphImages;
};

}  // namespace korvex
