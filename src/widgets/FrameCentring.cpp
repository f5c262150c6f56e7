#include "widgets/FrameCentring.h"

#include <QEvent>
#include <QWidget>

namespace korvex {

TFrameCentring::TFrameCentring(QWidget& window, QSize outerSize, Area area)
    : QObject(&window), window_(window), outerSize_(outerSize), area_(std::move(area))
{
    window_.installEventFilter(this);
    Place();
    // Until shown the frame is unknown: placed again once it is reported.
    placed_ = false;
}

QMargins TFrameCentring::FrameMargins(const QWidget& window)
{
    const QRect frame = window.frameGeometry();
    const QRect client = window.geometry();
    return {client.left() - frame.left(), client.top() - frame.top(), frame.right() - client.right(),
            frame.bottom() - client.bottom()};
}

bool TFrameCentring::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == &window_ && (type == QEvent::Show || type == QEvent::Move || type == QEvent::Resize)
        && window_.isVisible() && window_.windowState() == Qt::WindowNoState
        && (!placed_ || FrameMargins(window_) != placedWith_))
        Place();
    return QObject::eventFilter(watched, event);
}

void TFrameCentring::Place()
{
    const QMargins frame = FrameMargins(window_);
    placedWith_ = frame;
    placed_ = true;
    if (outerSize_.isValid())
        window_.resize(outerSize_.shrunkBy(frame));
    const QSize outer = window_.size().grownBy(frame);
    const QRect area = area_(window_);
    if (!area.isValid())
        return;
    // A window's position is that of its frame.
    window_.move(area.left() + area.width() / 2 - outer.width() / 2, area.top() + area.height() / 2 - outer.height() / 2);
}

}  // namespace korvex
