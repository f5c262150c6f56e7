#pragma once

#include "widgets/NewMsgDlg.h"

#include <QDialog>
#include <QPointer>
#include <QString>
#include <array>
#include <vector>

class QKeyEvent;
class QLabel;
class QPushButton;

namespace korvex {

class TFrameCentring;

// Sizes the message dialog derives from its font, its text and its buttons, in pixels.
struct TMessageLayout {
    int charWidth = 0;        // average character width of "A".."Za".."z"
    int charHeight = 0;       // character height of the same string
    int horzMargin = 0;
    int vertMargin = 0;
    int horzSpacing = 0;      // icon to text
    int vertSpacing = 0;      // text to buttons
    int buttonWidth = 0;      // shared by all buttons of the dialog
    int buttonHeight = 0;
    int buttonSpacing = 0;
    int textWidth = 0;        // the word-wrapped text block
    int textHeight = 0;
    int iconTextWidth = 0;    // icon and text together
    int iconTextHeight = 0;
    int buttonRowWidth = 0;
    int clientWidth = 0;
    int clientHeight = 0;
};

// a * b / c rounded to the nearest integer, halves away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// The modal message dialog: sized to its text and buttons, answering Enter, Esc and Ctrl+C.
class TMessageForm : public QDialog {
    Q_OBJECT

public:
    TMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons);

    const TMessageLayout& Layout() const { return layout_; }
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }
    const QString& HelpFile() const { return helpFile_; }
    void SetHelpFile(const QString& file) { helpFile_ = file; }
    // Centre the dialog on the screen by its outer size, once the window system reports its frame.
    void SetCentreOnShow(bool centre);

    // The text picture that Ctrl+C puts on the clipboard.
    QString TextPicture() const;
    // Sounds the beep and puts the text picture on the clipboard as text in Windows-1252's characters.
    void CopyToClipboard();

    // The caption width table shared by all dialogs: caption width + 8 per button, 0 until measured.
    static const std::array<int, 11>& CaptionWidths();

    // Title and caption texts of the kind and button tables.
    static QString KindTitle(TMsgDlgType type);
    static QString ButtonCaption(TMsgDlgBtn button);
    static QString ButtonName(TMsgDlgBtn button);
    static int ButtonResult(TMsgDlgBtn button);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

public slots:
    void reject() override;

public:
    // Opening links the dialog to the window it blocks.
    void setVisible(bool visible) override;

private:
    bool PreviewKey(QKeyEvent* event);
    void HelpButtonClick();
    void MoveToScreenCentre(QSize outerSize);

    TMessageLayout layout_;
    QLabel* message_ = nullptr;
    std::vector<QPushButton*> buttons_;  // in bit order
    QPushButton* defaultButton_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    int helpContext_ = 0;
    QString helpFile_;
    QPointer<TFrameCentring> centring_;
};

}  // namespace korvex
