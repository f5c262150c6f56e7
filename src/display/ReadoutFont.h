#pragma once

#include <QFont>

namespace korvex {

// The readouts' seven-segment font ("DSEG7 Classic") at a character height in pixels.
QFont ReadoutFont(int pixelSize);

}  // namespace korvex
