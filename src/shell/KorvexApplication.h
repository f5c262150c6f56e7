#pragma once

#include <QApplication>

namespace korvex {

// The application object: an exception that escapes an event handler is shown in the standard error
// report and the program goes on.
class KorvexApplication : public QApplication {
    Q_OBJECT

public:
    KorvexApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;
};

}  // namespace korvex
