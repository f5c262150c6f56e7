#pragma once

class QWidget;

namespace korvex {

// Ends the application once the window has been painted for the first time, writing "shown at " and the
// wall clock's microseconds to standard output first: how the start-up benchmark (KORVEX_QUIT_WHEN_SHOWN)
// times the start to a shown window.
void QuitOnFirstPaint(QWidget& window);

}  // namespace korvex
