#include <QApplication>
#include <QFrame>
#include <QLayout>
#include <QToolButton>
#include <QWindow>
#include <gtest/gtest.h>

#include "meter/MeterState.h"
#include "records/RecordStatistics.h"
#include "records/ui/StatisticsWindow.h"
#include "shell/uMySuper.h"
#include "shell/ufrmMain.h"

namespace korvex {
namespace {

TEST(StatisticsButton, AfterPrintOpensOneWindowBesideTheMainWindowThatFollowsLogging)
{
    TfrmMain window;
    window.show();
    QToolButton* button = window.btnRecordStatistics();
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->objectName(), "btnRecordStatistics");
    EXPECT_EQ(button->toolTip(), "Statistics");
    EXPECT_FALSE(button->icon().isNull());
    QLayout* row = window.findChild<QFrame*>("ToolBar4")->layout();
    EXPECT_EQ(row->indexOf(button), row->indexOf(window.btnRecordPrint()) + 1);
    EXPECT_EQ(button->size(), window.btnRecordPrint()->size());
    EXPECT_EQ(window.frmStatistics(), nullptr);

    button->click();
    TStatisticsWindow* statistics = window.frmStatistics();
    ASSERT_NE(statistics, nullptr);
    EXPECT_TRUE(statistics->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    ASSERT_NE(statistics->windowHandle(), nullptr);
    EXPECT_EQ(statistics->windowHandle()->transientParent(), window.windowHandle());

    TMeterState reading;
    reading.MainMode = mmC;
    reading.MainKind = rkNumber;
    reading.MainText = "4" + window.MeterState().DecimalSep + "700";
    reading.MainUnit = uuF;
    window.AppendRecord(reading);
    window.AppendRecord(reading);
    EXPECT_EQ(statistics->Statistics().RowsSeen(), 2);
    ASSERT_EQ(statistics->Statistics().Functions().size(), 1u);
    EXPECT_EQ(statistics->Statistics().Functions()[0].main.values.Count(), 2);
    EXPECT_TRUE(statistics->isVisible());

    // Closing only hides it: the button brings back the same window.
    statistics->close();
    button->click();
    EXPECT_EQ(window.frmStatistics(), statistics);
    EXPECT_TRUE(statistics->isVisible());
}

// The grid's full-window view is modal: a window opened from it would take no input until the view ends.
TEST(StatisticsButton, IsOffWhileTheGridIsInItsFullWindowView)
{
    TfrmMain window;
    window.show();
    bool enabledInView = true;
    {
        TFullWindowShowStep step([&](TfrmSuperContainer&) { enabledInView = window.btnRecordStatistics()->isEnabled(); });
        window.btnRecordFlyClick();
    }
    EXPECT_FALSE(enabledInView);
    EXPECT_TRUE(window.btnRecordStatistics()->isEnabled());
}

}  // namespace
}  // namespace korvex
