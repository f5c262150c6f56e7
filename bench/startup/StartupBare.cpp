// A plain QMainWindow of the main window's client size that ends once it is first painted: what starting
// any Qt program with such a window costs, against which startup-bench sets the program's own start.
#include <QApplication>
#include <QMainWindow>

#include "shell/QuitOnFirstPaint.h"

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(932, 631);
    korvex::QuitOnFirstPaint(window);
    window.show();
    return app.exec();
}
