#include <gtest/gtest.h>

#include <QDateTime>
#include <QLocale>
#include <QImage>
#include <QPainter>
#include <QPdfWriter>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cmath>
#include <map>

#include "records/RecordTable.h"
#include "records/TableEngine.h"
#include "records/ui/RecordReport.h"
#include "report/PdfExport.h"
#include "report/Report.h"
#include "report/RecordingPaintDevice.h"

namespace korvex::testing {
namespace {

const QDateTime BuiltAt(QDate(2026, 12, 10), QTime(7, 5, 42));

// cds1 with `rows` records: aNO 1.., main value "v<NO>", the rest alike on every row.
TTable RecordsTable(int rows)
{
    TTable cds1 = CreateRecordTable();
    for (int i = 1; i <= rows; ++i) {
        cds1.Append();
        cds1.SetInteger(rfNO, i);
        cds1.SetText(rfTime, QStringLiteral("2026-12-10 07:%1:00").arg(i % 60, 2, 10, QChar('0')).toStdString());
        cds1.SetText(rfMMode, "Cs");
        cds1.SetText(rfMValue, "v" + std::to_string(i));
        cds1.SetText(rfMUnit, "nF");
        cds1.SetText(rfSMode, "D");
        cds1.SetText(rfSValue, "0.012");
        cds1.SetText(rfSUnit, "");
        cds1.SetText(rfFreq, "1KHz");
        cds1.Post();
    }
    return cds1;
}

// frxReport1 over the table, prepared at BuiltAt.
struct PreparedReport {
    explicit PreparedReport(int rows) : cds1(RecordsTable(rows)), data(cds1), report(RecordReportTemplate())
    {
        report.AddDataSource(data);
        report.PrepareReport(BuiltAt);
    }
    // The texts of the page's objects of that name, top to bottom.
    QStringList Texts(int page, const QString& name) const
    {
        QStringList texts;
        for (const TPlacedObject& object : report.PageObjects(page))
            if (object.view->name == name)
                texts << object.text;
        return texts;
    }
    TTable cds1;
    TRecordReportData data;
    TReport report;
};

const QStringList CaptionNames = {"frphNO", "frphTime", "frphFunction", "Memo1", "Memo2",
                                  "Memo3",  "Memo4",    "Memo5",        "Memo6"};
const QStringList Captions = {"NO.", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq"};

TEST(RecordReport, AnEmptyTableGivesOnePageWithTitleCaptionsAndOneOfOne)
{
    const PreparedReport prepared(0);
    ASSERT_EQ(prepared.report.PageCount(), 1);
    EXPECT_EQ(prepared.Texts(0, "frphTitle"), QStringList{"Data"});
    EXPECT_EQ(prepared.Texts(0, "Memo11"), QStringList{QLocale::system().toString(BuiltAt.date(), QLocale::ShortFormat)});
    EXPECT_EQ(prepared.Texts(0, "Memo10"), QStringList{"07:05"});
    for (int i = 0; i < Captions.size(); ++i)
        EXPECT_EQ(prepared.Texts(0, CaptionNames[i]), QStringList{Captions[i]});
    EXPECT_TRUE(prepared.Texts(0, "frxDBDataset1ANo").isEmpty());
    EXPECT_EQ(prepared.Texts(0, "Memo12"), QStringList{"1/1"});
    EXPECT_EQ(prepared.report.PageObjects(0).size(), 3u + 9u + 1u);
}

TEST(RecordReport, RowsRunAcrossPagesOnceEachInOrderUnderCaptionsOnEveryPage)
{
    const PreparedReport prepared(120);
    const int pages = prepared.report.PageCount();
    ASSERT_EQ(pages, 3);
    QStringList numbers;
    for (int page = 0; page < pages; ++page) {
        SCOPED_TRACE(page);
        EXPECT_EQ(prepared.Texts(page, "frphTitle").size(), page == 0 ? 1 : 0);
        for (int i = 0; i < Captions.size(); ++i)
            EXPECT_EQ(prepared.Texts(page, CaptionNames[i]), QStringList{Captions[i]});
        EXPECT_EQ(prepared.Texts(page, "Memo12"), QStringList{QStringLiteral("%1/%2").arg(page + 1).arg(pages)});
        const QStringList pageNumbers = prepared.Texts(page, "frxDBDataset1ANo");
        // Every printed line belongs to one row: its value is that row's.
        const QStringList values = prepared.Texts(page, "Memo7");
        ASSERT_EQ(values.size(), pageNumbers.size());
        for (int i = 0; i < values.size(); ++i)
            EXPECT_EQ(values[i], "v" + pageNumbers[i]);
        numbers << pageNumbers;
    }
    QStringList expected;
    for (int i = 1; i <= 120; ++i)
        expected << QString::number(i);
    EXPECT_EQ(numbers, expected);
    EXPECT_EQ(prepared.Texts(0, "frxDBDataset1ANo").size(), 41);
    EXPECT_EQ(prepared.Texts(1, "frxDBDataset1ANo").size(), 44);
}

enum class Align { Left, Center, Right };
enum class VAlign { Top, Center, Bottom };

struct Placement {
    const char* name;
    const char* text;
    double left, top, width, height;  // millimetres from the paper's corner
    Align horz;
    VAlign vert;
    bool framed;
    double points;
};

// Page 1 of a two-row report: title band at 10 mm, captions at 28 mm, the first row at 34 mm, footer at
// 281 mm; every band starts at the 5 mm left margin.
const Placement PageOnePlacements[] = {
    {"frphTitle", "Data", 84, 11, 42, 5, Align::Center, VAlign::Top, false, 12},
    {"Memo10", "07:05", 186, 22, 12, 5, Align::Left, VAlign::Top, false, 10},
    {"frphNO", "NO.", 6, 28, 14, 6, Align::Center, VAlign::Center, true, 10},
    {"frphTime", "Time", 20, 28, 35, 6, Align::Center, VAlign::Center, true, 10},
    {"Memo6", "Freq", 187, 28, 18, 6, Align::Center, VAlign::Center, true, 10},
    {"frxDBDataset1ANo", "1", 6, 34, 14, 6, Align::Right, VAlign::Bottom, true, 10},
    {"frxDBDataset1ATime", "2026-12-10 07:01:00", 20, 34, 35, 6, Align::Center, VAlign::Bottom, true, 10},
    {"frxDBDataset1AFunction", "Cs", 55, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo7", "v1", 77, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo8", "nF", 99, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo9", "D", 121, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo13", "0.012", 143, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo14", "", 165, 34, 22, 6, Align::Center, VAlign::Bottom, true, 10},
    {"Memo15", "1KHz", 187, 34, 18, 6, Align::Center, VAlign::Center, true, 10},
    {"frxDBDataset1ANo", "2", 6, 40, 14, 6, Align::Right, VAlign::Bottom, true, 10},
    {"Memo12", "1/1", 180, 282, 25, 5, Align::Left, VAlign::Top, false, 10},
};

TEST(RecordReport, DrawnObjectsStandAtTheirMillimetresWithTheirFramesAndAlignment)
{
    const PreparedReport prepared(2);
    RecordingPaintDevice device;
    {
        QPainter painter(&device);
        prepared.report.RenderPage(painter, 0);
    }
    constexpr double mm = RecordingPaintDevice::DotsPerMm;
    // Text keeps 2 px from the sides and 1 px from top and bottom (at 96 dpi); 0.2 mm covers glyph bearings.
    const double gapX = 2 * 25.4 / 96 * mm, gapY = 1 * 25.4 / 96 * mm, slack = 0.2 * mm;

    for (const Placement& p : PageOnePlacements) {
        SCOPED_TRACE(p.name + std::string(" ") + p.text);
        const QRectF rect(p.left * mm, p.top * mm, p.width * mm, p.height * mm);
        int frames = 0;
        for (const RecordingPaintDevice::Shape& shape : device.rects) {
            if (std::abs(shape.rect.left() - rect.left()) < 0.01 * mm && std::abs(shape.rect.top() - rect.top()) < 0.01 * mm &&
                std::abs(shape.rect.width() - rect.width()) < 0.01 * mm && std::abs(shape.rect.height() - rect.height()) < 0.01 * mm) {
                ++frames;
                EXPECT_EQ(shape.pen.color(), QColor(Qt::black));
                EXPECT_EQ(shape.pen.style(), Qt::SolidLine);
                EXPECT_NEAR(shape.pen.widthF(), 25.4 / 96 * mm, 0.001);
            }
        }
        EXPECT_EQ(frames, p.framed ? 1 : 0);
        if (*p.text == '\0')
            continue;

        const RecordingPaintDevice::Text* found = nullptr;
        for (const RecordingPaintDevice::Text& text : device.texts)
            if (text.text == QString::fromUtf8(p.text) && rect.contains(QPointF(text.baseline.x() + 1, text.baseline.y())))
                found = &text;
        ASSERT_NE(found, nullptr);
        EXPECT_EQ(found->font.family(), "Arial");
        EXPECT_DOUBLE_EQ(found->font.pointSizeF(), p.points);
        const double left = found->baseline.x(), right = left + found->width;
        const double top = found->baseline.y() - found->ascent, bottom = found->baseline.y() + found->descent;
        switch (p.horz) {
        case Align::Left: EXPECT_NEAR(left, rect.left() + gapX, slack); break;
        case Align::Center: EXPECT_NEAR((left + right) / 2, rect.center().x(), slack); break;
        case Align::Right: EXPECT_NEAR(right, rect.right() - gapX, slack); break;
        }
        switch (p.vert) {
        case VAlign::Top: EXPECT_NEAR(top, rect.top() + gapY, slack); break;
        case VAlign::Center: EXPECT_NEAR((top + bottom) / 2, rect.center().y(), slack); break;
        case VAlign::Bottom: EXPECT_NEAR(bottom, rect.bottom() - gapY, slack); break;
        }
    }
    // Two rows and one caption row of nine framed cells; nothing else is framed.
    EXPECT_EQ(device.rects.size(), 27u);
}

QString RunTool(const QString& program, const QStringList& arguments)
{
    const QString path = QStandardPaths::findExecutable(program);
    if (path.isEmpty()) {
        ADD_FAILURE() << program.toStdString() << " is missing: scripts/setup installs poppler-utils";
        return {};
    }
    QProcess process;
    process.start(path, arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

TEST(RecordReport, ExportedPdfHoldsEveryPageWithCaptionsFooterAndRows)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PreparedReport prepared(120);
    const QString file = ExportPdf(prepared.report, dir.filePath("records"));
    ASSERT_EQ(file, dir.filePath("records.pdf"));

    const QString info = RunTool("pdfinfo", {file});
    EXPECT_TRUE(info.contains(QRegularExpression("^Pages:\\s+3$", QRegularExpression::MultilineOption))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("^Title:\\s+Data$", QRegularExpression::MultilineOption))) << info.toStdString();
    EXPECT_TRUE(info.contains(QRegularExpression("^Page size:\\s+595(\\.\\d+)? x 84[12](\\.\\d+)? pts \\(A4\\)", QRegularExpression::MultilineOption)))
        << info.toStdString();

    const QRegularExpression captionLine("^[ \\t]*NO\\.\\s+Time\\s+MMode\\s+MValue\\s+MUnit\\s+SMode\\s+SValue\\s+SUnit\\s+Freq[ \\t]*$",
                                         QRegularExpression::MultilineOption);
    const QRegularExpression rowLine("^\\s*(\\d+)\\s+2026-12-10 07:\\d\\d:00\\s+Cs\\s+v(\\d+)\\s+nF\\s+D\\s+0\\.012\\s+1KHz\\s*$",
                                     QRegularExpression::MultilineOption);
    int nextRow = 1;
    for (int page = 1; page <= 3; ++page) {
        SCOPED_TRACE(page);
        const QString text = RunTool("pdftotext", {"-layout", "-f", QString::number(page), "-l", QString::number(page), file, "-"});
        EXPECT_EQ(text.count(captionLine), 1) << text.toStdString();
        EXPECT_TRUE(text.contains(QRegularExpression(QStringLiteral("\\b%1/3\\s*$").arg(page), QRegularExpression::MultilineOption)));
        EXPECT_EQ(text.contains(QRegularExpression("^\\s*Data\\s*$", QRegularExpression::MultilineOption)), page == 1);
        for (auto rows = rowLine.globalMatch(text); rows.hasNext();) {
            const QRegularExpressionMatch row = rows.next();
            EXPECT_EQ(row.captured(1).toInt(), nextRow);
            EXPECT_EQ(row.captured(2).toInt(), nextRow);
            ++nextRow;
        }
    }
    EXPECT_EQ(nextRow, 121);
}

// The exported PDF is written directly, not through QPainter: rendered, its pages match the pages QPainter
// draws of the same report (the printer's and the preview's way), frames and texts in their places.
TEST(RecordReport, ExportedPagesMatchThePagesQPainterDraws)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const PreparedReport prepared(50);
    ExportPdf(prepared.report, dir.filePath("direct.pdf"));
    {
        QPdfWriter writer(dir.filePath("painted.pdf"));
        ApplyPageLayout(prepared.report, writer);
        RenderPages(prepared.report, writer);
    }
    for (const char* name : {"direct", "painted"})
        RunTool("pdftoppm", {"-r", "150", "-gray", "-png", dir.filePath(QString::fromLatin1(name) + ".pdf"),
                             dir.filePath(QString::fromLatin1(name))});
    for (const char* page : {"1", "2"}) {
        SCOPED_TRACE(page);
        const QImage direct(dir.filePath(QStringLiteral("direct-%1.png").arg(QLatin1String(page))));
        const QImage painted(dir.filePath(QStringLiteral("painted-%1.png").arg(QLatin1String(page))));
        ASSERT_FALSE(direct.isNull());
        // The same paper, to a rounding of its size in points.
        ASSERT_LE(std::abs(direct.width() - painted.width()) + std::abs(direct.height() - painted.height()), 1);
        const int width = std::min(direct.width(), painted.width()), height = std::min(direct.height(), painted.height());
        // Ink compared in cells of 4 x 4 pixels (0.7 mm): glyph shapes may differ a little between the
        // fonts, places may not.
        int cells = 0, differing = 0;
        for (int y = 0; y + 4 <= height; y += 4) {
            for (int x = 0; x + 4 <= width; x += 4) {
                int a = 0, b = 0;
                for (int dy = 0; dy < 4; ++dy)
                    for (int dx = 0; dx < 4; ++dx) {
                        a += 255 - qGray(direct.pixel(x + dx, y + dy));
                        b += 255 - qGray(painted.pixel(x + dx, y + dy));
                    }
                if (a > 0 || b > 0) {
                    ++cells;
                    differing += std::abs(a - b) > 16 * 64;
                }
            }
        }
        EXPECT_GT(cells, 1000);
        // A text 0.35 mm off its place already differs in more cells than this.
        EXPECT_LT(differing, cells / 500) << differing << " of " << cells << " inked cells differ";
    }
}

}  // namespace
}  // namespace korvex::testing
