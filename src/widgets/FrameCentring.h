#pragma once

#include <QMargins>
#include <QObject>
#include <QRect>
#include <QSize>
#include <functional>

class QWidget;

namespace korvex {

// Gives a top-level window its outer size and centres it on an area of the screen by that outer size.
// Qt sizes and places the client area, and the window system reports the frame around it only once the
// window is shown, sometimes a little later; so the placement is made again each time the reported frame
// changes, and never when only the user has moved or resized the window.
class TFrameCentring : public QObject {
public:
    using Area = std::function<QRect(const QWidget& window)>;

    // outerSize: the size the window takes with its frame; an invalid size keeps the window's size.
    TFrameCentring(QWidget& window, QSize outerSize, Area area);

    // The frame around the client area as the window system reports it now.
    static QMargins FrameMargins(const QWidget& window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Place();

    QWidget& window_;
    QSize outerSize_;
    Area area_;
    QMargins placedWith_;
    bool placed_ = false;
};

}  // namespace korvex
