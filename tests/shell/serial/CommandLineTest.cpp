#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QThread>

#include <functional>
#include <vector>

#include "links/serial/PtyPair.h"
#include "shell/CommandLine.h"
#include "shell/ufrmMain.h"

namespace korvex::testing {
namespace {

using Action = CommandLine::Action;

CommandLine Parse(QStringList arguments)
{
    arguments.prepend(QStringLiteral("/usr/bin/korvex-lcr"));
    return ParseCommandLine(arguments);
}

TEST(CommandLineOptions, EachCommandLineGivesItsActionAndOptions)
{
    const struct {
        QStringList arguments;
        Action action;
        std::optional<QString> serialPort;
    } cases[] = {
        {{}, Action::Run, std::nullopt},
        {{"--serial", "COM3"}, Action::Run, QStringLiteral("COM3")},
        {{"--serial=/dev/ttyUSB0"}, Action::Run, QStringLiteral("/dev/ttyUSB0")},
        {{"--serial", "ttyUSB0", "--serial", "ttyUSB1"}, Action::Run, QStringLiteral("ttyUSB1")},
        {{"--help"}, Action::ShowHelp, std::nullopt},
        // Qt's own options, as a session manager restarts the program, go to the application object.
        {{"-session", "10d2a7c7b9000", "--serial", "COM3"}, Action::Run, QStringLiteral("COM3")},
        {{"-platform", "offscreen", "-style=fusion", "-reverse", "--display", ":1"}, Action::Run, std::nullopt},
        {{"--platform", "xcb", "-qwindowtitle", "Bench"}, Action::Run, std::nullopt},
        {{"-h", "--serial", "COM3"}, Action::ShowHelp, std::nullopt},
        {{"--version"}, Action::ShowVersion, std::nullopt},
        {{"-v"}, Action::ShowVersion, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine parsed = Parse(c.arguments);
        EXPECT_EQ(parsed.action, c.action);
        EXPECT_EQ(parsed.serialPort, c.serialPort);
    }
}

TEST(CommandLineOptions, HelpAndVersionTexts)
{
    EXPECT_EQ(Parse({"--version"}).output, "Korvex v1.01\n");
    const QString help = Parse({"--help"}).output;
    EXPECT_TRUE(help.startsWith("Usage: korvex-lcr [options]\n")) << help.toStdString();
    for (const char* option : {"-h, --help", "-v, --version", "--serial <port>"})
        EXPECT_TRUE(help.contains(QLatin1String(option))) << option;
    for (const QString& line : help.split('\n'))
        EXPECT_LE(line.size(), 79) << line.toStdString();
}

TEST(CommandLineOptions, AWrongCommandLineFailsSayingWhatIsWrong)
{
    const struct {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"--serial"}, "Missing value after '--serial'."},
        {{"--bogus"}, "Unknown option 'bogus'."},
        {{"stray"}, "Unexpected argument 'stray'."},
        {{"--serial", "COM3", "stray"}, "Unexpected argument 'stray'."},
        {{"--log", "run.csv", "--serial", "COM3"}, "--serial does not go with --log."},
        {{"--serial", ""}, "--serial needs a port, such as COM1 or /dev/ttyUSB0."},
    };
    for (const auto& c : cases) {
        const CommandLine parsed = Parse(c.arguments);
        EXPECT_EQ(parsed.action, Action::Fail) << c.error;
        EXPECT_EQ(parsed.output, QStringLiteral("korvex-lcr: %1\nTry 'korvex-lcr --help' for the options.\n")
                                     .arg(QLatin1String(c.error)));
    }
}

TEST(CommandLineOptions, TheVersionIsTheWindowTitle)
{
    TfrmMain window;
    EXPECT_EQ(Parse({"--version"}).output, window.windowTitle() + "\n");
}

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the program without any display or platform choice: what it prints must not need one.
Outcome RunWithoutDisplay(const QStringList& arguments)
{
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QLatin1String(name));
    program.setProcessEnvironment(environment);
    program.start(QStringLiteral(KORVEX_LCR_EXECUTABLE), arguments);
    if (!program.waitForFinished(30000)) {
        program.kill();
        program.waitForFinished();
        return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAllStandardOutput()),
            QString::fromLocal8Bit(program.readAllStandardError())};
}

TEST(CommandLineProgram, PrintsHelpVersionAndErrorsAndEnds)
{
    const Outcome version = RunWithoutDisplay({"--version"});
    EXPECT_EQ(version.exitCode, 0);
    EXPECT_EQ(version.out, "Korvex v1.01\n");

    const Outcome help = RunWithoutDisplay({"--help"});
    EXPECT_EQ(help.exitCode, 0);
    EXPECT_EQ(help.out, Parse({"--help"}).output);

    const Outcome wrong = RunWithoutDisplay({"--bogus"});
    EXPECT_EQ(wrong.exitCode, 2);
    EXPECT_EQ(wrong.out, "");
    EXPECT_TRUE(wrong.err.contains("Unknown option 'bogus'.")) << wrong.err.toStdString();
}

bool WaitUntil(const std::function<bool()>& condition, int timeoutMs)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QThread::msleep(10);
    }
    return true;
}

TEST(CommandLineProgram, SerialOpensThePortAtStartAndSurvivesTheFarEndHangingUp)
{
    PtyPair pty;
    ASSERT_TRUE(pty.ok());
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    program.setProcessEnvironment(environment);
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(KORVEX_LCR_EXECUTABLE), {QStringLiteral("--serial"), pty.path()});
    ASSERT_TRUE(program.waitForStarted(30000));
    const long pid = static_cast<long>(program.processId());

    EXPECT_TRUE(WaitUntil([&] { return pty.heldBy(pid); }, 30000));
    const std::vector<std::uint8_t> frame = {0x00, 0x0D, 0x00, 0x58, 0x00, 0x02, 0x04, 0xD2, 0x53,
                                             0x00, 0x01, 0x00, 0x0C, 0x03, 0x00, 0x0D, 0x0A};
    for (int i = 0; i < 3; ++i) {
        pty.write(frame);
        QThread::msleep(150);
    }
    EXPECT_EQ(program.state(), QProcess::Running);
    pty.hangUp();
    // The program lets the device go and goes on running.
    EXPECT_TRUE(WaitUntil([&] { return !pty.heldBy(pid); }, 10000));
    QThread::msleep(200);
    EXPECT_EQ(program.state(), QProcess::Running);

    program.kill();
    program.waitForFinished(10000);
}

}  // namespace
}  // namespace korvex::testing
