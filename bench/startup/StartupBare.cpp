// A plain QMainWindow of the main window's client size that ends once it is first painted: what starting
// any Qt program with such a window costs, against which startup-bench sets the program's own start.
// With --fonts the window also shows one short text in each font the program's window shows at the start,
// loaded as the program loads them: what those fonts alone add to any window that shows them.
#include <QApplication>
#include <QFont>
#include <QMainWindow>
#include <QPainter>
#include <cstring>
#include <optional>
#include <vector>

#include "display/ArialFont.h"
#include "display/ReadoutFont.h"
#include "display/WindowFont.h"
#include "shell/FontConfigWarmUp.h"
#include "shell/QuitOnFirstPaint.h"

namespace {

class TFontSamples : public QWidget {
public:
    TFontSamples()
    {
        // The window's, the panel's captions, its readouts, and the application's own (the chart's labels).
        fonts_ = {korvex::WindowFont(), korvex::ArialFont(12, true), korvex::ArialFont(11, false),
                  korvex::ReadoutFont(71), korvex::ReadoutFont(37), QFont()};
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        int y = 0;
        for (const QFont& font : fonts_) {
            painter.setFont(font);
            y += painter.fontMetrics().height();
            painter.drawText(4, y, QStringLiteral("-12.34 Record"));
        }
    }

private:
    std::vector<QFont> fonts_;
};

}  // namespace

int main(int argc, char** argv)
{
    const bool withFonts = argc > 1 && std::strcmp(argv[1], "--fonts") == 0;
    std::optional<korvex::TFontConfigWarmUp> fontConfiguration;
    if (withFonts)
        fontConfiguration.emplace();
    QApplication app(argc, argv);
    if (fontConfiguration)
        fontConfiguration->Join();
    QMainWindow window;
    if (withFonts)
        window.setCentralWidget(new TFontSamples);
    window.resize(932, 631);
    korvex::QuitOnFirstPaint(window);
    window.show();
    return app.exec();
}
