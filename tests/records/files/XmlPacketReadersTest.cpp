#include <QDirIterator>
#include <gtest/gtest.h>

#include "records/PacketReadersAgree.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using fuzz::CompareReaders;
using xmlpacket::ScanOutcome;

constexpr ScanOutcome kRead = ScanOutcome::Read;
constexpr ScanOutcome kRefused = ScanOutcome::Refused;
constexpr ScanOutcome kUnsure = ScanOutcome::Unsure;

// Every input the fuzzers keep and every golden file, whatever its format, reads as the general parser
// alone reads it.
TEST(XmlPacketReaders, AgreeOnEveryCorpusAndGoldenFile)
{
    int files = 0;
    for (const char* folder : {"/fuzz/corpus/records-xml", "/fuzz/corpus/records-roundtrip",
                               "/fuzz/corpus/records-text", "/tests/data/records"}) {
        QDirIterator it(QStringLiteral(KORVEX_SOURCE_DIR) + folder, QDir::Files, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            EXPECT_EQ(CompareReaders(test::FileBytes(path)).difference, "") << path.toStdString();
            ++files;
        }
    }
    EXPECT_GT(files, 100);
}

struct GoldenCase {
    const char* file;
    ScanOutcome scanned;
};

// The scanner itself decides the files in the writer's form, refusals included.
TEST(XmlPacketReaders, ScannerDecidesTheGoldenFilesOfThePlainForm)
{
    const GoldenCase cases[] = {
        {"three_rows.xml", kRead},
        {"empty_table.xml", kRead},
        {"open/three_fields.xml", kRead},
        {"open/undefined_code_page_bytes.xml", kRead},
        {"open/ten_fields.xml", kRead},
        {"open/text_into_integer.xml", kRead},
        {"open/truncated.xml", kRefused},
        {"open/bad_integer.xml", kRefused},
        {"open/integer_over_32_bits.xml", kRefused},
        {"open/unknown_field_type.xml", kRefused},
        {"open/no_fields.xml", kRefused},
        {"open/row_before_fields.xml", kRefused},
        {"open/not_a_packet.xml", kRefused},
        {"open/doctype_entities.xml", kUnsure},
        {"open/external_entity.xml", kUnsure},
        {"open/other_elements_and_order.xml", kUnsure},
    };
    for (const GoldenCase& c : cases)
        EXPECT_EQ(CompareReaders(test::FileBytes(test::DataPath(c.file))).scanned, c.scanned) << c.file;
}

QByteArray Packet(const QByteArray& rows, const QByteArray& params = "<PARAMS/>",
                  const QByteArray& fields = "<FIELD attrname=\"aNO\" fieldtype=\"i4\"/>"
                                             "<FIELD attrname=\"aTime\" fieldtype=\"string\" WIDTH=\"20\"/>"
                                             "<FIELD attrname=\"aMMode\" fieldtype=\"string\" WIDTH=\"20\"/>")
{
    return "<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS>" + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

QByteArray Field(const char* name, const char* type, const char* width = nullptr)
{
    QByteArray field = QByteArray("<FIELD attrname=\"") + name + "\" fieldtype=\"" + type + "\"";
    if (width)
        field += QByteArray(" WIDTH=\"") + width + "\"";
    return field + "/>";
}

// The bytes up to the end of the first `marker`.
QByteArray UpTo(const QByteArray& bytes, const QByteArray& marker)
{
    return bytes.left(bytes.indexOf(marker) + marker.size());
}

// Every byte a value may hold as it stands, twenty to a text, in rows of two texts.
QByteArray EveryByteInValues(char quote)
{
    QByteArray rows;
    QByteArray bytes;
    for (int b = 0; b < 256; ++b) {
        if (b != '\t' && b != '\n' && b != '\r' && b != '&' && b != '<' && b != quote)
            bytes += static_cast<char>(b);
    }
    for (qsizetype at = 0; at < bytes.size(); at += 40) {
        rows += QByteArray("<ROW aNO=") + quote + "1" + quote + " aTime=" + quote + bytes.mid(at, 20) + quote +
                " aMMode=" + quote + bytes.mid(at + 20, 20) + quote + "/>";
    }
    return rows;
}

struct EdgeCase {
    const char* name;
    QByteArray bytes;
    ScanOutcome scanned;
};

// Packets at the edges of the form the scanner takes: whatever it decides, the general parser decides alike.
TEST(XmlPacketReaders, AgreeAtTheEdgesOfThePlainForm)
{
    const QByteArray row = "<ROW RowState=\"4\" aNO=\"1\" aTime=\"2011-05-24 15:59:13\" aMMode=\"Cp\"/>";
    const QByteArray manyRows = row.repeated(40000);  // several of the readers' chunks
    const QByteArray longLog = QByteArray("123456 0 4 ").repeated(300000) + "1 0 4";
    const EdgeCase cases[] = {
        {"every byte between double quotes", Packet(EveryByteInValues('"')), kRead},
        {"every byte between single quotes", Packet(EveryByteInValues('\'')), kRead},
        {"references", Packet("<ROW aNO=\"&#49;&#x32;\" aTime=\"&lt;&gt;&amp;&apos;&quot;&#009;&#10;&#xD;&#x5c;&#127;\"/>"), kRead},
        {"reference beyond ASCII", Packet("<ROW aNO=\"1\" aTime=\"&#128;&#233;\"/>"), kUnsure},
        {"reference to byte 0", Packet("<ROW aNO=\"1\" aTime=\"&#0;\"/>"), kUnsure},
        {"unknown entity", Packet("<ROW aNO=\"1\" aTime=\"&foo;\"/>"), kUnsure},
        {"upper-case hex mark", Packet("<ROW aNO=\"1\" aTime=\"&#X41;\"/>"), kUnsure},
        {"TAB as it stands in a value", Packet("<ROW aNO=\"1\" aTime=\"a\tb\"/>"), kUnsure},
        {"CR LF as it stands in a value", Packet("<ROW aNO=\"1\" aTime=\"a\r\nb\"/>"), kUnsure},
        {"texts cut to the field width", Packet("<ROW aTime=\"123456789012345678901234\" aMMode=\"&amp;234567890123456789&amp;&amp;\"/>"), kRead},
        {"attributes in any order, unknown ones skipped", Packet("<ROW aMMode=\"m\" foo=\"x\" aNO=\"2\" RowState=\"4\" aTime=\"t\"/>"), kRead},
        {"a field named RowState", Packet("<ROW aNO=\"1\" RowState=\"in\"/><ROW RowState=\"out\" aNO=\"2\"/>", "<PARAMS/>",
                                          Field("aNO", "i4") + Field("RowState", "string", "20")), kRead},
        {"repeated attribute in a row", Packet("<ROW aNO=\"1\" aNO=\"2\"/>"), kUnsure},
        {"repeated unknown attribute in a row", Packet("<ROW x=\"1\" aNO=\"1\" x=\"2\"/>"), kUnsure},
        {"repeated attribute in a field", Packet(row, "<PARAMS/>", "<FIELD attrname=\"aNO\" attrname=\"b\" fieldtype=\"i4\"/>"), kUnsure},
        {"blanks around = and single quotes", Packet("<ROW\n aNO = '3'\taTime\r\n=\"x\"  />"), kRead},
        {"blanks between elements", Packet(" \r\n<ROW aNO=\"1\"/>\t\n<ROW aNO=\"2\"></ROW >\n"), kRead},
        {"no blank between attributes", Packet("<ROW aNO=\"1\"aTime=\"x\"/>"), kUnsure},
        {"end tag of another element", Packet("<ROW aNO=\"1\"></ROWS>"), kUnsure},
        {"text between elements", Packet("x<ROW aNO=\"1\"/>"), kUnsure},
        {"comment", Packet("<!-- c --><ROW aNO=\"1\"/>"), kUnsure},
        {"name with a colon", Packet("<ROW aNO=\"1\" a:b=\"x\"/>"), kUnsure},
        {"name reserved to XML", Packet("<ROW aNO=\"1\" xmlns=\"x\"/>"), kUnsure},
        {"row of a bad number", Packet(row + "<ROW aNO=\"1x\"/>"), kRefused},
        {"row with an empty number", Packet("<ROW aNO=\"\"/>"), kRefused},
        {"row too deep", "<DATAPACKET>" + QByteArray("<a>").repeated(63) + "<b/>" + QByteArray("</a>").repeated(63) + "</DATAPACKET>", kRefused},
        {"nesting at the limit", Packet(row + "<X>" + QByteArray("<a>").repeated(60) + QByteArray("</a>").repeated(60) + "</X>"), kRead},
        {"field after the rows", Packet(row).replace("</ROWDATA>", "</ROWDATA><METADATA><FIELDS>" + Field("x", "i4") + "</FIELDS></METADATA>"), kRefused},
        {"repeated field name", Packet(row, "<PARAMS/>", Field("aNO", "i4") + Field("aNO", "i4")), kRefused},
        {"width out of range", Packet(row, "<PARAMS/>", Field("aNO", "i4") + Field("aTime", "string", "65536")), kRefused},
        {"width by reference", Packet(row, "<PARAMS/>", Field("aNO", "i4") + Field("aTime", "string", "&#50;0")), kRead},
        {"field type beyond ASCII", Packet(row, "<PARAMS/>", Field("aNO", "i\xB4")), kRefused},
        {"field name beyond ASCII", Packet(row, "<PARAMS/>", Field("aN\xD6", "i4")), kUnsure},
        {"field name with a control byte", Packet(row, "<PARAMS/>", Field("aN\x01", "i4")), kUnsure},
        {"change list", Packet(row, "<PARAMS CHANGE_LOG=\"1 0 4\"/>"), kRead},
        {"change list over several chunks", Packet(row, "<PARAMS  a='\"' CHANGE_LOG=\"" + longLog + "\"/>"), kRead},
        {"change list of a letter", Packet(row, "<PARAMS CHANGE_LOG=\"1 0 x\"/>"), kRefused},
        {"change list of a letter after many digits", Packet(row, "<PARAMS CHANGE_LOG=\"" + longLog + "x\"/>"), kRefused},
        {"change list in another element", Packet("<PARAMS CHANGE_LOG=\"1 2\"/><PARAMS CHANGE_LOG=\"a\"/>"), kRefused},
        {"change list after a TAB is an attribute", Packet(row, "<PARAMS\tCHANGE_LOG=\"a b\"/>"), kRead},
        {"change list with blanks around =", Packet(row, "<PARAMS CHANGE_LOG = \"a b\"/>"), kRead},
        {"change list twice", Packet(row, "<PARAMS CHANGE_LOG=\"1\" CHANGE_LOG=\"2\"/>"), kUnsure},
        {"end inside the change list", UpTo(Packet(row, "<PARAMS CHANGE_LOG=\"1 0 4\"/>"), "1 0 "), kRefused},
        {"many rows", Packet(manyRows), kRead},
        {"many rows, then a comment", Packet(manyRows) + "<!-- c -->", kUnsure},
        {"many rows, cut short", Packet(manyRows).chopped(30), kRefused},
        {"blanks after the packet", Packet(row) + " \r\n\t", kRead},
        {"text after the packet", Packet(row) + "x", kUnsure},
        {"no declaration", Packet(row).mid(40), kRead},
        {"declaration of an encoding", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + Packet(row).mid(40), kUnsure},
        {"blank before the declaration", " " + Packet(row), kUnsure},
        {"nothing", "", kRefused},
        {"empty packet", "<DATAPACKET/>", kRefused},
        {"value longer than the scanner holds", Packet("<ROW aNO=\"1\" aTime=\"" + QByteArray(600 * 1024, 'v') + "\"/>"), kUnsure},
        {"value longer than the parser takes", Packet("<ROW aNO=\"1\" aTime=\"" + QByteArray(2 << 20, 'v') + "\"/>"), kUnsure},
        {"blanks longer than the scanner takes", Packet(QByteArray(300 * 1024, ' ') + row), kUnsure},
    };
    for (const EdgeCase& c : cases) {
        const auto compared = CompareReaders(c.bytes);
        EXPECT_EQ(compared.difference, "") << c.name;
        EXPECT_EQ(compared.scanned, c.scanned) << c.name;
    }
}

}  // namespace
}  // namespace korvex
