#pragma once

#include <QPageSize>
#include <QString>
#include <cstdint>
#include <vector>

namespace korvex {

// Where a band is printed.
enum class TBandKind : std::uint8_t {
    ReportTitle,  // once, at the top of the first page
    PageHeader,   // at the top of every page, below the title on the first page
    MasterData,   // once per row of its data source, as many per page as fit above the footer
    PageFooter,   // at the bottom of every page
};

enum class THorzAlign : std::uint8_t {
    Left,    // text starts at the left edge
    Center,  // text centred between the edges
    Right,   // text ends at the right edge
};

enum class TVertAlign : std::uint8_t {
    Top,     // text at the top edge
    Center,  // text centred between top and bottom
    Bottom,  // text at the bottom edge
};

// A frame line is 1/96 inch wide, solid black.
inline constexpr double FrameLineMm = 25.4 / 96.0;
// Text keeps 2 px (at 96 dpi) from the left and right edges of its box and 1 px from the top and bottom,
// so it never touches a frame.
inline constexpr double TextGapXMm = 2 * 25.4 / 96.0;
inline constexpr double TextGapYMm = 1 * 25.4 / 96.0;

// A text object of a band. Positions and sizes are millimetres from the band's left and top edges; the
// text may hold expressions in square brackets ("[Page]", "[source."field"]").
struct TMemoView {
    QString name;
    QString text;
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;
    QString fontFamily = QStringLiteral("Arial");
    double fontPointSize = 10;
    bool framed = false;
    THorzAlign horzAlign = THorzAlign::Left;
    TVertAlign vertAlign = TVertAlign::Top;
};

// A band spans the page between the left and right margins; its objects are drawn in their order.
struct TBand {
    QString name;
    TBandKind kind = TBandKind::MasterData;
    double height = 0;    // millimetres
    QString dataSetName;  // the data source a master data band repeats over
    std::vector<TMemoView> objects;
};

// The paper, in millimetres: its size as it stands upright, and whether it is turned on its side.
struct TReportPage {
    QString name;
    QPageSize::PageSizeId paperSize = QPageSize::A4;
    double paperWidth = 210;
    double paperHeight = 297;
    double leftMargin = 0;
    double rightMargin = 0;
    double topMargin = 0;
    double bottomMargin = 0;
    bool landscape = false;

    // The page as it is printed: width and height swapped in landscape.
    double PrintedWidth() const { return landscape ? paperHeight : paperWidth; }
    double PrintedHeight() const { return landscape ? paperWidth : paperHeight; }
};

// A report as data: one page description and at most one band of each kind.
struct TReportTemplate {
    QString name;
    // What the reader sees the report called: the PDF's title, the print job's name.
    QString title;
    TReportPage page;
    std::vector<TBand> bands;
};

}  // namespace korvex
