#include "shell/KorvexApplication.h"

#include <stdexcept>

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
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
    return false;
}

}  // namespace korvex
