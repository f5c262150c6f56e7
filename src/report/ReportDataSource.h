#pragma once

#include <QString>

namespace korvex {

// A table the report reads row by row; a master data band is bound to one by its name.
class IReportDataSource {
public:
    virtual ~IReportDataSource() = default;

    virtual QString Name() const = 0;
    virtual int RowCount() const = 0;
    // Index of the field of that name compared without regard to case, or -1.
    virtual int FindField(const QString& name) const = 0;
    // The field's value in that row as the report prints it.
    virtual QString Value(int row, int field) const = 0;
};

}  // namespace korvex
