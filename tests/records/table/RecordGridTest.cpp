#include "records/ui/RecordGrid.h"
#include "records/RecordGridModel.h"
#include "records/RecordTable.h"
#include "records/RecordFiles.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QLocale>
#include <QStyleOptionViewItem>
#include <vector>
#include <QStyledItemDelegate>
#include <QTemporaryDir>
#include <QSignalSpy>
#include <QScrollBar>
#include <QTableView>

using namespace korvex;

namespace {

TMeterState Reading(const char* mainText)
{
    TMeterState s;
    s.MainMode = mmC;
    s.MainKind = rkNumber;
    s.MainText = mainText;
    s.MainUnit = unF;
    s.SubMode = smTheta;
    s.SubKind = rkNumber;
    s.SubText = "1.5";
    s.SubUnit = udeg;
    s.Freq = tf1kHz;
    return s;
}

}  // namespace

TEST(RecordGridModel, FollowsTheTableRowByRowAndOnReset)
{
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model(cds1);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    for (const char* text : {"1.000", "2.000", "3.000"})
        AppendRecordAt(cds1, Reading(text), QDateTime(QDate(2011, 5, 24), QTime(15, 59, 13)), QStringLiteral(":"));
    ASSERT_EQ(model.rowCount(), 3);
    EXPECT_EQ(inserted.count(), 3);
    EXPECT_EQ(inserted.at(2).at(1).toInt(), 2);
    EXPECT_EQ(model.columnCount(), 9);

    const QStringList expected = {"2", "2011-05-24 15:59:13", "Cs", "2.000", "nF", "?", "1.5", "Deg", "1KHz"};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(model.index(1, c).data().toString(), expected[c]) << c;
        EXPECT_EQ(model.flags(model.index(1, c)) & Qt::ItemIsEditable, Qt::NoItemFlags);
    }
    EXPECT_EQ(model.index(1, 0).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignRight, Qt::AlignRight);

    QStringList titles;
    for (int c = 0; c < 9; ++c)
        titles << model.headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(titles, QStringList({"NO", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq"}));

    cds1.EmptyTable();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(model.rowCount(), 0);

    // Rows posted while the controls are disabled arrive as one insertion when they are enabled again;
    // emptying meanwhile makes it a reset.
    cds1.DisableControls();
    for (int i = 0; i < 4; ++i)
        AppendRecord(cds1, Reading("9"));
    EXPECT_EQ(model.rowCount(), 0) << "a table with its controls disabled is not followed";
    cds1.EnableControls();
    EXPECT_EQ(reset.count(), 1);
    ASSERT_EQ(inserted.count(), 4);
    EXPECT_EQ(inserted.at(3).at(1).toInt(), 0);
    EXPECT_EQ(inserted.at(3).at(2).toInt(), 3);
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.index(3, 0).data().toInt(), 4);

    cds1.DisableControls();
    cds1.EnableControls();
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(inserted.count(), 4) << "a walk of the table that added nothing tells the views nothing";

    cds1.DisableControls();
    cds1.EmptyTable();
    for (int i = 0; i < 6; ++i)
        AppendRecord(cds1, Reading("8"));
    cds1.EnableControls();
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(model.rowCount(), 6);
}

TEST(RecordGridModel, RecordNumbersArePlainDigitsInEveryLocale)
{
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model(cds1);
    QTableView grid;
    ConfigureRecordGrid(grid, model);
    cds1.Append();
    cds1.SetInteger(rfNO, 1234567);
    cds1.Post();
    const QModelIndex number = model.index(0, 0);
    const auto* delegate = qobject_cast<QStyledItemDelegate*>(grid.itemDelegateForIndex(number));
    ASSERT_NE(delegate, nullptr);
    for (const QLocale& locale : {QLocale(QLocale::English, QLocale::UnitedStates), QLocale(QLocale::German, QLocale::Germany)}) {
        SCOPED_TRACE(locale.name().toStdString());
        EXPECT_EQ(delegate->displayText(number.data(), locale), "1234567");
    }
}

TEST(RecordGridModel, EmptyValuesShowEmptyAndTheModelLetsGoOfTheTable)
{
    TTable cds1 = CreateRecordTable();
    {
        TRecordGridModel model(cds1);
        cds1.Append();
        cds1.SetText(rfMValue, "\xB5V");
        cds1.Post();
        EXPECT_EQ(model.index(0, 0).data().toString(), "");
        EXPECT_EQ(model.index(0, 3).data().toString(), QString::fromUtf8("\u00B5V"));
    }
    AppendRecord(cds1, Reading("1"));  // the destroyed model no longer listens
    EXPECT_EQ(cds1.RecordCount(), 2);
}

TEST(RecordGrid, ReadOnlyRowGridThatMakesEveryNewRowCurrent)
{
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model(cds1);
    QTableView grid;
    grid.setObjectName("DBGrid1");
    ConfigureRecordGrid(grid, model);
    grid.resize(600, 200);
    grid.show();

    EXPECT_EQ(grid.editTriggers(), QAbstractItemView::NoEditTriggers);
    EXPECT_EQ(grid.selectionBehavior(), QAbstractItemView::SelectRows);
    EXPECT_TRUE(grid.showGrid());
    EXPECT_TRUE(grid.horizontalHeader()->isVisible());
    const int widths[] = {36, 103, 43, 43, 35, 39, 40, 34};
    for (int c = 0; c < 9; ++c) {
        EXPECT_EQ(grid.columnWidth(c), c < 8 ? TextColumnWidth(grid, widths[c]) : DefaultColumnWidth) << c;
        if (c < 8) {
            EXPECT_GE(grid.columnWidth(c), widths[c]) << c;
        }
        EXPECT_EQ(grid.horizontalHeader()->sectionResizeMode(c), QHeaderView::Interactive);
    }
    EXPECT_EQ(grid.verticalHeader()->sectionResizeMode(0), QHeaderView::Fixed);

    for (int i = 0; i < 50; ++i) {
        AppendRecord(cds1, Reading("1.0"));
        ASSERT_EQ(grid.currentIndex().row(), i);
        const QModelIndexList selected = grid.selectionModel()->selectedRows();
        ASSERT_EQ(selected.size(), 1);
        EXPECT_EQ(selected.first().row(), i);
    }
    const QRect last = grid.visualRect(model.index(49, 0));
    EXPECT_TRUE(grid.viewport()->rect().contains(last)) << "the new row is scrolled into view";

    cds1.EmptyTable();
    EXPECT_EQ(grid.model()->rowCount(), 0);
    AppendRecord(cds1, Reading("2.0"));
    EXPECT_EQ(grid.currentIndex().row(), 0);
    EXPECT_EQ(grid.currentIndex().siblingAtColumn(0).data().toInt(), 1);
}

TEST(RecordGrid, SavingKeepsTheCurrentRowAndOpeningMakesTheLastRowCurrent)
{
    TTable cds1 = CreateRecordTable();
    TRecordGridModel model(cds1);
    QTableView grid;
    ConfigureRecordGrid(grid, model);
    grid.resize(600, 200);
    grid.show();
    for (int i = 0; i < 40; ++i)
        AppendRecord(cds1, Reading("1.0"));
    const QModelIndex chosen = model.index(2, 3);
    grid.selectionModel()->setCurrentIndex(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    grid.scrollTo(chosen);
    const int scrolled = grid.verticalScrollBar()->value();

    QTemporaryDir dir;
    const SaveNotices quiet{[](const QString&) {}, [](const QString&) {}};
    const QStringList titles = {"NO", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq"};
    for (const char* name : {"walked.txt", "whole.xml"}) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(DBToFiles(cds1, dir.filePath(name), titles, quiet));
        EXPECT_EQ(grid.currentIndex(), chosen);
        EXPECT_EQ(grid.selectionModel()->selectedRows().value(0).row(), 2);
        EXPECT_EQ(grid.verticalScrollBar()->value(), scrolled);
    }

    for (const char* name : {"walked.txt", "whole.xml"}) {
        SCOPED_TRACE(name);
        grid.selectionModel()->setCurrentIndex(chosen, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        const int before = cds1.RecordCount();
        ASSERT_TRUE(AnyToCds(dir.filePath(name), cds1, false));
        ASSERT_EQ(model.rowCount(), before + 40);
        EXPECT_EQ(grid.currentIndex().row(), before + 39);
        EXPECT_EQ(grid.selectionModel()->selectedRows().value(0).row(), before + 39);
        EXPECT_TRUE(grid.viewport()->rect().contains(grid.visualRect(grid.currentIndex())));
    }
}

namespace {

// Opens the view's own item options to the test, as the delegate gets them.
class ExposedGrid : public QTableView {
public:
    using QTableView::initViewItemOption;
};

}  // namespace

TEST(RecordGrid, ColumnsHoldTheirWidestTextsWholeInNarrowAndWideFonts)
{
    const std::vector<std::vector<const char*>> rows = {
        {"2026-12-10 12:00:00", "DCR", "100.00", "MOhm", "ESR", "0.0123", "KOhm", "100KHz"},
        {"2011-05-24 15:59:13", "Cp", "1.2345", "KOhm", "RP", "-45.00", "MOhm", "10KHz"},
        {"2011-05-24 15:59:13", "Lp", "-19.99", "mH", "Q", "199.99", "Deg", "120Hz"},
    };
    for (const char* family : {"FreeSans", "Liberation Sans", "DejaVu Sans"}) {
        SCOPED_TRACE(family);
        TTable cds1 = CreateRecordTable();
        TRecordGridModel model(cds1);
        ExposedGrid grid;
        QFont font(QString::fromLatin1(family));
        font.setPixelSize(11);
        grid.setFont(font);
        ConfigureRecordGrid(grid, model);
        for (const auto& texts : rows) {
            cds1.Append();
            cds1.SetInteger(rfNO, 99999);
            for (int f = 0; f < 8; ++f)
                cds1.SetText(f + 1, texts[static_cast<std::size_t>(f)]);
            cds1.Post();
        }
        QStyleOptionViewItem option;
        grid.initViewItemOption(&option);
        for (int row = 0; row < model.rowCount(); ++row) {
            for (int c = 0; c < model.columnCount(); ++c) {
                const QModelIndex index = model.index(row, c);
                // The cell is the column less its grid line; the hint is the text with its margins.
                const int needed = grid.itemDelegateForIndex(index)->sizeHint(option, index).width();
                EXPECT_LE(needed, grid.columnWidth(c) - 1) << index.data().toString().toStdString();
            }
        }
    }
}
