#pragma once

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>

namespace korvex {

// What the command line asks for: one field for each option, read by main(), which acts on them.
struct CommandLine {
    enum class Action : std::uint8_t {
        Run,          // start the program
        ShowHelp,     // print output on standard output and end with success
        ShowVersion,  // print output on standard output and end with success
        Fail,         // print output on standard error and end with failure
        ListDevices,  // print the attached meter cables and end
    };

    Action action = Action::Run;
    // The text to print for every action but Run.
    QString output;
    // --log FILE: log the readings to FILE ("-" for standard output) without a window.
    std::optional<QString> logFile;
    // --every SECONDS: with --log, record one reading per period instead of every change.
    std::optional<std::int64_t> everySeconds;
    // --serial PORT: open the serial link on PORT once the window is up.
    std::optional<QString> serialPort;
};

// Parses the whole command line, program name first, past the options Qt's application object takes for
// itself (-session, -platform, -style, -reverse, --display, ...). Needs no application object, so help,
// version and errors are printed without a display.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments as main() received them, in the system's 8-bit encoding.
QStringList CommandLineArguments(int argc, char** argv);

}  // namespace korvex
