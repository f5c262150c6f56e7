#include "report/ReportPreview.h"

#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
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
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    try {
        ExportPdf(report, dialog.selectedFiles().constFirst());
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

}  // namespace

void ShowPreview(const TReport& report, QWidget* owner)
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
