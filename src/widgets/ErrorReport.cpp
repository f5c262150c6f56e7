#include "widgets/ErrorReport.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QMessageBox>

namespace korvex {

void ReportException(const std::exception& error)
{
    QMessageBox box(QMessageBox::Critical, QGuiApplication::applicationDisplayName(),
                    QString::fromUtf8(error.what()), QMessageBox::Ok);
    box.setObjectName(QStringLiteral("ErrorReport"));
    box.button(QMessageBox::Ok)->setObjectName(QStringLiteral("OK"));
    box.exec();
}

}  // namespace korvex
