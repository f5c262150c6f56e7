#pragma once

#include <QFileDialog>
#include <QStringList>
#include <QTableView>
#include <memory>

#include "records/TableEngine.h"

namespace korvex {

// SaveDialog2: Excel, XML and text filters, default extension "xls", asks before replacing a file.
std::unique_ptr<QFileDialog> CreateSaveDialog2(QWidget* owner);
// OpenDialog1: Excel, XML and notepad filters, no default extension.
std::unique_ptr<QFileDialog> CreateOpenDialog1(QWidget* owner);

// The grid's column titles from left to right: the header line of text record files.
QStringList GridColumnTitles(const QTableView& grid);

// The plain system box that tells a failed read: no owner, error icon, title "Error", one OK button.
void ShowLoadFailedBox();

// Save (btnRecordSave): SaveDialog2, then DBToFiles with the table and the grid's titles. The outcome is
// shown with the message dialog, a failed XML write in the standard error report. Cancel does nothing.
void btnRecordSaveClick(QWidget* owner, TTable& cds1, const QTableView& DBGrid1);
// Open (btnRecordOpen): OpenDialog1, then AnyToCds appending to the table, and the failure box when the
// read fails. Cancel does nothing.
void btnRecordOpenClick(QWidget* owner, TTable& cds1);

}  // namespace korvex
