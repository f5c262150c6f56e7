#include <gtest/gtest.h>

#include "shell/CommandLine.h"

namespace korvex {
namespace {

CommandLine Parse(const QStringList& options)
{
    return ParseCommandLine(QStringList{"korvex-lcr"} + options);
}

TEST(LoggerCommandLine, LogAndEveryAreReadAndCheckedAsTheSamplingBoxChecksItsPeriod)
{
    const CommandLine window = Parse({});
    EXPECT_EQ(window.action, CommandLine::Action::Run);
    EXPECT_FALSE(window.logFile.has_value());

    const CommandLine toStdout = Parse({"--log", "-"});
    EXPECT_EQ(toStdout.action, CommandLine::Action::Run);
    EXPECT_EQ(toStdout.logFile, "-");
    EXPECT_FALSE(toStdout.everySeconds.has_value());

    const CommandLine every = Parse({"--log", "run.csv", "--every", "99999999"});
    EXPECT_EQ(every.action, CommandLine::Action::Run);
    EXPECT_EQ(every.logFile, "run.csv");
    EXPECT_EQ(every.everySeconds, 99999999);

    struct Bad {
        QStringList options;
        const char* says;
    };
    const Bad bad[] = {
        {{"--every", "5"}, "--every goes with --log"},
        {{"--log", "a.csv", "--every", "0"}, "not '0'"},
        {{"--log", "a.csv", "--every", "100000000"}, "not '100000000'"},
        {{"--log", "a.csv", "--every", "1.5"}, "not '1.5'"},
        {{"--log", "a.csv", "--every", "+5"}, "not '+5'"},
        {{"--log", "a.csv", "--every", ""}, "not ''"},
        {{"--log", ""}, "--log needs a file name"},
        {{"--log"}, "Missing value after '--log'"},
    };
    for (const Bad& b : bad) {
        const CommandLine result = Parse(b.options);
        EXPECT_EQ(result.action, CommandLine::Action::Fail) << b.options.join(' ').toStdString();
        EXPECT_TRUE(result.output.contains(b.says)) << result.output.toStdString();
    }

    const CommandLine help = Parse({"--help"});
    EXPECT_EQ(help.action, CommandLine::Action::ShowHelp);
    EXPECT_TRUE(help.output.contains("--log <file>")) << help.output.toStdString();
    EXPECT_TRUE(help.output.contains("--every <seconds>")) << help.output.toStdString();
}

}  // namespace
}  // namespace korvex
