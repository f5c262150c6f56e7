#include "records/TabTextWriter.h"

#include <array>
#include <charconv>
#include <string_view>

#include "records/BufferedSink.h"

namespace korvex {
namespace {

constexpr std::array<std::string_view, 8> kTextFields = {
    "aTime", "aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit", "aFreq",
};

bool IsBlankOrControl(char c)
{
    return static_cast<unsigned char>(c) <= 32;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && IsBlankOrControl(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlankOrControl(text.back()))
        text.remove_suffix(1);
    return text;
}

// The text format cannot carry a TAB, a line end or a byte 0 inside a value: each would split or end the
// row when the file is read back. They are written as blanks, so every row reads back as one row.
void AppendValue(std::string& out, std::string_view value)
{
    const std::size_t start = out.size();
    out.append(value);
    for (std::size_t i = start; i < out.size(); ++i) {
        const char c = out[i];
        if (c == '\t' || c == '\r' || c == '\n' || c == '\0')
            out[i] = ' ';
    }
}

}  // namespace

bool WriteTabText(const TTable& table, const std::vector<std::string>& headerTitles, QIODevice& out)
{
    const int numberField = table.FindField("aNO");
    std::array<int, kTextFields.size()> textFields{};
    for (std::size_t i = 0; i < kTextFields.size(); ++i)
        textFields[i] = table.FindField(kTextFields[i]);
    if (numberField < 0 || table.Fields()[static_cast<std::size_t>(numberField)].type != FieldType::Integer)
        return false;
    for (int field : textFields) {
        if (field < 0 || table.Fields()[static_cast<std::size_t>(field)].type != FieldType::Text)
            return false;
    }

    BufferedSink sink(out);
    std::string& buffer = sink.Buffer();
    for (std::size_t i = 0; i < headerTitles.size(); ++i) {
        if (i > 0)
            buffer.push_back('\t');
        buffer.append(headerTitles[i]);
    }
    buffer.append("\r\n");

    for (int row = 0; row < table.RecordCount(); ++row) {
        if (!table.IsNull(row, numberField)) {
            char digits[16];
            const auto result = std::to_chars(digits, digits + sizeof digits, table.Integer(row, numberField));
            buffer.append(digits, result.ptr);
        }
        for (int field : textFields) {
            buffer.push_back('\t');
            AppendValue(buffer, Trimmed(table.Text(row, field)));
        }
        buffer.append("\r\n");
        sink.FlushIfFull();
    }
    return sink.Flush();
}

}  // namespace korvex
