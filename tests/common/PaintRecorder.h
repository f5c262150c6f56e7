#pragma once

#include <QEvent>
#include <QObject>
#include <QPaintEvent>
#include <QRegion>
#include <QWidget>
#include <vector>

namespace korvex::test {

// Records the region of every paint a widget receives from now on: how often it was drawn, and where.
class PaintRecorder : public QObject {
public:
    explicit PaintRecorder(QWidget& widget) { widget.installEventFilter(this); }

    std::vector<QRegion> regions;

    int Count() const { return static_cast<int>(regions.size()); }
    void Clear() { regions.clear(); }

    // The pixels painted, summed over every paint.
    qint64 Area() const
    {
        qint64 area = 0;
        for (const QRegion& region : regions)
            for (const QRect& rect : region)
                area += qint64(rect.width()) * rect.height();
        return area;
    }

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            regions.push_back(static_cast<QPaintEvent*>(event)->region());
        return false;
    }
};

}  // namespace korvex::test
