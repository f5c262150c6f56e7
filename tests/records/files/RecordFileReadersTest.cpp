#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <string_view>

#include "records/RecordFiles.h"
#include "records/RecordRoundTrip.h"
#include "records/TabTextReader.h"
#include "records/XmlPacketReader.h"
#include "records/files/EndlessDevice.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using fuzz::AsTextFileKeepsIt;
using test::AddRow;
using test::AddThreeRows;
using test::DataPath;
using test::EndlessDevice;
using test::GridTitles;
using test::NineFields;
using test::Numbers;

struct Cell {
    int row;
    int field;
    std::string text;  // expected bytes of a text field
};

struct OpenCase {
    const char* file;
    bool loads;
    std::vector<std::int32_t> numbers;
    std::vector<Cell> cells;
};

const OpenCase kOpenCases[] = {
    {"header_only.txt", true, {}, {}},
    {"header_without_line_end.txt", true, {}, {}},
    {"first_line_is_data.txt", true, {2}, {{0, 1, "y"}}},
    {"trailing_empty_line.txt", false, {1, 2}, {}},
    {"mixed_line_ends.txt", true, {1, 2, 3, 4}, {{3, 1, "d"}}},
    {"lf_cr_is_two_line_ends.txt", false, {1}, {}},
    {"byte_zero_ends_text.txt", true, {1, 2}, {{1, 1, "b"}}},
    {"ten_pieces.txt", false, {1}, {}},
    {"bad_number.txt", false, {1}, {}},
    {"number_over_32_bits.txt", false, {2147483647}, {}},
    {"empty_file.txt", false, {}, {}},
    {"signs_and_long_texts.txt", true, {-5, 7}, {{0, 1, "12345678901234567890"}, {1, 8, "9"}, {1, 1, ""}}},
    {"undefined_code_page_bytes.txt", true, {1}, {{0, 1, "\x81\x8D\x8F\x90\x9D\xFF"}}},
    {"csv_extension.csv", true, {1}, {}},
    {"dat_extension.dat", true, {1, 2}, {}},
    {"not_a_packet.xml", false, {}, {}},
    {"ten_fields.xml", false, {}, {}},
    {"three_fields.xml", true, {7, 8}, {{0, 1, "t1"}, {0, 2, "Cs"}, {1, 2, "Lp"}, {1, 1, ""}}},
    {"truncated.xml", false, {}, {}},
    {"bad_integer.xml", false, {}, {}},
    {"integer_over_32_bits.xml", false, {}, {}},
    {"text_into_integer.xml", false, {5}, {{0, 1, "a"}}},
    {"doctype_entities.xml", false, {}, {}},
    {"external_entity.xml", false, {}, {}},
    {"unknown_field_type.xml", false, {}, {}},
    {"undefined_code_page_bytes.xml", true, {1}, {{0, 1, "\x81\x8D\x8F\x90\x9D\xFF"}, {0, 2, "\x01x\x1F"}}},
    {"other_elements_and_order.xml", true, {3, 4}, {{0, 8, "1KHz"}, {1, 1, "t"}}},
    {"no_fields.xml", false, {}, {}},
    {"row_before_fields.xml", false, {}, {}},
};

TEST(AnyToCds, OpenCasesAppendByPositionAndStopAtTheFirstFailure)
{
    for (const OpenCase& c : kOpenCases) {
        SCOPED_TRACE(c.file);
        TTable table(NineFields());
        AddRow(table, 100, {"kept"});
        EXPECT_EQ(AnyToCds(DataPath(QStringLiteral("open/") + c.file), table, false), c.loads);
        std::vector<std::int32_t> expected{100};
        expected.insert(expected.end(), c.numbers.begin(), c.numbers.end());
        EXPECT_EQ(Numbers(table), expected);
        EXPECT_FALSE(table.Editing());
        EXPECT_FALSE(table.ControlsDisabled());
        for (const Cell& cell : c.cells)
            EXPECT_EQ(table.Text(cell.row + 1, cell.field), cell.text) << "row " << cell.row << " field " << cell.field;
    }
}

TEST(AnyToCds, MissingXmlValuesStayMissing)
{
    TTable table(NineFields());
    ASSERT_TRUE(AnyToCds(DataPath("open/three_fields.xml"), table, false));
    EXPECT_TRUE(table.IsNull(1, 1));
    EXPECT_TRUE(table.IsNull(0, 3));
    EXPECT_FALSE(table.IsNull(1, 2));
}

TEST(AnyToCds, RoundTripsIntoAnEmptyTable)
{
    TTable source(NineFields());
    AddThreeRows(source);
    AddRow(source, -7, {" \x01lead", "trail\x1F\t", "&amp;", "\x7F\\n", "", "x y", "\"'", "<>"});
    // Values that end like the name of the change list, in the middle of a row and at its end.
    AddRow(source, 8, {"a CHANGE_LOG=", " CHANGE_LOG=\"1 0 4\"", " CHANGE_LOG=", "", "", "", "", "b CHANGE_LOG="});
    // Texts holding what a text line cannot carry.
    AddRow(source, 9, {std::string("a\tb\rc\nd\0e", 9), "\tx\r\ny\t", std::string("\0\0z", 3), "1\t2"});
    // A row without a number, as an XML packet may give.
    source.Append();
    source.SetText(1, "no number");
    source.Post();
    QTemporaryDir dir;
    const SaveNotices quiet{[](const QString&) {}, [](const QString&) {}};
    for (const char* name : {"r.xml", "r.txt"}) {
        SCOPED_TRACE(name);
        const bool xml = QString(name).endsWith(".xml");
        ASSERT_TRUE(DBToFiles(source, dir.filePath(name), GridTitles(), quiet));
        TTable back(NineFields());
        AddRow(back, 5, {});
        ASSERT_TRUE(AnyToCds(dir.filePath(name), back, true));
        ASSERT_EQ(back.RecordCount(), source.RecordCount());
        for (int row = 0; row < source.RecordCount(); ++row) {
            EXPECT_EQ(back.IsNull(row, 0), source.IsNull(row, 0)) << "row " << row;
            EXPECT_EQ(back.Integer(row, 0), source.Integer(row, 0)) << "row " << row;
            for (int field = 1; field < 9; ++field) {
                const std::string expected = xml ? std::string(source.Text(row, field))
                                                 : AsTextFileKeepsIt(source.Text(row, field));
                EXPECT_EQ(back.Text(row, field), expected) << "row " << row << " field " << field;
            }
        }
    }
}

TEST(AnyToCds, OpeningTwiceDoublesTheRowsWithRepeatedNumbers)
{
    TTable table(NineFields());
    for (const char* file : {"three_rows.xls", "three_rows.xls", "three_rows.xml"})
        ASSERT_TRUE(AnyToCds(DataPath(file), table, false));
    EXPECT_EQ(Numbers(table), (std::vector<std::int32_t>{1, 2, 3, 1, 2, 3, 1, 2, 3}));
    EXPECT_EQ(table.ChangeLog().size(), 9u);
}

TEST(AnyToCds, XmlExtensionIsComparedWithoutCase)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QFile::copy(DataPath("three_rows.xml"), dir.filePath("RUN1.XML")));
    ASSERT_TRUE(QFile::copy(DataPath("three_rows.xml"), dir.filePath("run1.xml.txt")));
    TTable table(NineFields());
    EXPECT_TRUE(AnyToCds(dir.filePath("RUN1.XML"), table, false));
    EXPECT_EQ(table.RecordCount(), 3);
    EXPECT_TRUE(AnyToCds(dir.filePath("run1.xml.txt"), table, false));  // read as text: its one line is the header
    EXPECT_EQ(table.RecordCount(), 3);
}

TEST(AnyToCds, UnreadableFilesAppendNothing)
{
    QTemporaryDir dir;
    const QString removed = dir.filePath("gone.xls");
    test::WriteBytes(removed, "NO\r\n1\r\n");
    ASSERT_TRUE(QFile::remove(removed));  // chosen in the dialog, gone before the read
    QDir(dir.path()).mkdir("folder.xml");
    for (const QString& path : {removed, dir.filePath("folder.xml"), dir.filePath("gone.xml")}) {
        SCOPED_TRACE(path.toStdString());
        TTable table(NineFields());
        EXPECT_FALSE(AnyToCds(path, table, false));
        EXPECT_EQ(table.RecordCount(), 0);
    }
}

TEST(AnyToCds, SparseFileOfGigabytesEndsAtItsFirstZeroByte)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("sparse.txt");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("NO\tTime\r\n1\ta\r\n2");
    ASSERT_TRUE(file.resize(qint64(4) << 30));  // holes read as zero bytes
    file.close();
    TTable table(NineFields());
    EXPECT_TRUE(AnyToCds(path, table, false));
    EXPECT_EQ(Numbers(table), (std::vector<std::int32_t>{1, 2}));
}

struct StreamCase {
    const char* name;
    bool xml;
    QByteArray prefix;
    QByteArray pattern;
};

// Endless input stops the read early: nothing hangs and memory stays bounded by the limits of a line or token.
TEST(RecordFileReaders, EndlessInputFailsAfterBoundedReading)
{
    const StreamCase cases[] = {
        {"line without end", false, "", "A"},
        {"line after the header", false, "NO\r\n", "7"},
        {"attribute value", true, "<?xml version=\"1.0\"?><DATAPACKET Version=\"", "A"},
        {"row attribute", true,
         "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"aTime\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS>"
         "</METADATA><ROWDATA><ROW aTime=\"",
         "&amp;"},
        {"nesting", true, "<DATAPACKET>", "<METADATA>"},
        {"comment", true, "<DATAPACKET><!--", "-x"},
        {"element name", true, "<", "D"},
    };
    const qint64 gigabytes = qint64(8) << 30;
    for (const StreamCase& c : cases) {
        SCOPED_TRACE(c.name);
        EndlessDevice device(c.prefix, c.pattern, gigabytes);
        TTable table(NineFields());
        EXPECT_FALSE(c.xml ? ReadXmlDataPacket(device, table) : ReadTabText(device, table));
        EXPECT_EQ(table.RecordCount(), 0);
        EXPECT_LT(device.bytesTaken(), qint64(4) << 20);
    }
}

TEST(RecordFileReaders, ManyRowsStreamThroughBothReaders)
{
    // Long valid input is read to its end: the bounds apply to one line or token, not to the file.
    const int rows = 20000;
    EndlessDevice text("NO\r\n", "1\tx\r\n", 4 + 5 * rows);
    TTable fromText(NineFields());
    EXPECT_TRUE(ReadTabText(text, fromText));
    EXPECT_EQ(fromText.RecordCount(), rows);

    const QByteArray head =
        "<DATAPACKET><METADATA><FIELDS><FIELD attrname=\"aNO\" fieldtype=\"i4\"/></FIELDS></METADATA><ROWDATA>";
    const QByteArray row = "<ROW aNO=\"1\"/>";
    const QByteArray tail = "</ROWDATA></DATAPACKET>";
    QByteArray xml = head;
    for (int i = 0; i < rows; ++i)
        xml += row;
    xml += tail;
    EndlessDevice packet(xml, " ", xml.size());
    TTable fromXml(NineFields());
    EXPECT_TRUE(ReadXmlDataPacket(packet, fromXml));
    EXPECT_EQ(fromXml.RecordCount(), rows);
}

TEST(RecordFileReaders, ChangeLogOfAnySizeIsSkippedButMustHoldNumbers)
{
    // A big table's list of pending changes is megabytes in one attribute, above the bound on a token.
    QByteArray log;
    for (int i = 1; i <= 300000; ++i)
        log += QByteArray::number(i) + " 0 4 ";
    log.chop(1);
    ASSERT_GT(log.size(), 2 << 20);
    const auto packet = [](const QByteArray& changes) {
        return "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
               "<FIELD attrname=\"aNO\" fieldtype=\"i4\"/></FIELDS><PARAMS CHANGE_LOG=\"" +
               changes + "\"/></METADATA><ROWDATA><ROW RowState=\"4\" aNO=\"1\"/></ROWDATA></DATAPACKET>";
    };
    for (const auto& [changes, loads] : {std::pair{log, true}, {"1 0 4", true}, {"1 0 <4", false}, {"1&amp;", false}}) {
        QByteArray bytes = packet(changes);
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::ReadOnly);
        TTable table(NineFields());
        EXPECT_EQ(ReadXmlDataPacket(buffer, table), loads) << changes.left(20).toStdString();
        EXPECT_EQ(table.RecordCount(), loads ? 1 : 0);
    }
}

}  // namespace
}  // namespace korvex
