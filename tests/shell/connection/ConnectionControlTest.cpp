#include <QComboBox>
#include <QLabel>
#include <QRegularExpression>
#include <QTest>

#include "WindowFixture.h"
#include "chart/uCharControl.h"
#include "display/MeterPanel.h"
#include "links/BridgeStatus.h"
#include "records/ui/RecordSampling.h"
#include "records/TableEngine.h"
#include "shell/ConnectionMessages.h"
#include "widgets/CControls.h"

namespace korvex::testing {
namespace {

QStringList Items(const QComboBox& box)
{
    QStringList items;
    for (int i = 0; i < box.count(); ++i)
        items << box.itemText(i);
    return items;
}

void Fire(QTimer* timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

using ConnectionControl = WindowFixture;

TEST_F(ConnectionControl, FailedConnectShowsTheNoDeviceMessageAndLeavesTheButtonReleased)
{
    struct Case {
        const char* name;
        std::function<void()> script;
        QString message = NoDeviceMessage;
    };
    const Case cases[] = {
        {"no bridge attached", [] {}},
        {"the bridge does not open",
         [] { BridgeDouble::setOpenStatus(BridgeDouble::addDevice("a3", "/dev/hidraw2"), DoubleDeviceNotFound); }},
        {"the bridge refuses this user",
         [] {
             BridgeDouble::setOpenStatus(BridgeDouble::addDevice("a3", "/dev/hidraw2"), BridgeStatusPermissionDenied);
         },
         NoPermissionMessage("/dev/hidraw2", UdevRuleInstalled("/dev/hidraw2"))},
        {"another program holds the bridge",
         [] { BridgeDouble::setOpenStatus(BridgeDouble::addDevice("a3", "/dev/hidraw2"), BridgeStatusInUse); },
         QLatin1String(InUseMessage)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BridgeDouble::reset();
        c.script();
        TfrmMain& window = MakeWindow();
        messages.clear();
        AnswerNext("OK");
        window.btnConnect()->click();
        EXPECT_EQ(messages, std::vector<QString>{c.message});
        ExpectDisconnectedLook();
        EXPECT_EQ(BridgeDouble::openHandles(), 0);
    }
    BridgeDouble::reset();
    TfrmMain& window = MakeWindow();
    EXPECT_EQ(window.cbbDevices()->count(), 0);
    EXPECT_TRUE(window.CP21101().DeviceName().isEmpty());
}

TEST_F(ConnectionControl, TwoBridgesSortWithoutCaseAndAClickOpensTheFirst)
{
    const int b7 = BridgeDouble::addDevice("B7", "/dev/hidraw1");
    const int a3 = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    // One queued read on each: only the opened bridge is read.
    BridgeDouble::queueRead(b7, MeterFrame(1111));
    BridgeDouble::queueRead(a3, MeterFrame(2222));
    TfrmMain& window = MakeWindow();
    EXPECT_EQ(Items(*window.cbbDevices()), (QStringList{"a3", "B7"}));
    EXPECT_EQ(window.cbbDevices()->currentIndex(), 0);
    EXPECT_EQ(window.CP21101().DeviceName(), "a3");

    window.btnConnect()->click();
    EXPECT_TRUE(messages.empty());
    ExpectConnectedLook();
    ASSERT_TRUE(SpinUntil([&] { return window.cds1().RecordCount() == 1; }));
    EXPECT_EQ(BridgeDouble::pendingReads(a3), 0u);
    EXPECT_EQ(BridgeDouble::pendingReads(b7), 1u);
    EXPECT_EQ(GridRow(0)[3], "2.222");

    window.btnConnect()->click();
    ExpectDisconnectedLook();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    EXPECT_TRUE(messages.empty());
}

TEST_F(ConnectionControl, FramesInOddChunksReachThePanelAndTheGrid)
{
    std::vector<std::uint8_t> stream = MeterFrame(1234);
    const std::vector<std::uint8_t> second = MeterFrame(5678);
    stream.insert(stream.end(), second.begin(), second.end());
    // The window takes at most one frame from each chunk, so every chunking ends a frame in a later chunk.
    const std::vector<std::vector<std::size_t>> chunkings = {{17, 17}, {1, 16, 1, 16}, {5, 20, 9}, {16, 2, 13, 3}};
    const QRegularExpression stamp(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$"));
    for (const auto& sizes : chunkings) {
        SCOPED_TRACE(::testing::PrintToString(sizes));
        BridgeDouble::reset();
        const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
        std::size_t at = 0;
        for (std::size_t size : sizes) {
            BridgeDouble::queueRead(meter, std::vector<std::uint8_t>(stream.begin() + at, stream.begin() + at + size));
            at += size;
        }
        ASSERT_EQ(at, stream.size());
        TfrmMain& window = MakeWindow();
        window.btnConnect()->click();
        ASSERT_TRUE(SpinUntil([&] { return GridRows() == 2 && BridgeDouble::pendingReads(meter) == 0; }));
        EXPECT_EQ(window.cds1().RecordCount(), 2);

        EXPECT_EQ(window.pnlLcd()->lcdMDisp()->text(), "5.678");
        EXPECT_EQ(window.pnlLcd()->lcdSDisp()->text(), "0.012");
        EXPECT_EQ(window.pnlLcd()->findChild<QLabel*>("lcdMMode")->text(), "Cs");
        EXPECT_EQ(window.pnlLcd()->findChild<QLabel*>("lcdMUnit")->text(), "nF");
        EXPECT_EQ(window.edtCurPage()->text(), "1");

        const QStringList first = GridRow(0);
        EXPECT_EQ(first[0], "1");
        EXPECT_TRUE(stamp.match(first[1]).hasMatch()) << first[1].toStdString();
        EXPECT_EQ(first.mid(2), (QStringList{"Cs", "1.234", "nF", "D", "0.012", "", "1KHz"}));
        const QStringList last = GridRow(1);
        EXPECT_EQ(last[0], "2");
        EXPECT_EQ(last.mid(2), (QStringList{"Cs", "5.678", "nF", "D", "0.012", "", "1KHz"}));
        EXPECT_EQ(window.DBGrid1()->currentIndex().row(), 1) << "the newest row is the current one";
        EXPECT_TRUE(window.timerDisconectedUSB()->isActive());
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(ConnectionControl, RepeatBoxDecidesWhetherASteadyReadingRecordsAgain)
{
    struct Step {
        std::uint16_t raw;
        int rowsWithoutRepeat;
        int rowsWithRepeat;
    };
    const Step steps[] = {{1234, 1, 1}, {1234, 1, 2}, {1234, 1, 3}, {1235, 2, 4}, {1235, 2, 5}, {1234, 3, 6}};
    for (const bool repeat : {false, true}) {
        SCOPED_TRACE(repeat ? "Repeat ticked" : "Repeat not ticked");
        TfrmMain& window = MakeWindow();
        window.cbRepeat()->setChecked(repeat);
        for (const Step& step : steps) {
            Feed(MeterFrame(step.raw));
            EXPECT_EQ(GridRows(), repeat ? step.rowsWithRepeat : step.rowsWithoutRepeat) << step.raw;
        }
        EXPECT_EQ(GridRow(GridRows() - 1)[0], QString::number(GridRows()));
    }
}

TEST_F(ConnectionControl, EveryIntervalTickPassesOneRow)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    window.cbInterval()->setChecked(true);
    window.btnConnect()->click();
    ASSERT_TRUE(window.timerInterval()->isActive());

    struct Step {
        int ticks;
        int frames;
        int rows;
    };
    // Frames before the first tick after connecting record nothing; two ticks without a frame between
    // still pass only one.
    const Step steps[] = {{0, 2, 0}, {1, 3, 1}, {1, 1, 2}, {2, 1, 3}, {0, 4, 3}, {1, 2, 4}};
    std::uint16_t raw = 100;
    for (const Step& step : steps) {
        for (int t = 0; t < step.ticks; ++t)
            Fire(window.timerInterval());
        for (int f = 0; f < step.frames; ++f)
            Feed(MeterFrame(raw++));
        EXPECT_EQ(GridRows(), step.rows) << "after " << step.ticks << " ticks and " << step.frames << " frames";
    }
    // The first frame after each tick is the one recorded.
    EXPECT_EQ(GridRow(0)[3], "0.102");
    EXPECT_EQ(GridRow(1)[3], "0.105");

    window.btnConnect()->click();
    EXPECT_FALSE(window.timerInterval()->isActive());
}

TEST_F(ConnectionControl, ConnectingRunsTheIntervalTimerOnlyWhenTheBoxIsTicked)
{
    for (const bool ticked : {false, true}) {
        SCOPED_TRACE(ticked ? "ticked" : "not ticked");
        BridgeDouble::reset();
        BridgeDouble::addDevice("a3", "/dev/hidraw2");
        TfrmMain& window = MakeWindow();
        window.cbInterval()->setChecked(ticked);
        window.Sampling().StopOnDisconnect();
        window.MeterState().IntervalTick = true;
        window.btnConnect()->click();
        ExpectConnectedLook();
        EXPECT_EQ(window.timerInterval()->isActive(), ticked);
        EXPECT_FALSE(window.MeterState().IntervalTick);
        window.btnConnect()->click();
        ExpectDisconnectedLook();
    }
}

TEST_F(ConnectionControl, WatchdogClosesTheLinkAndShowsTheCableMessageOnce)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    window.cbInterval()->setChecked(true);
    window.btnConnect()->click();
    ExpectConnectedLook();

    bool connectedWhileUp = true;
    AnswerNext("OK", [&] { connectedWhileUp = window.CP21101().Connected(); });
    Fire(window.timerDisconectedUSB());
    EXPECT_EQ(messages, std::vector<QString>{CableMessage});
    EXPECT_FALSE(connectedWhileUp) << "the link is closed before the message";
    ExpectDisconnectedLook();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    const auto reads = BridgeDouble::calls("HidUart_Read");
    QTest::qWait(30);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), reads);
}

TEST_F(ConnectionControl, PullingOutTheOpenBridgeShowsTheNoDeviceMessageThenTheDisconnectedLook)
{
    const int a3 = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    BridgeDouble::addDevice("B7", "/dev/hidraw1");
    TfrmMain& window = MakeWindow();
    window.btnConnect()->click();
    ExpectConnectedLook();

    // Another bridge plugged in changes the device to open next, not the open link.
    BridgeDouble::addDevice("00", "/dev/hidraw9");
    window.CP21101().HandleDeviceChange(DBT_DEVICEARRIVAL, QStringLiteral("/dev/hidraw9"));
    EXPECT_EQ(Items(*window.cbbDevices()), (QStringList{"00", "a3", "B7"}));
    EXPECT_EQ(window.CP21101().DeviceName(), "00");
    ExpectConnectedLook();

    BridgeDouble::removeDevice(a3);
    bool connectedWhileUp = false;
    bool pressedWhileUp = false;
    bool watchdogWhileUp = true;
    AnswerNext("OK", [&] {
        connectedWhileUp = window.CP21101().Connected();
        pressedWhileUp = window.btnConnect()->isChecked();
        watchdogWhileUp = window.timerDisconectedUSB()->isActive();
    });
    window.CP21101().HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, QStringLiteral("/dev/hidraw2"));
    EXPECT_EQ(messages, std::vector<QString>{NoDeviceMessage});
    EXPECT_TRUE(connectedWhileUp);
    EXPECT_TRUE(pressedWhileUp);
    EXPECT_FALSE(watchdogWhileUp);
    ExpectDisconnectedLook();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    EXPECT_EQ(Items(*window.cbbDevices()), (QStringList{"00", "B7"}));
    EXPECT_EQ(window.CP21101().DeviceName(), "00");
}

TEST_F(ConnectionControl, IntervalEntryKeepsWholeSecondsFromOneTo99999999)
{
    struct Case {
        const char* typed;  // keys, "\b" for Backspace
        const char* shown;  // text after the keys
        const char* kept;   // text after the entry delay
        std::uint64_t seconds;
    };
    const Case cases[] = {
        {"0", "0", "1", 1},
        {"100000000", "100000000", "1", 1},
        {"", "", "1", 1},
        {"99999999", "99999999", "99999999", 99999999},
        {"4x2b", "42", "42", 42},
        {"12\b5", "15", "15", 15},
        {"-3.5", "35", "35", 35},
    };
    TfrmMain& window = MakeWindow();
    TCEdit* edit = window.edtRecInterval();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        edit->clear();
        QTest::keyClicks(edit, QString::fromLatin1(c.typed));
        EXPECT_EQ(edit->text(), c.shown);
        EXPECT_TRUE(window.timerInputDelay()->isActive());
        Fire(window.timerInputDelay());
        EXPECT_EQ(edit->text(), c.kept);
        EXPECT_EQ(window.Sampling().IntervalTimer().Period(), c.seconds * 1000u);
    }
}

TEST_F(ConnectionControl, ClearFromEitherButtonEmptiesTableAndChartOnlyOnYes)
{
    struct Case {
        const char* button;
        const char* answer;
        bool clears;
    };
    const Case cases[] = {
        {"btnRecordNew", "Yes", true},
        {"btnNew", "Yes", true},
        {"btnRecordNew", "No", false},
        {"btnNew", "No", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.button) + " " + c.answer);
        TfrmMain& window = MakeWindow();
        // 601 readings put the chart on its seventh page of 100.
        for (std::uint16_t raw = 1; raw <= 601; ++raw)
            Feed(MeterFrame(raw));
        ASSERT_EQ(GridRows(), 601);
        ASSERT_EQ(window.edtCurPage()->text(), "7");
        messages.clear();

        AnswerNext(c.answer);
        window.findChild<QAbstractButton*>(QLatin1String(c.button))->click();
        EXPECT_EQ(messages, std::vector<QString>{"Are you sure that you want to delete this record?"});
        EXPECT_EQ(GridRows(), c.clears ? 0 : 601);
        EXPECT_EQ(window.cds1().RecordCount(), c.clears ? 0 : 601);
        EXPECT_EQ(window.cds1().ChangeLog().size(), c.clears ? 0u : 601u);
        EXPECT_EQ(window.edtCurPage()->text(), c.clears ? "1" : "7");
        EXPECT_EQ(window.ChartControl().CurrentPage(), c.clears ? 1 : 7);

        Feed(MeterFrame(4321));
        EXPECT_EQ(GridRow(GridRows() - 1)[0], c.clears ? "1" : "602");
    }
}

TEST_F(ConnectionControl, ClosingWithTheLinkConnectedDisconnects)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    BridgeDouble::setStream(meter, 3);
    TfrmMain& window = MakeWindow();
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.btnConnect()->click();
    ASSERT_TRUE(SpinUntil([] { return BridgeDouble::calls("HidUart_Read") > 2; }));

    AnswerNext("Yes");
    EXPECT_TRUE(window.close());
    EXPECT_EQ(messages, std::vector<QString>{"Are you sure that you want to quit this application?"});
    DestroyWindow();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    const auto reads = BridgeDouble::calls("HidUart_Read");
    QTest::qWait(20);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Read"), reads) << "the reader has stopped";
    EXPECT_EQ(BridgeDouble::readsWithoutHandle(), 0u);
}

}  // namespace
}  // namespace korvex::testing
