#include "report/ReportPreview.h"

#include <QAction>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLabel>
#include <QPageSetupDialog>
#include <QPaintEngine>
#include <QPrintDialog>
#include <QScreen>
#include <QSpinBox>
#include <QToolBar>
#include <QVBoxLayout>
#include <cmath>
#include <stdexcept>

#include "report/PageView.h"
#include "report/PdfExport.h"
#include "report/Report.h"
#include "widgets/ErrorReport.h"
#include "widgets/FileDialogFolder.h"

namespace korvex {
namespace {

// Asks for a file name, starting in the folder last used, and writes the report there; a failure goes to
// the error report.
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

// The print dialog's PDF printer writes a file: that goes through the export, so the file is replaced only
// once complete and a failure names the file and its cause.
bool IsPrintToFile(QPrinter& printer)
{
    return printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty();
}

}  // namespace

TReportPreview::TReportPreview(TReport& report, QWidget* owner) : QDialog(owner), report_(report)
{
    setObjectName(QStringLiteral("PreviewForm"));
    setWindowTitle(QStringLiteral("Preview"));
    setWindowModality(Qt::ApplicationModal);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    ApplyPageLayout(report_, printer_);
    printer_.setDocName(QStringLiteral("Korvex LCR - ") + report_.Template().title);

    pages_ = new TPageView(report_, this);
    pages_->setObjectName(QStringLiteral("Pages"));
    // A page that cannot be drawn closes the preview; the failure is thrown once its loop has ended.
    pages_->SetFailureHandler([this](std::exception_ptr failure) {
        if (!failure_)
            failure_ = failure;
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    });

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    AddTools();
    layout->addWidget(pages_, 1);
    pages_->setFocus();
}

void TReportPreview::AddTools()
{
    auto* tools = new QToolBar(this);
    tools->setObjectName(QStringLiteral("PreviewTools"));
    layout()->addWidget(tools);
    const auto add = [&](const char* name, const QString& text, const QKeySequence& key, auto slot) {
        QAction* action = tools->addAction(text);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcut(key);
        connect(action, &QAction::triggered, this, slot);
        return action;
    };

    add("Print", QStringLiteral("Print"), QKeySequence::Print, [this] { AskAndPrint(); });
    add("ExportPdf", QStringLiteral("Export to PDF"), QKeySequence(), [this] { ExportFromPreview(report_, this); });
    add("PageSetup", QStringLiteral("Page setup"), QKeySequence(), [this] { AskPageSetup(); });
    add("Portrait", QStringLiteral("Portrait"), QKeySequence(), [this] { SetOrientation(QPageLayout::Portrait); });
    add("Landscape", QStringLiteral("Landscape"), QKeySequence(), [this] { SetOrientation(QPageLayout::Landscape); });
    tools->addSeparator();
    add("ZoomOut", QStringLiteral("Zoom out"), QKeySequence::ZoomOut, [this] { pages_->ZoomOut(); });
    zoomText_ = new QLabel(tools);
    zoomText_->setObjectName(QStringLiteral("Zoom"));
    zoomText_->setMinimumWidth(zoomText_->fontMetrics().horizontalAdvance(QStringLiteral(" 400% ")));
    zoomText_->setAlignment(Qt::AlignCenter);
    tools->addWidget(zoomText_);
    add("ZoomIn", QStringLiteral("Zoom in"), QKeySequence::ZoomIn, [this] { pages_->ZoomIn(); });
    add("FitWidth", QStringLiteral("Fit width"), QKeySequence(), [this] { pages_->FitWidth(); });
    add("FitPage", QStringLiteral("Whole page"), QKeySequence(), [this] { pages_->FitPage(); });
    tools->addSeparator();
    add("FirstPage", QStringLiteral("First"), QKeySequence(Qt::CTRL | Qt::Key_Home), [this] { pages_->GoToPage(0); });
    add("PreviousPage", QStringLiteral("Previous"), QKeySequence(),
        [this] { pages_->GoToPage(pages_->CurrentPage() - 1); });
    pageBox_ = new QSpinBox(tools);
    pageBox_->setObjectName(QStringLiteral("PageNumber"));
    pageBox_->setKeyboardTracking(false);
    pageBox_->setButtonSymbols(QAbstractSpinBox::NoButtons);
    pageBox_->setAlignment(Qt::AlignRight);
    tools->addWidget(pageBox_);
    pageCount_ = new QLabel(tools);
    pageCount_->setObjectName(QStringLiteral("PageCount"));
    tools->addWidget(pageCount_);
    add("NextPage", QStringLiteral("Next"), QKeySequence(), [this] { pages_->GoToPage(pages_->CurrentPage() + 1); });
    add("LastPage", QStringLiteral("Last"), QKeySequence(Qt::CTRL | Qt::Key_End),
        [this] { pages_->GoToPage(pages_->PageCount() - 1); });

    connect(pageBox_, &QSpinBox::valueChanged, this, [this](int number) {
        if (number - 1 != pages_->CurrentPage())
            pages_->GoToPage(number - 1);
    });
    connect(pages_, &TPageView::CurrentPageChanged, this, &TReportPreview::ShowPageNumber);
    connect(pages_, &TPageView::ZoomChanged, this,
            [this](double zoom) { zoomText_->setText(QStringLiteral("%1%").arg(std::lround(zoom * 100))); });
    zoomText_->setText(QStringLiteral("100%"));
    FollowPrinterLayout();
}

void TReportPreview::ShowPageNumber(int page)
{
    const QSignalBlocker quiet(pageBox_);
    const int count = std::max(1, pages_->PageCount());
    pageBox_->setRange(1, count);
    pageBox_->setMinimumWidth(pageBox_->fontMetrics().horizontalAdvance(QString::number(count)) + 12);
    pageBox_->setValue(page + 1);
    pageCount_->setText(QStringLiteral(" / %1 ").arg(pages_->PageCount()));
}

void TReportPreview::FollowPrinterLayout()
{
    report_.LayOutFor(printer_.pageLayout());
    pages_->PagesChanged();
    ShowPageNumber(pages_->CurrentPage());
}

void TReportPreview::SetOrientation(QPageLayout::Orientation orientation)
{
    printer_.setPageOrientation(orientation);
    FollowPrinterLayout();
}

void TReportPreview::AskPageSetup()
{
    QPageSetupDialog dialog(&printer_, this);
    if (dialog.exec() == QDialog::Accepted)
        FollowPrinterLayout();
}

void TReportPreview::AskAndPrint()
{
    QPrintDialog dialog(&printer_, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintTo(printer_);
}

void TReportPreview::PrintTo(QPrinter& printer)
{
    try {
        // The print dialog may have changed the paper: the pages, and the preview, follow it.
        if (&printer == &printer_)
            FollowPrinterLayout();
        else
            report_.LayOutFor(printer.pageLayout());
        if (IsPrintToFile(printer))
            ExportPdf(report_, printer.outputFileName());
        else
            RenderPages(report_, printer);
    } catch (const std::exception& error) {
        ReportException(error);
    }
}

void ShowPreview(TReport& report, QWidget* owner)
{
    TReportPreview preview(report, owner);
    // The screen's working area first, for desktops whose window manager does not maximise dialogs.
    if (const QScreen* screen = owner ? owner->screen() : QGuiApplication::primaryScreen())
        preview.setGeometry(screen->availableGeometry());
    preview.setWindowState(preview.windowState() | Qt::WindowMaximized);
    preview.exec();
    if (preview.Failure())
        std::rethrow_exception(preview.Failure());
}

}  // namespace korvex
