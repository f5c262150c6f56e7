#include "widgets/TransientParent.h"

#include <QApplication>
#include <QWidget>
#include <QWindow>

namespace korvex {
namespace {

QWidget* BlockedWindow(const QWidget& dialog)
{
    for (QWidget* candidate : {QApplication::activeWindow(), QApplication::activeModalWidget()}) {
        if (candidate && candidate->window() != &dialog)
            return candidate->window();
    }
    QWidget* only = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (widget == &dialog || !widget->isVisible() || widget->windowType() != Qt::Window)
            continue;
        if (only)
            return nullptr;  // several: no telling which one the user looks at
        only = widget;
    }
    return only;
}

}  // namespace

void SetTransientParentToActiveWindow(QWidget& dialog)
{
    const QWidget* blocked = BlockedWindow(dialog);
    QWindow* blockedHandle = blocked ? blocked->windowHandle() : nullptr;
    if (!blockedHandle)
        return;
    // Creates the dialog's native window now, so the link is in place before it is first mapped.
    dialog.winId();
    if (QWindow* handle = dialog.windowHandle())
        handle->setTransientParent(blockedHandle);
}

}  // namespace korvex
