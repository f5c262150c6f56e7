#pragma once

#include <QDialog>
#include <QPrinter>
#include <exception>

class QLabel;
class QSpinBox;

namespace korvex {

class TPageView;
class TReport;

// The preview of a prepared report: its pages drawn on demand (TPageView), with zoom, fit width, whole
// page, page navigation and a page number box, portrait or landscape, page setup, printing and "Export to
// PDF". The pages follow the paper and orientation chosen here; printing to a PDF file writes it as the
// export does.
class TReportPreview : public QDialog {
    Q_OBJECT

public:
    // The report must outlive the preview.
    TReportPreview(TReport& report, QWidget* owner);

    TPageView& Pages() { return *pages_; }
    QPrinter& Printer() { return printer_; }
    // Prints the pages on the printer as it is set up (a PDF file through the export); a failure is reported.
    void PrintTo(QPrinter& printer);
    // A failure to draw a page in the view, which closed the preview.
    std::exception_ptr Failure() const { return failure_; }

private:
    void AddTools();
    void AskAndPrint();
    void AskPageSetup();
    void SetOrientation(QPageLayout::Orientation orientation);
    void FollowPrinterLayout();
    void ShowPageNumber(int page);

    TReport& report_;
    QPrinter printer_{QPrinter::HighResolution};
    TPageView* pages_ = nullptr;
    QSpinBox* pageBox_ = nullptr;
    QLabel* pageCount_ = nullptr;
    QLabel* zoomText_ = nullptr;
    std::exception_ptr failure_;
};

// Shows the prepared report in a modal, maximised preview at 100 % zoom; returns when the user closes it.
// A failure to draw the pages closes the preview and is thrown from here.
void ShowPreview(TReport& report, QWidget* owner);

}  // namespace korvex
