#pragma once

#include <optional>

#include <qcustomplot.h>

namespace korvex {

// The trend chart's plot. QCustomPlot draws its layers into a buffer on each replot and shows the chart
// by filling the widget and copying the buffer over it: for a chart drawn afresh on every reading, a
// fill and a copy of every pixel besides the drawing. This plot draws its layers straight onto the
// window as it paints instead, laid out at that moment, and a new reading draws again only the box
// of the plot its line lies in. A replot() still shows the chart as it is, but draws nothing of its
// own: there is no buffer for it to fill.
// The picture is QCustomPlot's. On Windows the chart's texts are drawn onto the window's white and take
// ClearType's colours, as the window's other texts do.
class TTrendPlot : public QCustomPlot {
public:
    explicit TTrendPlot(QWidget* parent = nullptr);

    // Draws the chart with the window's next paint; several calls before it draw it once. Nothing is
    // drawn while the plot is hidden.
    void Redraw();

    // The same after points were appended to series from firstKey on. While the plot's size and its
    // axes are those last drawn, only the box around the line's new and last segments is drawn again:
    // the rest of the picture is unchanged.
    void RedrawAppended(const QCPGraph& series, double firstKey);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // What places every point on the screen.
    struct TGeometry {
        QRect viewport;
        QRect plotArea;
        QList<QCPRange> ranges;
        bool operator==(const TGeometry&) const = default;
    };
    TGeometry Geometry() const;

    // The axes' layer when painting region can leave it out (region misses the bands where the axes reach
    // into the plot), else null.
    const QCPLayer* AxesLeftOutOf(const QRegion& region) const;

    // Whether the series' line between two points lies within their box, as a straight line does.
    bool LineStaysBetweenPoints(const QCPGraph& series) const;

    // The geometry of the last paint that covered the whole plot.
    std::optional<TGeometry> mDrawn;
};

}  // namespace korvex
