#include <QClipboard>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>
#include <numeric>

#include "records/RecordFiles.h"
#include "records/RecordGridModel.h"
#include "records/RecordStatistics.h"
#include "records/RecordTable.h"
#include "records/StatisticsText.h"
#include "records/ui/DeviationHistogram.h"
#include "records/ui/StatisticsWindow.h"

namespace korvex {
namespace {

QString Q(const char* utf8)
{
    return QString::fromUtf8(utf8);
}

void Post(TTable& table, const char* mode, const char* value, const char* unit, const char* subMode = "",
          const char* subValue = "")
{
    table.Append();
    table.SetInteger(rfNO, table.RecordCount() + 1);
    table.SetText(rfMMode, mode);
    table.SetText(rfMValue, value);
    table.SetText(rfMUnit, unit);
    table.SetText(rfSMode, subMode);
    table.SetText(rfSValue, subValue);
    table.Post();
}

// The grid's rows as its cells read, tab between cells.
QStringList Shown(const TStatisticsWindow& window)
{
    QStringList lines;
    const QTableWidget* grid = window.grdStatistics();
    for (int r = 0; r < grid->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < grid->columnCount(); ++c)
            cells << (grid->item(r, c) ? grid->item(r, c)->text() : QString());
        lines << cells.join(u'\t');
    }
    return lines;
}

void FireRefresh(const TStatisticsWindow& window)
{
    QMetaObject::invokeMethod(window.timerRefresh(), "timeout", Qt::DirectConnection);
}

struct WindowOverTable : ::testing::Test {
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model{cds1};
    TStatisticsWindow window{cds1, model, "."};
};

TEST_F(WindowOverTable, FollowsTheTableAsRowsArriveAreClearedAndOpened)
{
    window.show();
    EXPECT_EQ(window.objectName(), "frmStatistics");
    EXPECT_EQ(window.windowTitle(), "Statistics");
    EXPECT_FALSE(window.isModal());
    EXPECT_TRUE(Shown(window).isEmpty());

    Post(cds1, "Cs", "4.700", "uF", "D", "0.012");
    Post(cds1, "Cs", "OL", "uF", "D", "-");
    Post(cds1, "Cs", "4.712", "uF", "D", "0.014");
    // The figures take every row at once; the grid is redrawn when the refresh period ends.
    EXPECT_EQ(window.Statistics().RowsSeen(), 3);
    EXPECT_TRUE(window.timerRefresh()->isActive());
    EXPECT_TRUE(Shown(window).isEmpty());
    FireRefresh(window);
    EXPECT_FALSE(window.timerRefresh()->isActive());
    EXPECT_EQ(Shown(window), QStringList({
        Q("Cs\tCs\t2\t1\t4.700 \u00B5F\t4.712 \u00B5F\t4.706 \u00B5F\t8.485 nF"),
        Q("\tD\t2\t1\t0.01200\t0.01400\t0.01300\t0.001414"),
    }));

    // Clear: shown at once.
    cds1.EmptyTable();
    EXPECT_TRUE(Shown(window).isEmpty());
    EXPECT_EQ(window.Statistics().RowsSeen(), 0);

    // Open: the file's rows come as one batch.
    ASSERT_TRUE(AnyToCds(QStringLiteral(KORVEX_SOURCE_DIR "/tests/data/records/three_rows.xls"), cds1, false));
    FireRefresh(window);
    const QStringList opened = Shown(window);
    ASSERT_GE(opened.size(), 3);
    EXPECT_EQ(opened[0], Q("Cp\tCp\t1\t0\t1.234 nF\t1.234 nF\t1.234 nF\t"));
    EXPECT_EQ(opened[1], Q("\tD\t1\t0\t0.01200\t0.01200\t0.01200\t"));
    EXPECT_EQ(opened[2], Q("Rs\tRs\t0\t1\t\t\t\t"));
    EXPECT_EQ(window.Statistics().RowsSeen(), cds1.RecordCount());

    // Closed, the window redraws nothing; shown again, it is current.
    window.close();
    Post(cds1, "Cp", "2.000", "nF");
    EXPECT_FALSE(window.timerRefresh()->isActive());
    window.show();
    EXPECT_TRUE(Shown(window)[0].startsWith(Q("Cp\tCp\t2\t0\t1.234 nF\t2.000 nF"))) << Shown(window)[0].toStdString();
}

TEST_F(WindowOverTable, ChecksAgainstTheNominalOrSaysWhatIsWrongWithTheEntry)
{
    Post(cds1, "Cs", "4.700", "uF");
    Post(cds1, "Cs", "4.712", "uF");
    Post(cds1, "Cs", "5.200", "uF");
    window.show();
    struct Case { const char* nominal; const char* tolerance; bool hint; const char* check; std::int64_t binned; };
    const Case cases[] = {
        {"4.7u", "5", false, "Cs against 4.700 \u00B5F \u00B1 5 %: 2 inside, 1 outside, worst deviation +10.64 %", 3},
        {"4.7 \u00B5F", "\u00B120 %", false, "Cs against 4.700 \u00B5F \u00B1 20 %: 3 inside, 0 outside, worst deviation +10.64 %", 3},
        {"4.7x", "5", true, "", 0},
        {"4.7u", "none", true, "", 0},
        {"4.7 mH", "5", false, "No readings in H to check yet", 0},
        {"", "5", false, "", 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.nominal) + " / " + c.tolerance);
        window.edtNominal()->setText(QString::fromUtf8(c.nominal));
        window.edtTolerance()->setText(QString::fromUtf8(c.tolerance));
        EXPECT_EQ(!window.lblHint()->isHidden(), c.hint);
        EXPECT_EQ(window.lblHint()->text().isEmpty(), !c.hint);
        EXPECT_EQ(window.lblCheck()->text(), QString::fromUtf8(c.check));
        const std::vector<std::int64_t>& bins = window.pnlHistogram()->Bins();
        EXPECT_EQ(std::accumulate(bins.begin(), bins.end(), std::int64_t{0}), c.binned);
    }
}

TEST_F(WindowOverTable, RemembersTheEntriesForTheNextWindow)
{
    window.show();
    window.edtNominal()->setText(QStringLiteral("470n"));
    window.edtTolerance()->setText(QStringLiteral("2"));
    window.setGeometry(40, 30, 500, 400);
    const QRect place = window.geometry();
    window.close();

    TStatisticsWindow next(cds1, model, ".");
    EXPECT_EQ(next.edtNominal()->text(), "470n");
    EXPECT_EQ(next.edtTolerance()->text(), "2");
    next.show();
    EXPECT_EQ(next.geometry(), place);
    ASSERT_TRUE(next.Statistics().Nominal().has_value());
}

TEST_F(WindowOverTable, CopyPutsTheStatisticsOnTheClipboardForASpreadsheet)
{
    Post(cds1, "Ls", "100.15", "uH", "Q", "12.54");
    Post(cds1, "Ls", "100.11", "uH", "Q", "12.26");
    window.show();
    window.btnCopy()->click();
    const QString copied = QGuiApplication::clipboard()->text();
    EXPECT_EQ(copied, QString::fromStdString(StatisticsText(window.Statistics(), ".")));
    EXPECT_TRUE(copied.contains(Q("Ls\tLs\t2\t0\t0.00010011\t0.00010015\t"))) << copied.toStdString();
}

}  // namespace
}  // namespace korvex
