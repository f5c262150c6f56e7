#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <gtest/gtest.h>
#include <ostream>
#include <set>
#include <string>

#include "records/files/CsvReader.h"

namespace korvex {
namespace {

// The environment of a machine with no screen: no X or Wayland display and no Qt platform chosen, so a
// program that made a QApplication would fail to start.
QProcessEnvironment Headless()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(name);
    return environment;
}

struct Run {
    const char* name;
    const char* target;  // a file name in the temporary folder, or "-"
    int signal;
};

void PrintTo(const Run& run, std::ostream* out)
{
    *out << run.name;
}

class LoggerProcess : public ::testing::TestWithParam<Run> {};

// The simulated meter streams about two frames a second; the logger runs until it has recorded a few
// readings, then gets the signal and must leave whole lines, each a reading, the readings moving.
TEST_P(LoggerProcess, LogsTheSimulatedMeterWithoutADisplayUntilSignalled)
{
    QTemporaryDir dir;
    const bool toStdout = QString(GetParam().target) == "-";
    const QString path = dir.filePath(GetParam().target);
    QProcess program;
    program.setProcessEnvironment(Headless());
    program.start(KORVEX_DEMO_PROGRAM, {"--log", toStdout ? "-" : path});
    ASSERT_TRUE(program.waitForStarted());

    QByteArray bytes;
    const auto lines = [&] {
        if (toStdout)
            bytes += program.readAllStandardOutput();
        else if (QFile file(path); file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        return bytes.count("\r\n");
    };
    for (int waited = 0; lines() < 6 && waited < 20000 && program.state() == QProcess::Running; waited += 50)
        program.waitForReadyRead(50);
    ASSERT_EQ(program.state(), QProcess::Running) << program.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(program.processId()), GetParam().signal);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();
    lines();

    const auto records = test::ReadCsv(bytes.toStdString());
    ASSERT_TRUE(records.has_value()) << "not whole CSV lines:\n" << bytes.toStdString();
    ASSERT_GE(records->size(), 6u);
    EXPECT_EQ(records->front().at(0), "NO");
    EXPECT_EQ(records->front().at(11), "main_unit_si");
    const QRegularExpression isoTime("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d[+-]\\d\\d:\\d\\d$");
    const QRegularExpression plainNumber("^-?\\d+(\\.\\d+)?$");
    std::set<std::string> mainValues;
    for (std::size_t i = 1; i < records->size(); ++i) {
        const std::vector<std::string>& record = (*records)[i];
        ASSERT_EQ(record.size(), 12u) << "line " << i;
        EXPECT_EQ(record[0], std::to_string(i));
        EXPECT_TRUE(isoTime.match(QString::fromStdString(record[9])).hasMatch()) << record[9];
        if (!record[10].empty()) {
            EXPECT_TRUE(plainNumber.match(QString::fromStdString(record[10])).hasMatch()) << record[10];
        }
        mainValues.insert(record[3]);
    }
    EXPECT_GE(mainValues.size(), 2u) << "the readings do not move";
}

INSTANTIATE_TEST_SUITE_P(FileAndStandardOutput, LoggerProcess,
                         ::testing::Values(Run{"FileUntilSigint", "log.csv", SIGINT},
                                           Run{"StandardOutputUntilSigterm", "-", SIGTERM}),
                         [](const ::testing::TestParamInfo<Run>& info) { return std::string(info.param.name); });

// As `korvex-lcr --log - | head`: once the reader of standard output has gone, the next line cannot be
// written and the logger ends cleanly instead of dying of SIGPIPE.
TEST(LoggerProcessPipe, EndsCleanlyWhenTheReaderOfStandardOutputGoesAway)
{
    QProcess shell;
    shell.setProcessEnvironment(Headless());
    shell.start("bash", {"-c", "\"$0\" --log - | head -n 3; exit ${PIPESTATUS[0]}", KORVEX_DEMO_PROGRAM});
    ASSERT_TRUE(shell.waitForFinished(20000));
    EXPECT_EQ(shell.readAllStandardOutput().count("\r\n"), 3);
    EXPECT_EQ(shell.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(shell.exitCode(), 0) << "141 is death by SIGPIPE; " << shell.readAllStandardError().toStdString();
}

// A reader that never reads (a full pipe): the logger's write waits, and SIGTERM still ends the run within
// a second, with code 0 and only whole lines written.
TEST(LoggerProcessPipe, ASignalEndsTheRunEvenWhileItsWriteWaitsOnAFullPipe)
{
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath("full"));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    const int reader = ::open(fifo.constData(), O_RDONLY | O_NONBLOCK);
    const int filler = ::open(fifo.constData(), O_WRONLY | O_NONBLOCK);
    ASSERT_GE(reader, 0);
    ASSERT_GE(filler, 0);
    const char block[4096] = {};
    qint64 filled = 0;
    for (ssize_t n; (n = ::write(filler, block, sizeof block)) > 0;)
        filled += n;

    QProcess program;
    program.setProcessEnvironment(Headless());
    program.start(KORVEX_DEMO_PROGRAM, {"--log", dir.filePath("full")});
    ASSERT_TRUE(program.waitForStarted());
    // Long enough to be caught in the write of the header, or of a reading.
    EXPECT_FALSE(program.waitForFinished(1500));
    QElapsedTimer sinceSignal;
    sinceSignal.start();
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    ASSERT_TRUE(program.waitForFinished(5000));
    EXPECT_LT(sinceSignal.elapsed(), 1000);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0) << program.readAllStandardError().toStdString();

    // Whatever reached the pipe after the filler's bytes is whole lines.
    QByteArray written;
    char chunk[4096];
    for (ssize_t n; (n = ::read(reader, chunk, sizeof chunk)) > 0;)
        written.append(chunk, static_cast<qsizetype>(n));
    const QByteArray logged = written.mid(filled);
    EXPECT_TRUE(logged.isEmpty() || logged.endsWith("\r\n")) << logged.toStdString();
    ::close(filler);
    ::close(reader);
}

}  // namespace
}  // namespace korvex
