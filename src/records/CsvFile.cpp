#include "records/CsvFile.h"

#include <QSaveFile>

#include "records/CsvWriter.h"

namespace korvex {

QString CsvFileName(const QString& fileName)
{
    return RecordFileExtension(fileName) == QLatin1String(".csv") ? fileName : fileName + QStringLiteral(".csv");
}

bool DBToCsv(const TTable& table, const QString& fileName, const std::string& decimalSep, const SaveNotices& notices)
{
    const QString target = CsvFileName(fileName);
    const TCsvWriter writer(table, decimalSep);
    QSaveFile file(target);
    const bool saved = file.open(QIODevice::WriteOnly) && writer.WriteTable(file) && file.commit();
    if (saved)
        notices.inform(QStringLiteral("Save table to specified file: ") + target + QStringLiteral(" Scuss!"));
    else
        notices.inform(QStringLiteral("Could not save table to specified file: ") + target);
    return saved;
}

}  // namespace korvex
