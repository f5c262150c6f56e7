#include "records/ui/RecordClear.h"
#include "records/RecordTable.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QTimer>

using namespace korvex;

namespace {

// Answers the next modal dialog with the button of that name and notes the question it asked.
void AnswerNextDialog(const QString& button, QString& question)
{
    QTimer::singleShot(0, [button, &question] {
        QWidget* dialog = QApplication::activeModalWidget();
        ASSERT_NE(dialog, nullptr);
        if (auto* label = dialog->findChild<QLabel*>("Message"))
            question = label->text();
        auto* b = dialog->findChild<QAbstractButton*>(button);
        ASSERT_NE(b, nullptr);
        b->click();
    });
}

TTable TableOfThree()
{
    TTable cds1 = CreateRecordTable();
    TMeterState s;
    s.MainText = "1";
    for (int i = 0; i < 3; ++i)
        AppendRecord(cds1, s);
    return cds1;
}

}  // namespace

TEST(RecordClear, NoLeavesEverythingAsItWas)
{
    TTable cds1 = TableOfThree();
    int chartCleared = 0;
    QString question;
    AnswerNextDialog("No", question);
    EXPECT_FALSE(ClearRecords(cds1, [&] { ++chartCleared; }));
    EXPECT_EQ(question, "Are you sure that you want to delete this record?");
    EXPECT_EQ(cds1.RecordCount(), 3);
    EXPECT_EQ(cds1.ChangeLog().size(), 3u);
    EXPECT_EQ(chartCleared, 0);
}

TEST(RecordClear, YesEmptiesTableAndChangeListThenClearsTheChart)
{
    TTable cds1 = TableOfThree();
    int rowsWhenChartCleared = -1;
    QString question;
    AnswerNextDialog("Yes", question);
    EXPECT_TRUE(ClearRecords(cds1, [&] { rowsWhenChartCleared = cds1.RecordCount(); }));
    EXPECT_EQ(question, "Are you sure that you want to delete this record?");
    EXPECT_EQ(cds1.RecordCount(), 0);
    EXPECT_TRUE(cds1.ChangeLog().empty());
    EXPECT_EQ(rowsWhenChartCleared, 0);

    AppendRecord(cds1, TMeterState{});
    EXPECT_EQ(cds1.Integer(0, rfNO), 1);
    EXPECT_EQ(cds1.ChangeLog(), std::vector<std::int32_t>{1});
}
