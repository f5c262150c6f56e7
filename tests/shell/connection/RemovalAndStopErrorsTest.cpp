#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QTest>
#include <stdexcept>

#include "WindowFixture.h"

namespace korvex::testing {
namespace {

void Fire(QTimer* timer)
{
    QMetaObject::invokeMethod(timer, "timeout", Qt::DirectConnection);
}

// The title of a modal box: the message dialog's label, or the error report's text.
QString TextOf(QWidget* dialog)
{
    if (const auto* label = dialog->findChild<QLabel*>(QStringLiteral("Message")))
        return label->text();
    if (const auto* box = qobject_cast<QMessageBox*>(dialog))
        return dialog->objectName() + ": " + box->text();
    return QStringLiteral("<unknown dialog>");
}

class RemovalAndStopErrors : public WindowFixture {
protected:
    // Connected to a bridge whose reader is left blocked in handing over a chunk whose handler throws,
    // as when the UI thread is busy while data comes: the next stop serves that chunk.
    TfrmMain& ConnectWithAThrowingChunkWaiting()
    {
        const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
        TfrmMain& window = MakeWindow();
        window.btnConnect()->click();
        EXPECT_TRUE(window.CP21101().Connected());
        window.CP21101().OnReceiveData = [](const char*, std::uint32_t) { throw std::runtime_error("chunk failed"); };
        BridgeDouble::queueRead(meter, MeterFrame());
        // Without events served the reader stays blocked in the hand-over of that chunk.
        QDeadlineTimer deadline(5000);
        while (BridgeDouble::pendingReads(meter) > 0 && !deadline.hasExpired())
            QThread::msleep(1);
        EXPECT_EQ(BridgeDouble::pendingReads(meter), 0u);
        // A reader that polls no more, though its pause is 1 ms, waits in the hand-over.
        std::uint64_t reads = 0;
        do {
            reads = BridgeDouble::calls("HidUart_Read");
            QThread::msleep(20);
        } while (BridgeDouble::calls("HidUart_Read") != reads && !deadline.hasExpired());
        return window;
    }

    // Answers every modal box that comes up from now on, writing its text to boxes; one already up is
    // left alone.
    void AnswerEveryBox()
    {
        answered_ = QApplication::activeModalWidget();
        sweeper_.setInterval(2);
        QObject::connect(&sweeper_, &QTimer::timeout, &sweeper_, [this] {
            QWidget* dialog = QApplication::activeModalWidget();
            if (!dialog || dialog == answered_)
                return;
            answered_ = dialog;
            boxes.push_back(TextOf(dialog));
            if (auto* ok = dialog->findChild<QAbstractButton*>(QStringLiteral("OK")))
                ok->click();
        });
        sweeper_.start();
    }

    std::vector<QString> boxes;

private:
    QTimer sweeper_;
    QPointer<QWidget> answered_;
};

TEST_F(RemovalAndStopErrors, AnErrorRaisedWhileTheWatchdogDisconnectsIsReportedAndTheCableMessageFollows)
{
    TfrmMain& window = ConnectWithAThrowingChunkWaiting();
    AnswerEveryBox();
    EXPECT_NO_THROW(Fire(window.timerDisconectedUSB()));
    EXPECT_EQ(boxes, (std::vector<QString>{"ErrorReport: chunk failed", CableMessage}));
    ExpectDisconnectedLook();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
}

TEST_F(RemovalAndStopErrors, AnErrorRaisedWhileTheWindowIsDestroyedIsReportedAndTheProgramGoesOn)
{
    ConnectWithAThrowingChunkWaiting();
    AnswerEveryBox();
    DestroyWindow(); // an error escaping here would end the process
    EXPECT_EQ(boxes, std::vector<QString>{"ErrorReport: chunk failed"});
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
}

TEST_F(RemovalAndStopErrors, ARemovalMessageLeftUpLongerThanTheWatchdogGivesOneDisconnectAndNoCableMessage)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    // A short watchdog stands for the 10 s one; the message stays up for several of its periods.
    window.timerDisconectedUSB()->setInterval(30);
    window.btnConnect()->click();
    ExpectConnectedLook();
    int disconnects = 0;
    const TNotifyEvent windowsHandler = window.CP21101().OnDisconnect;
    window.CP21101().OnDisconnect = [&](QObject* sender) {
        ++disconnects;
        windowsHandler(sender);
    };

    bool rearmedWhileUp = false;
    bool watchdogRanOut = false;
    AnswerNext("OK", [&] {
        AnswerEveryBox(); // a second message inside this one, if any came
        BridgeDouble::queueRead(meter, MeterFrame());
        rearmedWhileUp = SpinUntil([&] { return window.timerDisconectedUSB()->isActive(); }, 5000);
        watchdogRanOut = SpinUntil([&] { return !window.timerDisconectedUSB()->isActive(); }, 5000);
        QTest::qWait(100);
    });
    window.CP21101().HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, QStringLiteral("/dev/hidraw2"));

    EXPECT_TRUE(rearmedWhileUp) << "a chunk inside the message restarts the watchdog";
    EXPECT_TRUE(watchdogRanOut);
    EXPECT_EQ(messages, std::vector<QString>{NoDeviceMessage});
    EXPECT_TRUE(boxes.empty()) << boxes.front().toStdString();
    EXPECT_EQ(disconnects, 1);
    ExpectDisconnectedLook();
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
    window.CP21101().OnDisconnect = windowsHandler; // the count dies with this test, the window later
}

}  // namespace
}  // namespace korvex::testing
