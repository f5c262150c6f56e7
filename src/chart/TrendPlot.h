#pragma once

#include <qcustomplot.h>

namespace korvex {

// The trend chart's plot. QCustomPlot draws its layers into a transparent buffer on each replot and
// shows it by filling the widget with the chart's background and blending the buffer over it: two
// passes over every pixel of the chart for each reading. Here, while the background is one opaque
// colour (the chart's white), the first buffer is cleared to that colour instead, and showing the chart
// copies it as it is. The chart looks the same, but for its texts on Windows: drawn onto white, they
// take ClearType's colours as the window's other texts do, where QCustomPlot's transparent buffer gave
// them a grey edge. Other backgrounds are drawn as QCustomPlot does.
class TTrendPlot : public QCustomPlot {
public:
    explicit TTrendPlot(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The colour the whole chart is filled with, or an invalid colour when the background is not one
    // opaque colour (a pattern, a picture, a translucent or no brush).
    QColor OpaqueBackground() const;
};

}  // namespace korvex
