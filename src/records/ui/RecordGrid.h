#pragma once

class QTableView;

namespace korvex {

class TRecordGridModel;

// Width of a grid column that has none of its own.
inline constexpr int DefaultColumnWidth = 64;

// The width that holds here what a column of `designWidth` pixels held in the 8-point font the record
// widths were drawn for: grown by the ratio of the grid's font to that font (never narrower) and by the
// wider margins of a cell here.
int TextColumnWidth(const QTableView& grid, int designWidth);

// Makes the table view the record grid DBGrid1 over the model: read-only, whole-row selection, titles,
// column and row lines, user-resizable columns of the record widths (grown by TextColumnWidth for the
// grid's font), rows of one fixed height (so the cost of a new row does not grow with the table), and
// every new row shown at once and made current.
void ConfigureRecordGrid(QTableView& grid, TRecordGridModel& model);

}  // namespace korvex
