#pragma once

#include <QFont>
#include <QLineF>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QPen>
#include <QRectF>
#include <QString>
#include <memory>
#include <vector>

namespace korvex::testing {

// A paint device of 254 dots per inch (10 dots per millimetre) that records what is drawn on it instead
// of drawing: text items with their baseline and extent, rectangles and lines with the pen in use.
class RecordingPaintDevice : public QPaintDevice {
public:
    static constexpr int DotsPerInch = 254;
    static constexpr double DotsPerMm = DotsPerInch / 25.4;

    struct Text {
        QString text;
        QPointF baseline;  // left end of the baseline, in dots
        double width = 0, ascent = 0, descent = 0;
        QFont font;
    };
    struct Shape {
        QRectF rect;  // in dots
        QPen pen;
    };

    RecordingPaintDevice() : engine_(std::make_unique<Engine>(*this)) {}

    QPaintEngine* paintEngine() const override { return engine_.get(); }

    std::vector<Text> texts;
    std::vector<Shape> rects;
    std::vector<QLineF> lines;

protected:
    int metric(PaintDeviceMetric metric) const override
    {
        switch (metric) {
        case PdmWidth: return static_cast<int>(210 * DotsPerMm);
        case PdmHeight: return static_cast<int>(297 * DotsPerMm);
        case PdmWidthMM: return 210;
        case PdmHeightMM: return 297;
        case PdmDpiX:
        case PdmDpiY:
        case PdmPhysicalDpiX:
        case PdmPhysicalDpiY: return DotsPerInch;
        case PdmDepth: return 32;
        case PdmNumColors: return 0x7fffffff;
        case PdmDevicePixelRatio: return 1;
        case PdmDevicePixelRatioScaled: return static_cast<int>(devicePixelRatioFScale());
        }
        return 0;
    }

private:
    class Engine : public QPaintEngine {
    public:
        explicit Engine(RecordingPaintDevice& device) : QPaintEngine(AllFeatures), device_(device) {}
        bool begin(QPaintDevice*) override { return true; }
        bool end() override { return true; }
        void updateState(const QPaintEngineState& state) override
        {
            if (state.state() & DirtyPen)
                pen_ = state.pen();
        }
        void drawPixmap(const QRectF&, const QPixmap&, const QRectF&) override {}
        void drawRects(const QRectF* rects, int count) override
        {
            for (int i = 0; i < count; ++i)
                device_.rects.push_back({rects[i], pen_});
        }
        void drawLines(const QLineF* lines, int count) override
        {
            device_.lines.insert(device_.lines.end(), lines, lines + count);
        }
        void drawTextItem(const QPointF& p, const QTextItem& item) override
        {
            device_.texts.push_back({item.text(), p, item.width(), item.ascent(), item.descent(), item.font()});
        }
        Type type() const override { return User; }

    private:
        RecordingPaintDevice& device_;
        QPen pen_;
    };

    std::unique_ptr<Engine> engine_;
};

}  // namespace korvex::testing
