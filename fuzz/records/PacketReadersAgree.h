#pragma once

#include <QBuffer>
#include <QByteArray>
#include <algorithm>
#include <string>
#include <vector>

#include "records/RecordFuzzTable.h"
#include "records/XmlPacketReader.h"
#include "records/XmlPacketScanner.h"
#include "records/XmlPacketStreamParser.h"
#include "records/XmlPacketTable.h"

// The packet reader's scanner must decide as Qt's general XML parser does wherever it decides at all,
// and the reader as a whole must give what the general parser alone gives: the same outcome and the same
// rows. Shared by the fuzz target and the suite that runs both over the corpora and the golden files.
namespace korvex::fuzz {

inline std::string DescribedPacket(const xmlpacket::PacketTable& packet)
{
    std::string text = std::to_string(packet.rows) + " rows;";
    for (const FieldDef& field : packet.fields)
        text += " " + field.name + ":" + std::to_string(static_cast<int>(field.type)) + ":" + std::to_string(field.size);
    for (const std::string& piece : packet.pieces)
        text += "|" + piece;
    return text;
}

// Every cell of the table, a missing value told apart from an empty text.
inline std::vector<std::string> DescribedRows(const TTable& table)
{
    std::vector<std::string> rows;
    for (int row = 0; row < table.RecordCount(); ++row) {
        std::string cells;
        for (int field = 0; field < table.FieldCount(); ++field) {
            if (table.IsNull(row, field))
                cells += "-";
            else if (field == 0)
                cells += std::to_string(table.Integer(row, 0));
            else
                cells += "'" + std::string(table.Text(row, field)) + "'";
            cells += ";";
        }
        rows.push_back(std::move(cells));
    }
    return rows;
}

// A buffer that hands out its bytes three at a time, as a slow device may, so that every tag of a small
// input runs past the bytes at hand. (A tag is taken again from its start as more bytes come, so large
// inputs would take long.)
constexpr qsizetype kMaxTrickledBytes = 64 * 1024;
class TricklingBuffer : public QBuffer {
public:
    explicit TricklingBuffer(const QByteArray& bytes)
    {
        setData(bytes);
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }

protected:
    qint64 readData(char* data, qint64 maxSize) override { return QBuffer::readData(data, std::min<qint64>(maxSize, 3)); }
};

struct ReadersCompared {
    xmlpacket::ScanOutcome scanned;
    std::string difference;  // empty where the readers agree
};

inline ReadersCompared CompareReaders(const QByteArray& bytes)
{
    using namespace xmlpacket;
    const auto opened = [&bytes](QBuffer& buffer) {
        buffer.setData(bytes);
        buffer.open(QIODevice::ReadOnly);
    };
    QBuffer forScanner;
    QBuffer forParser;
    opened(forScanner);
    opened(forParser);
    PacketTable scannedPacket;
    PacketTable parsedPacket;
    const ScanOutcome scanned = ScanPacket(forScanner, scannedPacket);
    const bool parsed = ParseWithStreamReader(forParser, parsedPacket);
    if (bytes.size() <= kMaxTrickledBytes) {
        TricklingBuffer trickling(bytes);
        PacketTable trickledPacket;
        if (ScanPacket(trickling, trickledPacket) != scanned ||
            DescribedPacket(trickledPacket) != DescribedPacket(scannedPacket))
            return {scanned, "the scanner reads the bytes differently when they come a few at a time"};
    }
    if (scanned != ScanOutcome::Unsure) {
        if ((scanned == ScanOutcome::Read) != parsed)
            return {scanned, parsed ? "the scanner refused a packet the parser reads" : "the scanner read a packet the parser refuses"};
        if (parsed && DescribedPacket(scannedPacket) != DescribedPacket(parsedPacket))
            return {scanned, "the packets differ: " + DescribedPacket(scannedPacket) + " against " + DescribedPacket(parsedPacket)};
    }

    QBuffer whole;
    opened(whole);
    TTable read = RecordTable();
    const bool loaded = ReadXmlDataPacket(whole, read);
    TTable expected = RecordTable();
    const bool expectedLoaded = parsed && CopyByPosition(parsedPacket, expected);
    if (loaded != expectedLoaded)
        return {scanned, loaded ? "the reader loads a packet the parser refuses" : "the reader refuses a packet the parser loads"};
    if (DescribedRows(read) != DescribedRows(expected))
        return {scanned, "the reader's rows differ from the parser's"};
    return {scanned, {}};
}

}  // namespace korvex::fuzz
