#pragma once

class QWidget;

namespace korvex {

class TReport;

// Shows the prepared report in a modal, maximised preview at 100 % zoom, with printing, page setup, zoom,
// page navigation and "Export to PDF"; returns when the user closes it. A failure to draw the pages
// closes the preview and is thrown from here as std::runtime_error. The pages follow the paper and
// orientation chosen in the preview; printing to a PDF file writes it as "Export to PDF" does.
void ShowPreview(TReport& report, QWidget* owner);

}  // namespace korvex
