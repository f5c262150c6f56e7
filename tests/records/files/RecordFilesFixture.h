#pragma once

#include <QFile>
#include <QString>
#include <string>
#include <vector>

#include "records/TableEngine.h"

namespace korvex::test {

// The record table's nine fields: aNO, then eight texts of 20 characters.
inline std::vector<FieldDef> NineFields()
{
    std::vector<FieldDef> fields{{"aNO", FieldType::Integer, 0}};
    for (const char* name : {"aTime", "aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit", "aFreq"})
        fields.push_back({name, FieldType::Text, 20});
    return fields;
}

inline const QStringList& GridTitles()
{
    static const QStringList titles = {"NO", "Time", "MMode", "MValue", "MUnit", "SMode", "SValue", "SUnit", "Freq"};
    return titles;
}

// Appends a row of a number and up to eight texts.
inline void AddRow(TTable& table, std::int32_t number, const std::vector<std::string>& texts)
{
    table.Append();
    table.SetInteger(0, number);
    for (std::size_t i = 0; i < texts.size(); ++i)
        table.SetText(static_cast<int>(i + 1), texts[i]);
    table.Post();
}

// The rows of the tests' three-row table: two ordinary readings and one full of characters that need care.
inline void AddThreeRows(TTable& table)
{
    AddRow(table, 1, {"2011-05-24 15:59:13", "Cp", "1.234", "nF", "D", "0.012", "", "1KHz"});
    AddRow(table, 2, {"2011-05-24 15:59:14", "Rs", "OL", "KOhm", "", "", "", "100Hz"});
    AddRow(table, 3, {"a<b>&'\"\\", "\t1\r\n", "\x80\xE9", "Deg", "?", "-", "%", "100KHz"});
}

inline std::vector<std::int32_t> Numbers(const TTable& table)
{
    std::vector<std::int32_t> numbers;
    for (int row = 0; row < table.RecordCount(); ++row)
        numbers.push_back(table.Integer(row, 0));
    return numbers;
}

inline QString DataPath(const QString& name)
{
    return QStringLiteral(KORVEX_SOURCE_DIR "/tests/data/records/") + name;
}

inline QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
}

// What DBToFiles told the user.
struct RecordedNotices {
    QStringList informed;
    QStringList errors;
};

}  // namespace korvex::test
