#pragma once

#include <QFileDialog>
#include <QStringList>
#include <QTableView>
#include <memory>
#include <string>

#include "meter/ReadingFormat.h"

#include "records/TableEngine.h"

namespace korvex {

// The save filter for other tools; chosen, it writes CSV whatever the name's extension.
inline const QString CsvFilter = QStringLiteral("CSV (*.csv)");

// SaveDialog2: Excel, XML, text and CSV filters, default extension "xls" ("csv" while the CSV filter is
// chosen), asks before replacing a file.
std::unique_ptr<QFileDialog> CreateSaveDialog2(QWidget* owner);
// OpenDialog1: Excel, XML and notepad filters, no default extension.
std::unique_ptr<QFileDialog> CreateOpenDialog1(QWidget* owner);

// The grid's column titles from left to right: the header line of text record files.
QStringList GridColumnTitles(const QTableView& grid);

// The plain system box that tells a failed read: no owner, error icon, title "Error", one OK button.
void ShowLoadFailedBox();

// Save (btnRecordSave): SaveDialog2, then DBToFiles with the table and the grid's titles, or DBToCsv with
// the decimal separator the readings were formatted with when the CSV filter was chosen. The outcome is
// shown with the message dialog, a failed XML write in the standard error report. Cancel does nothing.
void btnRecordSaveClick(QWidget* owner, TTable& cds1, const QTableView& DBGrid1,
                        const std::string& decimalSep = ReadDecimalSeparator());
// Open (btnRecordOpen): OpenDialog1, then AnyToCds appending to the table, and the failure box when the
// read fails. Cancel does nothing.
void btnRecordOpenClick(QWidget* owner, TTable& cds1);

}  // namespace korvex
