#pragma once

#include <QAbstractTableModel>
#include <QString>
#include <array>

#include "records/TableEngine.h"

namespace korvex {

// One column of the record grid: its title, the field it shows (by name) and its width in pixels.
struct TRecordColumn {
    const char* title;
    const char* field;
    int width;  // 0: the grid's default width
};

inline constexpr std::array<TRecordColumn, 9> RecordColumns = {{
    {"NO", "aNO", 36},
    {"Time", "aTime", 103},
    {"MMode", "aMMode", 43},
    {"MValue", "aMValue", 43},
    {"MUnit", "aMUnit", 35},
    {"SMode", "aSMode", 39},
    {"SValue", "aSValue", 40},
    {"SUnit", "aSUnit", 34},
    {"Freq", "aFreq", 0},
}};

// The read-only view of the record table that the grid DBGrid1 shows. It follows the table through the
// table's observers: a posted row is one inserted row; emptying is a reset. Re-enabling the table's
// controls inserts the rows posted meanwhile, and is a reset only when the table was emptied meanwhile,
// so a walk of the table (a save) leaves the views' current row and scrolling alone.
// The table must outlive the model, or the model must be destroyed first (it detaches its observers).
class TRecordGridModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TRecordGridModel(TTable& table, QObject* parent = nullptr);
    ~TRecordGridModel() override;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // The column titles, left to right (also the header line of text record files).
    static QString ColumnTitle(int column);
    // Field index in the table of the column, or -1 when the table has no such field.
    int ColumnField(int column) const;

private:
    void RowPosted(int row);
    void TableChanged();

    TTable& table_;
    std::array<int, RecordColumns.size()> columnFields_{};
    int rows_ = 0;  // the rows the views have been told of
    std::uint64_t timesEmptied_ = 0;  // the table's count of emptyings when the views were last told
};

}  // namespace korvex
