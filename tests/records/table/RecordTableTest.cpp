#include "records/RecordTable.h"

#include <gtest/gtest.h>

#include <QRegularExpression>
#include <array>
#include <string>
#include <vector>

using namespace korvex;

namespace {

struct StateCase {
    const char* what;
    std::uint8_t mainMode, parallel, mainKind;
    const char* mainText;
    std::uint8_t mainUnit, subMode, subKind;
    const char* subText;
    std::uint8_t subUnit;
    std::int32_t freq;
    // aMMode, aMValue, aMUnit, aSMode, aSValue, aSUnit, aFreq
    std::array<const char*, 7> texts;
};

// clang-format off
const StateCase kCases[] = {
    {"capacitance, series, D",  mmC, 0, rkNumber, "1.234", unF, smD, rkNumber, "0.012", uNoneA, tf1kHz,
     {"Cs", "1.234", "nF", "D", "0.012", "", "1KHz"}},
    {"parallel C with Rp",      mmC, 1, rkNumber, "47.0", upF, smESR, rkNumber, "1.234", uKOhm, tf100kHz,
     {"Cp", "47.0", "pF", "RP", "1.234", "KOhm", "100KHz"}},
    {"series L with ESR",       mmL, 0, rkNumber, "10.00", umH, smESR, rkNumber, "2.5", uOhm, tf100Hz,
     {"Ls", "10.00", "mH", "ESR", "2.5", "Ohm", "100Hz"}},
    {"parallel L, Q",           mmL, 1, rkNumber, "1.000", uH, smQ, rkNumber, "12.3", uNoneB, tf120Hz,
     {"Lp", "1.000", "H", "Q", "12.3", "", "120Hz"}},
    {"R with ESR shows none",   mmR, 0, rkNumber, "100.0", uMOhm, smESR, rkNumber, "1", uOhm, tf10kHz,
     {"Rs", "100.0", "MOhm", "", "1", "Ohm", "10KHz"}},
    {"parallel R, theta",       mmR, 1, rkNumber, "5", uOhm, smTheta, rkNumber, "-1.2", udeg, tf1kHz,
     {"Rp", "5", "Ohm", "?", "-1.2", "Deg", "1KHz"}},
    {"DCR ignores parallel",    mmDCR, 1, rkNumber, "0.5", uOhm, smNone, rkBlankA, "9", uNoneA, tf1kHz,
     {"DCR", "0.5", "Ohm", "", "", "", "1KHz"}},
    {"no function, percent",    mmNone, 1, rkOFF, "1.0", uPercent, smESR, rkOFF, "2.0", uPercent, tf1kHz,
     {"", "", "%", "", "", "%", "1KHz"}},
    {"dashes and overload",     mmC, 0, rkDashes, "1", uuF, smD, rkOL, "2", uNoneA, tf1kHz,
     {"Cs", "-", "uF", "D", "OL", "", "1KHz"}},
    {"error and pass",          mmC, 0, rkERR, "1", umF, smD, rkPASS, "2", uNoneA, tf1kHz,
     {"Cs", "ERR", "mF", "D", "PASS", "", "1KHz"}},
    {"fail, open, short",       mmL, 0, rkFAIL, "1", uuH, smD, rkOPEN, "2", ukH, tf1kHz,
     {"Ls", "FAIL", "uH", "D", "OPEN", "kH", "1KHz"}},
    {"short, blank",            mmL, 0, rkSHORT, "1", uuH, smD, rkBlankB, "2", uNoneA, tf1kHz,
     {"Ls", "SHORT", "uH", "D", "", "", "1KHz"}},
    {"codes the meter lacks",   7, 0, 15, "1", 20, 6, 31, "2", 31, 5,
     {"", "", "", "", "", "", ""}},
    {"long number cut",         mmR, 0, rkNumber, "123456789012345678901234", uOhm, smNone, rkNumber, "0.000   ", uNoneA, -1,
     {"Rs", "12345678901234567890", "Ohm", "", "0.000", "", ""}},
};
// clang-format on

TMeterState StateOf(const StateCase& c)
{
    TMeterState s;
    s.MainMode = c.mainMode;
    s.Parallel = c.parallel;
    s.MainKind = c.mainKind;
    s.MainText = c.mainText;
    s.MainUnit = c.mainUnit;
    s.SubMode = c.subMode;
    s.SubKind = c.subKind;
    s.SubText = c.subText;
    s.SubUnit = c.subUnit;
    s.Freq = c.freq;
    return s;
}

const QDateTime kStamp(QDate(2011, 5, 24), QTime(15, 59, 13));

}  // namespace

TEST(RecordTable, NineFieldsInOrderCreatedEmpty)
{
    const TTable cds1 = CreateRecordTable();
    const std::vector<std::pair<std::string, FieldType>> expected = {
        {"aNO", FieldType::Integer}, {"aTime", FieldType::Text},  {"aMMode", FieldType::Text},
        {"aMValue", FieldType::Text}, {"aMUnit", FieldType::Text}, {"aSMode", FieldType::Text},
        {"aSValue", FieldType::Text}, {"aSUnit", FieldType::Text}, {"aFreq", FieldType::Text},
    };
    ASSERT_EQ(cds1.FieldCount(), 9);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(cds1.Fields()[i].name, expected[i].first);
        EXPECT_EQ(cds1.Fields()[i].type, expected[i].second);
        EXPECT_EQ(cds1.Fields()[i].size, i == 0 ? 0 : 20);
    }
    EXPECT_EQ(cds1.RecordCount(), 0);
    EXPECT_EQ(cds1.FindField("ANo"), rfNO);
}

TEST(RecordTable, RowTextsFollowTheMeterState)
{
    TTable cds1 = CreateRecordTable();
    for (const StateCase& c : kCases) {
        AppendRecordAt(cds1, StateOf(c), kStamp, QStringLiteral(":"));
        const int row = cds1.RecordCount() - 1;
        EXPECT_EQ(cds1.Integer(row, rfNO), row + 1) << c.what;
        EXPECT_EQ(cds1.Text(row, rfTime), "2011-05-24 15:59:13") << c.what;
        for (int f = 0; f < 7; ++f)
            EXPECT_EQ(cds1.Text(row, rfMMode + f), c.texts[static_cast<std::size_t>(f)])
                << c.what << ", field " << cds1.Fields()[static_cast<std::size_t>(rfMMode + f)].name;
    }
}

TEST(RecordTable, NumbersFollowTheRowCountWhateverTheRowsCarry)
{
    TTable cds1 = CreateRecordTable();
    const TMeterState state = StateOf(kCases[0]);
    AppendRecord(cds1, state);
    AppendRecord(cds1, state);
    EXPECT_EQ(cds1.Integer(1, rfNO), 2);

    cds1.EmptyTable();
    for (int n : {40, 41, 7, 7, 99}) {  // rows read from a file keep their own numbers
        cds1.Append();
        cds1.SetInteger(rfNO, n);
        cds1.Post();
    }
    AppendRecord(cds1, state);
    EXPECT_EQ(cds1.Integer(5, rfNO), 6);
}

TEST(RecordTable, TimeStampHasFourDigitYearAndTheLocaleSeparator)
{
    EXPECT_EQ(RecordTimeText(kStamp, QStringLiteral(":")), "2011-05-24 15:59:13");
    EXPECT_EQ(RecordTimeText(kStamp, QStringLiteral(".")), "2011-05-24 15.59.13");
    EXPECT_EQ(RecordTimeText(QDateTime(QDate(987, 1, 2), QTime(3, 4, 5)), QStringLiteral(":")), "0987-01-02 03:04:05");
    EXPECT_EQ(RecordTimeText(QDateTime(QDate(2026, 12, 31), QTime(0, 0, 0)), QStringLiteral(":")), "2026-12-31 00:00:00");
    EXPECT_EQ(RecordTimeText(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59, 999)), QStringLiteral(":")),
              "2026-12-31 23:59:59");

    EXPECT_EQ(TimeSeparatorOf(QLocale::c()), ":");
    EXPECT_EQ(TimeSeparatorOf(QLocale(QLocale::English, QLocale::UnitedStates)), ":");
    EXPECT_EQ(TimeSeparatorOf(QLocale(QLocale::Finnish, QLocale::Finland)), ".");
    EXPECT_EQ(SystemTimeSeparator(), TimeSeparatorOf(QLocale::system()));
}

TEST(RecordTable, AppendRecordStampsTheLocalTimeNow)
{
    TTable cds1 = CreateRecordTable();
    const QDateTime before = QDateTime::currentDateTime().addSecs(-1);
    AppendRecord(cds1, StateOf(kCases[0]));
    const QDateTime after = QDateTime::currentDateTime().addSecs(1);

    const QString stamp = QString::fromLatin1(cds1.Text(0, rfTime));
    const QString sep = QRegularExpression::escape(SystemTimeSeparator());
    ASSERT_TRUE(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d%1\\d\\d%1\\d\\d$").arg(sep))
                    .match(stamp)
                    .hasMatch())
        << stamp.toStdString();
    QString normal = stamp;
    normal.replace(SystemTimeSeparator(), QStringLiteral(":"));
    const QDateTime when = QDateTime::fromString(normal, QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ASSERT_TRUE(when.isValid());
    EXPECT_GE(when, before.addSecs(-1));
    EXPECT_LE(when, after);
}
