#include "shell/KorvexApplication.h"

#include <QAbstractButton>
#include <QMessageBox>
#include <stdexcept>

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

void KorvexApplication::ReportException(const std::exception& error)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("OK"));
    box.exec();
}

}  // namespace korvex
