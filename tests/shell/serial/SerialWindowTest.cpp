#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QToolButton>
#include <QMessageBox>
#include <QTableView>
#include <QThread>
#include <QTimer>

#include <functional>
#include <memory>
#include <vector>

#include "common/SpinUntil.h"
#include "display/MeterPanel.h"
#include "links/CComm.h"
#include "links/serial/PtyPair.h"
#include "widgets/CControls.h"
#include "shell/ufrmMain.h"
#include "meter/FrameBytes.h"

namespace korvex::testing {
namespace {

using test::SpinUntil;
const auto MeterFrame = test::ExampleFrameWithMainCount;

// Answers every error report that comes up with OK, keeping its text.
class ErrorReportAnswerer {
public:
    ErrorReportAnswerer()
    {
        timer_.setInterval(5);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box || box->objectName() != QLatin1String("ErrorReport"))
                return;
            texts << box->text();
            box->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
        });
        timer_.start();
    }
    QStringList texts;

private:
    QTimer timer_;
};

class SerialWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(pty.ok());
        window = std::make_unique<TfrmMain>();
        window->MeterState().DecimalSep = ".";
    }

    int GridRows() const { return window->DBGrid1()->model()->rowCount(); }

    PtyPair pty;
    std::unique_ptr<TfrmMain> window;
};

TEST_F(SerialWindow, FramesOnTheSerialLinkShowOnThePanelAndInTheRecords)
{
    TCComm& link = window->CComm1();
    EXPECT_EQ(window->findChild<TCComm*>(QStringLiteral("CComm1")), &link);
    EXPECT_EQ(link.CommPort(), "COM1");
    EXPECT_FALSE(link.Connected());

    ErrorReportAnswerer answerer;
    window->OpenSerialLink(pty.path());
    EXPECT_TRUE(answerer.texts.isEmpty());
    ASSERT_TRUE(link.Connected());
    EXPECT_EQ(link.CommPort(), pty.path());

    pty.write(MeterFrame(1234));
    ASSERT_TRUE(SpinUntil([&] { return window->pnlLcd()->lcdMDisp()->text() == "1.234"; }));
    EXPECT_EQ(GridRows(), 1);
    // A frame written in two pieces is decoded once it is whole.
    const std::vector<std::uint8_t> next = MeterFrame(5678);
    pty.write(std::vector<std::uint8_t>(next.begin(), next.begin() + 8));
    pty.write(std::vector<std::uint8_t>(next.begin() + 8, next.end()));
    ASSERT_TRUE(SpinUntil([&] { return window->pnlLcd()->lcdMDisp()->text() == "5.678"; }));
    EXPECT_EQ(GridRows(), 2);
    // The serial link has no silence watchdog.
    EXPECT_FALSE(window->timerDisconectedUSB()->isActive());
}

TEST_F(SerialWindow, APortThatCannotBeOpenedGoesToTheErrorReportNamingIt)
{
    ErrorReportAnswerer answerer;
    window->OpenSerialLink(QStringLiteral("COM250"));
    ASSERT_EQ(answerer.texts.size(), 1);
    // The specified text, then the port's own reason.
    EXPECT_TRUE(answerer.texts[0].startsWith("Failed to open COM250! ")) << answerer.texts[0].toStdString();
    EXPECT_GT(answerer.texts[0].size(), QStringLiteral("Failed to open COM250! ").size());
    EXPECT_FALSE(window->CComm1().Connected());

    window->OpenSerialLink(pty.path());
    EXPECT_TRUE(window->CComm1().Connected());
    window->OpenSerialLink(pty.path());
    ASSERT_EQ(answerer.texts.size(), 2);
    EXPECT_EQ(answerer.texts[1], pty.path() + " has been opened!");
}

// The far end hanging up (or the adapter pulled) is told, the link is closed, and the connection button
// opens it again without restarting the program.
TEST_F(SerialWindow, AHangUpIsToldAndTheConnectionButtonOpensThePortAgain)
{
    window->OpenSerialLink(pty.path());
    ASSERT_TRUE(window->CComm1().Connected());
    EXPECT_EQ(window->btnConnect()->text(), "Disconnection");

    QStringList notices;
    QTimer answerer;
    answerer.setInterval(5);
    QObject::connect(&answerer, &QTimer::timeout, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        auto* label = dialog ? dialog->findChild<QLabel*>(QStringLiteral("Message")) : nullptr;
        if (!label)
            return;
        notices << label->text();
        dialog->findChild<QAbstractButton*>(QStringLiteral("OK"))->click();
    });
    answerer.start();
    pty.hangUp();
    ASSERT_TRUE(SpinUntil([&] { return !notices.isEmpty(); }));
    EXPECT_EQ(notices, QStringList{pty.path() + " is not connected any more, please check the cable and re-try."});
    EXPECT_FALSE(window->CComm1().Connected());
    EXPECT_EQ(window->btnConnect()->text(), "Connection");

    PtyPair next;
    ASSERT_TRUE(next.ok());
    window->CComm1().setCommPort(next.path());
    window->btnConnect()->click();
    ASSERT_TRUE(window->CComm1().Connected());
    next.write(MeterFrame(4321));
    ASSERT_TRUE(SpinUntil([&] { return window->pnlLcd()->lcdMDisp()->text() == "4.321"; }));
    window->btnConnect()->click();
    EXPECT_FALSE(window->CComm1().Connected());
}

TEST_F(SerialWindow, ClosingTheWindowWithTheLinkOpenLetsThePortGo)
{
    window->OpenSerialLink(pty.path());
    ASSERT_TRUE(window->CComm1().Connected());
    EXPECT_EQ(pty.openCountInThisProcess(), 2);
    window.reset();
    EXPECT_EQ(pty.openCountInThisProcess(), 1);
}

}  // namespace
}  // namespace korvex::testing
