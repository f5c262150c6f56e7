#include "widgets/TMessageForm.h"

#include "meter/Windows1252.h"
#include "widgets/FrameCentring.h"
#include "widgets/Guarded.h"
#include "widgets/TransientParent.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <stdexcept>

namespace korvex {
namespace {

constexpr int kButtonCount = 11;
constexpr int kIconSize = 32;
// The text block is measured and drawn with the same flags, so what was measured is what is shown.
constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap | Qt::TextExpandTabs;

struct ButtonInfo {
    const char* name;
    const char* caption;
    int result;
};

const ButtonInfo kButtons[kButtonCount] = {
    {"Yes", "&Yes", mrYes},
    {"No", "&No", mrNo},
    {"OK", "OK", mrOk},
    {"Cancel", "Cancel", mrCancel},
    {"Abort", "&Abort", mrAbort},
    {"Retry", "&Retry", mrRetry},
    {"Ignore", "&Ignore", mrIgnore},
    {"All", "&All", mrAll},
    {"NoToAll", "N&o to All", mrNoToAll},
    {"YesToAll", "Yes to &All", mrYesToAll},
    {"Help", "&Help", mrNone},
};

// Measured once per button for the life of the program, with the font of the first dialog showing it.
std::array<int, kButtonCount> gCaptionWidths{};

bool HasButton(TMsgDlgButtons set, TMsgDlgBtn button)
{
    return (set & (1u << button)) != 0;
}

bool HasIcon(TMsgDlgType type)
{
    return type != mtCustom;
}

QStyle::StandardPixmap KindIcon(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QStyle::SP_MessageBoxWarning;
    case mtError: return QStyle::SP_MessageBoxCritical;
    case mtInformation: return QStyle::SP_MessageBoxInformation;
    default: return QStyle::SP_MessageBoxQuestion;
    }
}

QString WithoutAccessMarks(QString caption)
{
    return caption.remove(QLatin1Char('&'));
}

QRect ScreenRect()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry() : QRect(0, 0, 640, 480);
}

// Draws its text with the flags the dialog measured it with (tabs expanded, CR LF kept as a line break).
class MessageLabel : public QLabel {
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setPen(palette().color(foregroundRole()));
        const int align = QStyle::visualAlignment(layoutDirection(), Qt::AlignLeft | Qt::AlignTop);
        painter.drawText(contentsRect(), align | (kTextFlags & ~Qt::AlignHorizontal_Mask), text());
    }
};

}  // namespace

int MulDiv(int a, int b, int c)
{
    if (c == 0)
        return -1;
    const std::int64_t product = static_cast<std::int64_t>(a) * b;
    const std::int64_t magnitude = (2 * std::llabs(product) + std::llabs(c)) / (2 * std::llabs(static_cast<std::int64_t>(c)));
    const bool negative = (product < 0) != (c < 0);
    return static_cast<int>(negative ? -magnitude : magnitude);
}

TMessageForm::TMessageForm(const QString& text, TMsgDlgType type, TMsgDlgButtons buttons)
    : QDialog(nullptr, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                           Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setFont(QApplication::font("QMessageBox"));
    setLayoutDirection(QApplication::layoutDirection());

    const QFontMetrics fm(font());
    const QString letters = QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
    TMessageLayout& l = layout_;
    l.charWidth = fm.horizontalAdvance(letters) / 52;
    l.charHeight = fm.height();
    l.horzMargin = MulDiv(8, l.charWidth, 4);
    l.vertMargin = MulDiv(8, l.charHeight, 8);
    l.horzSpacing = MulDiv(10, l.charWidth, 4);
    l.vertSpacing = MulDiv(10, l.charHeight, 8);
    l.buttonWidth = MulDiv(50, l.charWidth, 4);
    l.buttonHeight = MulDiv(14, l.charHeight, 8);
    l.buttonSpacing = MulDiv(4, l.charWidth, 4);

    int buttonCount = 0;
    for (int b = 0; b < kButtonCount; ++b) {
        if (!HasButton(buttons, static_cast<TMsgDlgBtn>(b)))
            continue;
        ++buttonCount;
        if (gCaptionWidths[b] == 0)
            gCaptionWidths[b] = fm.horizontalAdvance(WithoutAccessMarks(QString::fromLatin1(kButtons[b].caption))) + 8;
        l.buttonWidth = std::max(l.buttonWidth, gCaptionWidths[b]);
    }

    const QRect screen = ScreenRect();
    const QRect textRect = fm.boundingRect(QRect(0, 0, screen.width() / 2, 0), kTextFlags, text);
    l.textWidth = textRect.width();
    l.textHeight = textRect.height();
    l.iconTextWidth = l.textWidth;
    l.iconTextHeight = l.textHeight;
    if (HasIcon(type)) {
        l.iconTextWidth += kIconSize + l.horzSpacing;
        l.iconTextHeight = std::max(l.iconTextHeight, kIconSize);
    }
    l.buttonRowWidth = buttonCount == 0 ? 0 : buttonCount * l.buttonWidth + (buttonCount - 1) * l.buttonSpacing;
    l.clientWidth = std::max(l.iconTextWidth, l.buttonRowWidth) + 2 * l.horzMargin;
    l.clientHeight = l.iconTextHeight + l.buttonHeight + l.vertSpacing + 2 * l.vertMargin;
    setFixedSize(l.clientWidth, l.clientHeight);
    MoveToScreenCentre(QSize(l.clientWidth, l.clientHeight));

    setWindowTitle(KindTitle(type));

    if (HasIcon(type)) {
        auto* image = new QLabel(this);
        image->setObjectName(QStringLiteral("Image"));
        image->setGeometry(l.horzMargin, l.vertMargin, kIconSize, kIconSize);
        image->setPixmap(style()->standardIcon(KindIcon(type), nullptr, this).pixmap(kIconSize, kIconSize));
    }

    message_ = new MessageLabel(this);
    message_->setObjectName(QStringLiteral("Message"));
    message_->setTextFormat(Qt::PlainText);
    message_->setWordWrap(true);
    message_->setText(text);
    int textLeft = l.iconTextWidth - l.textWidth + l.horzMargin;
    if (layoutDirection() == Qt::RightToLeft)
        textLeft = l.clientWidth - textLeft - l.textWidth;
    message_->setGeometry(textLeft, l.vertMargin, l.textWidth, l.textHeight);

    TMsgDlgBtn defaultButton = mbRetry;
    if (HasButton(buttons, mbOK))
        defaultButton = mbOK;
    else if (HasButton(buttons, mbYes))
        defaultButton = mbYes;
    int cancelButton = -1;
    if (HasButton(buttons, mbCancel))
        cancelButton = mbCancel;
    else if (HasButton(buttons, mbNo))
        cancelButton = mbNo;
    else if (HasButton(buttons, mbOK))
        cancelButton = mbOK;

    int left = (l.clientWidth - l.buttonRowWidth) / 2;
    const int top = l.iconTextHeight + l.vertMargin + l.vertSpacing;
    for (int b = 0; b < kButtonCount; ++b) {
        if (!HasButton(buttons, static_cast<TMsgDlgBtn>(b)))
            continue;
        auto* button = new QPushButton(QString::fromLatin1(kButtons[b].caption), this);
        button->setObjectName(QString::fromLatin1(kButtons[b].name));
        button->setGeometry(left, top, l.buttonWidth, l.buttonHeight);
        button->installEventFilter(this);
        if (b == defaultButton) {
            button->setDefault(true);
            defaultButton_ = button;
        }
        if (b == cancelButton)
            cancelButton_ = button;
        const int result = kButtons[b].result;
        if (result == mrNone)
            connect(button, &QPushButton::clicked, this, Guarded(this, &TMessageForm::HelpButtonClick));
        else
            connect(button, &QPushButton::clicked, this, Guarded([this, result] { done(result); }));
        buttons_.push_back(button);
        left += l.buttonWidth + l.buttonSpacing;
    }
    if (!buttons_.empty())
        buttons_.front()->setFocus();
}

const std::array<int, 11>& TMessageForm::CaptionWidths()
{
    return gCaptionWidths;
}

QString TMessageForm::KindTitle(TMsgDlgType type)
{
    switch (type) {
    case mtWarning: return QStringLiteral("Warning");
    case mtError: return QStringLiteral("Error");
    case mtInformation: return QStringLiteral("Information");
    case mtConfirmation: return QStringLiteral("Confirm");
    default: return QGuiApplication::applicationDisplayName();
    }
}

QString TMessageForm::ButtonCaption(TMsgDlgBtn button)
{
    return button < kButtonCount ? QString::fromLatin1(kButtons[button].caption) : QString();
}

QString TMessageForm::ButtonName(TMsgDlgBtn button)
{
    return button < kButtonCount ? QString::fromLatin1(kButtons[button].name) : QString();
}

int TMessageForm::ButtonResult(TMsgDlgBtn button)
{
    return button < kButtonCount ? kButtons[button].result : mrNone;
}

QString TMessageForm::TextPicture() const
{
    const QString divider = QString(27, QLatin1Char('-')) + QStringLiteral("\r\n");
    QString captions;
    for (const QPushButton* button : buttons_)
        captions += WithoutAccessMarks(button->text()) + QStringLiteral("   ");
    return divider + windowTitle() + QStringLiteral("\r\n") + divider + message_->text() + QStringLiteral("\r\n") +
           divider + captions + QStringLiteral("\r\n") + divider;
}

void TMessageForm::CopyToClipboard()
{
    QApplication::beep();
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard)
        throw std::runtime_error("Cannot open clipboard");
    // Passed through the 8-bit code page, so what it cannot hold reads "?", and published as text, which
    // other programs read in their own encoding.
    clipboard->setText(FromWindows1252(ToWindows1252(TextPicture())));
}

bool TMessageForm::PreviewKey(QKeyEvent* event)
{
    const Qt::KeyboardModifiers held = event->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    if (event->key() == Qt::Key_C && held == Qt::ControlModifier) {
        // A failed copy goes to the error report and the dialog stays open.
        RunGuarded([this] { CopyToClipboard(); });
        return true;
    }
    if (event->key() == Qt::Key_Escape) {
        if (cancelButton_)
            cancelButton_->click();
        return true;
    }
    return false;
}

bool TMessageForm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && PreviewKey(static_cast<QKeyEvent*>(event)))
        return true;
    return QDialog::eventFilter(watched, event);
}

void TMessageForm::keyPressEvent(QKeyEvent* event)
{
    if (PreviewKey(event))
        return;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        auto* focused = qobject_cast<QPushButton*>(focusWidget());
        if (focused && focused->parent() == this)
            focused->click();
        else if (defaultButton_)
            defaultButton_->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TMessageForm::SetCentreOnShow(bool centre)
{
    if (centre && !centring_)
        centring_ = new TFrameCentring(*this, QSize(), [](const QWidget&) { return ScreenRect(); });
    else if (!centre && centring_)
        delete centring_.data();
}

void TMessageForm::setVisible(bool visible)
{
    if (visible && !isVisible())
        SetTransientParentToActiveWindow(*this);
    QDialog::setVisible(visible);
}

void TMessageForm::reject()
{
    done(mrCancel);
}

void TMessageForm::HelpButtonClick()
{
    // No help system is attached; the help context and file are kept for one.
}

void TMessageForm::MoveToScreenCentre(QSize outerSize)
{
    const QRect screen = ScreenRect();
    move(screen.left() + screen.width() / 2 - outerSize.width() / 2,
         screen.top() + screen.height() / 2 - outerSize.height() / 2);
}

}  // namespace korvex
