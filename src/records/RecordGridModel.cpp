#include "records/RecordGridModel.h"

#include "meter/Windows1252.h"

namespace korvex {

TRecordGridModel::TRecordGridModel(TTable& table, QObject* parent)
    : QAbstractTableModel(parent)
    , table_(table)
    , rows_(table.RecordCount())
    , timesEmptied_(table.TimesEmptied())
{
    for (std::size_t c = 0; c < RecordColumns.size(); ++c)
        columnFields_[c] = table_.FindField(RecordColumns[c].field);
    table_.OnRowPosted = [this](int row) { RowPosted(row); };
    table_.OnReset = [this] { TableChanged(); };
}

TRecordGridModel::~TRecordGridModel()
{
    table_.OnRowPosted = nullptr;
    table_.OnReset = nullptr;
}

int TRecordGridModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : rows_;
}

int TRecordGridModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(RecordColumns.size());
}

QVariant TRecordGridModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rows_ || index.column() >= columnCount())
        return {};
    const int field = columnFields_[static_cast<std::size_t>(index.column())];
    if (field < 0)
        return {};
    const bool integer = table_.Fields()[static_cast<std::size_t>(field)].type == FieldType::Integer;
    if (role == Qt::TextAlignmentRole)
        return integer ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant(Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole)
        return {};
    if (table_.IsNull(index.row(), field))
        return QString();
    // A record number is shown as plain digits: grouped by the locale it would look like a reading.
    if (integer)
        return QString::number(table_.Integer(index.row(), field));
    return FromWindows1252(table_.Text(index.row(), field));
}

QVariant TRecordGridModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
        section >= static_cast<int>(RecordColumns.size()))
        return QAbstractTableModel::headerData(section, orientation, role);
    return ColumnTitle(section);
}

Qt::ItemFlags TRecordGridModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QString TRecordGridModel::ColumnTitle(int column)
{
    if (column < 0 || column >= static_cast<int>(RecordColumns.size()))
        return {};
    return QString::fromLatin1(RecordColumns[static_cast<std::size_t>(column)].title);
}

int TRecordGridModel::ColumnField(int column) const
{
    if (column < 0 || column >= static_cast<int>(RecordColumns.size()))
        return -1;
    return columnFields_[static_cast<std::size_t>(column)];
}

void TRecordGridModel::RowPosted(int row)
{
    // Rows arrive one by one at the end; anything else means the model lost track, so catch up.
    if (row != rows_) {
        TableChanged();
        return;
    }
    beginInsertRows(QModelIndex(), row, row);
    rows_ = row + 1;
    endInsertRows();
}

void TRecordGridModel::TableChanged()
{
    const int count = table_.RecordCount();
    // Rows are only appended or all removed: with no emptying since, the rows the views know are still
    // there, and only the new ones need telling.
    if (table_.TimesEmptied() == timesEmptied_ && count >= rows_) {
        if (count > rows_) {
            beginInsertRows(QModelIndex(), rows_, count - 1);
            rows_ = count;
            endInsertRows();
        }
        return;
    }
    beginResetModel();
    rows_ = count;
    timesEmptied_ = table_.TimesEmptied();
    endResetModel();
}

}  // namespace korvex
