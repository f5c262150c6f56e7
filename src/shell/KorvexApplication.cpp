#include "shell/KorvexApplication.h"

#include "widgets/ErrorReport.h"

namespace korvex {

KorvexApplication::KorvexApplication(int& argc, char** argv)
    : QApplication(argc, argv)
{
}

bool KorvexApplication::notify(QObject* receiver, QEvent* event)
{
    try {
        return QApplication::notify(receiver, event);
    } catch (...) {
        // The last resort: handlers catch their own errors before they reach Qt's frames.
        ReportCurrentException();
    }
    return false;
}

}  // namespace korvex
