#pragma once

#include <QFont>

namespace korvex {

// Arial at a pixel size. Where Arial is missing, fonts of about its widths stand in before the system's
// general substitute, so captions laid out for Arial still fit their places.
QFont ArialFont(int pixelSize, bool bold);

}  // namespace korvex
