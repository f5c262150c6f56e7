#include <QBuffer>
#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "records/RecordFiles.h"
#include "records/TabTextWriter.h"
#include "records/XmlPacketWriter.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using test::AddRow;
using test::AddThreeRows;
using test::DataPath;
using test::FileBytes;
using test::GridTitles;
using test::NineFields;

std::vector<std::string> TitleBytes()
{
    std::vector<std::string> titles;
    for (const QString& t : GridTitles())
        titles.push_back(t.toStdString());
    return titles;
}

QByteArray XmlOf(const TTable& table)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteXmlDataPacket(table, buffer));
    return buffer.data();
}

QByteArray TextOf(const TTable& table)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(WriteTabText(table, TitleBytes(), buffer));
    return buffer.data();
}

TEST(RecordFileWriters, EmptyTableGivesGoldenFiles)
{
    TTable table(NineFields());
    EXPECT_EQ(XmlOf(table), FileBytes(DataPath("empty_table.xml")));
    EXPECT_EQ(TextOf(table), FileBytes(DataPath("empty_table.xls")));
}

TEST(RecordFileWriters, ThreeRowsGiveGoldenFilesWithChangeLog)
{
    TTable table(NineFields());
    AddThreeRows(table);
    const QByteArray xml = XmlOf(table);
    EXPECT_EQ(xml, FileBytes(DataPath("three_rows.xml")));
    EXPECT_TRUE(xml.contains("CHANGE_LOG=\"1 0 4 2 0 4 3 0 4\""));
    EXPECT_EQ(xml.count("<ROW RowState=\"4\" "), 3);
    EXPECT_EQ(TextOf(table), FileBytes(DataPath("three_rows.xls")));
}

TEST(RecordFileWriters, WritingKeepsTheChangeListAndEmptyingRestartsIt)
{
    TTable table(NineFields());
    AddThreeRows(table);
    const QByteArray first = XmlOf(table);
    EXPECT_EQ(XmlOf(table), first);
    EXPECT_EQ(table.ChangeLog().size(), 3u);

    table.EmptyTable();
    AddRow(table, 9, {"t"});
    const QByteArray afterEmpty = XmlOf(table);
    EXPECT_TRUE(afterEmpty.contains("<PARAMS CHANGE_LOG=\"1 0 4\"/>"));
    EXPECT_TRUE(afterEmpty.contains("<ROW RowState=\"4\" aNO=\"9\" aTime=\"t\"/>"));
}

TEST(RecordFileWriters, MissingValuesAreLeftOut)
{
    TTable table(NineFields());
    table.Append();
    table.SetText(2, "Ls");
    table.Post();
    EXPECT_TRUE(XmlOf(table).contains("<ROW RowState=\"4\" aMMode=\"Ls\"/></ROWDATA>"));
    EXPECT_TRUE(TextOf(table).endsWith("\r\n\t\tLs\t\t\t\t\t\t\r\n"));
}

TEST(RecordFileWriters, TextNeedsTheRecordFields)
{
    TTable table({{"aNO", FieldType::Integer, 0}, {"aTime", FieldType::Text, 20}});
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_FALSE(WriteTabText(table, TitleBytes(), buffer));
}

struct NameCase {
    const char* given;
    const char* written;
    bool xml;
};

TEST(DBToFiles, ExtensionChoosesFormatAndNameAsWritten)
{
    const NameCase cases[] = {
        {"run1", "run1.xls", false},        {"run1.csv", "run1.csv.xls", false}, {"RUN1.XML", "RUN1.XML", true},
        {"run1.Txt", "run1.Txt", false},    {"run1.xls", "run1.xls", false},     {"a.xml.d/run1", "a.xml.d/run1.xls", false},
        {"run1.", "run1..xls", false},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.given);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("a.xml.d");
        TTable table(NineFields());
        AddThreeRows(table);
        test::RecordedNotices notices;
        const SaveNotices report{[&](const QString& t) { notices.informed << t; },
                                 [&](const QString& t) { notices.errors << t; }};
        EXPECT_TRUE(DBToFiles(table, dir.filePath(c.given), GridTitles(), report));

        const QString written = dir.filePath(c.written);
        EXPECT_EQ(notices.informed, QStringList{"Save table to specified file: " + written + " Scuss!"});
        EXPECT_TRUE(notices.errors.isEmpty());
        EXPECT_EQ(FileBytes(written), FileBytes(DataPath(c.xml ? "three_rows.xml" : "three_rows.xls")));
        const QFileInfo info(written);
        EXPECT_EQ(info.dir().entryList(QDir::Files), QStringList{info.fileName()});
    }
}

TEST(DBToFiles, TextWalkSuspendsTheGridAndResumesIt)
{
    QTemporaryDir dir;
    TTable table(NineFields());
    AddThreeRows(table);
    int resets = 0;
    int posted = 0;
    table.OnReset = [&] { ++resets; };
    table.OnRowPosted = [&](int) { ++posted; };
    const SaveNotices quiet{[](const QString&) {}, [](const QString&) {}};

    EXPECT_TRUE(DBToFiles(table, dir.filePath("a.txt"), GridTitles(), quiet));
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(resets, 1);

    EXPECT_FALSE(DBToFiles(table, dir.filePath("missing/a.txt"), GridTitles(), quiet));
    EXPECT_FALSE(table.ControlsDisabled());
    EXPECT_EQ(resets, 2);
    EXPECT_EQ(posted, 0);
}

}  // namespace
}  // namespace korvex
