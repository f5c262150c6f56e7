#pragma once

#include <QString>
#include <string>

#include "records/RecordFiles.h"
#include "records/TableEngine.h"

namespace korvex {

// The name a CSV save writes to: the name as given when it ends in ".csv" (any case), else with ".csv"
// appended.
QString CsvFileName(const QString& fileName);

// Writes the table as CSV (see CsvWriter.h) to CsvFileName(fileName). The file is replaced only once the
// whole new content is written, so a failed write leaves an existing file as it was. The outcome is told
// through `inform` with the texts of the other record saves. Returns whether the file was written.
bool DBToCsv(const TTable& table, const QString& fileName, const std::string& decimalSep, const SaveNotices& notices);

}  // namespace korvex
