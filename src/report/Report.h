#pragma once

#include <QDateTime>
#include <QRectF>
#include <QString>
#include <memory>
#include <vector>

#include "report/ReportExpression.h"
#include "report/ReportPagination.h"
#include "report/ReportTemplate.h"

class QPageLayout;
class QPainter;
class QPagedPaintDevice;

namespace korvex {

class IReportDataSource;

// An object as it stands on a prepared page: its template entry, its rectangle in millimetres from the
// paper's top-left corner, and its text with the expressions resolved.
struct TPlacedObject {
    const TMemoView* view = nullptr;
    QRectF rect;
    QString text;
};

// A banded report: a template, the data sources its master data band reads, and the pages prepared
// from them. Pages are kept as runs of rows, not pictures: each page is laid out and drawn on demand.
class TReport {
public:
    // Throws std::runtime_error when the template has two bands of one kind.
    explicit TReport(TReportTemplate reportTemplate);

    const TReportTemplate& Template() const { return template_; }
    // The source must outlive the report.
    void AddDataSource(const IReportDataSource& source);

    // Builds the pages anew from the sources' rows at this moment; "[Date]" and "[Time]" print `builtAt`.
    // Throws std::runtime_error when an expression names a missing field or the bands do not fit.
    void PrepareReport(const QDateTime& builtAt = QDateTime::currentDateTime());
    // Lays the prepared rows out again on the paper and orientation of the layout (a printer's, after
    // the user chose them), keeping the template's own margins.
    void LayOutFor(const QPageLayout& layout);
    int PageCount() const { return static_cast<int>(pages_.size()); }
    const TPageSlice& Page(int page) const { return pages_.at(static_cast<std::size_t>(page)); }

    // The objects of a prepared page (0-based) in drawing order: title, header, rows, footer.
    std::vector<TPlacedObject> PageObjects(int page) const;
    // Draws a prepared page in the painter's device units, the paper's top-left corner at the origin. A
    // text wider than its box is drawn in a font shrunk until it fits, never cut.
    void RenderPage(QPainter& painter, int page) const;

private:
    struct CompiledBand {
        const TBand* band = nullptr;
        std::vector<TCompiledText> texts;
    };

    void Paginate();
    void PlaceBand(const CompiledBand& band, double top, const TExpressionValues& values,
                   std::vector<TPlacedObject>& out) const;

    TReportTemplate template_;
    std::vector<const IReportDataSource*> sources_;
    std::unique_ptr<CompiledBand> title_, header_, data_, footer_;
    const IReportDataSource* dataSource_ = nullptr;
    std::vector<TPageSlice> pages_;
    TExpressionValues builtAt_;
};

// Sets the device to the report's paper and orientation, without margins, so page coordinates start at the
// paper's corner.
void ApplyPageLayout(const TReport& report, QPagedPaintDevice& device);
// Draws every prepared page on the device, one after the other, with a painter of its own.
// Throws std::runtime_error when the device cannot be painted on.
void RenderPages(const TReport& report, QPagedPaintDevice& device);

}  // namespace korvex
