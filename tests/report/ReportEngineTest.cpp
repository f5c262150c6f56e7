#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QLocale>
#include <QMessageBox>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <set>
#include <stdexcept>

#include "records/files/ModalAnswer.h"
#include "report/RecordingPaintDevice.h"
#include "widgets/FileDialogFolder.h"
#include "report/PdfExport.h"
#include "report/Report.h"
#include "report/ReportDataSource.h"
#include "report/ReportExpression.h"
#include "report/PageView.h"
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

// A date too wide for its box in some locales, a record number of seven digits and a twenty-character value
// print whole, in a font shrunk to the box; a text that fits keeps its size.
TEST(ReportEngine, TextTooWideForItsBoxIsShrunkToFitNeverCut)
{
    struct Case {
        const char* text;
        double width;
        THorzAlign align;
        bool shrunk;
    };
    const Case cases[] = {
        {"10 Dec 2026", 19, THorzAlign::Left, true},
        {"1234567", 14, THorzAlign::Right, true},
        {"-12345678901234567.8", 22, THorzAlign::Center, true},
        {"NO.", 14, THorzAlign::Center, false},
    };
    TReportTemplate wide;
    wide.page = {QStringLiteral("Page1"), QPageSize::A4, 210, 297, 5, 5, 10, 10};
    TBand title{QStringLiteral("ReportTitle1"), TBandKind::ReportTitle, 30, {}, {}};
    double top = 0;
    for (const Case& c : cases) {
        TMemoView view;
        view.text = QString::fromUtf8(c.text);
        view.top = top;
        view.width = c.width;
        view.height = 6;
        view.framed = true;
        view.horzAlign = c.align;
        title.objects.push_back(view);
        top += 6;
    }
    wide.bands = {title};
    TReport report(wide);
    report.PrepareReport();
    RecordingPaintDevice device;
    {
        QPainter painter(&device);
        report.RenderPage(painter, 0);
    }

    ASSERT_EQ(device.texts.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const Case& c = cases[i];
        const RecordingPaintDevice::Text& drawn = device.texts[i];
        SCOPED_TRACE(c.text);
        EXPECT_EQ(drawn.text, QString::fromUtf8(c.text));
        const double left = (5 + 2 * 25.4 / 96) * RecordingPaintDevice::DotsPerMm;
        const double right = (5 + c.width - 2 * 25.4 / 96) * RecordingPaintDevice::DotsPerMm;
        EXPECT_GE(drawn.baseline.x(), left - 0.5);
        EXPECT_LE(drawn.baseline.x() + drawn.width, right + 0.5);
        EXPECT_EQ(drawn.font.pointSizeF() < 10, c.shrunk);
    }
}

// Rows per page follow the paper and orientation; every row is placed once and every object, the footer
// included, stands on the paper.
TEST(ReportEngine, PagesFollowThePaperAndOrientationChosen)
{
    const FakeSource source(120);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();
    struct Case {
        QPageSize::PageSizeId paper;
        QPageLayout::Orientation orientation;
        double printedHeight;
    };
    const Case cases[] = {
        {QPageSize::A4, QPageLayout::Landscape, 210},
        {QPageSize::Letter, QPageLayout::Portrait, 279.4},
        {QPageSize::Letter, QPageLayout::Landscape, 215.9},
        {QPageSize::A4, QPageLayout::Portrait, 297},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.printedHeight);
        report.LayOutFor(QPageLayout(QPageSize(c.paper), c.orientation, QMarginsF()));
        // 10 mm margins top and bottom, a 6 mm footer and 6 mm rows.
        const int rowsPerPage = static_cast<int>((c.printedHeight - 26) / 6);
        ASSERT_EQ(report.PageCount(), (120 + rowsPerPage - 1) / rowsPerPage);
        int rows = 0;
        for (int page = 0; page < report.PageCount(); ++page) {
            int footers = 0;
            for (const TPlacedObject& object : report.PageObjects(page)) {
                EXPECT_LE(object.rect.bottom(), c.printedHeight - 10 + 1e-6);
                footers += object.text.contains(QLatin1Char('/'));
                rows += object.text == QString::number(rows + 1);
            }
            EXPECT_EQ(footers, 1);
        }
        EXPECT_EQ(rows, 120);

        QPdfWriter writer(QStringLiteral("unused.pdf"));
        ApplyPageLayout(report, writer);
        EXPECT_EQ(writer.pageLayout().orientation(), c.orientation);
        EXPECT_EQ(writer.pageLayout().pageSize().id(), c.paper);
    }
}

TReportPreview* ActivePreview()
{
    return qobject_cast<TReportPreview*>(QApplication::activeModalWidget());
}

TEST(ReportPreview, IsModalMaximisedAtFullSizeAndExportsThePagesToPdf)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const FakeSource source(60);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();

    RememberFileFolder(dir.filePath("earlier.xml"));  // the folder the export dialog starts in
    bool inspected = false;
    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* modal) {
        auto* preview = qobject_cast<TReportPreview*>(modal);
        ASSERT_NE(preview, nullptr);
        EXPECT_TRUE(preview->isModal());
        EXPECT_TRUE(preview->windowState() & Qt::WindowMaximized);
        EXPECT_DOUBLE_EQ(preview->Pages().Zoom(), 1.0);
        EXPECT_EQ(preview->Pages().PageCount(), 2);
        EXPECT_EQ(preview->findChild<QLabel*>("PageCount")->text().trimmed(), "/ 2");
        auto* exportPdf = preview->findChild<QAction*>("ExportPdf");
        ASSERT_NE(exportPdf, nullptr);
        EXPECT_EQ(exportPdf->text(), "Export to PDF");
        inspected = true;

        test::AnswerModal(test::Named("ExportPdfDialog"), [&](QWidget* fileDialog) {
            auto* dialog = static_cast<QFileDialog*>(fileDialog);
            EXPECT_EQ(dialog->directory().absolutePath(), QDir(dir.path()).absolutePath());
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

// Counts the rows asked for, to show which pages were drawn.
class CountingSource : public FakeSource {
public:
    using FakeSource::FakeSource;
    QString Value(int row, int field) const override
    {
        asked.insert(row);
        return FakeSource::Value(row, field);
    }
    mutable std::set<int> asked;
};

// A week of logging opens as fast as a page: only the pages in sight are drawn, and going to the last page
// draws that page, not the ones between.
TEST(ReportPreview, DrawsOnlyThePagesInSightWhateverTheirNumber)
{
    const CountingSource source(1000000);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();
    const int pageCount = report.PageCount();  // 45 rows a page

    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* modal) {
        auto* preview = static_cast<TReportPreview*>(modal);
        TPageView& pages = preview->Pages();
        preview->grab();
        EXPECT_GE(pages.PagesDrawn(), 1);
        EXPECT_LE(pages.PagesDrawn(), 3);
        EXPECT_EQ(*source.asked.begin(), 0);

        preview->findChild<QAction*>("LastPage")->trigger();
        preview->grab();
        EXPECT_EQ(pages.CurrentPage(), pageCount - 1);
        EXPECT_EQ(preview->findChild<QSpinBox*>("PageNumber")->value(), pageCount);
        EXPECT_TRUE(source.asked.count(999999));
        preview->findChild<QSpinBox*>("PageNumber")->setValue(1000);
        preview->grab();
        EXPECT_EQ(pages.CurrentPage(), 999);
        EXPECT_TRUE(source.asked.count(999 * 45));

        preview->findChild<QAction*>("ZoomIn")->trigger();
        EXPECT_DOUBLE_EQ(pages.Zoom(), 1.25);
        EXPECT_EQ(pages.CurrentPage(), 999);
        preview->findChild<QAction*>("FitPage")->trigger();
        preview->grab();
        EXPECT_EQ(pages.CurrentPage(), 999);
        EXPECT_LE(pages.PagesDrawn(), 12);
        EXPECT_LE(source.asked.size(), 12u * 45);
        preview->accept();
    });
    ShowPreview(report, nullptr);
}

// The preview's own Print to a PDF file writes through the export: the pages as laid out in the preview
// (landscape here), an existing file replaced only by a whole one, and a failure naming file and cause.
TEST(ReportPreview, PrintingToAFileWritesTheShownPagesAsTheExportDoes)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("printed.pdf");
    const QString blocked = dir.filePath("plain-file");
    for (const QString& name : {target, blocked}) {
        QFile file(name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("old contents");
    }
    const FakeSource source(100);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();

    QString failure;
    test::AnswerModal(test::Named("PreviewForm"), [&](QWidget* modal) {
        auto* preview = static_cast<TReportPreview*>(modal);
        EXPECT_EQ(preview->Pages().PageCount(), 3);  // 45 rows a page
        preview->findChild<QAction*>("Landscape")->trigger();
        EXPECT_EQ(preview->Pages().PageCount(), 4);  // 30 rows a page, footers on the page

        QPrinter& printer = preview->Printer();
        printer.setOutputFileName(blocked + QStringLiteral("/inside.pdf"));
        test::AnswerModal([](QWidget* w) { return qobject_cast<QMessageBox*>(w) != nullptr; }, [&](QWidget* box) {
            failure = static_cast<QMessageBox*>(box)->text();
            static_cast<QMessageBox*>(box)->accept();
        });
        preview->PrintTo(printer);
        printer.setOutputFileName(target);
        preview->PrintTo(printer);
        preview->accept();
    });
    ShowPreview(report, nullptr);

    EXPECT_TRUE(failure.contains(blocked + QStringLiteral("/inside.pdf"))) << failure.toStdString();
    EXPECT_FALSE(failure.contains(QStringLiteral("Unknown error"))) << failure.toStdString();
    QFile written(target);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    const QByteArray pdf = written.readAll();
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    // Four landscape A4 pages: 841.9 x 595.3 points.
    EXPECT_EQ(QString::fromLatin1(pdf).count(QRegularExpression(QStringLiteral("/Type\\s*/Page\\b(?!s)"))), 4);
    EXPECT_TRUE(QString::fromLatin1(pdf).contains(QRegularExpression(QStringLiteral("/MediaBox \\[0 0 84[12](\\.\\d+)? 595(\\.\\d+)?\\]"))));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

TEST(ReportPreview, AFailureToDrawClosesThePreviewAndIsThrown)
{
    const FakeSource source(60, 5);
    TReport report(SmallTemplate());
    report.AddDataSource(source);
    report.PrepareReport();
    // Should the failure not close it, the preview is closed here so the test cannot hang.
    QObject guard;
    QTimer::singleShot(5000, &guard, [] {
        if (TReportPreview* preview = ActivePreview()) {
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
