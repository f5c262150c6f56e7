#include "records/RecordTable.h"

#include <QDate>
#include <QTime>
#include <array>

#include "meter/Windows1252.h"

namespace korvex {
namespace {

constexpr std::array<const char*, RecordFieldCount> kFieldNames = {
    "aNO", "aTime", "aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit", "aFreq",
};

// Unit texts are the unit's enumerator name less its leading "u", except the empty units, "%" and "Deg".
constexpr std::array<const char*, UnitCount> kUnitTexts = {
    "", "Ohm", "KOhm", "MOhm", "", "uH", "mH", "H", "kH", "pF", "nF", "uF", "mF", "%", "Deg",
};

constexpr std::array<const char*, 5> kFrequencyTexts = {"100Hz", "120Hz", "1KHz", "10KHz", "100KHz"};

void AppendTwoDigits(std::string& out, int value)
{
    out.push_back(static_cast<char>('0' + value / 10 % 10));
    out.push_back(static_cast<char>('0' + value % 10));
}

}  // namespace

std::vector<FieldDef> RecordFields()
{
    std::vector<FieldDef> fields;
    fields.reserve(RecordFieldCount);
    fields.push_back({kFieldNames[rfNO], FieldType::Integer, 0});
    for (int i = rfTime; i < RecordFieldCount; ++i)
        fields.push_back({kFieldNames[static_cast<std::size_t>(i)], FieldType::Text, RecordTextWidth});
    return fields;
}

TTable CreateRecordTable()
{
    return TTable(RecordFields());
}

std::string MainModeText(std::uint8_t mainMode, std::uint8_t parallel)
{
    const bool p = parallel != 0;
    switch (mainMode) {
    case mmL: return p ? "Lp" : "Ls";
    case mmC: return p ? "Cp" : "Cs";
    case mmR: return p ? "Rp" : "Rs";
    case mmDCR: return "DCR";
    default: return "";
    }
}

std::string ReadingText(std::uint8_t kind, const std::string& numberText)
{
    switch (kind) {
    case rkNumber: return numberText;
    case rkDashes: return "-";
    case rkOL: return "OL";
    case rkERR: return "ERR";
    case rkPASS: return "PASS";
    case rkFAIL: return "FAIL";
    case rkOPEN: return "OPEN";
    case rkSHORT: return "SHORT";
    default: return "";  // blanks, OFF and codes the meter does not define
    }
}

std::string UnitText(std::uint8_t unit)
{
    return unit < kUnitTexts.size() ? kUnitTexts[unit] : "";
}

std::string SubModeText(std::uint8_t subMode, std::uint8_t mainMode, std::uint8_t parallel)
{
    QString text;
    switch (subMode) {
    case smD: text = QStringLiteral("D"); break;
    case smQ: text = QStringLiteral("Q"); break;
    case smESR:
        if (mainMode == mmL || mainMode == mmC)
            text = parallel != 0 ? QStringLiteral("RP") : QStringLiteral("ESR");
        break;
    case smTheta: text = QString(QChar(0x03B8)); break;
    default: break;
    }
    return ToWindows1252(text);
}

std::string FrequencyText(std::int32_t freq)
{
    return freq >= 0 && static_cast<std::size_t>(freq) < kFrequencyTexts.size() ? kFrequencyTexts[static_cast<std::size_t>(freq)]
                                                                                  : "";
}

std::string RecordTimeText(const QDateTime& when, const QString& timeSeparator)
{
    const QDate date = when.date();
    const QTime time = when.time();
    const std::string separator = ToWindows1252(timeSeparator);
    std::string out;
    out.reserve(19);
    // The year keeps at least four digits, as a four-letter year pattern would give.
    std::string year = std::to_string(date.year());
    if (year.size() < 4)
        year.insert(0, 4 - year.size(), '0');
    out += year;
    out.push_back('-');
    AppendTwoDigits(out, date.month());
    out.push_back('-');
    AppendTwoDigits(out, date.day());
    out.push_back(' ');
    AppendTwoDigits(out, time.hour());
    out += separator;
    AppendTwoDigits(out, time.minute());
    out += separator;
    AppendTwoDigits(out, time.second());
    return out;
}

QString TimeSeparatorOf(const QLocale& locale)
{
    const QString format = locale.timeFormat(QLocale::ShortFormat);
    QString between;
    bool afterHour = false;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == u'\'') {
            quoted = !quoted;
            continue;
        }
        if (!quoted && (c == u'h' || c == u'H')) {
            afterHour = true;
            continue;
        }
        if (!afterHour)
            continue;
        if (!quoted && c == u'm')
            break;
        between += c;
    }
    if (between.size() == 1 && !between.at(0).isLetterOrNumber() && !between.at(0).isSpace())
        return between;
    return QStringLiteral(":");
}

const QString& SystemTimeSeparator()
{
    static const QString separator = TimeSeparatorOf(QLocale::system());
    return separator;
}

void AppendRecord(TTable& cds1, const TMeterState& state)
{
    AppendRecordAt(cds1, state, QDateTime::currentDateTime(), SystemTimeSeparator());
}

void AppendRecordAt(TTable& cds1, const TMeterState& state, const QDateTime& when, const QString& timeSeparator)
{
    const std::string mainMode = MainModeText(state.MainMode, state.Parallel);
    const std::string mainValue = ReadingText(state.MainKind, state.MainText);
    const std::string mainUnit = UnitText(state.MainUnit);
    const std::string subMode = SubModeText(state.SubMode, state.MainMode, state.Parallel);
    const std::string subValue = ReadingText(state.SubKind, state.SubText);
    const std::string subUnit = UnitText(state.SubUnit);
    const std::string freq = FrequencyText(state.Freq);

    cds1.Append();
    cds1.SetInteger(rfNO, cds1.RecordCount() + 1);
    cds1.SetText(rfTime, RecordTimeText(when, timeSeparator));
    cds1.SetText(rfMMode, mainMode);
    cds1.SetText(rfMValue, mainValue);
    cds1.SetText(rfMUnit, mainUnit);
    cds1.SetText(rfSMode, subMode);
    cds1.SetText(rfSValue, subValue);
    cds1.SetText(rfSUnit, subUnit);
    cds1.SetText(rfFreq, freq);
    cds1.Post();
}

}  // namespace korvex
