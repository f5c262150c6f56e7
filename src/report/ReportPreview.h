#pragma once

class QWidget;

namespace korvex {

class TReport;

// Shows the prepared report in a modal, maximised preview at 100 % zoom, with printing, page setup, zoom,
// page navigation and "Export to PDF"; returns when the user closes it. A failure to draw the pages
// closes the preview and is thrown from here as std::runtime_error.
void ShowPreview(const TReport& report, QWidget* owner);

}  // namespace korvex
