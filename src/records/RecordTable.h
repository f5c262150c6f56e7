#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>
#include <cstdint>
#include <string>
#include <vector>

#include "meter/MeterState.h"
#include "records/TableEngine.h"

namespace korvex {

// Positions of the record table's fields; record files read them back by position.
enum TRecordField : std::uint8_t {
    rfNO = 0,      // aNO: record number
    rfTime = 1,    // aTime: local date and time of the reading
    rfMMode = 2,   // aMMode: main function
    rfMValue = 3,  // aMValue: main reading
    rfMUnit = 4,   // aMUnit: main unit
    rfSMode = 5,   // aSMode: secondary function
    rfSValue = 6,  // aSValue: secondary reading
    rfSUnit = 7,   // aSUnit: secondary unit
    rfFreq = 8,    // aFreq: test frequency
};

inline constexpr int RecordFieldCount = 9;
inline constexpr int RecordTextWidth = 20;

// aNO, then eight texts of 20 characters, aTime .. aFreq.
std::vector<FieldDef> RecordFields();
// The empty record table cds1.
TTable CreateRecordTable();

// Adds one row built from the meter state, stamped with the local time now; changes nothing in the state.
void AppendRecord(TTable& cds1, const TMeterState& state);
// The same, with the time stamp and the time separator given.
void AppendRecordAt(TTable& cds1, const TMeterState& state, const QDateTime& when, const QString& timeSeparator);

// The texts of a row (Windows-1252 bytes).
std::string MainModeText(std::uint8_t mainMode, std::uint8_t parallel);
std::string ReadingText(std::uint8_t kind, const std::string& numberText);
std::string UnitText(std::uint8_t unit);
std::string SubModeText(std::uint8_t subMode, std::uint8_t mainMode, std::uint8_t parallel);
std::string FrequencyText(std::int32_t freq);
// Four-digit year, then month, day, hour (0..23), minute and second of two digits: "2011-05-24 15:59:13"
// with ":" as the separator.
std::string RecordTimeText(const QDateTime& when, const QString& timeSeparator);

// The separator between hours and minutes in the locale's time format; ":" when it has none of one character.
QString TimeSeparatorOf(const QLocale& locale);
// The system locale's separator, read once.
const QString& SystemTimeSeparator();

}  // namespace korvex
