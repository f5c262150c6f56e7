#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <chrono>
#include <gtest/gtest.h>
#include <optional>

#include "links/BridgeDouble.h"
#include "links/BridgeStatus.h"
#include "links/DeviceEvents.h"
#include "links/uCP2110.h"
#include "common/SpinUntil.h"
#include "meter/FrameBytes.h"
#include "records/CsvWriter.h"
#include "records/files/CsvReader.h"
#include "shell/ConnectionMessages.h"
#include "shell/HeadlessLogger.h"

namespace korvex {
namespace {

using testing::BridgeDouble;

const QString NoDeviceMessage = QStringLiteral("No device found.  Please ensure that you have proper USB connection.");
const QString CableMessage =
    QStringLiteral("USB interface cable is not connected properly, please check and re-try.");

using test::SpinUntil;
const auto MeterFrame = test::ExampleFrameWithMainCount;

void Fire(QTimer& timer)
{
    QMetaObject::invokeMethod(&timer, "timeout", Qt::DirectConnection);
}

// A logger on the test double of the bridge library, writing to a file in a temporary folder.
class HeadlessLogger : public ::testing::Test {
protected:
    void SetUp() override { BridgeDouble::reset(); }

    THeadlessLogger& MakeLogger(std::optional<std::int64_t> everySeconds = std::nullopt)
    {
        EXPECT_TRUE(log.Open(path, TCsvWriter::HeaderLine()));
        logger = std::make_unique<THeadlessLogger>(log, QString::fromStdString(BridgeDouble::libraryPath()),
                                                   everySeconds);
        // Poll often so chunks arrive quickly; a stop waits only briefly for a blocked hand-over.
        logger->CP21101().setReadTimeInterval(1);
        logger->CP21101().setReaderStopWait(std::chrono::milliseconds(20));
        logger->Finished = [this](LoggerExit code, const QString& message) { ended.emplace(code, message); };
        return *logger;
    }

    // Serves the reader until the double has handed over everything queued.
    void DrainReads(int device)
    {
        ASSERT_TRUE(SpinUntil([device] { return BridgeDouble::pendingReads(device) == 0; }));
        for (int i = 0; i < 20; ++i) {
            QCoreApplication::processEvents();
            QThread::msleep(2);
        }
    }

    std::vector<std::vector<std::string>> Records()
    {
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const auto records = test::ReadCsv(file.readAll().toStdString());
        EXPECT_TRUE(records.has_value()) << "not whole CSV lines";
        return records.value_or(std::vector<std::vector<std::string>>{});
    }

    std::vector<std::string> MainValues()
    {
        std::vector<std::string> values;
        const auto records = Records();
        for (std::size_t i = 1; i < records.size(); ++i)
            values.push_back(records[i].at(3));
        return values;
    }

    QTemporaryDir dir;
    QString path = dir.filePath("log.csv");
    TCsvLog log;
    std::unique_ptr<THeadlessLogger> logger;
    std::optional<std::pair<LoggerExit, QString>> ended;
};

TEST_F(HeadlessLogger, RecordsChangedReadingsUntilTheBridgeIsPulledThenEndsWithThree)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw3");
    for (const std::uint16_t raw : {1234, 1234, 1240, 1240, 1234})
        BridgeDouble::queueRead(meter, MeterFrame(raw));
    THeadlessLogger& run = MakeLogger();
    ASSERT_TRUE(run.Start());
    EXPECT_TRUE(run.CP21101().Connected());
    EXPECT_TRUE(run.timerDisconectedUSB()->isActive());
    EXPECT_FALSE(run.timerInterval()->isActive());
    DrainReads(meter);

    EXPECT_EQ(MainValues(), (std::vector<std::string>{"1.234", "1.240", "1.234"}));
    EXPECT_FALSE(ended.has_value());

    BridgeDouble::removeDevice(meter);
    run.CP21101().HandleDeviceChange(DBT_DEVICEREMOVECOMPLETE, QStringLiteral("/dev/hidraw3"));
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, LoggerExit::NoBridge);
    EXPECT_EQ(ended->second, NoDeviceMessage);
    EXPECT_FALSE(run.CP21101().Connected());
    EXPECT_EQ(BridgeDouble::openHandles(), 0);

    const auto records = Records();
    ASSERT_EQ(records.size(), 4u);
    EXPECT_EQ(records[0].size(), 12u);
    for (std::size_t i = 1; i < records.size(); ++i) {
        ASSERT_EQ(records[i].size(), 12u);
        EXPECT_EQ(records[i][0], std::to_string(i));
        EXPECT_EQ(records[i][2], "Cs");
        EXPECT_EQ(records[i][8], "1KHz");
        EXPECT_FALSE(records[i][9].empty());
        EXPECT_EQ(records[i][11], "F");
    }
    EXPECT_EQ(records[2][10], "0.00000000124");
}

TEST_F(HeadlessLogger, SilenceForTheWatchdogPeriodEndsWithFour)
{
    BridgeDouble::addDevice("a3", "/dev/hidraw3");
    THeadlessLogger& run = MakeLogger();
    ASSERT_TRUE(run.Start());
    EXPECT_EQ(run.timerDisconectedUSB()->interval(), 10000);
    Fire(*run.timerDisconectedUSB());

    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, LoggerExit::LinkSilent);
    EXPECT_EQ(ended->second, CableMessage);
    EXPECT_FALSE(run.CP21101().Connected());
    EXPECT_FALSE(run.timerDisconectedUSB()->isActive());
    EXPECT_EQ(Records().size(), 1u);  // the header
}

TEST_F(HeadlessLogger, NoBridgeEndsWithThreeBeforeOpeningAnything)
{
    THeadlessLogger& run = MakeLogger();
    EXPECT_FALSE(run.Start());
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, LoggerExit::NoBridge);
    EXPECT_EQ(BridgeDouble::calls("HidUart_Open"), 0u);
}

TEST_F(HeadlessLogger, ABridgeThatRefusesThisUserEndsWithThreeNamingTheFix)
{
    BridgeDouble::setOpenStatus(BridgeDouble::addDevice("a3", "/dev/hidraw3"), BridgeStatusPermissionDenied);
    THeadlessLogger& run = MakeLogger();
    EXPECT_FALSE(run.Start());
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, LoggerExit::NoBridge);
    EXPECT_EQ(ended->second, NoPermissionMessage("/dev/hidraw3", UdevRuleInstalled("/dev/hidraw3")));
}

TEST_F(HeadlessLogger, WithAnIntervalTheFirstReadingAfterEachTickIsRecordedChangedOrNot)
{
    const int meter = BridgeDouble::addDevice("a3", "/dev/hidraw3");
    THeadlessLogger& run = MakeLogger(5);
    ASSERT_TRUE(run.Start());
    EXPECT_TRUE(run.timerInterval()->isActive());
    EXPECT_EQ(run.timerInterval()->interval(), 5000);

    BridgeDouble::queueRead(meter, MeterFrame(1234));
    DrainReads(meter);
    EXPECT_TRUE(MainValues().empty()) << "no tick yet";

    Fire(*run.timerInterval());
    for (const std::uint16_t raw : {1234, 1234, 1250})
        BridgeDouble::queueRead(meter, MeterFrame(raw));
    DrainReads(meter);
    Fire(*run.timerInterval());
    BridgeDouble::queueRead(meter, MeterFrame(1250));
    DrainReads(meter);
    EXPECT_EQ(MainValues(), (std::vector<std::string>{"1.234", "1.250"}));

    run.Stop();
    ASSERT_TRUE(ended.has_value());
    EXPECT_EQ(ended->first, LoggerExit::Interrupted);
    EXPECT_TRUE(ended->second.isEmpty());
    EXPECT_FALSE(run.timerInterval()->isActive());
    EXPECT_EQ(BridgeDouble::openHandles(), 0);
}

TEST_F(HeadlessLogger, AppendingToALogKeepsItsHeaderSingle)
{
    {
        TCsvLog first;
        ASSERT_TRUE(first.Open(path, TCsvWriter::HeaderLine()));
        ASSERT_TRUE(first.WriteLine("1,a\r\n"));
    }
    ASSERT_TRUE(log.Open(path, TCsvWriter::HeaderLine()));
    ASSERT_TRUE(log.WriteLine("2,b\r\n"));
    log.Close();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), TCsvWriter::HeaderLine() + "1,a\r\n2,b\r\n");

    TCsvLog nowhere;
    EXPECT_FALSE(nowhere.Open(dir.filePath("missing/log.csv"), TCsvWriter::HeaderLine()));
    EXPECT_TRUE(nowhere.Error().startsWith("cannot open " + dir.filePath("missing/log.csv")));
}

TEST_F(HeadlessLogger, AppendingAfterAnUnfinishedLineStartsANewOneAndNumberingGoesOn)
{
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray::fromStdString(TCsvWriter::HeaderLine()) + "1,a\r\n7,b\r\n8,c");
    }
    ASSERT_TRUE(log.Open(path, TCsvWriter::HeaderLine()));
    EXPECT_EQ(log.LastRecordNumber(), 7);
    ASSERT_TRUE(log.WriteLine("8,x\r\n"));
    log.Close();
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll().toStdString(), TCsvWriter::HeaderLine() + "1,a\r\n7,b\r\n8,c\r\n8,x\r\n");

    TCsvLog fresh;
    ASSERT_TRUE(fresh.Open(dir.filePath("fresh.csv"), TCsvWriter::HeaderLine()));
    EXPECT_EQ(fresh.LastRecordNumber(), 0);
}

}  // namespace
}  // namespace korvex
