#include "shell/CommandLine.h"

#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QFileInfo>
#include <QList>
#include <algorithm>

namespace korvex {
namespace {

const QString VersionText = QStringLiteral("Korvex v1.01");
const QString Description = QStringLiteral("Companion program of the Korvex handheld LCR meter.");

// The sampling period's bounds, as the window's sampling interval box takes them.
constexpr std::int64_t MinEverySeconds = 1;
constexpr std::int64_t MaxEverySeconds = 99999999;

QCommandLineOption HelpOption()
{
    return QCommandLineOption({QStringLiteral("h"), QStringLiteral("help")},
                              QStringLiteral("Displays help on command line options."));
}

QCommandLineOption VersionOption()
{
    return QCommandLineOption({QStringLiteral("v"), QStringLiteral("version")},
                              QStringLiteral("Displays version information."));
}

QCommandLineOption LogOption()
{
    return QCommandLineOption(
        QStringLiteral("log"),
        QStringLiteral("Runs without a window: connects to the first bridge and appends one CSV line per recorded "
                       "reading to <file> (\"-\" for standard output), a reading being recorded when its main "
                       "text changes. Ends on SIGINT or SIGTERM (exit code 0), when no bridge is there or it is "
                       "pulled out (3), or when the meter stays silent for 10 s (4)."),
        QStringLiteral("file"));
}

QCommandLineOption EveryOption()
{
    return QCommandLineOption(QStringLiteral("every"),
                              QStringLiteral("With --log: records the first reading of every period of <seconds> "
                                             "(a whole number from 1 to 99999999) instead."),
                              QStringLiteral("seconds"));
}

QCommandLineOption SerialOption()
{
    return QCommandLineOption(QStringLiteral("serial"),
                              QStringLiteral("Opens the serial link on <port> once the window is up: COMn for the n-th "
                                             "serial port (/dev/ttyS(n-1)), or a device name or path such as "
                                             "ttyUSB0 or /dev/ttyUSB0."),
                              QStringLiteral("port"));
}

QCommandLineOption ListDevicesOption()
{
    return QCommandLineOption(QStringLiteral("list-devices"),
                              QStringLiteral("Prints each attached meter cable (CP2110 USB bridge): its serial "
                                             "number, its device node and whether this user can open it; then "
                                             "ends. Needs no display."));
}

// Every option, in the order the help lists them.
QList<QCommandLineOption> Options()
{
    return {HelpOption(), VersionOption(), LogOption(), EveryOption(), SerialOption(), ListDevicesOption()};
}

QString OptionSyntax(const QCommandLineOption& option)
{
    QStringList names;
    for (const QString& name : option.names())
        names << (name.size() == 1 ? QStringLiteral("-") : QStringLiteral("--")) + name;
    QString syntax = names.join(QStringLiteral(", "));
    if (!option.valueName().isEmpty())
        syntax += QStringLiteral(" <%1>").arg(option.valueName());
    return syntax;
}

// Descriptions start in one column and wrap at word breaks before it reaches 79 characters.
QString HelpText(const QString& program)
{
    const QList<QCommandLineOption> options = Options();
    qsizetype width = 0;
    for (const QCommandLineOption& option : options)
        width = std::max(width, OptionSyntax(option).size());
    const qsizetype column = 2 + width + 2;
    constexpr qsizetype LineWidth = 79;

    QString text = QStringLiteral("Usage: %1 [options]\n%2\n\nOptions:\n").arg(program, Description);
    for (const QCommandLineOption& option : options) {
        QString line = QStringLiteral("  ") + OptionSyntax(option).leftJustified(width) + QStringLiteral("  ");
        for (const QString& word : option.description().split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            if (line.size() > column && line.size() + 1 + word.size() > LineWidth) {
                text += line + QLatin1Char('\n');
                line = QString(column, QLatin1Char(' '));
            } else if (line.size() > column) {
                line += QLatin1Char(' ');
            }
            line += word;
        }
        text += line + QLatin1Char('\n');
    }
    return text;
}

CommandLine Failure(const QString& program, const QString& error)
{
    CommandLine result;
    result.action = CommandLine::Action::Fail;
    result.output = QStringLiteral("%1: %2\nTry '%1 --help' for the options.\n").arg(program, error);
    return result;
}

// The options Qt's application objects take for themselves (with one dash or two, a value after them or
// after "="), such as the session manager's -session when it restores a desktop session.
QStringList WithoutQtOptions(const QStringList& arguments)
{
    static const QStringList withValue = {
        QStringLiteral("platform"), QStringLiteral("platformpluginpath"), QStringLiteral("platformtheme"),
        QStringLiteral("plugin"), QStringLiteral("qwindowgeometry"), QStringLiteral("geometry"),
        QStringLiteral("qwindowicon"), QStringLiteral("icon"), QStringLiteral("qwindowtitle"), QStringLiteral("title"),
        QStringLiteral("session"), QStringLiteral("display"), QStringLiteral("name"), QStringLiteral("style"),
        QStringLiteral("stylesheet"), QStringLiteral("qmljsdebugger")};
    static const QStringList alone = {QStringLiteral("reverse"), QStringLiteral("widgetcount"),
                                      QStringLiteral("nograb"), QStringLiteral("dograb"), QStringLiteral("sync")};
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith(QLatin1Char('-'))) {
            kept << argument;
            continue;
        }
        QString name = argument.mid(argument.startsWith(QLatin1String("--")) ? 2 : 1);
        const bool valueJoined = name.contains(QLatin1Char('='));
        name = name.section(QLatin1Char('='), 0, 0);
        if (alone.contains(name))
            continue;
        if (withValue.contains(name)) {
            if (!valueJoined)
                ++i;
            continue;
        }
        kept << argument;
    }
    return kept;
}

}  // namespace

CommandLine ParseCommandLine(const QStringList& givenArguments)
{
    const QStringList arguments = WithoutQtOptions(givenArguments);
    const QString program =
        arguments.isEmpty() ? QStringLiteral("korvex-lcr") : QFileInfo(arguments.first()).fileName();
    QCommandLineParser parser;
    parser.addOptions(Options());
    if (!parser.parse(arguments))
        return Failure(program, parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return Failure(program, QStringLiteral("Unexpected argument '%1'.").arg(parser.positionalArguments().first()));

    CommandLine result;
    if (parser.isSet(HelpOption())) {
        result.action = CommandLine::Action::ShowHelp;
        result.output = HelpText(program);
        return result;
    }
    if (parser.isSet(VersionOption())) {
        result.action = CommandLine::Action::ShowVersion;
        result.output = VersionText + QLatin1Char('\n');
        return result;
    }
    if (parser.isSet(ListDevicesOption())) {
        if (parser.isSet(LogOption()) || parser.isSet(EveryOption()) || parser.isSet(SerialOption()))
            return Failure(program, QStringLiteral("--list-devices goes alone."));
        result.action = CommandLine::Action::ListDevices;
        return result;
    }
    if (parser.isSet(LogOption())) {
        result.logFile = parser.value(LogOption());
        if (result.logFile->isEmpty())
            return Failure(program, QStringLiteral("--log needs a file name, or \"-\" for standard output."));
    }
    if (parser.isSet(EveryOption())) {
        if (!result.logFile)
            return Failure(program, QStringLiteral("--every goes with --log."));
        const QString text = parser.value(EveryOption());
        bool whole = false;
        const qlonglong seconds = text.toLongLong(&whole);
        const bool digitsOnly = std::all_of(text.begin(), text.end(), [](QChar c) { return c.isDigit(); });
        if (!whole || !digitsOnly || seconds < MinEverySeconds || seconds > MaxEverySeconds)
            return Failure(program, QStringLiteral("--every takes whole seconds from 1 to 99999999, not '%1'.").arg(text));
        result.everySeconds = seconds;
    }
    if (parser.isSet(SerialOption())) {
        // The logger reads the bridge and has no window to open the serial link in.
        if (result.logFile)
            return Failure(program, QStringLiteral("--serial does not go with --log."));
        result.serialPort = parser.value(SerialOption());
        if (result.serialPort->isEmpty())
            return Failure(program, QStringLiteral("--serial needs a port, such as COM1 or /dev/ttyUSB0."));
    }
    return result;
}

QStringList CommandLineArguments(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    return arguments;
}

}  // namespace korvex
