#include <QCoreApplication>
#include <QTimer>
#include <cstdio>

#include "links/BridgeLibrary.h"
#include "shell/BundledFonts.h"
#include "shell/CallerConsole.h"
#include "shell/CommandLine.h"
#include "shell/FontConfigWarmUp.h"
#include "shell/ImageList.h"
#include "shell/KorvexApplication.h"
#include "shell/ListDevices.h"
#include "shell/QuitOnFirstPaint.h"
#include "shell/LoggerRun.h"
#include "shell/ufrmMain.h"

namespace {

// A core application is enough to find the program's own folder, so the listing needs no display.
int PrintDeviceListing(int& argc, char** argv)
{
    QCoreApplication core(argc, argv);
    const korvex::DeviceListing listing = korvex::ListDevices(korvex::BridgeLibrary::defaultPath());
    std::fputs(listing.text.toLocal8Bit().constData(), stdout);
    return listing.exitStatus;
}

}  // namespace

int main(int argc, char** argv)
{
    korvex::AttachCallerConsole();
    const korvex::CommandLine commandLine = korvex::ParseCommandLine(korvex::CommandLineArguments(argc, argv));
    switch (commandLine.action) {
    case korvex::CommandLine::Action::ShowHelp:
    case korvex::CommandLine::Action::ShowVersion:
        std::fputs(commandLine.output.toLocal8Bit().constData(), stdout);
        return 0;
    case korvex::CommandLine::Action::Fail:
        std::fputs(commandLine.output.toLocal8Bit().constData(), stderr);
        return 2;
    case korvex::CommandLine::Action::ListDevices:
        return PrintDeviceListing(argc, argv);
    case korvex::CommandLine::Action::Run:
        break;
    }
    // The logger runs without a window, so it needs no display.
    if (commandLine.logFile)
        return korvex::RunHeadlessLogger(argc, argv, commandLine);

    korvex::TFontConfigWarmUp fontConfiguration;
    korvex::KorvexApplication app(argc, argv);
    fontConfiguration.Join();
    korvex::LoadBundledFonts(QCoreApplication::applicationDirPath() + QStringLiteral("/fonts"));
    // Lets a Wayland desktop match the window to the launcher entry and its icon.
    app.setDesktopFileName(QStringLiteral("korvex-lcr"));
    korvex::TfrmMain frmMain;
    frmMain.show();
    // The window's icon for every other window too, read once. Only once the window is shown: a window
    // created while the application has an icon is handed that first and its own icon after it.
    app.setWindowIcon(frmMain.windowIcon());
    // The start-up benchmark times the start to the window's first painting, then ends the program.
    if (qEnvironmentVariableIsSet("KORVEX_QUIT_WHEN_SHOWN"))
        korvex::QuitOnFirstPaint(frmMain);
    if (commandLine.serialPort) {
        // Once the loop runs, so a failure's message box comes up over the window.
        QTimer::singleShot(0, &frmMain, [&frmMain, port = *commandLine.serialPort] { frmMain.OpenSerialLink(port); });
    }
    return app.exec();
}
