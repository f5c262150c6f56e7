#include "report/ReportPagination.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvex {
namespace {

// Band heights are given to a tenth of a millimetre; this keeps sums like 34 + 41 * 6 from losing a row.
constexpr double Tolerance = 1e-6;

int RowsThatFit(double top, double bottom, double rowHeight)
{
    if (bottom - top < -Tolerance)
        throw std::runtime_error("The report's title, header and footer do not fit on one page.");
    if (rowHeight <= 0)
        return -1;
    return static_cast<int>(std::floor((bottom - top + Tolerance) / rowHeight));
}

}  // namespace

double FooterTop(const TPageExtent& extent, const TBandHeights& heights)
{
    return extent.paperHeight - extent.bottomMargin - heights.footer;
}

std::vector<TPageSlice> Paginate(const TPageExtent& extent, const TBandHeights& heights, int rows)
{
    const double footerTop = FooterTop(extent, heights);
    const double firstBodyTop = extent.topMargin + heights.title + heights.header;
    const double otherBodyTop = extent.topMargin + heights.header;
    const int firstPageRows = RowsThatFit(firstBodyTop, footerTop, heights.data);
    const int otherPageRows = RowsThatFit(otherBodyTop, footerTop, heights.data);

    std::vector<TPageSlice> pages;
    pages.push_back({0, 0, true});
    if (rows <= 0)
        return pages;
    if (heights.data <= 0)
        throw std::runtime_error("The report's data band has no height.");
    if (otherPageRows < 1)
        throw std::runtime_error("A data row does not fit on a page of the report.");

    // A first page too full for a single row leaves its rows to the next page.
    pages.front().rowCount = std::min(rows, std::max(firstPageRows, 0));
    int next = pages.front().rowCount;
    pages.reserve(1 + static_cast<std::size_t>((rows - next + otherPageRows - 1) / otherPageRows));
    while (next < rows) {
        const int count = std::min(otherPageRows, rows - next);
        pages.push_back({next, count, false});
        next += count;
    }
    return pages;
}

}  // namespace korvex
