#include "report/PdfExport.h"

#include <QFileInfo>
#include <QPdfWriter>
#include <QSaveFile>
#include <stdexcept>

#include "report/Report.h"
#include "report/ReportPdf.h"

namespace korvex {

QString PdfFileName(const QString& fileName)
{
    // A dot elsewhere in the name ("Cap 4.7uF") is no extension; a name ending in a dot gets none twice.
    if (QFileInfo(fileName).fileName().isEmpty() || fileName.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        return fileName;
    return (fileName.endsWith(QLatin1Char('.')) ? fileName.chopped(1) : fileName) + QStringLiteral(".pdf");
}

QString ExportPdf(const TReport& report, const QString& fileName)
{
    const QString target = PdfFileName(fileName);
    const auto fail = [&](const QString& why) {
        return std::runtime_error(QStringLiteral("Cannot write %1: %2").arg(target, why).toStdString());
    };
    if (target.isEmpty())
        throw fail(QStringLiteral("no file name"));

    // The pages go to a temporary file beside the target, which takes the target's place on commit. A
    // report with text outside Windows-1252 is drawn through QPainter, in a fresh temporary file.
    for (const bool direct : {true, false}) {
        QSaveFile file(target);
        if (!file.open(QIODevice::WriteOnly))
            throw fail(file.errorString());
        try {
            if (direct) {
                if (!WriteReportPdf(report, file))
                    continue;
            } else {
                QPdfWriter writer(&file);
                writer.setCreator(QStringLiteral("Korvex LCR"));
                writer.setTitle(report.Template().title);
                ApplyPageLayout(report, writer);
                RenderPages(report, writer);
            }
        } catch (const std::runtime_error& error) {
            throw fail(file.error() != QFileDevice::NoError ? file.errorString() : QString::fromStdString(error.what()));
        }
        if (file.error() != QFileDevice::NoError)
            throw fail(file.errorString());
        if (!file.commit())
            throw fail(file.errorString());
        break;
    }
    return target;
}

}  // namespace korvex
