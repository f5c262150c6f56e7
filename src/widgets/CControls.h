#pragma once

#include <QLineEdit>
#include <cstdint>

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

protected:
    void changeEvent(QEvent* event) override;

private:
    void ApplyAlignment();

    TAlignment m_alignment = taLeftJustify;
};

}  // namespace korvex
