#pragma once

#include <vector>

namespace korvex {

// The heights of a report's bands in millimetres; 0 for a band the report does not have.
struct TBandHeights {
    double title = 0;
    double header = 0;
    double data = 0;
    double footer = 0;
};

// The vertical extent of a page, in millimetres from the paper's top edge.
struct TPageExtent {
    double paperHeight = 0;
    double topMargin = 0;
    double bottomMargin = 0;
};

// One page of a prepared report: the title or not, and the run of data rows it holds.
struct TPageSlice {
    int firstRow = 0;
    int rowCount = 0;
    bool title = false;
};

// Lays the rows out on pages: the title once at the top of page 1, the header at the top of every page,
// data rows in order while they fit above the footer. There is always at least one page. Throws
// std::runtime_error when the fixed bands or a single data row leave no room on a page.
std::vector<TPageSlice> Paginate(const TPageExtent& extent, const TBandHeights& heights, int rows);

// Where the footer starts on every page.
double FooterTop(const TPageExtent& extent, const TBandHeights& heights);

}  // namespace korvex
