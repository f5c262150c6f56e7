#pragma once

#include <QDialog>
#include <functional>

class QFrame;
class QKeyEvent;

namespace korvex {

// The container window of a full-window view, frmSuperContainer: maximised, resizable, an empty title,
// and one panel Panel1 filling it, into which the shown panel is moved.
class TfrmSuperContainer : public QDialog {
    Q_OBJECT
public:
    TfrmSuperContainer();

    QFrame* Panel1() const { return m_Panel1; }

protected:
    // Esc does not close the view: only the zoom-out button, the close button and Alt+F4 do.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QFrame* m_Panel1 = nullptr;
};

// Shows the panel alone in a fresh container window, modally, and returns when the view has been closed.
// The panel itself is moved, with its live controls, and comes back into the same place of its home
// parent's layout also when an error escapes while it is shown. Does nothing while a view is open.
void ShowFullWindow(QWidget* panel, QWidget* homeParent);

// The open view's container window, or null when no view is open. At most one view is open at a time.
TfrmSuperContainer* frmSuperContainer();

// Asks the open view's container to close, as its own close button does; nothing when no view is open.
void CloseFullWindow();

// How ShowFullWindow waits for the view to end. The program runs the container's modal loop; a test may
// stand in its own step for as long as this object lives, to end a view with an error.
class TFullWindowShowStep {
public:
    using Step = std::function<void(TfrmSuperContainer&)>;
    explicit TFullWindowShowStep(Step step);
    ~TFullWindowShowStep();
    TFullWindowShowStep(const TFullWindowShowStep&) = delete;
    TFullWindowShowStep& operator=(const TFullWindowShowStep&) = delete;

private:
    Step m_previous;
};

}  // namespace korvex
