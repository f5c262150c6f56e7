#include "shell/LoggerRun.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>
#include <exception>

#include "links/BridgeLibrary.h"
#include "records/CsvLog.h"
#include "records/CsvWriter.h"
#include "shell/HeadlessLogger.h"
#include "shell/StopSignals.h"

namespace korvex {
namespace {

void PrintError(const QString& message)
{
    std::fprintf(stderr, "korvex-lcr: %s\n", message.toLocal8Bit().constData());
}

// An exception that escapes a handler ends the run with a message instead of unwinding through Qt.
class HeadlessApplication : public QCoreApplication {
public:
    using QCoreApplication::QCoreApplication;

    bool notify(QObject* receiver, QEvent* event) override
    {
        try {
            return QCoreApplication::notify(receiver, event);
        } catch (const std::exception& error) {
            PrintError(QString::fromLocal8Bit(error.what()));
        } catch (...) {
            PrintError(QStringLiteral("Unknown error"));
        }
        exit(static_cast<int>(LoggerExit::Failed));
        return false;
    }
};

}  // namespace

int RunHeadlessLogger(int& argc, char** argv, const CommandLine& commandLine)
{
    HeadlessApplication app(argc, argv);
    // The window would show a box for a missing library; with no window the message goes to standard error.
    const QString libraryPath = BridgeLibrary::defaultPath();
    if (!QFileInfo::exists(libraryPath)) {
        PrintError(QStringLiteral("DLL File is not Exists! (%1)").arg(libraryPath));
        return static_cast<int>(LoggerExit::Failed);
    }
    TStopSignals::IgnoreBrokenPipe();

    // Stop requests count from here: one that comes while the header waits on a full pipe ends the run too.
    TStopSignals stopSignals;
    TCsvLog log;
    log.StopRequested = &TStopSignals::Requested;
    if (!log.Open(*commandLine.logFile, TCsvWriter::HeaderLine())) {
        if (log.Interrupted())
            return static_cast<int>(LoggerExit::Interrupted);
        PrintError(log.Error());
        return static_cast<int>(log.BrokenPipe() ? LoggerExit::Interrupted : LoggerExit::Failed);
    }

    int exitCode = static_cast<int>(LoggerExit::Interrupted);
    THeadlessLogger logger(log, libraryPath, commandLine.everySeconds);
    logger.Finished = [&exitCode](LoggerExit code, const QString& message) {
        if (!message.isEmpty())
            PrintError(message);
        exitCode = static_cast<int>(code);
        QCoreApplication::exit(exitCode);
    };
    stopSignals.OnStop = [&logger](int) {
        try {
            logger.Stop();
        } catch (const std::exception& error) {
            PrintError(QString::fromLocal8Bit(error.what()));
            QCoreApplication::exit(static_cast<int>(LoggerExit::Failed));
        }
    };
    if (!logger.Start())
        return exitCode;
    // Finished ends the loop with its code; an exception caught by notify with LoggerExit::Failed.
    return app.exec();
}

}  // namespace korvex
