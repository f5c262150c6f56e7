#include <QBuffer>
#include <QTemporaryDir>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

#include "meter/MeterState.h"
#include "meter/Windows1252.h"
#include "records/CsvFile.h"
#include "records/CsvWriter.h"
#include "records/RecordTable.h"
#include "records/SiReading.h"
#include "records/files/CsvReader.h"
#include "records/files/RecordFilesFixture.h"

namespace korvex {
namespace {

using test::DataPath;
using test::FileBytes;

// Local time in these tests is Central European, so offsets are +01:00 in winter and +02:00 in summer
// whatever zone the machine runs in. Windows' C runtime takes no daylight-saving rules from TZ: there the
// tests that need them are skipped.
bool UseCentralEuropeanTime()
{
#ifdef _WIN32
    return false;
#else
    setenv("TZ", "CET-1CEST,M3.5.0,M10.5.0/3", 1);
    tzset();
    return true;
#endif
}

#define USE_CENTRAL_EUROPEAN_TIME()                                                                           \
    if (!UseCentralEuropeanTime())                                                                            \
    GTEST_SKIP() << "this system's C runtime takes no daylight-saving rules from TZ"


QDateTime Local(int year, int month, int day, int hour, int minute, int second)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second), Qt::LocalTime);
}

TMeterState Reading(std::uint8_t mainMode, std::uint8_t parallel, std::uint8_t mainKind, const std::string& mainText,
                    std::uint8_t mainUnit, std::uint8_t subMode, std::uint8_t subKind, const std::string& subText,
                    std::uint8_t subUnit, std::int32_t freq)
{
    TMeterState state;
    state.DecimalSep = ",";
    state.MainMode = mainMode;
    state.Parallel = parallel;
    state.MainKind = mainKind;
    state.MainText = mainText;
    state.MainUnit = mainUnit;
    state.SubMode = subMode;
    state.SubKind = subKind;
    state.SubText = subText;
    state.SubUnit = subUnit;
    state.Freq = freq;
    return state;
}

// Readings taken with "," as the decimal separator: a phase angle, kilohms, an overload, a main reading
// with four decimals, and a row read from a file whose texts need quoting and whose time the local clock
// skipped.
TTable ReadingsTable()
{
    TTable table = CreateRecordTable();
    AppendRecordAt(table, Reading(mmC, 1, rkNumber, "1,234", unF, smTheta, rkNumber, "12,5", udeg, tf1kHz),
                   Local(2026, 12, 10, 14, 3, 7), ":");
    AppendRecordAt(table, Reading(mmR, 0, rkNumber, "12,34", uKOhm, smQ, rkNumber, "0,512", uNoneA, tf100Hz),
                   Local(2026, 7, 1, 9, 0, 0), ":");
    AppendRecordAt(table, Reading(mmL, 0, rkOL, "1,000", umH, smD, rkDashes, "0,000", uNoneA, tf10kHz),
                   Local(2026, 12, 10, 14, 3, 8), ":");
    AppendRecordAt(table, Reading(mmC, 0, rkNumber, ",1234", uuF, smESR, rkNumber, "1,5", uOhm, tf100kHz),
                   Local(2026, 12, 10, 14, 3, 9), ":");
    table.Append();
    table.SetText(rfTime, "2026-03-29 02:30:00");
    table.SetText(rfMMode, "a,\"b\"");
    table.SetText(rfMValue, "2,5");
    table.SetText(rfMUnit, "MOhm");
    table.SetText(rfSValue, "x\r\ny");
    table.Post();
    return table;
}

QByteArray CsvOf(const TTable& table, const std::string& decimalSep)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(TCsvWriter(table, decimalSep).WriteTable(buffer));
    return buffer.data();
}

TEST(CsvExport, ReadingsWithACommaSeparatorMatchTheGoldenFile)
{
    USE_CENTRAL_EUROPEAN_TIME();
    EXPECT_EQ(CsvOf(ReadingsTable(), ","), FileBytes(DataPath("csv/readings_comma_separator.csv")));
}

TEST(CsvExport, AReaderGetsBackEveryFieldAsTheGridShowsIt)
{
    USE_CENTRAL_EUROPEAN_TIME();
    const TTable table = ReadingsTable();
    const QByteArray bytes = CsvOf(table, ",");
    const auto records = test::ReadCsv(bytes.toStdString());
    ASSERT_TRUE(records.has_value());
    ASSERT_EQ(records->size(), static_cast<std::size_t>(table.RecordCount() + 1));
    EXPECT_EQ(records->front(),
              (std::vector<std::string>{"NO", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq",
                                        "time_iso", "main_value_si", "main_unit_si"}));

    for (int row = 0; row < table.RecordCount(); ++row) {
        const std::vector<std::string>& record = (*records)[static_cast<std::size_t>(row) + 1];
        ASSERT_EQ(record.size(), 12u) << "row " << row;
        EXPECT_EQ(record[0], table.IsNull(row, rfNO) ? "" : std::to_string(table.Integer(row, rfNO)));
        for (int field = rfTime; field <= rfFreq; ++field) {
            std::string shown = FromWindows1252(table.Text(row, field)).toStdString();
            if (field == rfSMode && shown == "?")
                shown = "\u03B8";
            EXPECT_EQ(record[static_cast<std::size_t>(field)], shown) << "row " << row << " field " << field;
        }
    }

    const std::vector<std::array<std::string, 3>> extra = {
        {"2026-12-10T14:03:07+01:00", "0.000000001234", "F"},
        {"2026-07-01T09:00:00+02:00", "12340", "\u03A9"},
        {"2026-12-10T14:03:08+01:00", "", ""},
        {"2026-12-10T14:03:09+01:00", "0.0000001234", "F"},
        {"", "2500000", "\u03A9"},
    };
    for (std::size_t row = 0; row < extra.size(); ++row) {
        const std::vector<std::string>& record = (*records)[row + 1];
        EXPECT_EQ((std::array<std::string, 3>{record[9], record[10], record[11]}), extra[row]) << "row " << row;
    }
    EXPECT_EQ((*records)[1][5], "\u03B8");
}

TEST(CsvExport, MainReadingInSiUnitsKeepsTheDigitsTheMeterSent)
{
    struct Case {
        const char* value;
        const char* unit;
        const char* separator;
        const char* si;
        const char* siUnit;
    };
    const Case cases[] = {
        {"1.234", "nF", ".", "0.000000001234", "F"},
        {"1,234", "nF", ",", "0.000000001234", "F"},
        {"1234.5", "pF", ".", "0.0000000012345", "F"},
        {".1234", "uH", ".", "0.0000001234", "H"},
        {"19.99", "kH", ".", "19990", "H"},
        {"6553.5", "MOhm", ".", "6553500000", "\u03A9"},
        {"0.000", "Ohm", ".", "0", "\u03A9"},
        {"12.30", "mF", ".", "0.0123", "F"},
        {"123", "pF", ".", "0.000000000123", "F"},  // a parallel capacitance cut to a whole number
        {"45.6", "Deg", ".", "45.6", "deg"},
        {"1.5", "", ".", "1.5", ""},
        {"1,5", "mH", ",.", "", ""},  // a separator of two characters not found: no number
        {"1,,5", "mH", ",,", "0.0015", "H"},
        {"OL", "mH", ".", "", ""},
        {"-", "mH", ".", "", ""},
        {"", "mH", ".", "", ""},
        {".", "mH", ".", "", ""},
        {"1.2.3", "mH", ".", "", ""},
        {"1.5", "Furlong", ".", "", ""},
        {"1234", "nF", "", "", ""},  // no separator: 1.234 and 1234 look alike
    };
    for (const Case& c : cases) {
        const SiReading si = MainReadingSi(c.value, c.unit, c.separator);
        EXPECT_EQ(si.value, c.si) << c.value << " " << c.unit;
        EXPECT_EQ(si.unit, c.siUnit) << c.value << " " << c.unit;
    }
}

TEST(CsvExport, RecordTimesReadBackAsLocalTimeWithOffset)
{
    USE_CENTRAL_EUROPEAN_TIME();
    EXPECT_EQ(IsoTimeOfRecordText("2026-12-10 14:03:07"), "2026-12-10T14:03:07+01:00");
    EXPECT_EQ(IsoTimeOfRecordText("2026-06-10 14.03.07"), "2026-06-10T14:03:07+02:00");
    EXPECT_EQ(IsoTimeOfRecordText("2026-03-29 02:30:00"), "");  // the clock skipped this hour
    EXPECT_EQ(IsoTimeOfRecordText("2026-02-30 14:03:07"), "");
    EXPECT_EQ(IsoTimeOfRecordText("2026-12-10 14:03.07"), "");
    EXPECT_EQ(IsoTimeOfRecordText("2026-12-10 14:03:07 "), "");
    EXPECT_EQ(IsoTimeOfRecordText("a<b>&'\"\\"), "");
    EXPECT_EQ(IsoLocalTime(QDateTime(QDate(2026, 12, 10), QTime(13, 3, 7), Qt::UTC)), "2026-12-10T14:03:07+01:00");
}

TEST(CsvExport, SaveWritesACsvNameWholeAndKeepsTheOldFileWhenItCannotWrite)
{
    USE_CENTRAL_EUROPEAN_TIME();
    QTemporaryDir dir;
    const TTable table = ReadingsTable();
    test::RecordedNotices notices;
    const SaveNotices tell{[&](const QString& t) { notices.informed << t; }, [&](const QString& t) { notices.errors << t; }};

    EXPECT_TRUE(DBToCsv(table, dir.filePath("run1"), ",", tell));
    EXPECT_TRUE(DBToCsv(table, dir.filePath("run2.CSV"), ",", tell));
    EXPECT_EQ(FileBytes(dir.filePath("run1.csv")), FileBytes(DataPath("csv/readings_comma_separator.csv")));
    EXPECT_EQ(FileBytes(dir.filePath("run2.CSV")), FileBytes(DataPath("csv/readings_comma_separator.csv")));
    EXPECT_EQ(notices.informed, (QStringList{"Save table to specified file: " + dir.filePath("run1.csv") + " Scuss!",
                                             "Save table to specified file: " + dir.filePath("run2.CSV") + " Scuss!"}));

    // A table without the grid's fields cannot be written: the file already there stays as it was.
    const TTable other({{"x", FieldType::Integer, 0}});
    EXPECT_FALSE(DBToCsv(other, dir.filePath("run1.csv"), ",", tell));
    EXPECT_EQ(FileBytes(dir.filePath("run1.csv")), FileBytes(DataPath("csv/readings_comma_separator.csv")));
    EXPECT_EQ(notices.informed.last(), "Could not save table to specified file: " + dir.filePath("run1.csv"));
    EXPECT_FALSE(DBToCsv(table, dir.filePath("missing/run3.csv"), ",", tell));
    EXPECT_TRUE(notices.errors.isEmpty());
}

}  // namespace
}  // namespace korvex
