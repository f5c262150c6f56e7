#pragma once

class QWidget;

namespace korvex {

// Marks a dialog that has no parent as transient for the window it blocks, so that a window manager keeps
// it above that window. Only the window handle is linked: no widget owns the dialog. The blocked window is
// the active one; when the program is not active (a notice raised by a timer) it is the active modal
// dialog, or else the one visible main-level window. Call it before the dialog is shown.
void SetTransientParentToActiveWindow(QWidget& dialog);

}  // namespace korvex
