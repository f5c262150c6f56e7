#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLineEdit>
#include <QLocale>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <stdexcept>

#include "records/files/ModalAnswer.h"
#include "report/PdfExport.h"
#include "report/Report.h"
#include "report/ReportDataSource.h"
#include "report/ReportExpression.h"
#include "report/ReportPagination.h"
#include "report/ReportPreview.h"

namespace korvex::testing {
namespace {

// Two fields, "aNO" and "aTime"; Value throws for the row given as failingRow.
class FakeSource : public IReportDataSource {
public:
    explicit FakeSource(int rows, int failingRow = -1) : rows_(rows), failingRow_(failingRow) {}
    QString Name() const override { return QStringLiteral("src"); }
    int RowCount() const override { return rows_; }
    int FindField(const QString& name) const override
    {
        if (name.compare(u"aNO", Qt::CaseInsensitive) == 0)
            return 0;
        if (name.compare(u"aTime", Qt::CaseInsensitive) == 0)
            return 1;
        return -1;
    }
    QString Value(int row, int field) const override
    {
        if (row == failingRow_)
            throw std::runtime_error("the source broke");
        return field == 0 ? QString::number(row + 1) : QStringLiteral("t%1").arg(row + 1);
    }

private:
    int rows_;
    int failingRow_;
};

TEST(ReportExpression, ResolvesBuiltInValuesAndFieldsWithoutRegardToCase)
{
    const FakeSource source(3);
    const IReportDataSource* sources[] = {&source};
    TExpressionValues values{"10.12.26", "07:05", 2, 5, 1};
    struct Case {
        const char* text;
        const char* printed;
    };
    const Case cases[] = {
        {"[Page]/[TotalPages#]", "2/5"},
        {"[Date] [Time]", "10.12.26 07:05"},
        {"[src.\"ANo\"]", "2"},
        {"No. [SRC.\"atime\"]!", "No. t2!"},
        {"[something else] and [", "[something else] and ["},
        {"Data", "Data"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(TCompiledText(QString::fromUtf8(c.text), sources).Evaluate(values), QString::fromUtf8(c.printed));
    }
    values.row = -1;
    EXPECT_EQ(TCompiledText(QStringLiteral("<[src.\"aNO\"]>"), sources).Evaluate(values), "<>");
    EXPECT_THROW(TCompiledText(QStringLiteral("[src.\"aFreq\"]"), sources), std::runtime_error);
    EXPECT_THROW(TCompiledText(QStringLiteral("[other.\"aNO\"]"), sources), std::runtime_error);
}

TEST(ReportPagination, FillsPagesAboveTheFooterAndRefusesBandsThatCannotFit)
{
    // A4 with 10 mm margins, title 18, header 6, rows 6, footer 6: 41 rows on page 1, 44 on the others.
    const TPageExtent a4{297, 10, 10};
    const TBandHeights bands{18, 6, 6, 6};
    struct Case {
        int rows;
        std::vector<int> perPage;
    };
    const Case cases[] = {{0, {0}}, {1, {1}}, {41, {41}}, {42, {41, 1}}, {85, {41, 44}}, {86, {41, 44, 1}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rows);
        const std::vector<TPageSlice> pages = Paginate(a4, bands, c.rows);
        std::vector<int> perPage;
        int next = 0;
        for (const TPageSlice& page : pages) {
            EXPECT_EQ(page.firstRow, next);
            EXPECT_EQ(page.title, &page == &pages.front());
            perPage.push_back(page.rowCount);
            next += page.rowCount;
        }
        EXPECT_EQ(perPage, c.perPage);
    }
    // Rows of a tenth of a millimetre filling a page exactly are not lost to rounding.
    EXPECT_EQ(Paginate({100, 0, 0}, {0, 0, 0.1, 0}, 1000).size(), 1u);
    EXPECT_THROW(Paginate(a4, {18, 6, 300, 6}, 1), std::runtime_error);
    EXPECT_THROW(Paginate(a4, {200, 50, 6, 30}, 0), std::runtime_error);
    // A title that leaves no room for a row on page 1 sends the rows to page 2.
    const std::vector<TPageSlice> late = Paginate(a4, {268, 0, 6, 6}, 2);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].rowCount, 0);
    EXPECT_EQ(late[1].rowCount, 2);
}

TReportTemplate SmallTemplate()
{
    TReportTemplate report;
    report.name = QStringLiteral("small");
    report.page = {QStringLiteral("Page1"), QPageSize::A4, 210, 297, 5, 5, 10, 10};
    TBand data{QStringLiteral("MasterData1"), TBandKind::MasterData, 6, QStringLiteral("src"), {}};
    TMemoView number;
    number.name = QStringLiteral("No");
    number.text = QStringLiteral("[src.\"aNO\"]");
    number.width = 20;
    number.height = 6;
    number.framed = true;
    data.objects.push_back(number);
    TBand footer{QStringLiteral("PageFooter1"), TBandKind::PageFooter, 6, {}, {}};
    TMemoView page = number;
    page.text = QStringLiteral("[Page]/[TotalPages#]");
    footer.objects.push_back(page);
    report.bands = {data, footer};
    return report;
}

TEST(ReportEngine, TwoBandsOfOneKindAreRefusedAndAMissingSourceIsAnError)
{
    TReportTemplate twice = SmallTemplate();
    twice.bands.push_back(twice.bands.back());
    EXPECT_THROW(TReport{twice}, std::runtime_error);

    TReport unbound(SmallTemplate());
    EXPECT_THROW(unbound.PrepareReport(), std::runtime_error);
}

TEST(PdfExport, AddsTheSuffixToABareNameAndReplacesAnExistingFileWhole)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FakeSource source(100);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();

    EXPECT_EQ(ExportPdf(report, dir.filePath("bare")), dir.filePath("bare.pdf"));
    EXPECT_EQ(PdfFileName(QStringLiteral("a/report.PDF")), "a/report.PDF");
    EXPECT_EQ(PdfFileName(QStringLiteral("a.b/report")), "a.b/report.pdf");
    const std::pair<const char*, const char*> names[] = {
        {"Cap 4.7uF", "Cap 4.7uF.pdf"}, {"trailing.", "trailing.pdf"}, {"run.Pdf", "run.Pdf"}, {"notes.txt", "notes.txt.pdf"}};
    for (const auto& [given, saved] : names)
        EXPECT_EQ(PdfFileName(QString::fromUtf8(given)), QString::fromUtf8(saved)) << given;

    const QString existing = dir.filePath("old.pdf");
    {
        QFile old(existing);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write(QByteArray(100000, 'x'));
    }
    ExportPdf(report, existing);
    QFile written(existing);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray bytes = written.readAll();
    EXPECT_TRUE(bytes.startsWith("%PDF-"));
    EXPECT_FALSE(bytes.contains(QByteArray(64, 'x')));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);

    EXPECT_THROW(ExportPdf(report, dir.filePath("missing/folder/out.pdf")), std::runtime_error);
}

QPrintPreviewDialog* ActivePreview()
{
    return qobject_cast<QPrintPreviewDialog*>(QApplication::activeModalWidget());
}

TEST(ReportPreview, IsModalMaximisedAtFullSizeAndExportsThePagesToPdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FakeSource source(60);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();

    bool inspected = false;
    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* modal) {
        auto* preview = qobject_cast<QPrintPreviewDialog*>(modal);
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(preview->isModal());
        EXPECT_TRUE(preview->windowState() & Qt::WindowMaximized);
        auto* pages = preview->findChild<QPrintPreviewWidget*>();
        ASSERT_NE(pages, nullptr);
        EXPECT_EQ(pages->zoomMode(), QPrintPreviewWidget::CustomZoom);
        EXPECT_DOUBLE_EQ(pages->zoomFactor(), 1.0);
        EXPECT_EQ(pages->pageCount(), 2);
        auto* exportPdf = preview->findChild<QAction*>("ExportPdf");
        ASSERT_NE(exportPdf, nullptr);
        EXPECT_EQ(exportPdf->text(), "Export to PDF");
        inspected = true;

        test::AnswerModal(test::Named("ExportPdfDialog"), [&](QWidget* fileDialog) {
            auto* dialog = static_cast<QFileDialog*>(fileDialog);
            dialog->setDirectory(dir.path());
            dialog->findChild<QLineEdit*>("fileNameEdit")->setText("printed");
            QMetaObject::invokeMethod(dialog, "accept");
            QTimer::singleShot(0, preview, &QDialog::accept);
        });
        exportPdf->trigger();
    });
    ShowPreview(report, nullptr);
    EXPECT_TRUE(inspected);
    EXPECT_TRUE(QFile::exists(dir.filePath("printed.pdf")));
    EXPECT_EQ(ActivePreview(), nullptr);
}

TEST(ReportPreview, AFailureToDrawClosesThePreviewAndIsThrown)
{
    const FakeSource source(60, 59);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();
    // Should the failure not close it, the preview is closed here so the test cannot hang.
    QObject guard;
    QTimer::singleShot(5000, &guard, [] {
        if (QPrintPreviewDialog* preview = ActivePreview()) {
            ADD_FAILURE() << "the preview stayed open";
            preview->reject();
        }
    });
    try {
        ShowPreview(report, nullptr);
        ADD_FAILURE() << "no failure thrown";
    } catch (const std::runtime_error& error) {
        EXPECT_STREQ(error.what(), "the source broke");
    }
    EXPECT_EQ(ActivePreview(), nullptr);
}

}  // namespace
}  // namespace korvex::testing
