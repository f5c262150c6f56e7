#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QScrollBar>
#include <QCheckBox>
#include <QFontInfo>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QPixmap>
#include <QSplitter>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWindow>
#include <QScreen>
#include <functional>
#include <vector>

#include "display/MeterPanel.h"
#include "records/RecordTable.h"
#include "records/TableEngine.h"
#include "meter/ReadingFormat.h"
#include "widgets/CControls.h"
#include "records/ui/RecordGrid.h"
#include "records/ui/RecordSampling.h"
#include "shell/ImageList.h"
#include "shell/ufrmMain.h"

namespace korvex {
namespace {

// Answers the next modal dialog once it is up, from inside its own event loop.
void AnswerNextDialog(std::function<void(QWidget*)> answer)
{
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, [poll, answer] {
        if (QWidget* dialog = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            answer(dialog);
        }
    });
    poll->start();
}

std::function<void(QWidget*)> ClickButton(const char* name)
{
    return [name](QWidget* dialog) {
        auto* button = dialog->findChild<QAbstractButton*>(QLatin1String(name));
        ASSERT_NE(button, nullptr) << name;
        button->click();
    };
}

TEST(MainWindow, TitleSizeAndWhatFormCreateFills)
{
    TfrmMain window;
    EXPECT_EQ(window.objectName(), "frmMain");
    EXPECT_EQ(window.windowTitle(), "Korvex v1.01");
    EXPECT_EQ(window.size(), QSize(940, 661));
    EXPECT_FALSE(window.windowIcon().isNull());
    EXPECT_EQ(window.MeterState().UnitTexts[uKOhm], u"K\u03A9");
    EXPECT_EQ(window.MeterState().UnitTexts[udeg], u"deg");
    EXPECT_EQ(window.MeterState().DecimalSep, ReadDecimalSeparator());
}

TEST(MainWindow, EveryNamedControlIsThereWithItsKindLookAndVisibility)
{
    struct Control { const char* name; const char* kind; bool shown; const char* hint; QSize size; };
    const Control controls[] = {
        {"Panel3", "QFrame", true, "", {}},
        {"btnConnect", "QToolButton", true, "", {106, 24}},
        {"cbbDevices", "QComboBox", false, "", {}},
        {"Panel1", "QFrame", true, "", {}},
        {"Splitter1", "QSplitter", true, "", {}},
        {"Panel2", "QFrame", true, "", {}},
        {"pnlLcd", "korvex::TMeterPanel", true, "", {}},
        {"Panel4", "QFrame", true, "", {}},
        {"ToolBar4", "QFrame", true, "", {}},
        {"cbRepeat", "QCheckBox", true, "", {}},
        {"cbInterval", "QCheckBox", true, "", {}},
        {"edtRecInterval", "korvex::TCEdit", true, "", {40, 22}},
        {"TntLabel1", "QLabel", true, "", {}},
        {"btnRecordNew", "QToolButton", true, "Clear", {}},
        {"btnRecordOpen", "QToolButton", true, "Open", {}},
        {"btnRecordSave", "QToolButton", true, "Save", {}},
        {"btnRecordPrint", "QToolButton", true, "Print", {}},
        {"btnRecordFly", "QToolButton", true, "", {}},
        {"btnGridZoomout", "QToolButton", false, "", {}},
        {"DBGrid1", "QTableView", true, "", {}},
        {"Panel5", "QFrame", true, "", {}},
        {"pnlChartParent", "QFrame", true, "", {}},
        {"ToolBar2", "QFrame", true, "", {}},
        {"cbFill", "QCheckBox", false, "", {}},
        {"edtRange", "korvex::TCEdit", true, "Range", {35, 22}},
        {"btnFirst", "QToolButton", true, "First", {}},
        {"btnPrevious", "QToolButton", true, "Previous", {}},
        {"edtCurPage", "korvex::TCEdit", true, "CurrentPage", {35, 22}},
        {"btnNext", "QToolButton", true, "Next", {}},
        {"btnLast", "QToolButton", true, "Last", {}},
        {"btnNew", "QToolButton", true, "Clear", {}},
        {"btnSave", "QToolButton", true, "Save", {}},
        {"btnFly", "QToolButton", true, "", {}},
        {"btnChartZoomOut", "QToolButton", false, "", {}},
        {"Panel6", "QLabel", false, "", {}},
        {"edtPage", "korvex::TCEdit", false, "GotoPage", {35, 22}},
        {"btnGoPage", "QToolButton", false, "GotoPage", {}},
        {"Chart1", "QCustomPlot", true, "", {}},
        {"lcdMDisp", "korvex::TCEdit", true, "", {297, 73}},
        {"lcdSDisp", "korvex::TCEdit", true, "", {153, 41}},
        {"lcdRS232", "QLabel", false, "", {}},
        {"lcdBar", "QProgressBar", true, "", {393, 10}},
    };
    TfrmMain window;
    for (const Control& c : controls) {
        SCOPED_TRACE(c.name);
        auto* widget = window.findChild<QWidget*>(QLatin1String(c.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_TRUE(widget->inherits(c.kind)) << widget->metaObject()->className();
        EXPECT_EQ(!widget->isHidden(), c.shown);
        EXPECT_EQ(widget->toolTip(), c.hint);
        if (c.size.isValid()) {
            EXPECT_EQ(widget->size(), c.size);
        }
        if (auto* button = qobject_cast<QToolButton*>(widget); button && c.name != std::string("btnConnect")) {
            EXPECT_FALSE(button->icon().isNull());
        }
    }

    EXPECT_EQ(window.btnConnect()->text(), "Connection");
    EXPECT_TRUE(window.btnConnect()->isCheckable());
    EXPECT_EQ(window.btnConnect()->pos(), QPoint(7, 3));
    EXPECT_TRUE(window.cbRepeat()->isChecked());
    EXPECT_EQ(window.cbRepeat()->text(), "Repeat");
    EXPECT_FALSE(window.cbInterval()->isChecked());
    EXPECT_EQ(window.cbInterval()->text(), "Sampling Interval");
    EXPECT_EQ(window.findChild<QLabel*>("TntLabel1")->text(), " S  ");
    EXPECT_EQ(window.edtRecInterval()->text(), "1");
    EXPECT_EQ(window.edtRecInterval()->Alignment(), taRightJustify);
    EXPECT_EQ(window.edtRange()->text(), "100");
    EXPECT_EQ(window.edtRange()->Alignment(), taRightJustify);
    EXPECT_EQ(window.edtCurPage()->text(), "1");
    EXPECT_EQ(window.edtCurPage()->Alignment(), taCenter);
    EXPECT_TRUE(window.edtCurPage()->isReadOnly());
    EXPECT_EQ(window.findChild<QFrame*>("Panel3")->height(), 33);
    EXPECT_EQ(window.findChild<QFrame*>("ToolBar4")->height(), 26);
    EXPECT_EQ(window.findChild<QFrame*>("ToolBar2")->height(), 27);
    EXPECT_EQ(window.findChild<QFrame*>("Panel2")->height(), 249);
}

TEST(MainWindow, TimersAreNamedAndStopped)
{
    struct Timer { const char* name; int interval; bool singleShot; };
    const Timer timers[] = {
        {"timerDisconectedUSB", 10000, true}, {"Timer_range", 1000, true},
        {"timerInputDelay", 1000, true},      {"timerInterval", 1000, false},
    };
    TfrmMain window;
    for (const Timer& t : timers) {
        auto* timer = window.findChild<QTimer*>(QLatin1String(t.name));
        ASSERT_NE(timer, nullptr) << t.name;
        EXPECT_EQ(timer->interval(), t.interval) << t.name;
        EXPECT_EQ(timer->isSingleShot(), t.singleShot) << t.name;
        EXPECT_FALSE(timer->isActive()) << t.name;
    }
}

TEST(MainWindow, GridShowsTheNineRecordColumns)
{
    const std::vector<std::pair<QString, int>> columns = {
        {"NO", 36},    {"Time", 103},  {"MMode", 43}, {"MValue", 43}, {"MUnit", 35},
        {"SMode", 39}, {"SValue", 40}, {"SUnit", 34}, {"Freq", 64},
    };
    TfrmMain window;
    QTableView* grid = window.DBGrid1();
    ASSERT_EQ(grid->model()->columnCount(), static_cast<int>(columns.size()));
    for (int c = 0; c < static_cast<int>(columns.size()); ++c) {
        EXPECT_EQ(grid->model()->headerData(c, Qt::Horizontal).toString(), columns[c].first);
        // The text columns are grown for the window's font; the last keeps the grid's default.
        const int width = c + 1 < static_cast<int>(columns.size()) ? TextColumnWidth(*grid, columns[c].second)
                                                                    : columns[c].second;
        EXPECT_EQ(grid->horizontalHeader()->sectionSize(c), width) << c;
    }
    EXPECT_EQ(grid->editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid->selectionBehavior(), QAbstractItemView::SelectRows);
}

TEST(MainWindow, WindowFontStandsInForMsSansSerifWithAFontOfItsWidths)
{
    TfrmMain window;
    const QStringList standIns = {"MS Sans Serif", "FreeSans", "Liberation Sans", "Arimo", "DejaVu Sans Condensed"};
    // MS Sans Serif, or where it is missing the first stand-in that is installed, asked for by name.
    EXPECT_TRUE(standIns.contains(window.font().family())) << window.font().family().toStdString();
    EXPECT_EQ(QFontInfo(window.font()).family(), window.font().family());
    EXPECT_EQ(window.font().pixelSize(), 11);
    EXPECT_TRUE(standIns.contains(QFontInfo(window.DBGrid1()->font()).family()))
        << QFontInfo(window.DBGrid1()->font()).family().toStdString();
}

TEST(MainWindow, SplitterGivesTheLeftColumnItsWidthAndTheChartTheRest)
{
    TfrmMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const int left = window.Panel1()->width();
    EXPECT_GE(left, 457);
    EXPECT_EQ(window.pnlLcd()->size(), QSize(left - 4, 245));

    window.resize(1100, 661);
    QApplication::processEvents();
    EXPECT_EQ(window.Panel1()->width(), left);
    const int chartWidth = window.pnlChartParent()->width();

    window.Splitter1()->setSizes({400, 1100 - 400 - window.Splitter1()->handleWidth()});
    QApplication::processEvents();
    EXPECT_EQ(window.Panel1()->width(), 400);
    EXPECT_EQ(window.pnlChartParent()->width(), chartWidth + left - 400);
}

// Every column, Freq the last, shows whole in the window as it opens, with the vertical scroll bar up;
// a new row scrolls the grid down only, never back to the first column.
TEST(MainWindow, TheOpeningGridShowsEveryColumnAndNewRowsScrollOnlyDown)
{
    TfrmMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto addRows = [&](int count) {
        for (int i = 0; i < count; ++i) {
            window.cds1().Append();
            window.cds1().SetText(rfMValue, "1.234");
            window.cds1().Post();
        }
        QApplication::processEvents();
    };
    addRows(40);
    QTableView* grid = window.DBGrid1();
    ASSERT_TRUE(grid->verticalScrollBar()->isVisible());
    EXPECT_EQ(grid->horizontalScrollBar()->maximum(), 0);

    window.Splitter1()->setSizes({300, 600});
    QApplication::processEvents();
    QScrollBar* sideways = grid->horizontalScrollBar();
    ASSERT_GT(sideways->maximum(), 0);
    sideways->setValue(sideways->maximum());
    addRows(1);
    EXPECT_EQ(sideways->value(), sideways->maximum());
    EXPECT_EQ(grid->currentIndex().row(), 40);
}

TEST(MainWindow, ClosingAsksAndOnlyYesCloses)
{
    struct Case { const char* answer; std::function<void(QWidget*)> act; bool closes; };
    const Case cases[] = {
        {"No", ClickButton("No"), false},
        {"Esc", [](QWidget* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); }, false},
        {"close button", [](QWidget* dialog) { dialog->close(); }, false},
        {"Yes", ClickButton("Yes"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.answer);
        TfrmMain window;
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        QString question;
        AnswerNextDialog([&question, act = c.act](QWidget* dialog) {
            if (auto* message = dialog->findChild<QLabel*>("Message"))
                question = message->text();
            act(dialog);
        });
        EXPECT_EQ(window.close(), c.closes);
        EXPECT_EQ(window.isVisible(), !c.closes);
        EXPECT_EQ(question, "Are you sure that you want to quit this application?");
    }
}

TEST(MainWindow, QuitQuestionIsTransientForTheMainWindow)
{
    TfrmMain window;
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    const QWindow* transientParent = nullptr;
    AnswerNextDialog([&transientParent](QWidget* dialog) {
        transientParent = dialog->windowHandle() ? dialog->windowHandle()->transientParent() : nullptr;
        ClickButton("No")(dialog);
    });
    EXPECT_FALSE(window.close());
    ASSERT_NE(window.windowHandle(), nullptr);
    EXPECT_EQ(transientParent, window.windowHandle());
}

// Counts the quit questions and answers each one as told.
struct QuitQuestions {
    int asked = 0;
    void AnswerNext(const char* button)
    {
        AnswerNextDialog([this, button](QWidget* dialog) {
            ++asked;
            ClickButton(button)(dialog);
        });
    }
};

// Stands in for the application's quit at the end of a session, which closes every window from inside the
// quit event; installed before the window's own filter, so it runs after it. The quit itself is kept from
// ending the suite's event loops.
class SessionEndQuit : public QObject {
public:
    explicit SessionEndQuit(QWidget& window) : window_(window) { QCoreApplication::instance()->installEventFilter(this); }
    ~SessionEndQuit() override { QCoreApplication::instance()->removeEventFilter(this); }
    void Send()
    {
        QEvent quit(QEvent::Quit);
        QCoreApplication::sendEvent(QCoreApplication::instance(), &quit);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit)
            return false;
        window_.close();
        return true;
    }

private:
    QWidget& window_;
};

TEST(MainWindow, LogOffYesHoldsForTheClosingOfThatLogOffOnly)
{
    TfrmMain window;
    SessionEndQuit sessionEnd(window);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QuitQuestions questions;

    // Yes, then the log-off is cancelled elsewhere: a later close asks again, and No keeps the window.
    questions.AnswerNext("Yes");
    EXPECT_TRUE(window.QueryEndSession());
    questions.AnswerNext("No");
    EXPECT_FALSE(window.close());
    EXPECT_EQ(questions.asked, 2);
    EXPECT_TRUE(window.isVisible());

    // The quit that a log-off answered Yes brings closes the window without asking again.
    questions.AnswerNext("Yes");
    EXPECT_TRUE(window.QueryEndSession());
    sessionEnd.Send();
    EXPECT_EQ(questions.asked, 3);
    EXPECT_FALSE(window.isVisible());

    // A log-off answered No leaves the next close asking.
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    questions.AnswerNext("No");
    EXPECT_FALSE(window.QueryEndSession());
    questions.AnswerNext("No");
    EXPECT_FALSE(window.close());
    EXPECT_EQ(questions.asked, 5);

    // A session end that allows no interaction asks nothing: the session ends either way.
    window.SessionEndsWithoutAsking();
    sessionEnd.Send();
    EXPECT_EQ(questions.asked, 5);
    EXPECT_FALSE(window.isVisible());
}

// The window shows the launcher's icon, at each of its sizes.
TEST(MainWindow, WindowIconIsTheLauncherIcon)
{
    TfrmMain window;
    for (const int size : ApplicationIconSizes) {
        SCOPED_TRACE(size);
        // Through a pixmap, as the icon holds it, so both go through the same conversion.
        const QPixmap launcher(QStringLiteral(KORVEX_SOURCE_DIR "/packaging/linux/icons/korvex-lcr-%1.png").arg(size));
        ASSERT_FALSE(launcher.isNull());
        EXPECT_EQ(window.windowIcon().pixmap(size).toImage(), launcher.toImage());
    }
}

TEST(MainWindow, OuterSizeAndCentringCountTheFrame)
{
    TfrmMain window;
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const QRect frame = window.frameGeometry();
    const QRect area = window.screen()->availableGeometry();
    EXPECT_EQ(frame.size(), QSize(940, 661));
    // Only the top: the test screen is narrower than the window, and its platform nudges a window that
    // starts left of the screen. The message dialog's suite checks centring on both axes.
    EXPECT_EQ(frame.top(), area.top() + area.height() / 2 - 330);
    EXPECT_NE(window.frameGeometry(), window.geometry()) << "the platform reports no frame: nothing is shown";
}

TEST(MainWindow, DecodedFramesReachThePanelAndTheLinkSteps)
{
    TfrmMain window;
    window.MeterState().DecimalSep = ".";
    const char frame[] = {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, 0x04, static_cast<char>(0xD2), 0x53,
                          0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};
    window.Decoder().CP21101ReceiveData(frame, sizeof frame);

    EXPECT_EQ(window.pnlLcd()->lcdMDisp()->text(), "1.234");
    EXPECT_EQ(window.pnlLcd()->findChild<QLabel*>("lcdMMode")->text(), "Cs");
    EXPECT_EQ(window.pnlLcd()->findChild<QLabel*>("lcdMUnit")->text(), "nF");
    EXPECT_FALSE(window.pnlLcd()->findChild<QLabel*>("CONok")->isHidden());
    EXPECT_TRUE(window.timerDisconectedUSB()->isActive());
    EXPECT_EQ(window.edtCurPage()->text(), "1");
}

TEST(MainWindow, RecordGateReadsTheRepeatBoxAndTheIntervalTimer)
{
    TfrmMain window;
    EXPECT_TRUE(window.RepeatTicked());
    window.cbRepeat()->setChecked(false);
    EXPECT_FALSE(window.RepeatTicked());

    EXPECT_FALSE(window.IntervalTimerEnabled());
    window.cbInterval()->setChecked(true);
    window.Sampling().StartOnConnect();
    EXPECT_TRUE(window.IntervalTimerEnabled());
    QMetaObject::invokeMethod(window.timerInterval(), "timeout", Qt::DirectConnection);
    EXPECT_TRUE(window.MeterState().IntervalTick);
}

}  // namespace
}  // namespace korvex
