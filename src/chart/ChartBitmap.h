#pragma once

#include <QString>

class QCustomPlot;

namespace korvex {

// Writes the chart as it is shown now (current page, on-screen size) on a white background to
// fileName as a Windows bitmap. Throws std::runtime_error naming the file when it cannot be written.
void SaveChartBitmap(QCustomPlot* chart, const QString& fileName);

}  // namespace korvex
