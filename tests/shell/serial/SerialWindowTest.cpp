#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QApplication>
#include <QDeadlineTimer>
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
    EXPECT_EQ(answerer.texts, QStringList{"Failed to open COM250!"});
    EXPECT_FALSE(window->CComm1().Connected());

    window->OpenSerialLink(pty.path());
    EXPECT_TRUE(window->CComm1().Connected());
    window->OpenSerialLink(pty.path());
    EXPECT_EQ(answerer.texts, (QStringList{"Failed to open COM250!", pty.path() + " has been opened!"}));
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
