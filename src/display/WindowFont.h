#pragma once

#include <QFont>

namespace korvex {

// The window's font: "MS Sans Serif" at its 8-point size of 11 pixels. That family is rarely installed
// here; fonts of about its widths stand in for it before the system's general substitute (DejaVu Sans,
// about 17 % wider), so texts laid out for it keep to their places. The font names the first of them that
// is installed; a font that names MS Sans Serif itself gets them as its substitutes.
QFont WindowFont();

}  // namespace korvex
