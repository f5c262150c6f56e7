#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QSplitter>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <qcustomplot.h>
#include <QScreen>
#include <QWindow>
#include <stdexcept>

#include "display/MeterPanel.h"
#include "chart/uCharControl.h"
#include "shell/connection/WindowFixture.h"
#include "shell/uMySuper.h"
#include "widgets/CControls.h"

namespace korvex::testing {
namespace {

// The save dialog keeps its remembered folders apart from the user's own settings.
[[maybe_unused]] const bool settingsKeptApart = [] {
    QStandardPaths::setTestModeEnabled(true);
    return true;
}();

const std::vector<int> GridViewWidths = {60, 150, 60, 60, 60, 120, 120, 80, 80};

std::vector<int> ColumnWidths(const QTableView* grid)
{
    std::vector<int> widths;
    for (int c = 0; c < grid->horizontalHeader()->count(); ++c)
        widths.push_back(grid->horizontalHeader()->sectionSize(c));
    return widths;
}

// Where each region of the window sits: its parent and its geometry, and the splitter's sizes.
struct Layout {
    std::vector<std::pair<QString, QString>> parents;
    std::vector<std::pair<QString, QRect>> places;
    QList<int> splitter;
    bool operator==(const Layout&) const = default;
};

void PrintTo(const Layout& layout, std::ostream* out)
{
    for (const auto& [name, parent] : layout.parents)
        *out << name.toStdString() << " in " << parent.toStdString() << "; ";
    for (const auto& [name, rect] : layout.places)
        *out << name.toStdString() << " " << rect.x() << "," << rect.y() << " " << rect.width() << "x" << rect.height()
             << "; ";
}

void Settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCoreApplication::processEvents();
    }
}

Layout LayoutOf(TfrmMain& window)
{
    Settle();
    Layout layout;
    for (const char* name : {"Panel1", "Panel2", "Panel4", "ToolBar4", "DBGrid1", "Panel5", "pnlChartParent",
                             "ToolBar2", "Chart1", "btnRecordFly", "btnGridZoomout", "btnFly", "btnChartZoomOut"}) {
        auto* widget = window.findChild<QWidget*>(QLatin1String(name));
        if (!widget) {
            layout.parents.emplace_back(QLatin1String(name), QStringLiteral("<not in the window>"));
            continue;
        }
        layout.parents.emplace_back(QLatin1String(name), widget->parentWidget()->objectName());
        layout.places.emplace_back(QLatin1String(name), widget->isVisible() ? widget->geometry() : QRect());
    }
    layout.splitter = window.Splitter1()->sizes();
    return layout;
}

// A mouse click at the control's centre as the window system delivers it to the window, so that a window
// blocked by a modal one does not get it.
void ClickThroughWindowSystem(QWidget& window, QWidget* control)
{
    QTest::mouseClick(window.windowHandle(), Qt::LeftButton, {}, control->mapTo(&window, control->rect().center()));
}

// The two views: the button that opens each, the one that closes it, the panel shown and its home.
struct View {
    const char* name;
    QToolButton* (TfrmMain::*open)() const;
    QToolButton* (TfrmMain::*zoomOut)() const;
    QFrame* (TfrmMain::*panel)() const;
    QFrame* (TfrmMain::*home)() const;
};
const View GridView{"grid", &TfrmMain::btnRecordFly, &TfrmMain::btnGridZoomout, &TfrmMain::Panel4, &TfrmMain::Panel1};
const View ChartView{"chart", &TfrmMain::btnFly, &TfrmMain::btnChartZoomOut, &TfrmMain::pnlChartParent,
                     &TfrmMain::Panel5};

void PrintTo(const View& view, std::ostream* out)
{
    *out << view.name;
}

// How a view is closed: its zoom-out button, or the window system's close request that the container's
// own close button and Alt+F4 send.
enum class CloseBy : std::uint8_t {
    ZoomOut,       // the zoom-out button in the moved tool bar
    WindowSystem,  // title bar close button, Alt+F4
};

void PrintTo(CloseBy closeBy, std::ostream* out)
{
    *out << (closeBy == CloseBy::ZoomOut ? "zoom-out button" : "window system's close");
}

class FullWindow : public WindowFixture {
protected:
    TfrmMain& ShownWindow()
    {
        TfrmMain& window = MakeWindow();
        window.show();
        Settle();
        return window;
    }

    // Clicks the view's open button; `inside` runs while the container is up, then the view is closed as
    // `closeBy` says. Returns once the click's handler has returned.
    void RunInView(const View& view, const std::function<void(TfrmSuperContainer&)>& inside,
                   CloseBy closeBy = CloseBy::ZoomOut)
    {
        TfrmMain& window = Window();
        bool ran = false;
        QTimer::singleShot(0, &context_, [&] {
            QPointer<TfrmSuperContainer> container = frmSuperContainer();
            ran = true;
            if (!container) {
                ADD_FAILURE() << "no view is open";
                return;
            }
            Settle();
            inside(*container);
            if (!container || !container->isVisible())
                return;
            if (closeBy == CloseBy::ZoomOut)
                (window.*view.zoomOut)()->click();
            else
                // The platform window's close request, as the title bar button and Alt+F4 send it.
                container->windowHandle()->close();
            // Whatever went wrong above, the test does not hang in the view.
            if (container && container->isVisible())
                container->reject();
        });
        (window.*view.open)()->click();
        EXPECT_TRUE(ran);
        EXPECT_EQ(frmSuperContainer(), nullptr);
    }

    // Answers the next message dialog (one with a "Message" label) with the named button once it is up,
    // after running whileUp; the view's own modal container is passed over while it waits.
    void AnswerMessage(const char* button, std::function<void()> whileUp = {}, int triesLeft = 1000)
    {
        QTimer::singleShot(5, &context_, [this, button, whileUp, triesLeft] {
            QWidget* modal = QApplication::activeModalWidget();
            auto* label = modal ? modal->findChild<QLabel*>(QStringLiteral("Message")) : nullptr;
            if (!label) {
                if (triesLeft > 0)
                    AnswerMessage(button, whileUp, triesLeft - 1);
                else
                    ADD_FAILURE() << "no message came up";
                return;
            }
            asked.push_back(label->text());
            if (whileUp)
                whileUp();
            auto* answer = modal->findChild<QAbstractButton*>(QLatin1String(button));
            ASSERT_NE(answer, nullptr) << button;
            answer->click();
        });
    }

    std::vector<QString> asked;
    QObject context_;
};

class EachViewAndClosing : public FullWindow, public ::testing::WithParamInterface<std::tuple<View, CloseBy>> {};

// The panel moves, live, into a maximised modal container that it fills, with the zoom-out button in place
// of the open button; however the view is closed, the window's layout afterwards is the layout before.
TEST_P(EachViewAndClosing, PanelMovesIntoTheContainerAndBackToTheSameLayout)
{
    const auto [view, closeBy] = GetParam();
    TfrmMain& window = ShownWindow();
    window.Splitter1()->setSizes({400, 537});
    const Layout before = LayoutOf(window);
    QFrame* panel = (window.*view.panel)();

    RunInView(
        view,
        [&](TfrmSuperContainer& container) {
            EXPECT_EQ(container.objectName(), "frmSuperContainer");
            EXPECT_TRUE(container.windowTitle().isEmpty());
            EXPECT_TRUE(container.windowState() & Qt::WindowMaximized);
            EXPECT_TRUE(container.windowFlags() & Qt::WindowMinMaxButtonsHint);
            EXPECT_TRUE(container.windowFlags() & Qt::WindowCloseButtonHint);
            EXPECT_EQ(QApplication::activeModalWidget(), &container);
            EXPECT_EQ(container.Panel1()->objectName(), "Panel1");
            EXPECT_EQ(container.Panel1()->geometry(), container.rect());
            EXPECT_EQ(panel->parentWidget(), container.Panel1());
            EXPECT_EQ(panel->geometry(), container.Panel1()->rect());
            EXPECT_TRUE(panel->isVisible());
            EXPECT_FALSE((window.*view.open)()->isVisible());
            EXPECT_TRUE((window.*view.zoomOut)()->isVisible());
            // Esc is no way out of the view.
            QTest::keyClick(&container, Qt::Key_Escape);
            EXPECT_EQ(frmSuperContainer(), &container);
        },
        closeBy);

    EXPECT_EQ(LayoutOf(window), before);
    EXPECT_TRUE((window.*view.open)()->isVisible());
    EXPECT_FALSE((window.*view.zoomOut)()->isVisible());
}

INSTANTIATE_TEST_SUITE_P(, EachViewAndClosing,
                         ::testing::Combine(::testing::Values(GridView, ChartView),
                                            ::testing::Values(CloseBy::ZoomOut, CloseBy::WindowSystem)),
                         [](const auto& info) {
                             return std::string(std::get<0>(info.param).name) +
                                    (std::get<1>(info.param) == CloseBy::ZoomOut ? "ByZoomOut" : "ByWindowSystem");
                         });

// The grid view has its own column widths; widths the user sets inside it do not outlive it, and the
// widths from before come back.
TEST_F(FullWindow, GridViewColumnWidthsAndTheWidthsBeforeComeBack)
{
    TfrmMain& window = ShownWindow();
    window.DBGrid1()->setColumnWidth(2, 77);
    const std::vector<int> before = ColumnWidths(window.DBGrid1());

    RunInView(GridView, [&](TfrmSuperContainer&) {
        EXPECT_EQ(ColumnWidths(window.DBGrid1()), GridViewWidths);
        window.DBGrid1()->setColumnWidth(1, 240);
        window.DBGrid1()->horizontalHeader()->resizeSection(8, 10);
    });
    EXPECT_EQ(ColumnWidths(window.DBGrid1()), before);
}

// The view starts at the screen's working area (so leaving maximised does not shrink it to nothing), and
// the meter panel left behind stays at the top of its column.
TEST_F(FullWindow, TheViewTakesTheWorkingAreaAndThePanelLeftBehindStaysAtTheTop)
{
    TfrmMain& window = ShownWindow();
    const int panelTop = window.pnlLcd()->mapTo(&window, QPoint(0, 0)).y();
    RunInView(GridView, [&](TfrmSuperContainer& container) {
        container.setWindowState(Qt::WindowNoState);
        Settle();
        // The window, with its frame where the platform draws one, covers the working area.
        const QSize area = container.screen()->availableGeometry().size();
        const QSize taken = container.frameGeometry().size().expandedTo(container.geometry().size());
        EXPECT_GE(taken.width(), area.width());
        EXPECT_GE(taken.height(), area.height());
        EXPECT_EQ(window.pnlLcd()->mapTo(&window, QPoint(0, 0)).y(), panelTop);
    });
}

// While a view is open the window takes no input, but the meter still feeds it through the bridge
// reader: its readings reach the grid and the chart inside the view, and the link watchdog keeps running.
TEST_F(FullWindow, MeterKeepsFeedingTheWindowWhileAViewIsOpen)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = ShownWindow();
    window.btnConnect()->click();
    ASSERT_TRUE(window.CP21101().Connected());

    for (const View& view : {GridView, ChartView}) {
        // Readings fed straight to the decoder bring the chart near the end of its page, so that the few
        // readings through the link inside the view turn it.
        while (window.cds1().RecordCount() % 100 != 97)
            Feed(MeterFrame(1));
        RunInView(view, [&](TfrmSuperContainer&) {
            const int rows = GridRows();
            const std::int64_t page = window.ChartControl().PageCount();
            for (int i = 0; i < 6; ++i)
                BridgeDouble::queueRead(meter, MeterFrame(static_cast<std::uint16_t>(1000 + i)));
            ASSERT_TRUE(SpinUntil([&] { return GridRows() == rows + 6; }, 60000));
            EXPECT_EQ(GridRow(rows + 5)[3], "1.005");
            EXPECT_GT(window.ChartControl().PageCount(), page);
            EXPECT_TRUE(window.timerDisconectedUSB()->isActive());
            // A click on a control left in the main window does nothing.
            const bool repeat = window.cbRepeat()->isChecked();
            const bool connected = window.btnConnect()->isChecked();
            if (view.panel == &TfrmMain::pnlChartParent)
                ClickThroughWindowSystem(window, window.cbRepeat());
            ClickThroughWindowSystem(window, window.btnConnect());
            EXPECT_EQ(window.cbRepeat()->isChecked(), repeat);
            EXPECT_EQ(window.btnConnect()->isChecked(), connected);
            EXPECT_TRUE(window.CP21101().Connected());
        });
    }
    window.btnConnect()->click();
}

// The tool bar commands work inside the views: paging and range on the chart, Clear with its question
// and Save with its dialog on the grid.
TEST_F(FullWindow, ToolBarCommandsWorkInsideTheViews)
{
    TfrmMain& window = ShownWindow();
    for (int i = 0; i < 250; ++i)
        Feed(MeterFrame(static_cast<std::uint16_t>(i)));
    ASSERT_EQ(window.ChartControl().PageCount(), 3);

    RunInView(ChartView, [&](TfrmSuperContainer&) {
        window.btnFirst()->click();
        EXPECT_EQ(window.edtCurPage()->text(), "1");
        window.btnNext()->click();
        EXPECT_EQ(window.edtCurPage()->text(), "2");
        window.edtRange()->setText("50");
        QMetaObject::invokeMethod(window.Timer_range(), "timeout", Qt::DirectConnection);
        EXPECT_EQ(window.ChartControl().PageSize(), 50);
    });

    QTemporaryDir dir;
    const QString file = dir.filePath("inside.xls");
    RunInView(GridView, [&](TfrmSuperContainer& container) {
        QTimer::singleShot(0, &context_, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->objectName(), "SaveDialog2");
            // It belongs to the view it blocks, not to the main window behind the view.
            EXPECT_EQ(dialog->parentWidget(), &container);
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("inside.xls");
            AnswerMessage("OK");
            QMetaObject::invokeMethod(dialog, "accept");
        });
        window.btnRecordSave()->click();
        EXPECT_TRUE(QFileInfo::exists(file));

        AnswerMessage("No");
        window.btnRecordNew()->click();
        EXPECT_EQ(GridRows(), 250);
        AnswerMessage("Yes");
        window.btnRecordNew()->click();
        EXPECT_EQ(GridRows(), 0);
        EXPECT_EQ(window.ChartControl().PageCount(), 1);
    });
    EXPECT_EQ(asked.size(), 3u);
}

// Asking for a view while one is open changes nothing: no second container, and the open view's buttons
// stay as they are.
TEST_F(FullWindow, SecondOpenRequestDoesNothing)
{
    TfrmMain& window = ShownWindow();
    RunInView(GridView, [&](TfrmSuperContainer& container) {
        const std::vector<int> widths = ColumnWidths(window.DBGrid1());
        window.btnFlyClick();
        window.btnRecordFlyClick();
        EXPECT_EQ(frmSuperContainer(), &container);
        EXPECT_EQ(window.pnlChartParent()->parentWidget(), window.Panel5());
        EXPECT_TRUE(window.btnFly()->isVisible());
        EXPECT_FALSE(window.btnChartZoomOut()->isVisible());
        EXPECT_FALSE(window.btnRecordFly()->isVisible());
        EXPECT_TRUE(window.btnGridZoomout()->isVisible());
        EXPECT_EQ(ColumnWidths(window.DBGrid1()), widths);
    });
    // With no view open the zoom-out buttons do nothing.
    window.btnGridZoomoutClick();
    window.btnChartZoomOutClick();
    EXPECT_EQ(frmSuperContainer(), nullptr);
}

// An error that escapes while a view is shown still brings the panel home, destroys the container and
// gives back the buttons and the column widths; the error goes on to the caller.
TEST_F(FullWindow, ErrorWhileShownStillRestoresTheLayout)
{
    TfrmMain& window = ShownWindow();
    const Layout before = LayoutOf(window);
    const std::vector<int> widths = ColumnWidths(window.DBGrid1());
    QPointer<TfrmSuperContainer> shown;
    TFullWindowShowStep failing([&](TfrmSuperContainer& container) {
        shown = &container;
        container.show();
        throw std::runtime_error("failed while shown");
    });

    EXPECT_THROW(window.btnRecordFlyClick(), std::runtime_error);
    EXPECT_THROW(window.btnFlyClick(), std::runtime_error);

    EXPECT_TRUE(shown.isNull());
    EXPECT_EQ(frmSuperContainer(), nullptr);
    EXPECT_EQ(ColumnWidths(window.DBGrid1()), widths);
    EXPECT_EQ(LayoutOf(window), before);
}

// Closing the main window while a view is open closes the view first, with its after-steps, and then asks
// the usual quit question; No leaves the window in its normal layout.
TEST_F(FullWindow, ClosingTheWindowClosesTheViewThenAsks)
{
    TfrmMain& window = ShownWindow();
    const Layout before = LayoutOf(window);
    Layout whenAsked;
    bool viewOpenWhenAsked = true;
    RunInView(GridView, [&](TfrmSuperContainer&) {
        AnswerMessage("No", [&] {
            viewOpenWhenAsked = frmSuperContainer() != nullptr;
            whenAsked = LayoutOf(window);
        });
        window.close();
    });
    ASSERT_TRUE(SpinUntil([&] { return !asked.empty(); }));
    EXPECT_EQ(asked[0], "Are you sure that you want to quit this application?");
    EXPECT_FALSE(viewOpenWhenAsked);
    EXPECT_EQ(whenAsked, before);
    EXPECT_TRUE(window.isVisible());
    EXPECT_EQ(LayoutOf(window), before);
}

}  // namespace
}  // namespace korvex::testing
