#pragma once

#include <cstdlib>

#include "records/TableEngine.h"

namespace korvex::fuzz {

// The record table's nine fields, which every record file is read into.
inline TTable RecordTable()
{
    std::vector<FieldDef> fields{{"aNO", FieldType::Integer, 0}};
    for (const char* name : {"aTime", "aMMode", "aMValue", "aMUnit", "aSMode", "aSValue", "aSUnit", "aFreq"})
        fields.push_back({name, FieldType::Text, 20});
    return TTable(std::move(fields));
}

// A read, whatever its outcome, leaves no open edit row and only texts that fit their fields.
inline void CheckTableWhole(const TTable& table)
{
    if (table.Editing())
        std::abort();
    for (int row = 0; row < table.RecordCount(); ++row)
        for (int field = 1; field < table.FieldCount(); ++field)
            if (table.Text(row, field).size() > 20)
                std::abort();
}

}  // namespace korvex::fuzz
