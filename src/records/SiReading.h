#pragma once

#include <QDateTime>
#include <optional>
#include <string>
#include <string_view>

namespace korvex {

// The main reading as a script wants it: a plain number in SI base units with a dot as decimal mark,
// and the unit it is in.
struct SiReading {
    std::string value;  // empty when the reading is no number (OL, dashes, OFF, ERR ...)
    std::string unit;   // "H", "F", "Ω", "deg", "%" or empty (UTF-8)
};

// Converts a record's main reading text and unit text (as the record table holds them) into SI base
// units. The reading is read with the decimal separator it was formatted with; the result keeps exactly
// the digits the meter sent, shifted by the unit's power of ten, so no rounding creeps in. An empty
// separator makes every reading ambiguous, so no value is given then.
SiReading MainReadingSi(std::string_view valueText, std::string_view unitText, std::string_view decimalSep);

// A reading's value as a double in SI base units, and that unit (as SiReading::unit, pointing into a table
// of this module).
struct SiNumber {
    double value = 0.0;
    std::string_view unit;
};

// Reads a main or secondary reading as MainReadingSi does, giving the double nearest to the number that
// MainReadingSi writes, so figures computed from it agree with the exported values; nothing where
// MainReadingSi gives no value.
std::optional<SiNumber> ReadingSiNumber(std::string_view valueText, std::string_view unitText,
                                        std::string_view decimalSep);

// ISO 8601 local time with its offset from UTC: "2026-12-10T14:03:07+01:00".
std::string IsoLocalTime(const QDateTime& when);

// The record time text "yyyy-mm-dd hh:mm:ss" (any one time separator) read back as local time and written
// as IsoLocalTime; empty when the text is no such time or no moment of the local clock. In the hour
// that repeats when clocks go back the text fits two moments, and the offset is the one the time zone
// library picks.
std::string IsoTimeOfRecordText(std::string_view recordTime);

}  // namespace korvex
