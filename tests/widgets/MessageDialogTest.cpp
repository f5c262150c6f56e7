#include "widgets/NewMsgDlg.h"
#include "widgets/TMessageForm.h"

#include <QApplication>
#include <QClipboard>
#include <QFontMetrics>
#include <QLabel>
#include <QMimeData>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace korvex;

namespace {

const QString kQuitQuestion = QStringLiteral("Are you sure that you want to quit this application?");

int Round(int a, int b, int c)
{
    return static_cast<int>(std::lround(static_cast<double>(a) * b / c));
}

QString Repeat(const QString& word, int n)
{
    QStringList words;
    for (int i = 0; i < n; ++i)
        words << word;
    return words.join(QLatin1Char(' '));
}

// Runs `answer` on the modal dialog once the event loop is showing it.
void AnswerModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer] {
        QWidget* modal = QApplication::activeModalWidget();
        ASSERT_NE(modal, nullptr);
        answer(modal);
    });
}

struct LayoutCase {
    const char* name;
    QString text;
    TMsgDlgType type;
    TMsgDlgButtons buttons;
};

class MessageLayoutTest : public ::testing::TestWithParam<LayoutCase> {};

TEST_P(MessageLayoutTest, SizesFollowFontMetrics)
{
    const LayoutCase& c = GetParam();
    std::unique_ptr<TMessageForm> form(CreateMessageForm(c.text, c.type, c.buttons));

    const QFontMetrics fm(QApplication::font("QMessageBox"));
    const int cx = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz")) / 52;
    const int cy = fm.height();
    const int hm = Round(8, cx, 4), vm = Round(8, cy, 8), hs = Round(10, cx, 4), vs = Round(10, cy, 8);
    const int bh = Round(14, cy, 8), bs = Round(4, cx, 4);
    int bw = Round(50, cx, 4);
    int n = 0;
    for (int b = 0; b <= mbHelp; ++b) {
        if (c.buttons & (1u << b)) {
            ++n;
            bw = std::max(bw, fm.horizontalAdvance(TMessageForm::ButtonCaption(TMsgDlgBtn(b)).remove('&')) + 8);
        }
    }
    const int limit = QGuiApplication::primaryScreen()->size().width() / 2;
    const QRect text = fm.boundingRect(QRect(0, 0, limit, 0), Qt::AlignLeft | Qt::TextWordWrap | Qt::TextExpandTabs, c.text);
    const bool icon = c.type != mtCustom;
    const int iw = text.width() + (icon ? 32 + hs : 0);
    const int ih = icon ? std::max(text.height(), 32) : text.height();
    const int rowWidth = n ? n * bw + (n - 1) * bs : 0;
    const int clientW = std::max(iw, rowWidth) + 2 * hm;
    const int clientH = ih + bh + vs + 2 * vm;

    const TMessageLayout& l = form->Layout();
    EXPECT_EQ(l.horzMargin, hm);
    EXPECT_EQ(l.vertMargin, vm);
    EXPECT_EQ(l.buttonWidth, bw);
    EXPECT_EQ(l.buttonHeight, bh);
    EXPECT_EQ(l.textWidth, text.width());
    EXPECT_EQ(l.textHeight, text.height());
    EXPECT_EQ(l.clientWidth, clientW);
    EXPECT_EQ(l.clientHeight, clientH);
    EXPECT_EQ(form->size(), QSize(clientW, clientH));

    auto* image = form->findChild<QLabel*>(QStringLiteral("Image"));
    ASSERT_EQ(image != nullptr, icon);
    if (image) {
        EXPECT_EQ(image->geometry(), QRect(hm, vm, 32, 32));
    }
    auto* message = form->findChild<QLabel*>(QStringLiteral("Message"));
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), c.text);
    EXPECT_EQ(message->geometry(), QRect(hm + (icon ? 32 + hs : 0), vm, text.width(), text.height()));

    const QList<QPushButton*> buttons = form->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), n);
    int left = (clientW - rowWidth) / 2;
    for (QPushButton* button : buttons) {
        EXPECT_EQ(button->geometry(), QRect(left, ih + vm + vs, bw, bh)) << button->objectName().toStdString();
        left += bw + bs;
    }

    const QSize screen = QGuiApplication::primaryScreen()->size();
    EXPECT_EQ(form->pos(), QPoint(screen.width() / 2 - clientW / 2, screen.height() / 2 - clientH / 2));
}

const QString kLongWord = QString(300, QLatin1Char('W'));

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageLayoutTest,
    ::testing::Values(
        // One short line: the icon sets the block height, the buttons sit below it.
        LayoutCase{"ShortWithIcon", QStringLiteral("Hi"), mtInformation, ButtonSet({mbOK})},
        LayoutCase{"LongWraps", Repeat(QStringLiteral("meter"), 200), mtConfirmation, ButtonSet({mbYes, mbNo})},
        LayoutCase{"LineBreaksAndTabs", QStringLiteral("first\r\nsecond\tcolumn\r\nthird"), mtWarning, ButtonSet({mbOK})},
        LayoutCase{"OverLongWord", QStringLiteral("a ") + kLongWord + QStringLiteral(" b"), mtError, ButtonSet({mbOK})},
        LayoutCase{"ButtonsWiderThanText", QStringLiteral("x"), mtWarning,
                   ButtonSet({mbYes, mbNo, mbOK, mbCancel, mbAbort, mbRetry, mbIgnore, mbAll, mbNoToAll, mbYesToAll, mbHelp})},
        LayoutCase{"NoButtonsNoIcon", QStringLiteral("Custom notice"), mtCustom, 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageLayout, WrappingStaysWithinHalfTheScreenUnlessOneWordIsLonger)
{
    const int limit = QGuiApplication::primaryScreen()->size().width() / 2;
    std::unique_ptr<TMessageForm> wrapped(CreateMessageForm(Repeat(QStringLiteral("meter"), 200), mtInformation, ButtonSet({mbOK})));
    EXPECT_LE(wrapped->Layout().textWidth, limit);
    EXPECT_GT(wrapped->Layout().textHeight, 3 * wrapped->Layout().charHeight);

    std::unique_ptr<TMessageForm> wide(CreateMessageForm(kLongWord, mtInformation, ButtonSet({mbOK})));
    EXPECT_GT(wide->Layout().textWidth, limit);

    std::unique_ptr<TMessageForm> lines(CreateMessageForm(QStringLiteral("a\r\nb\r\nc"), mtCustom, ButtonSet({mbOK})));
    EXPECT_EQ(lines->Layout().textHeight, 3 * QFontMetrics(QApplication::font("QMessageBox")).lineSpacing());

    std::unique_ptr<TMessageForm> many(CreateMessageForm(QStringLiteral("x"), mtWarning, ButtonSet({mbYes, mbNo, mbOK, mbCancel})));
    const TMessageLayout& l = many->Layout();
    EXPECT_EQ(l.clientWidth, l.buttonRowWidth + 2 * l.horzMargin);
}

TEST(MessageLayout, MulDivRoundsHalvesAwayFromZero)
{
    struct { int a, b, c, expected; } cases[] = {
        {8, 7, 4, 14}, {10, 13, 8, 16}, {14, 13, 8, 23}, {5, 1, 2, 3}, {-5, 1, 2, -3}, {5, -1, 2, -3},
        {7, 1, 2, 4}, {3, 1, 4, 1}, {1, 1, 4, 0}, {1, 1, 0, -1},
    };
    for (const auto& c : cases)
        EXPECT_EQ(MulDiv(c.a, c.b, c.c), c.expected) << c.a << "*" << c.b << "/" << c.c;
}

TEST(MessageForm, KindGivesTitleAndButtonsTheirNamesAndCaptions)
{
    struct { TMsgDlgType type; QString title; } kinds[] = {
        {mtWarning, "Warning"}, {mtError, "Error"}, {mtInformation, "Information"}, {mtConfirmation, "Confirm"},
        {mtCustom, QGuiApplication::applicationDisplayName()},
    };
    for (const auto& k : kinds) {
        std::unique_ptr<TMessageForm> form(CreateMessageForm("t", k.type, ButtonSet({mbOK})));
        EXPECT_EQ(form->windowTitle(), k.title);
        auto* image = form->findChild<QLabel*>(QStringLiteral("Image"));
        ASSERT_EQ(image != nullptr, k.type != mtCustom);
        if (image) {
            EXPECT_FALSE(image->pixmap().isNull());
        }
    }

    std::unique_ptr<TMessageForm> form(CreateMessageForm("t", mtWarning, 0x7FF));
    const char* names[] = {"Yes", "No", "OK", "Cancel", "Abort", "Retry", "Ignore", "All", "NoToAll", "YesToAll", "Help"};
    const char* captions[] = {"&Yes", "&No", "OK", "Cancel", "&Abort", "&Retry", "&Ignore", "&All", "N&o to All",
                              "Yes to &All", "&Help"};
    const QList<QPushButton*> buttons = form->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 11);
    for (int i = 0; i < 11; ++i) {
        EXPECT_EQ(buttons[i]->objectName(), names[i]);
        EXPECT_EQ(buttons[i]->text(), captions[i]);
    }
    EXPECT_TRUE(form->findChild<QPushButton*>("OK")->isDefault());
    EXPECT_EQ(form->focusWidget(), buttons[0]);

    // Default: OK, else Yes, else Retry.
    struct { TMsgDlgButtons set; const char* expected; } defaults[] = {
        {ButtonSet({mbYes, mbNo, mbOK}), "OK"}, {ButtonSet({mbYes, mbNo}), "Yes"},
        {ButtonSet({mbAbort, mbRetry, mbIgnore}), "Retry"}, {ButtonSet({mbAbort, mbIgnore}), nullptr},
    };
    for (const auto& d : defaults) {
        std::unique_ptr<TMessageForm> f(CreateMessageForm("t", mtWarning, d.set));
        QString found;
        for (QPushButton* b : f->findChildren<QPushButton*>())
            if (b->isDefault())
                found = b->objectName();
        EXPECT_EQ(found, d.expected ? QString(d.expected) : QString());
    }
}

TEST(MessageForm, HelpButtonDoesNotCloseAndRightToLeftMirrorsTheText)
{
    std::unique_ptr<TMessageForm> form(CreateMessageForm("t", mtInformation, ButtonSet({mbOK, mbHelp})));
    form->show();
    form->findChild<QPushButton*>("Help")->click();
    EXPECT_TRUE(form->isVisible());
    form->hide();

    QApplication::setLayoutDirection(Qt::RightToLeft);
    std::unique_ptr<TMessageForm> rtl(CreateMessageForm("mirrored", mtInformation, ButtonSet({mbOK})));
    QApplication::setLayoutDirection(Qt::LeftToRight);
    const TMessageLayout& l = rtl->Layout();
    const int ltrLeft = l.horzMargin + 32 + l.horzSpacing;
    EXPECT_EQ(rtl->findChild<QLabel*>("Message")->x(), l.clientWidth - ltrLeft - l.textWidth);
}

enum class Answer { Enter, EnterOnSecondButton, Escape, Close };

struct KeyCase {
    const char* name;
    TMsgDlgType type;
    TMsgDlgButtons buttons;
    Answer answer;
    int expected;
};

class MessageKeysTest : public ::testing::TestWithParam<KeyCase> {};

TEST_P(MessageKeysTest, ResultOfTheClosingKey)
{
    const KeyCase& c = GetParam();
    AnswerModal([c](QWidget* modal) {
        QWidget* focused = modal->focusWidget() ? modal->focusWidget() : modal;
        switch (c.answer) {
        case Answer::Enter: QTest::keyClick(focused, Qt::Key_Return); break;
        case Answer::EnterOnSecondButton: {
            auto buttons = modal->findChildren<QPushButton*>();
            buttons.at(1)->setFocus();
            QTest::keyClick(buttons.at(1), Qt::Key_Return);
            break;
        }
        case Answer::Escape:
            QTest::keyClick(focused, Qt::Key_Escape);
            // With no cancel button Esc leaves the dialog open; the close button ends it.
            if (modal->isVisible())
                modal->close();
            break;
        case Answer::Close: modal->close(); break;
        }
    });
    EXPECT_EQ(MessageDialog(QStringLiteral("message"), c.type, c.buttons, 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageKeysTest,
    ::testing::Values(
        KeyCase{"NoticeEnter", mtInformation, ButtonSet({mbOK}), Answer::Enter, mrOk},
        KeyCase{"NoticeEscape", mtInformation, ButtonSet({mbOK}), Answer::Escape, mrOk},
        KeyCase{"NoticeClose", mtInformation, ButtonSet({mbOK}), Answer::Close, mrCancel},
        KeyCase{"QuestionEnter", mtConfirmation, ButtonSet({mbYes, mbNo}), Answer::Enter, mrYes},
        KeyCase{"QuestionEnterOnNo", mtConfirmation, ButtonSet({mbYes, mbNo}), Answer::EnterOnSecondButton, mrNo},
        KeyCase{"QuestionEscape", mtConfirmation, ButtonSet({mbYes, mbNo}), Answer::Escape, mrNo},
        KeyCase{"QuestionClose", mtConfirmation, ButtonSet({mbYes, mbNo}), Answer::Close, mrCancel},
        KeyCase{"RetryIgnoreEscapeDoesNothing", mtWarning, ButtonSet({mbRetry, mbIgnore}), Answer::Escape, mrCancel},
        KeyCase{"EnterPressesTheFocusedFirstButton", mtWarning, ButtonSet({mbAbort, mbRetry}), Answer::Enter, mrAbort},
        KeyCase{"EmptySetOnlyCloses", mtInformation, 0, Answer::Escape, mrCancel}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(MessageDialogAt, PlacesTheDialogAtTheGivenCorner)
{
    QPoint seen;
    AnswerModal([&seen](QWidget* modal) {
        seen = modal->pos();
        modal->close();
    });
    EXPECT_EQ(MessageDialogAt("placed", mtInformation, ButtonSet({mbOK}), 0, 10, 20, QString()), mrCancel);
    EXPECT_EQ(seen, QPoint(10, 20));
}

TEST(MessageDialog, CentredByItsOuterSizeAndTransientForTheWindowItBlocks)
{
    QWidget blocked;
    blocked.show();
    blocked.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&blocked));
    QRect frame, client;
    const QWindow* transientParent = nullptr;
    AnswerModal([&](QWidget* modal) {
        frame = modal->frameGeometry();
        client = modal->geometry();
        transientParent = modal->windowHandle()->transientParent();
        modal->close();
    });
    MessageDialog("centred", mtInformation, ButtonSet({mbOK}), 0);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(frame.topLeft(), QPoint(screen.width() / 2 - frame.width() / 2, screen.height() / 2 - frame.height() / 2));
    EXPECT_NE(frame, client) << "the platform reports no frame: the test shows nothing";
    EXPECT_EQ(transientParent, blocked.windowHandle());
}

struct CopyCase {
    const char* name;
    QString message;
    Qt::KeyboardModifiers modifiers;
    QString expected;  // empty: the clipboard keeps what it held
};

class MessageCopyTest : public ::testing::TestWithParam<CopyCase> {};

TEST_P(MessageCopyTest, CtrlCPutsTheTextPictureOnTheClipboard)
{
    const CopyCase& c = GetParam();
    const QString sentinel("untouched");
    QGuiApplication::clipboard()->setText(sentinel);

    std::unique_ptr<TMessageForm> form(CreateMessageForm(c.message, mtConfirmation, ButtonSet({mbYes, mbNo})));
    form->show();
    QTest::keyClick(form->focusWidget(), Qt::Key_C, c.modifiers);

    const QString expected = c.expected.isEmpty() ? sentinel : c.expected;
    EXPECT_EQ(QGuiApplication::clipboard()->text(), expected);
    // Published as text, so a program reading the plain text type gets UTF-8, not code page bytes.
    EXPECT_EQ(QGuiApplication::clipboard()->mimeData()->data("text/plain"), expected.toUtf8());
    EXPECT_TRUE(form->isVisible());
}

const QString kDivider = QString(27, '-') + "\r\n";

INSTANTIATE_TEST_SUITE_P(
    Cases, MessageCopyTest,
    ::testing::Values(
        CopyCase{"QuitQuestion", kQuitQuestion, Qt::ControlModifier,
                 kDivider + "Confirm\r\n" + kDivider + "Are you sure that you want to quit this application?\r\n" +
                     kDivider + "Yes   No   \r\n" + kDivider},
        CopyCase{"OutsideCodePage", QString::fromUtf16(u"R = 5 \u03A9, 3 \u20AC, caf\u00E9 25\u00B0C 1 \u00B5F"),
                 Qt::ControlModifier,
                 kDivider + "Confirm\r\n" + kDivider + QString::fromUtf16(u"R = 5 ?, 3 \u20AC, caf\u00E9 25\u00B0C 1 \u00B5F") +
                     "\r\n" + kDivider + "Yes   No   \r\n" + kDivider},
        CopyCase{"CtrlShiftC", kQuitQuestion, Qt::ControlModifier | Qt::ShiftModifier, {}},
        CopyCase{"CtrlAltC", kQuitQuestion, Qt::ControlModifier | Qt::AltModifier, {}},
        CopyCase{"PlainC", kQuitQuestion, Qt::NoModifier, {}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
