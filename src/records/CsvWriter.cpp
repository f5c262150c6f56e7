#include "records/CsvWriter.h"

#include <initializer_list>

#include "meter/Windows1252.h"
#include "records/BufferedSink.h"
#include "records/RecordGridModel.h"
#include "records/SiReading.h"

namespace korvex {
namespace {

constexpr std::size_t kNumberColumn = 0;
constexpr std::size_t kSModeColumn = 5;
constexpr std::size_t kMValueColumn = 3;
constexpr std::size_t kMUnitColumn = 4;
constexpr std::size_t kTimeColumn = 1;

void AppendFields(std::string& line, std::initializer_list<std::string_view> values)
{
    for (const std::string_view value : values) {
        line += CsvField(value);
        line.push_back(',');
    }
}

}  // namespace

std::string CsvField(std::string_view utf8)
{
    if (utf8.find_first_of(",\"\r\n") == std::string_view::npos)
        return std::string(utf8);
    std::string out;
    out.reserve(utf8.size() + 2);
    out.push_back('"');
    for (const char c : utf8) {
        if (c == '"')
            out.push_back('"');
        out.push_back(c);
    }
    out.push_back('"');
    return out;
}

TCsvWriter::TCsvWriter(const TTable& table, std::string decimalSep)
    : table_(table)
    , decimalSep_(std::move(decimalSep))
{
    for (std::size_t i = 0; i < RecordColumns.size(); ++i) {
        fields_[i] = table_.FindField(RecordColumns[i].field);
        valid_ = valid_ && fields_[i] >= 0;
    }
}

std::string TCsvWriter::HeaderLine()
{
    std::string line;
    for (const TRecordColumn& column : RecordColumns) {
        line += CsvField(column.title);
        line.push_back(',');
    }
    line += "time_iso,main_value_si,main_unit_si\r\n";
    return line;
}

std::string TCsvWriter::RowLine(int row, const std::optional<QDateTime>& exactTime,
                                std::optional<std::int32_t> number) const
{
    std::array<std::string, 9> values;
    for (std::size_t i = 0; i < values.size(); ++i) {
        const int field = fields_[i];
        if (table_.IsNull(row, field))
            continue;
        if (table_.Fields()[static_cast<std::size_t>(field)].type == FieldType::Integer)
            values[i] = std::to_string(table_.Integer(row, field));
        else
            values[i] = FromWindows1252(table_.Text(row, field)).toStdString();
    }
    // The table's 8-bit code page has no theta, so the phase angle's function is stored as "?"; no other
    // secondary function text holds one, so the theta comes back here.
    if (number)
        values[kNumberColumn] = std::to_string(*number);
    if (values[kSModeColumn] == "?")
        values[kSModeColumn] = "\u03B8";

    const std::string rawValue(table_.IsNull(row, fields_[kMValueColumn]) ? std::string_view()
                                                                          : table_.Text(row, fields_[kMValueColumn]));
    const std::string rawUnit(table_.IsNull(row, fields_[kMUnitColumn]) ? std::string_view()
                                                                        : table_.Text(row, fields_[kMUnitColumn]));
    const SiReading si = MainReadingSi(rawValue, rawUnit, decimalSep_);
    const std::string timeIso = exactTime ? IsoLocalTime(*exactTime) : IsoTimeOfRecordText(values[kTimeColumn]);

    std::string line;
    for (const std::string& value : values) {
        line += CsvField(value);
        line.push_back(',');
    }
    AppendFields(line, {timeIso, si.value});
    line += CsvField(si.unit);
    line += "\r\n";
    return line;
}

bool TCsvWriter::WriteTable(QIODevice& out) const
{
    if (!valid_)
        return false;
    BufferedSink sink(out);
    sink.Buffer() += HeaderLine();
    for (int row = 0; row < table_.RecordCount(); ++row) {
        sink.Buffer() += RowLine(row);
        sink.FlushIfFull();
    }
    return sink.Flush();
}

}  // namespace korvex
