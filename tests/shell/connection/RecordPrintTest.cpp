#include <QDialog>
#include <QApplication>
#include <QElapsedTimer>
#include <stdexcept>

#include "WindowFixture.h"
#include "records/files/ModalAnswer.h"
#include "records/ui/RecordReport.h"

namespace korvex::testing {
namespace {

using RecordPrint = WindowFixture;

// Serves events for a while, as the user would leave the preview up.
void Linger(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        QThread::msleep(1);
    }
}

TEST_F(RecordPrint, WhileThePreviewIsUpTheLinkIsPausedThenReadsAgainWithAFreshWatchdog)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    // A coarse timer may report up to 5 % less than its full period; a precise one tells it exactly.
    window.timerDisconectedUSB()->setTimerType(Qt::PreciseTimer);
    window.btnConnect()->click();
    ExpectConnectedLook();

    bool previewSeen = false;
    QElapsedTimer sinceClose;
    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* preview) {
        previewSeen = true;
        EXPECT_TRUE(window.CP21101().ReadPause());
        EXPECT_FALSE(window.timerDisconectedUSB()->isActive());
        BridgeDouble::queueRead(meter, MeterFrame(4321));
        Linger(300);
        EXPECT_EQ(BridgeDouble::pendingReads(meter), 1u);
        EXPECT_EQ(window.cds1().RecordCount(), 0);
        sinceClose.start();
        static_cast<QDialog*>(preview)->reject();
    });
    window.btnRecordPrint()->click();
    ASSERT_TRUE(previewSeen);

    EXPECT_FALSE(window.CP21101().ReadPause());
    ExpectConnectedLook();
    // The full period counts from the preview's closing, not from the connection.
    EXPECT_GE(window.timerDisconectedUSB()->remainingTime(), 10000 - sinceClose.elapsed() - 20);
    EXPECT_TRUE(SpinUntil([&] { return window.cds1().RecordCount() == 1; }));
    EXPECT_TRUE(messages.empty());
}

// A chunk that was already on its way to the window when Print paused the link is handled during the
// preview: it is recorded, but must not restart the watchdog, which would drop the link ten seconds into
// the preview with a false cable message.
TEST_F(RecordPrint, AChunkHandledDuringThePreviewLeavesTheWatchdogOff)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    window.btnConnect()->click();
    ExpectConnectedLook();

    bool previewSeen = false;
    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* preview) {
        previewSeen = true;
        const std::vector<std::uint8_t> frame = MeterFrame(4321);
        window.CP21101().OnReceiveData(reinterpret_cast<const char*>(frame.data()),
                                       static_cast<std::uint32_t>(frame.size()));
        EXPECT_EQ(window.cds1().RecordCount(), 1);
        EXPECT_FALSE(window.timerDisconectedUSB()->isActive());
        static_cast<QDialog*>(preview)->reject();
    });
    window.btnRecordPrint()->click();
    ASSERT_TRUE(previewSeen);
    EXPECT_TRUE(window.timerDisconectedUSB()->isActive());
    EXPECT_TRUE(messages.empty());
}

TEST_F(RecordPrint, AfterThePreviewTheWatchdogRunsOnlyWhileConnectedAlsoWhenThePreviewFails)
{
    struct Case {
        const char* name;
        bool connect;
        bool disconnectWhileUp;
        bool previewThrows;
    };
    const Case cases[] = {
        {"not connected", false, false, false},
        {"not connected, preview fails", false, false, true},
        {"connected, preview fails", true, false, true},
        {"link closed while the preview is up", true, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        BridgeDouble::reset();
        const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
        TfrmMain& window = MakeWindow();
        if (c.connect)
            window.btnConnect()->click();
        ASSERT_EQ(window.CP21101().Connected(), c.connect);

        int shown = 0;
        window.frxReport1().SetPreview([&](TReport& report, QWidget* owner) {
            ++shown;
            EXPECT_EQ(owner, &window);
            EXPECT_EQ(report.PageCount(), 1);
            EXPECT_EQ(window.CP21101().ReadPause(), c.connect);
            EXPECT_FALSE(window.timerDisconectedUSB()->isActive());
            BridgeDouble::queueRead(meter, MeterFrame(4321));
            if (c.disconnectWhileUp)
                window.btnConnect()->click();
            if (c.previewThrows)
                throw std::runtime_error("preview failed");
        });
        if (c.previewThrows)
            EXPECT_THROW(window.btnRecordPrintClick(), std::runtime_error);
        else
            window.btnRecordPrintClick();
        EXPECT_EQ(shown, 1);

        const bool reading = c.connect && !c.disconnectWhileUp;
        EXPECT_FALSE(window.CP21101().ReadPause());
        EXPECT_EQ(window.timerDisconectedUSB()->isActive(), reading);
        if (reading)
            EXPECT_TRUE(SpinUntil([&] { return window.cds1().RecordCount() == 1; }));
        else
            ExpectDisconnectedLook();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    }
}

}  // namespace
}  // namespace korvex::testing
