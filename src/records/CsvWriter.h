#pragma once

#include <QDateTime>
#include <QIODevice>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "records/TableEngine.h"

namespace korvex {

// Comma-separated values for other tools (RFC 4180): UTF-8 without byte-order mark, CR LF after every
// line, a header line, fields quoted only when they hold a comma, a double quote, CR or LF. The columns
// are the record grid's nine, with the values as the grid shows them, then time_iso, main_value_si and
// main_unit_si (see SiReading.h).
class TCsvWriter {
public:
    // Finds the grid's fields in the table by name; Valid() is false when one is missing.
    TCsvWriter(const TTable& table, std::string decimalSep);

    bool Valid() const { return valid_; }

    static std::string HeaderLine();
    // One row as a line. `exactTime` is the moment the row was taken, where it is known; otherwise
    // time_iso is read back from the row's time text. `number`, where given, stands in for aNO (a log
    // that keeps one row at a time numbers its lines itself).
    std::string RowLine(int row, const std::optional<QDateTime>& exactTime = std::nullopt,
                        std::optional<std::int32_t> number = std::nullopt) const;
    // The header and every row. False when a field is missing or the device refused a write.
    bool WriteTable(QIODevice& out) const;

private:
    const TTable& table_;
    std::string decimalSep_;
    std::array<int, 9> fields_{};
    bool valid_ = true;
};

// A field as RFC 4180 writes it: as it is, or in double quotes with its double quotes doubled.
std::string CsvField(std::string_view utf8);

}  // namespace korvex
