#include <functional>
#include <memory>
#include <utility>

#include <QApplication>
#include <QClipboard>
#include <QDialogButtonBox>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <gtest/gtest.h>

#include "chart/ChartToolBar.h"
#include "chart/TrendChartStyle.h"
#include "chart/TrendPlot.h"
#include "chart/uCharControl.h"

namespace korvex {
namespace {

// Runs answer on the next modal widget once it is up, from inside its event loop.
void WhenModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(0, [answer = std::move(answer)] {
        if (QWidget* modal = QApplication::activeModalWidget())
            answer(modal);
        else
            WhenModal(answer);
    });
}

void ChooseFile(QWidget* modal, const QString& fileName)
{
    auto* dialog = qobject_cast<QFileDialog*>(modal);
    ASSERT_NE(dialog, nullptr);
    ASSERT_EQ(dialog->objectName(), "SavePictureDialog1");
    dialog->findChild<QLineEdit*>("fileNameEdit")->setText(fileName);
    dialog->findChild<QDialogButtonBox*>("buttonBox")->button(QDialogButtonBox::Save)->click();
}

class ChartToolBarTest : public ::testing::Test {
protected:
    ChartToolBarTest()
    {
        StyleTrendChart(&chart);
        chart.resize(480, 320);
        timer.setInterval(1000);
        edtRange.setText("100");
        edtCurPage.setText("1");
        control = std::make_unique<TChartControl>(&chart, 100);
        BuildToolBar(".");
    }

    void BuildToolBar(const QString& decimalSeparator)
    {
        toolBar.reset();
        const TChartToolBarControls controls{&edtRange, &edtCurPage, &btnFirst, &btnPrevious, &btnNext,
                                             &btnLast,  &btnNew,     &btnSave,  &timer,       &chart};
        toolBar = std::make_unique<TChartToolBar>(controls, *control, [this] { ++clearCommands; }, decimalSeparator);
    }

    void AddReadings(int count)
    {
        for (int i = 0; i < count; ++i)
            edtCurPage.setText(QString::number(control->AddValue(i % 50)));
    }

    void FireRangeTimer() { QMetaObject::invokeMethod(&timer, "timeout"); }

    TTrendPlot chart;
    QLineEdit edtRange;
    QLineEdit edtCurPage;
    QToolButton btnFirst, btnPrevious, btnNext, btnLast, btnNew, btnSave;
    QTimer timer;
    std::unique_ptr<TChartControl> control;
    int clearCommands = 0;
    std::unique_ptr<TChartToolBar> toolBar;
};

struct TypingCase {
    const char* separator;
    const char* typed;
    const char* shown;
};

TEST_F(ChartToolBarTest, RangeBoxTakesDigitsAndTheSeparatorOnly)
{
    const TypingCase cases[] = {
        {".", "2.5", "2.5"},
        {".", "a+- 1xZ,", "1"},
        {",", "2.5,0", "25,0"},
        {"", "1.2,3", "123"},
        {",.", "3,.", "3,"},
        {".", "12\b4", "14"},
    };
    for (const TypingCase& typing : cases) {
        SCOPED_TRACE(typing.typed);
        BuildToolBar(typing.separator);
        edtRange.clear();
        QTest::keyClicks(&edtRange, typing.typed);
        EXPECT_EQ(edtRange.text(), typing.shown);
    }
}

TEST_F(ChartToolBarTest, ControlKeysDoNotPasteButEditingKeysWork)
{
    QApplication::clipboard()->setText("55");
    edtRange.setText("12");
    edtRange.setCursorPosition(2);
    QTest::keyClick(&edtRange, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edtRange.text(), "12");
    // Some platforms deliver Ctrl+V without its control character.
    QKeyEvent bareCtrlV(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier, QString());
    QApplication::sendEvent(&edtRange, &bareCtrlV);
    EXPECT_EQ(edtRange.text(), "12");
    for (const char* composed : {"5a", "34"}) {
        QInputMethodEvent commit;
        commit.setCommitString(composed);
        QApplication::sendEvent(&edtRange, &commit);
    }
    EXPECT_EQ(edtRange.text(), "1234");
    edtRange.setText("12");
    QTest::keyClick(&edtRange, Qt::Key_Left);
    QTest::keyClick(&edtRange, Qt::Key_Delete);
    EXPECT_EQ(edtRange.text(), "1");
    QTest::keyClick(&edtRange, Qt::Key_Backspace);
    EXPECT_EQ(edtRange.text(), "");
}

TEST_F(ChartToolBarTest, TabAndBacktabLeaveTheRangeBox)
{
    QWidget window;
    auto* before = new QLineEdit(&window);
    auto* after = new QLineEdit(&window);
    edtRange.setParent(&window);
    QWidget::setTabOrder(before, &edtRange);
    QWidget::setTabOrder(&edtRange, after);
    window.show();
    QApplication::setActiveWindow(&window);
    for (const auto& [key, next] : {std::pair{Qt::Key_Tab, after}, {Qt::Key_Backtab, before}}) {
        edtRange.setFocus();
        ASSERT_TRUE(edtRange.hasFocus());
        QTest::keyClick(&edtRange, key);
        EXPECT_TRUE(next->hasFocus()) << "key " << key;
        EXPECT_EQ(edtRange.text(), "100");
    }
    edtRange.setParent(nullptr);  // the fixture owns the box
}

TEST_F(ChartToolBarTest, RangeTypedQuicklyIsAppliedOnceAfterThePause)
{
    AddReadings(600);
    edtRange.selectAll();
    for (const char* key : {"2", "5", "0"}) {
        QTest::keyClicks(&edtRange, key);
        EXPECT_TRUE(timer.isActive());
        EXPECT_GT(timer.remainingTime(), 500);
        EXPECT_EQ(control->PageSize(), 100);
    }
    FireRangeTimer();
    EXPECT_EQ(edtRange.text(), "250");
    EXPECT_EQ(control->PageSize(), 250);
    EXPECT_EQ(control->CurrentPage(), 3);
    EXPECT_EQ(control->WindowFirst(), 501);
    EXPECT_FALSE(timer.isActive());
    // The page box learns the new page with the next reading or paging command.
    EXPECT_EQ(edtCurPage.text(), "6");
    AddReadings(1);
    EXPECT_EQ(edtCurPage.text(), "3");
}

struct ApplyCase {
    const char* text;
    const char* applied;
    int pageSize;
};

TEST_F(ChartToolBarTest, RangeApplyTurnsEveryUnusableTextInto100)
{
    const ApplyCase cases[] = {
        {"0", "100", 100},          {"", "100", 100},           {"2.5", "100", 100},
        {"-1", "100", 100},         {"-7", "100", 100},         {"2147483648", "100", 100},
        {"007", "7", 7},            {"50", "50", 50},           {"2147483647", "2147483647", 2147483647},
    };
    AddReadings(120);
    for (const ApplyCase& apply : cases) {
        SCOPED_TRACE(apply.text);
        control->SetPageSize(30);
        edtRange.setText(apply.text);
        EXPECT_TRUE(timer.isActive());
        FireRangeTimer();
        EXPECT_EQ(edtRange.text(), apply.applied);
        EXPECT_EQ(control->PageSize(), apply.pageSize);
        EXPECT_FALSE(timer.isActive());
    }
}

TEST_F(ChartToolBarTest, PagingButtonsWriteThePageShown)
{
    AddReadings(250);
    const std::pair<QToolButton*, const char*> clicks[] = {
        {&btnPrevious, "2"}, {&btnFirst, "1"}, {&btnPrevious, "1"}, {&btnNext, "2"}, {&btnLast, "3"}, {&btnNext, "3"},
    };
    for (const auto& [button, page] : clicks) {
        button->click();
        EXPECT_EQ(edtCurPage.text(), page);
        EXPECT_EQ(QString::number(control->CurrentPage()), page);
    }
}

TEST_F(ChartToolBarTest, WithOnePageTheButtonsLeaveThePageBoxAt1)
{
    AddReadings(40);
    for (QToolButton* button : {&btnFirst, &btnPrevious, &btnNext, &btnLast}) {
        button->click();
        EXPECT_EQ(edtCurPage.text(), "1");
    }
    EXPECT_FALSE(control->Browsing());
}

TEST_F(ChartToolBarTest, ClearButtonRunsTheRecordClearingCommand)
{
    btnNew.click();
    EXPECT_EQ(clearCommands, 1);
}

// The window connects its own handlers and forwards: the tool bar must not answer a second time.
TEST_F(ChartToolBarTest, ForwardedWiringLeavesSignalsToTheWindowButKeepsTheKeyFilter)
{
    toolBar.reset();
    const TChartToolBarControls controls{&edtRange, &edtCurPage, &btnFirst, &btnPrevious, &btnNext,
                                         &btnLast,  nullptr,     &btnSave,  &timer,       &chart};
    TChartToolBar forwarded(controls, *control, nullptr, ".", TChartToolBarWiring::CallerForwards);
    AddReadings(250);
    edtCurPage.setText("x");
    btnPrevious.click();
    EXPECT_EQ(edtCurPage.text(), "x");
    EXPECT_EQ(control->CurrentPage(), 3);
    forwarded.btnPreviousClick();
    EXPECT_EQ(edtCurPage.text(), "2");

    edtRange.clear();
    EXPECT_FALSE(timer.isActive());
    QTest::keyClicks(&edtRange, "4a0");
    EXPECT_EQ(edtRange.text(), "40");
    forwarded.Timer_rangeTimer();
    EXPECT_EQ(control->PageSize(), 40);
}

class ChartSaveTest : public ChartToolBarTest {
protected:
    ChartSaveTest() { AddReadings(30); }

    QTemporaryDir folder;
};

TEST_F(ChartSaveTest, BareNameIsSavedAsBitmap)
{
    ASSERT_TRUE(folder.isValid());
    WhenModal([&](QWidget* modal) { ChooseFile(modal, folder.filePath("trend")); });
    btnSave.click();
    QImage saved;
    ASSERT_TRUE(saved.load(folder.filePath("trend.bmp"), "BMP"));
    EXPECT_EQ(saved.size(), chart.size());
    EXPECT_FALSE(QFile::exists(folder.filePath("trend")));
}

TEST_F(ChartSaveTest, DialogOpensInTheFolderOfTheLastSave)
{
    WhenModal([&](QWidget* modal) { ChooseFile(modal, folder.filePath("first")); });
    btnSave.click();
    QString shownIn;
    WhenModal([&shownIn](QWidget* modal) {
        shownIn = static_cast<QFileDialog*>(modal)->directory().absolutePath();
        static_cast<QDialog*>(modal)->reject();
    });
    btnSave.click();
    EXPECT_EQ(shownIn, folder.path());
}

TEST_F(ChartSaveTest, CancelWritesNothing)
{
    WhenModal([](QWidget* modal) { static_cast<QDialog*>(modal)->reject(); });
    btnSave.click();
    EXPECT_TRUE(QDir(folder.path()).isEmpty());
}

TEST_F(ChartSaveTest, ExistingFileIsKeptWhenOverwritingIsDeclined)
{
    const QString existing = folder.filePath("kept.bmp");
    {
        QFile file(existing);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old");
    }
    bool asked = false;
    WhenModal([&](QWidget* modal) {
        WhenModal([&](QWidget* question) {
            auto* box = qobject_cast<QMessageBox*>(question);
            ASSERT_NE(box, nullptr);
            asked = true;
            WhenModal([](QWidget* stillOpen) { static_cast<QDialog*>(stillOpen)->reject(); });
            box->button(QMessageBox::No)->click();
        });
        ChooseFile(modal, existing);
    });
    btnSave.click();
    EXPECT_TRUE(asked);
    QFile file(existing);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), "old");
}

TEST_F(ChartSaveTest, FailedWriteEscapesForTheErrorReport)
{
    const QString unwritable = folder.filePath("missing/chart.bmp");
    WhenModal([&](QWidget* modal) { ChooseFile(modal, unwritable); });
    try {
        toolBar->btnSaveClick();
        FAIL() << "no error for an unwritable file";
    } catch (const std::runtime_error& error) {
        EXPECT_NE(std::string(error.what()).find(unwritable.toStdString()), std::string::npos) << error.what();
    }
}

}  // namespace
}  // namespace korvex
