#include <QAbstractButton>
#include <QMessageBox>
#include <stdexcept>

#include "WindowFixture.h"
#include "records/TableEngine.h"
#include "widgets/CControls.h"

// These suites run on a plain QApplication that catches nothing: an error that reached Qt's frames would
// fail the test instead of being reported.
namespace korvex::testing {
namespace {

// Answers every error report while it lives, counting them and keeping their texts.
class ErrorReports {
public:
    ErrorReports()
    {
        poll_.setInterval(1);
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != QLatin1String("ErrorReport"))
                return;
            texts << box->text();
            box->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
        });
        poll_.start();
    }
    QStringList texts;

private:
    QTimer poll_;
};

// Chains a throw on the first call to what the table already reports.
template <typename Event>
void ThrowOnFirstCall(Event& event, const char* text)
{
    event = [previous = event, text, calls = 0](auto... args) mutable {
        if (previous)
            previous(args...);
        if (++calls == 1)
            throw std::runtime_error(text);
    };
}

using HandlerGuard = WindowFixture;

TEST_F(HandlerGuard, ErrorInTheLinksReceiveHandlerIsReportedOnceAndLaterFramesStillRecord)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw2");
    TfrmMain& window = MakeWindow();
    ThrowOnFirstCall(window.cds1().OnRowPosted, "Thrown while recording");
    ErrorReports reports;

    window.btnConnect()->click();
    BridgeDouble::queueRead(meter, MeterFrame(1111));
    ASSERT_TRUE(SpinUntil([&] { return !reports.texts.isEmpty(); }));
    BridgeDouble::queueRead(meter, MeterFrame(2222));
    ASSERT_TRUE(SpinUntil([&] { return GridRows() == 2; }));

    EXPECT_EQ(reports.texts, QStringList{"Thrown while recording"});
    EXPECT_EQ(GridRow(1)[3], "2.222");
    ExpectConnectedLook();
    EXPECT_TRUE(messages.empty());
}

TEST_F(HandlerGuard, ErrorInAButtonHandlerIsReportedOnceAndTheButtonWorksAgain)
{
    TfrmMain& window = MakeWindow();
    Feed(MeterFrame(1111));
    ThrowOnFirstCall(window.cds1().OnReset, "Thrown while clearing");
    ErrorReports reports;

    AnswerNext("Yes");
    window.btnRecordNew()->click();
    EXPECT_EQ(reports.texts, QStringList{"Thrown while clearing"});
    EXPECT_EQ(GridRows(), 0);

    Feed(MeterFrame(2222));
    AnswerNext("Yes");
    window.btnRecordNew()->click();
    EXPECT_EQ(reports.texts.size(), 1);
    EXPECT_EQ(GridRows(), 0);
    EXPECT_EQ(window.edtCurPage()->text(), "1");
}

}  // namespace
}  // namespace korvex::testing
