#pragma once

#include <QString>
#include <span>
#include <vector>

namespace korvex {

class IReportDataSource;

// The values the built-in expressions print on one page, for one row.
struct TExpressionValues {
    QString date;        // [Date]: the build date in the system's short date format
    QString time;        // [Time]: the build time as "hh:mm"
    int page = 0;        // [Page]: counted from 1
    int totalPages = 0;  // [TotalPages#]
    int row = -1;        // the data row the band prints, or -1 outside a data band
};

// An object's text with its expressions resolved once, so printing a row only looks values up.
// Recognised in square brackets: Date, Time, Page, TotalPages# and source."field" (source and field
// matched without regard to case); other text is printed as it stands.
class TCompiledText {
public:
    // Throws std::runtime_error for a field expression whose source or field does not exist.
    TCompiledText(const QString& text, std::span<const IReportDataSource* const> sources);

    QString Evaluate(const TExpressionValues& values) const;
    bool UsesRow() const { return usesRow_; }

private:
    enum class PartKind : unsigned char {
        Literal,     // `literal` as it stands
        Date,        // the build date
        Time,        // the build time
        Page,        // the page number
        TotalPages,  // the page count
        Field,       // field `field` of `source` in the current row
    };
    struct Part {
        PartKind kind = PartKind::Literal;
        QString literal;
        const IReportDataSource* source = nullptr;
        int field = -1;
    };

    void AddLiteral(const QString& text);
    Part ParseExpression(const QString& expression, std::span<const IReportDataSource* const> sources) const;

    std::vector<Part> parts_;
    bool usesRow_ = false;
};

}  // namespace korvex
