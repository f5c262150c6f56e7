#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "records/TableEngine.h"

namespace korvex {

// How DBToFiles tells the user the outcome. The window shows `inform` with the message dialog
// (information, OK) and `reportError` in the application's standard error report.
struct SaveNotices {
    std::function<void(const QString& text)> inform;
    std::function<void(const QString& text)> reportError;
};

// The extension of the file name's last component, from its last "." on, in lower case; empty without a dot.
QString RecordFileExtension(const QString& fileName);

// Writes the table to the file: an XML data packet for ".xml", tab-separated text with the column titles
// as its header otherwise; a name whose extension is none of ".xml", ".xls" and ".txt" gets ".xls"
// appended. The file is replaced only once the whole new content is written, so a failed write leaves
// an existing file as it was; only where the folder allows no new file is a writable file written in
// place. Success and a failed text write are told through `inform`, a failed XML
// write through `reportError`. Returns whether the file was written.
bool DBToFiles(TTable& table, const QString& fileName, const QStringList& columnTitles,
               const SaveNotices& notices);

// Appends the rows of a record file to the table (after emptying it when `emptyFirst`): an XML data
// packet for ".xml", tab-separated text for any other extension. Returns false when the file cannot be
// read or does not fit the table; the rows posted before the failure stay.
bool AnyToCds(const QString& fileName, TTable& table, bool emptyFirst);

}  // namespace korvex
