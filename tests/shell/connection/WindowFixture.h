#pragma once

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAbstractItemModel>
#include <QCheckBox>
#include <QApplication>
#include <QDeadlineTimer>
#include <QLabel>
#include <QTableView>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <ostream>
#include <vector>

#include "links/BridgeDouble.h"
#include "links/uCP2110.h"
#include "records/TableEngine.h"
#include "shell/ufrmMain.h"

// Failure messages show texts rather than their bytes.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

namespace korvex::testing {

inline const QString NoDeviceMessage = QStringLiteral("No device found.  Please ensure that you have proper USB connection.");
inline const QString CableMessage =
    QStringLiteral("USB interface cable is not connected properly, please check and re-try.");

// The worked example frame (Cs 1.234 nF, D 0.012, 1 kHz) with its main count replaced by mainRaw.
inline std::vector<std::uint8_t> MeterFrame(std::uint16_t mainRaw = 1234)
{
    std::vector<std::uint8_t> frame = {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, 0x04, 0xD2, 0x53,
                                       0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};
    frame[6] = static_cast<std::uint8_t>(mainRaw >> 8);
    frame[7] = static_cast<std::uint8_t>(mainRaw & 0xFF);
    return frame;
}

// The whole main window in this process, its bridge link bound to the test double.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { BridgeDouble::reset(); }
    void TearDown() override { window_.reset(); }

    // Builds the window; the double's devices at this moment are what its link lists at start.
    TfrmMain& MakeWindow()
    {
        window_ = std::make_unique<TfrmMain>();
        window_->MeterState().DecimalSep = ".";
        // Poll often so chunks arrive quickly; a stop waits only briefly for a blocked hand-over.
        window_->CP21101().setReadTimeInterval(1);
        window_->CP21101().setReaderStopWait(std::chrono::milliseconds(20));
        return *window_;
    }
    TfrmMain& Window() { return *window_; }
    void DestroyWindow() { window_.reset(); }

    // Answers the next modal dialog with the button of that objectName once it is up, after running whileUp
    // inside it; the dialog's text goes to messages.
    void AnswerNext(const char* button, std::function<void()> whileUp = {})
    {
        QTimer::singleShot(0, &answerContext_, [this, button, whileUp] { TryAnswer(button, whileUp, 0); });
    }

    void Feed(const std::vector<std::uint8_t>& bytes)
    {
        window_->Decoder().CP21101ReceiveData(reinterpret_cast<const char*>(bytes.data()),
                                              static_cast<std::uint32_t>(bytes.size()));
    }

    // Serves the UI thread until the condition holds; false after timeoutMs.
    static bool SpinUntil(const std::function<bool()>& condition, int timeoutMs = 10000)
    {
        QDeadlineTimer deadline(timeoutMs);
        while (!condition()) {
            if (deadline.hasExpired())
                return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents);
            QThread::msleep(1);
        }
        return true;
    }

    int GridRows() const { return window_->DBGrid1()->model()->rowCount(); }

    // The nine texts a grid row shows.
    QStringList GridRow(int row) const
    {
        const QAbstractItemModel* model = window_->DBGrid1()->model();
        QStringList texts;
        for (int c = 0; c < model->columnCount(); ++c)
            texts << model->index(row, c).data().toString();
        return texts;
    }

    // Not connected: released "Connection", no "USB", watchdog and sampling timer stopped.
    void ExpectDisconnectedLook()
    {
        EXPECT_FALSE(window_->CP21101().Connected());
        EXPECT_FALSE(window_->btnConnect()->isChecked());
        EXPECT_EQ(window_->btnConnect()->text(), "Connection");
        EXPECT_TRUE(window_->findChild<QLabel*>("lcdRS232")->isHidden());
        EXPECT_FALSE(window_->timerDisconectedUSB()->isActive());
        EXPECT_FALSE(window_->timerInterval()->isActive());
    }

    void ExpectConnectedLook()
    {
        EXPECT_TRUE(window_->CP21101().Connected());
        EXPECT_TRUE(window_->btnConnect()->isChecked());
        EXPECT_EQ(window_->btnConnect()->text(), "Disconnection");
        EXPECT_FALSE(window_->findChild<QLabel*>("lcdRS232")->isHidden());
        EXPECT_TRUE(window_->timerDisconectedUSB()->isActive());
    }

    std::vector<QString> messages;

private:
    void TryAnswer(const char* button, const std::function<void()>& whileUp, int attempt)
    {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog) {
            if (attempt < 1000)
                QTimer::singleShot(5, &answerContext_,
                                   [this, button, whileUp, attempt] { TryAnswer(button, whileUp, attempt + 1); });
            else
                ADD_FAILURE() << "no dialog came up";
            return;
        }
        const auto* label = dialog->findChild<QLabel*>(QStringLiteral("Message"));
        messages.push_back(label ? label->text() : QStringLiteral("<no Message label>"));
        if (whileUp)
            whileUp();
        auto* answer = dialog->findChild<QAbstractButton*>(QLatin1String(button));
        if (!answer) {
            ADD_FAILURE() << "no button " << button;
            dialog->close();
            return;
        }
        answer->click();
    }

    // Pending answers die with the fixture.
    QObject answerContext_;
    std::unique_ptr<TfrmMain> window_;
};

}  // namespace korvex::testing
