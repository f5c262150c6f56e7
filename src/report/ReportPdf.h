#pragma once

class QIODevice;

namespace korvex {

class TReport;

// Writes the prepared pages of the report to `out` as a PDF of their own making, at the speed of the disk:
// the pages' frames as one path each, one text operator per box in the standard Helvetica font (whose
// widths are Arial's) with the Windows-1252 encoding, page contents compressed. The pages, their boxes
// and texts are the report's own (TReport::PageObjects), so this PDF, the preview and the printer agree.
// Returns false, having written part of a file, when a text cannot be written in Windows-1252 (drawing
// through QPainter is the way for such a report); throws std::runtime_error when `out` refuses a write.
bool WriteReportPdf(const TReport& report, QIODevice& out);

}  // namespace korvex
