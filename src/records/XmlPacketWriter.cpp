#include "records/XmlPacketWriter.h"

#include <array>
#include <charconv>
#include <string>
#include <string_view>

#include "records/BufferedSink.h"

namespace korvex {
namespace {

// The character reference of each byte that an attribute value cannot hold as it is; empty for the rest.
constexpr std::array<std::string_view, 256> MakeReferences()
{
    std::array<std::string_view, 256> refs{};
    refs['<'] = "&lt;";
    refs['>'] = "&gt;";
    refs['&'] = "&amp;";
    refs['\''] = "&apos;";
    refs['"'] = "&quot;";
    refs['\r'] = "&#013;";
    refs['\n'] = "&#010;";
    refs['\t'] = "&#009;";
    refs['\\'] = "&#092;";
    return refs;
}
constexpr std::array<std::string_view, 256> kReferences = MakeReferences();

void AppendEscaped(std::string& out, std::string_view value)
{
    std::size_t plainFrom = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        const std::string_view ref = kReferences[static_cast<unsigned char>(value[i])];
        if (ref.empty())
            continue;
        out.append(value.substr(plainFrom, i - plainFrom));
        out.append(ref);
        plainFrom = i + 1;
    }
    out.append(value.substr(plainFrom));
}

void AppendNumber(std::string& out, std::int64_t value)
{
    char digits[24];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

void AppendMetadata(std::string& out, const TTable& table)
{
    out.append("<METADATA><FIELDS>");
    for (const FieldDef& field : table.Fields()) {
        out.append("<FIELD attrname=\"");
        AppendEscaped(out, field.name);
        if (field.type == FieldType::Integer) {
            out.append("\" fieldtype=\"i4\"/>");
        } else {
            out.append("\" fieldtype=\"string\" WIDTH=\"");
            AppendNumber(out, field.size);
            out.append("\"/>");
        }
    }
    out.append("</FIELDS>");
    const std::vector<std::int32_t>& changes = table.ChangeLog();
    if (changes.empty()) {
        out.append("<PARAMS/>");
    } else {
        // Every pending change is an appended row: its sequence number, 0, and 4 (row added).
        out.append("<PARAMS CHANGE_LOG=\"");
        for (std::size_t i = 0; i < changes.size(); ++i) {
            if (i > 0)
                out.push_back(' ');
            AppendNumber(out, changes[i]);
            out.append(" 0 4");
        }
        out.append("\"/>");
    }
    out.append("</METADATA>");
}

}  // namespace

bool WriteXmlDataPacket(const TTable& table, QIODevice& out)
{
    BufferedSink sink(out);
    std::string& buffer = sink.Buffer();
    buffer.append("<?xml version=\"1.0\" standalone=\"yes\"?>  <DATAPACKET Version=\"2.0\">");
    AppendMetadata(buffer, table);
    buffer.append("<ROWDATA>");

    const std::vector<FieldDef>& fields = table.Fields();
    // Rows are only appended, so the first rows of the table are the ones the change list counts.
    const auto pendingRows = table.ChangeLog().size();
    for (int row = 0; row < table.RecordCount(); ++row) {
        buffer.append(static_cast<std::size_t>(row) < pendingRows ? "<ROW RowState=\"4\"" : "<ROW");
        for (int f = 0; f < table.FieldCount(); ++f) {
            if (table.IsNull(row, f))
                continue;
            const FieldDef& field = fields[static_cast<std::size_t>(f)];
            buffer.push_back(' ');
            buffer.append(field.name);
            buffer.append("=\"");
            if (field.type == FieldType::Integer)
                AppendNumber(buffer, table.Integer(row, f));
            else
                AppendEscaped(buffer, table.Text(row, f));
            buffer.push_back('"');
        }
        buffer.append("/>");
        sink.FlushIfFull();
    }
    buffer.append("</ROWDATA></DATAPACKET>");
    return sink.Flush();
}

}  // namespace korvex
