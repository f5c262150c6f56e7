#pragma once

#include <QString>

namespace korvex {

class TReport;

// The name a PDF is written under: ".pdf" added unless the name ends in ".pdf" already, in any case.
QString PdfFileName(const QString& fileName);

// Writes every prepared page of the report to a PDF file and returns the file's name (see PdfFileName).
// An existing file is replaced only once the new one is complete. Throws std::runtime_error on failure,
// leaving any existing file as it was.
QString ExportPdf(const TReport& report, const QString& fileName);

}  // namespace korvex
