#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvex::test {

// A strict reader of RFC 4180 text, as a spreadsheet reads it: records end with CR LF (the last one
// too), fields are separated by commas, a quoted field may hold commas, CR, LF and doubled quotes.
// Gives nothing for text that breaks the rules (a bare quote, a lone CR or LF, a last record without
// its line end), so a writer's slip shows as a failed read rather than as shifted fields.
inline std::optional<std::vector<std::vector<std::string>>> ReadCsv(std::string_view text)
{
    std::vector<std::vector<std::string>> records;
    std::vector<std::string> record;
    std::string field;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == '"') {
            if (!field.empty())
                return std::nullopt;
            ++i;
            for (;;) {
                if (i >= text.size())
                    return std::nullopt;
                if (text[i] == '"') {
                    if (i + 1 < text.size() && text[i + 1] == '"') {
                        field.push_back('"');
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                field.push_back(text[i++]);
            }
            if (i < text.size() && text[i] != ',' && text[i] != '\r')
                return std::nullopt;
            continue;
        }
        if (text[i] == ',') {
            record.push_back(std::move(field));
            field.clear();
            ++i;
        } else if (text[i] == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n')
                return std::nullopt;
            record.push_back(std::move(field));
            field.clear();
            records.push_back(std::move(record));
            record.clear();
            i += 2;
        } else if (text[i] == '\n') {
            return std::nullopt;
        } else {
            field.push_back(text[i++]);
        }
    }
    if (!field.empty() || !record.empty())
        return std::nullopt;
    return records;
}

}  // namespace korvex::test
