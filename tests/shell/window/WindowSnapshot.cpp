// Builds the main window, feeds it meter frames through the decoder and saves a picture of it.
//   korvex_window_snapshot <window.png> [payload-hex ...]   (default payload: the worked example)
//   korvex_window_snapshot --sheet <sheet.png>              (tool bar pictures, icon and panel pictures)
//   korvex_window_snapshot --live <window.png> <seconds>    (clicks "Connection", runs, then takes the picture;
//                                                             run from build/demo for the simulated meter)
//   korvex_window_snapshot --view grid|chart <view.png> <seconds>
//                                                            (as --live, then opens that full-window view and
//                                                             takes its picture a little later)
//   korvex_window_snapshot --print <preview.png> <report.pdf> <rows>  (records that many readings, clicks
//                                                             Print, saves the report as PDF and a picture of
//                                                             the preview)
//   korvex_window_snapshot --stats <both.png> <seconds> <nominal> <tolerance>
//                                                            (as --live with the statistics window open and
//                                                             that check entered; the picture shows both
//                                                             windows side by side)
#include <QApplication>
#include <QEventLoop>
#include <QPainter>
#include <QScreen>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <QLineEdit>
#include <QToolButton>
#include <QStringList>
#include <cstdio>
#include <string>
#include <vector>

#include "display/DisplayPictures.h"
#include "links/uCP2110.h"
#include "records/ui/RecordReport.h"
#include "records/ui/StatisticsWindow.h"
#include "report/PdfExport.h"
#include "report/ReportPreview.h"
#include "shell/ImageList.h"
#include "shell/uMySuper.h"
#include "shell/ufrmMain.h"

namespace {

std::vector<char> FrameBytes(const std::string& payloadHex)
{
    std::vector<char> bytes = {0x00, 0x0D};
    for (std::size_t i = 0; i + 1 < payloadHex.size(); i += 2)
        bytes.push_back(static_cast<char>(std::stoi(payloadHex.substr(i, 2), nullptr, 16)));
    bytes.push_back(0x0D);
    bytes.push_back(0x0A);
    return bytes;
}

QImage PictureSheet()
{
    const int zoom = 4;
    QImage sheet(16 * 72 + 20, 330, QImage::Format_ARGB32);
    sheet.fill(QColor(212, 208, 200));
    QPainter p(&sheet);
    for (int i = 0; i < korvex::ToolImageCount; ++i) {
        const int x = 10 + i * 40;
        p.drawPixmap(x, 10, korvex::PaintToolImage(i, 16));
        p.drawPixmap(x, 34, korvex::PaintToolImage(i, 32));
        p.drawText(x, 82, QString::number(i));
    }
    // The 16-pixel pictures magnified pixel for pixel, to judge their crispness.
    for (int i = 0; i < korvex::ToolImageCount; ++i)
        p.drawPixmap(10 + i * 72, 250, korvex::PaintToolImage(i, 16).scaled(64, 64));
    const QIcon icon = korvex::ApplicationIcon();
    p.drawPixmap(600, 100, icon.pixmap(16).scaled(64, 64));
    p.drawPixmap(10, 100, icon.pixmap(16));
    p.drawPixmap(34, 100, icon.pixmap(32));
    p.drawPixmap(80, 100, icon.pixmap(32).scaled(64, 64));
    p.drawPixmap(170, 100, korvex::BatteryOutlinePicture().scaled(16 * zoom, 16 * zoom));
    p.drawPixmap(260, 100, korvex::ConnectionPicture(false).scaled(25 * zoom, 24 * zoom));
    p.drawPixmap(380, 100, korvex::ConnectionPicture(true).scaled(25 * zoom, 24 * zoom));
    return sheet;
}

// Records `rows` readings of moving values, then prints: the report goes to a PDF and the preview, once up,
// to a picture.
int PrintPreviewPictures(const QString& picture, const QString& pdf, int rows)
{
    korvex::TfrmMain window;
    window.show();
    for (int i = 0; i < rows; ++i) {
        char payload[32];
        std::snprintf(payload, sizeof payload, "00580002%04X530001%04X0300", 1000 + i * 37, 10 + i % 40);
        const std::vector<char> frame = FrameBytes(payload);
        window.Decoder().CP21101ReceiveData(frame.data(), static_cast<std::uint32_t>(frame.size()));
    }
    bool saved = false;
    window.frxReport1().SetPreview([&](korvex::TReport& report, QWidget* owner) {
        korvex::ExportPdf(report, pdf);
        QTimer::singleShot(1500, [&] {
            if (auto* preview = qobject_cast<korvex::TReportPreview*>(QApplication::activeModalWidget())) {
                saved = preview->grab().save(picture);
                preview->accept();
            }
        });
        korvex::ShowPreview(report, owner);
    });
    window.btnRecordPrintClick();
    return saved ? 0 : 1;
}

// Runs on the meter with the statistics window open and the check entered, then draws both windows side by
// side on the desktop's colour (without a window manager they would overlap).
int StatisticsPicture(const QString& picture, int seconds, const QString& nominal, const QString& tolerance)
{
    // The window's remembered place and entries are the user's: the picture neither takes nor changes them.
    QTemporaryDir settings;
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, settings.path());
    korvex::TfrmMain window;
    window.show();
    window.btnConnect()->click();
    window.btnRecordStatistics()->click();
    korvex::TStatisticsWindow* statistics = window.frmStatistics();
    statistics->edtNominal()->setText(nominal);
    statistics->edtTolerance()->setText(tolerance);
    statistics->resize(statistics->width(), window.height());
    QEventLoop running;
    QTimer::singleShot(seconds * 1000, &running, &QEventLoop::quit);
    running.exec();
    statistics->Refresh();
    const QPixmap main = window.grab();
    const QPixmap beside = statistics->grab();
    window.CP21101().Disconnect();
    const int gap = 12;
    QImage both(main.width() + gap + beside.width(), std::max(main.height(), beside.height()), QImage::Format_RGB32);
    both.fill(QColor(58, 110, 165));
    QPainter p(&both);
    p.drawPixmap(0, 0, main);
    p.drawPixmap(main.width() + gap, 0, beside);
    p.end();
    return both.save(picture) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() >= 3 && args[1] == QLatin1String("--sheet"))
        return PictureSheet().save(args[2]) ? 0 : 1;
    if (args.size() >= 5 && args[1] == QLatin1String("--print"))
        return PrintPreviewPictures(args[2], args[3], args[4].toInt());
    if (args.size() >= 6 && args[1] == QLatin1String("--stats"))
        return StatisticsPicture(args[2], args[3].toInt(), args[4], args[5]);
    if (args.size() >= 4 && args[1] == QLatin1String("--live")) {
        korvex::TfrmMain window;
        window.show();
        window.btnConnect()->click();
        // A local loop: quitting the application would close the window and ask the quit question.
        QEventLoop running;
        QTimer::singleShot(args[3].toInt() * 1000, &running, &QEventLoop::quit);
        running.exec();
        const bool saved = window.grab().save(args[2]);
        window.CP21101().Disconnect();
        return saved ? 0 : 1;
    }
    if (args.size() >= 5 && args[1] == QLatin1String("--view")) {
        korvex::TfrmMain window;
        window.show();
        window.btnConnect()->click();
        QToolButton* open = args[2] == QLatin1String("chart") ? window.btnFly() : window.btnRecordFly();
        bool saved = false;
        QEventLoop running;
        QTimer::singleShot(args[4].toInt() * 1000, &running, [&] {
            QTimer::singleShot(0, [] {
                // Without a window manager nothing maximises the container: give it the screen.
                if (korvex::TfrmSuperContainer* container = korvex::frmSuperContainer())
                    container->setGeometry(container->screen()->availableGeometry());
            });
            QTimer::singleShot(2000, [&] {
                if (korvex::TfrmSuperContainer* container = korvex::frmSuperContainer()) {
                    saved = container->grab().save(args[3]);
                    container->close();
                }
            });
            open->click();
            running.quit();
        });
        running.exec();
        window.CP21101().Disconnect();
        return saved ? 0 : 1;
    }
    if (args.size() < 2) {
        std::fprintf(stderr, "usage: %s <window.png> [payload-hex ...] | --sheet <sheet.png>\n", argv[0]);
        return 2;
    }

    korvex::TfrmMain window;
    window.show();
    QStringList payloads = args.mid(2);
    if (payloads.isEmpty())
        payloads << QStringLiteral("0058000204D2530001000C0300");
    for (const QString& payload : payloads) {
        const std::vector<char> frame = FrameBytes(payload.toStdString());
        window.Decoder().CP21101ReceiveData(frame.data(), static_cast<std::uint32_t>(frame.size()));
    }
    QApplication::processEvents();
    return window.grab().save(args[1]) ? 0 : 1;
}
