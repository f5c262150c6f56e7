#pragma once

#include <QBuffer>
#include <QByteArray>
#include <exception>
#include <string>
#include <string_view>
#include <vector>

#include "records/RecordFuzzTable.h"
#include "records/TabTextReader.h"
#include "records/TabTextWriter.h"
#include "records/XmlPacketReader.h"
#include "records/XmlPacketWriter.h"

// The promise that the readers accept what the writers write: whatever rows either reader takes from a
// file, written as an XML data packet they read back the same, and written as tab-separated text they
// read back the same but for what that format cannot carry. Shared by the fuzz target and the suite that
// replays its corpus.
namespace korvex::fuzz {

// What a text file gives back of a value: blanks and control characters cut from both ends, and a TAB,
// line end or byte 0 inside it as a blank.
inline std::string AsTextFileKeepsIt(std::string_view value)
{
    const auto cut = [](char c) { return static_cast<unsigned char>(c) <= 32; };
    while (!value.empty() && cut(value.front()))
        value.remove_prefix(1);
    while (!value.empty() && cut(value.back()))
        value.remove_suffix(1);
    std::string kept(value);
    for (char& c : kept) {
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0')
            c = ' ';
    }
    return kept;
}

inline std::string Described(const char* what, int row, int field)
{
    return std::string(what) + " at row " + std::to_string(row) + ", field " + std::to_string(field);
}

// The first difference between the rows read and the rows read back, or an empty text.
// `asText`: the copy went through a text file, which keeps a missing text as an empty one.
inline std::string FirstDifference(const TTable& read, const TTable& back, bool asText)
{
    if (back.RecordCount() != read.RecordCount())
        return "read back " + std::to_string(back.RecordCount()) + " rows of " + std::to_string(read.RecordCount());
    for (int row = 0; row < read.RecordCount(); ++row) {
        if (read.IsNull(row, 0) != back.IsNull(row, 0) || read.Integer(row, 0) != back.Integer(row, 0))
            return Described("number differs", row, 0);
        for (int field = 1; field < read.FieldCount(); ++field) {
            if (!asText && read.IsNull(row, field) != back.IsNull(row, field))
                return Described("missing value differs", row, field);
            const std::string expected = asText ? AsTextFileKeepsIt(read.Text(row, field))
                                                : std::string(read.Text(row, field));
            if (back.Text(row, field) != expected)
                return Described("text differs", row, field);
        }
    }
    return {};
}

inline std::string WriteAndReadBack(const TTable& read, bool asText)
{
    QBuffer written;
    written.open(QIODevice::WriteOnly);
    static const std::vector<std::string> kTitles = {"NO",    "Time",   "MMode", "MValue", "MUnit",
                                                     "SMode", "SValue", "SUnit", "Freq"};
    if (!(asText ? WriteTabText(read, kTitles, written) : WriteXmlDataPacket(read, written)))
        return "the write failed";
    written.close();
    written.open(QIODevice::ReadOnly);
    TTable back = RecordTable();
    const bool readBack = asText ? ReadTabText(written, back) : ReadXmlDataPacket(written, back);
    if (!readBack)
        return "the written file does not read back (" + std::to_string(back.RecordCount()) + " of " +
               std::to_string(read.RecordCount()) + " rows read)";
    return FirstDifference(read, back, asText);
}

// Reads the bytes with each reader in turn; the rows that reader posted, also those before a failure,
// go through both formats. Returns what broke the promise, or an empty text.
inline std::string RoundTripFault(const QByteArray& bytes)
{
    for (const bool fromText : {true, false}) {
        QByteArray input = bytes;
        QBuffer in(&input);
        in.open(QIODevice::ReadOnly);
        TTable read = RecordTable();
        try {
            fromText ? ReadTabText(in, read) : ReadXmlDataPacket(in, read);
        } catch (const std::exception&) {
            continue;  // refused as the file commands refuse it: nothing to write
        }
        if (read.RecordCount() == 0)
            continue;
        for (const bool asText : {false, true}) {
            const std::string fault = WriteAndReadBack(read, asText);
            if (!fault.empty())
                return std::string(fromText ? "text" : "XML") + " file written as " + (asText ? "text" : "XML") +
                       ": " + fault;
        }
    }
    return {};
}

}  // namespace korvex::fuzz
