#include "report/ReportPreview.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QPaintEngine>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QScreen>
#include <QToolBar>
#include <exception>
#include <stdexcept>

#include "report/PdfExport.h"
#include "report/Report.h"
#include "widgets/ErrorReport.h"
#include "widgets/FileDialogFolder.h"

namespace korvex {
namespace {

// Asks for a file name and writes the report there; a failure goes to the error report.
void ExportFromPreview(const TReport& report, QWidget* preview)
{
    QFileDialog dialog(preview, QStringLiteral("Export to PDF"));
    dialog.setObjectName(QStringLiteral("ExportPdfDialog"));
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilter(QStringLiteral("PDF file (*.pdf)"));
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    const QString fileName = AskFileInLastFolder(dialog);
    if (fileName.isEmpty())
        return;
    try {
        ExportPdf(report, fileName);
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

// Printing to a file (the print dialog's PDF printer) takes the export's path: the file is replaced only
// once complete, and a failure names the file and its cause. The preview's own drawing goes through a
// picture engine and a real printer through its own; only the PDF engine writing a file comes here.
bool IsPrintToFile(QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()
           && printer.paintEngine() && printer.paintEngine()->type() == QPaintEngine::Pdf;
}

}  // namespace

void ShowPreview(TReport& report, QWidget* owner)
{
    QPrinter printer(QPrinter::HighResolution);
    ApplyPageLayout(report, printer);
    printer.setDocName(QStringLiteral("Korvex LCR - ") + report.Template().title);

    QPrintPreviewDialog dialog(&printer, owner);
    dialog.setObjectName(QStringLiteral("PreviewForm"));
    dialog.setWindowTitle(QStringLiteral("Preview"));
    dialog.setWindowModality(Qt::ApplicationModal);

    // Qt calls the drawing back from its own frames: a failure is kept, the preview closed, and the
    // failure thrown once the preview's loop has ended.
    std::exception_ptr failure;
    QObject::connect(&dialog, &QPrintPreviewDialog::paintRequested, &dialog, [&](QPrinter* target) {
        // The paper and orientation are the user's to change in the preview and its page setup.
        report.LayOutFor(target->pageLayout());
        if (IsPrintToFile(*target)) {
            try {
                ExportPdf(report, target->outputFileName());
            } catch (const std::exception& error) {
                ReportException(error);
            }
            return;
        }
        try {
            RenderPages(report, *target);
        } catch (...) {
            if (!failure)
                failure = std::current_exception();
            QMetaObject::invokeMethod(&dialog, &QDialog::reject, Qt::QueuedConnection);
        }
    });

    if (auto* toolBar = dialog.findChild<QToolBar*>()) {
        QAction* exportPdf = toolBar->addAction(QStringLiteral("Export to PDF"));
        exportPdf->setObjectName(QStringLiteral("ExportPdf"));
        QObject::connect(exportPdf, &QAction::triggered, &dialog, [&] { ExportFromPreview(report, &dialog); });
    }
    if (auto* pages = dialog.findChild<QPrintPreviewWidget*>()) {
        pages->setZoomMode(QPrintPreviewWidget::CustomZoom);
        pages->setZoomFactor(1.0);
    }
    // Through the zoom box too, so its fit buttons show released.
    if (auto* zoom = dialog.findChild<QComboBox*>(); zoom && zoom->lineEdit()) {
        zoom->lineEdit()->setText(QStringLiteral("100%"));
        emit zoom->lineEdit()->editingFinished();
    }

    // The screen's working area first, for desktops whose window manager does not maximise dialogs.
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        dialog.setGeometry(screen->availableGeometry());
    dialog.setWindowState(dialog.windowState() | Qt::WindowMaximized);
    dialog.exec();
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace korvex
