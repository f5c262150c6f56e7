#pragma once

#include <QFont>

namespace korvex {

// The window's font: "MS Sans Serif" at its 8-point size of 11 pixels. That family is rarely installed
// here; fonts of about its widths are registered to stand in for it before the system's general
// substitute (DejaVu Sans, about 17 % wider), so texts laid out for it keep to their places.
QFont WindowFont();

}  // namespace korvex
