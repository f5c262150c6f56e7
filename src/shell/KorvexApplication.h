#pragma once

#include <QApplication>
#include <exception>

namespace korvex {

// The application object: an exception that escapes an event handler is shown in the standard error
// report and the program goes on.
class KorvexApplication : public QApplication {
    Q_OBJECT

public:
    KorvexApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // The standard error report: a critical message box titled with the application's name showing
    // the error's text, with one OK button (objectName "OK").
    static void ReportException(const std::exception& error);
};

}  // namespace korvex
