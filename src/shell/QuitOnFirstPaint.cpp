#include "shell/QuitOnFirstPaint.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>
#include <QWidget>
#include <chrono>
#include <cstdio>
#include <string>

namespace korvex {
namespace {

// Watches every painting in the application: the window's own, or that of any widget in it (a window
// covered by its children may never paint itself).
class FirstPaintWatch : public QObject {
public:
    explicit FirstPaintWatch(QWidget& window) : QObject(&window), window_(window) {}
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint && !seen_ && watched->isWidgetType()
            && static_cast<QWidget*>(watched)->window() == &window_) {
            seen_ = true;
            // Once this painting is done and on the screen: the moment is written out (microseconds of
            // the wall clock, as `date +%s%N` reads it) before the program ends, whose own ending takes
            // no part in its start. Exit, not quit, which would ask the window to close (and the user
            // whether to quit).
            QTimer::singleShot(0, QCoreApplication::instance(), [] {
                const auto now = std::chrono::system_clock::now().time_since_epoch();
                const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
                std::fputs(("shown at " + std::to_string(micros) + "\n").c_str(), stdout);
                std::fflush(stdout);
                QCoreApplication::exit(0);
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& window_;
    bool seen_ = false;
};

}  // namespace

void QuitOnFirstPaint(QWidget& window)
{
    QCoreApplication::instance()->installEventFilter(new FirstPaintWatch(window));
}

}  // namespace korvex
