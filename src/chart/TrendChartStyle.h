#pragma once

class QCustomPlot;

namespace korvex {

// Gives the trend chart its series, axes and look: Series2 (an area series, hidden), Series1 (the
// blue line that receives the readings) and Series3 (a line, hidden), in that order; the bottom axis
// "Record Number" with whole-number labels, the left axis "Value" from -40 to 40; silver grids on
// white; no legend, no title, no mouse zooming or panning. Any series already on the chart are
// removed. Leaves the series empty: the chart data window adds their leading points.
void StyleTrendChart(QCustomPlot* chart);

}  // namespace korvex
