#pragma once

#include <QIcon>
#include <QPixmap>

namespace korvex {

// ImageList1: the tool bar pictures shared by both tool bars, drawn on a 16-unit grid so they stay
// crisp at 16 and at 32 pixels.
inline constexpr int ToolImageCount = 16;

// Index 0..15 as the tool bars use them (0 first page ... 15 magnifier with minus); size in pixels.
QPixmap PaintToolImage(int index, int size);
// The picture at 16 and 32 pixels.
QIcon ToolImage(int index);

// The statistics button's picture (bars under a bell curve), drawn as ImageList1's, at 16 and 32 pixels.
QPixmap PaintStatisticsImage(int size);
QIcon StatisticsImage();

// The sizes in which the program's icon is drawn.
inline constexpr int ApplicationIconSizes[] = {16, 32, 48, 64, 128};
// The window icon: the launcher's pictures, so the window, the task bar and the menu show the same icon.
QIcon ApplicationIcon();

}  // namespace korvex
