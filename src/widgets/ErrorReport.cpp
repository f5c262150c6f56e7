#include "widgets/ErrorReport.h"

#include "widgets/TransientParent.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>
#include <stdexcept>

namespace korvex {

void ReportException(const std::exception& error)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("OK"));
    SetTransientParentToActiveWindow(box);
    box.exec();
}

void ReportCurrentException()
{
    try {
        throw;
    } catch (const std::exception& error) {
        ReportException(error);
    } catch (...) {
        ReportException(std::runtime_error("Unknown error"));
    }
}

}  // namespace korvex
