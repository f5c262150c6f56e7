#include "records/ui/RecordReport.h"

#include <array>

#include "meter/Windows1252.h"
#include "records/TableEngine.h"
#include "report/ReportPreview.h"

namespace korvex {
namespace {

using H = THorzAlign;
using V = TVertAlign;

struct BandRow {
    const char* name;
    TBandKind kind;
    double height;
};

// The bands in the order they stand on a page, heights in millimetres.
constexpr std::array<BandRow, 4> Bands = {{
    {"ReportTitle1", TBandKind::ReportTitle, 18},
    {"PageHeader1", TBandKind::PageHeader, 6},
    {"MasterData1", TBandKind::MasterData, 6},
    {"PageFooter1", TBandKind::PageFooter, 6},
}};

struct ObjectRow {
    int band;  // index into Bands
    const char* name;
    const char* text;
    double left, top, width, height;
    double pointSize;
    bool framed;
    H horz;
    V vert;
};

// Every object of the report: millimetres from its band's left and top edges, Arial, black.
constexpr std::array<ObjectRow, 22> Objects = {{
    {0, "frphTitle", "Data", 79, 1, 42, 5, 12, false, H::Center, V::Top},
    {0, "Memo11", "[Date]", 162, 12, 19, 5, 10, false, H::Left, V::Top},
    {0, "Memo10", "[Time]", 181, 12, 12, 5, 10, false, H::Left, V::Top},

    {1, "frphNO", "NO.", 1, 0, 14, 6, 10, true, H::Center, V::Center},
    {1, "frphTime", "Time", 15, 0, 35, 6, 10, true, H::Center, V::Center},
    {1, "frphFunction", "MMode", 50, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo1", "MValue", 72, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo2", "MUnit", 94, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo3", "SMode", 116, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo4", "SValue", 138, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo5", "SUnit", 160, 0, 22, 6, 10, true, H::Center, V::Center},
    {1, "Memo6", "Freq", 182, 0, 18, 6, 10, true, H::Center, V::Center},

    {2, "frxDBDataset1ANo", "[frxDBDataset1.\"ANo\"]", 1, 0, 14, 6, 10, true, H::Right, V::Bottom},
    {2, "frxDBDataset1ATime", "[frxDBDataset1.\"aTime\"]", 15, 0, 35, 6, 10, true, H::Center, V::Bottom},
    {2, "frxDBDataset1AFunction", "[frxDBDataset1.\"aMMode\"]", 50, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo7", "[frxDBDataset1.\"aMValue\"]", 72, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo8", "[frxDBDataset1.\"aMUnit\"]", 94, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo9", "[frxDBDataset1.\"aSMode\"]", 116, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo13", "[frxDBDataset1.\"aSValue\"]", 138, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo14", "[frxDBDataset1.\"aSUnit\"]", 160, 0, 22, 6, 10, true, H::Center, V::Bottom},
    {2, "Memo15", "[frxDBDataset1.\"aFreq\"]", 182, 0, 18, 6, 10, true, H::Center, V::Center},

    {3, "Memo12", "[Page]/[TotalPages#]", 175, 1, 25, 5, 10, false, H::Left, V::Top},
}};

}  // namespace

int TRecordReportData::RowCount() const
{
    return cds1_.RecordCount();
}

int TRecordReportData::FindField(const QString& name) const
{
    return cds1_.FindField(name.toStdString());
}

QString TRecordReportData::Value(int row, int field) const
{
    if (cds1_.IsNull(row, field))
        return {};
    if (cds1_.Fields().at(static_cast<std::size_t>(field)).type == FieldType::Integer)
        return QString::number(cds1_.Integer(row, field));
    return FromWindows1252(cds1_.Text(row, field));
}

TReportTemplate RecordReportTemplate()
{
    TReportTemplate report;
    report.name = QStringLiteral("frxReport1");
    report.title = QStringLiteral("Data");
    report.page = {QStringLiteral("Page1"), QPageSize::A4, 210, 297, 5, 5, 10, 10};
    for (const BandRow& row : Bands) {
        TBand band;
        band.name = QString::fromLatin1(row.name);
        band.kind = row.kind;
        band.height = row.height;
        if (row.kind == TBandKind::MasterData)
            band.dataSetName = QStringLiteral("frxDBDataset1");
        report.bands.push_back(std::move(band));
    }

    for (const ObjectRow& row : Objects) {
        TMemoView view;
        view.name = QString::fromLatin1(row.name);
        view.text = QString::fromLatin1(row.text);
        view.left = row.left;
        view.top = row.top;
        view.width = row.width;
        view.height = row.height;
        view.fontFamily = QStringLiteral("Arial");
        view.fontPointSize = row.pointSize;
        view.framed = row.framed;
        view.horzAlign = row.horz;
        view.vertAlign = row.vert;
        report.bands[static_cast<std::size_t>(row.band)].objects.push_back(view);
    }
    return report;
}

TRecordReport::TRecordReport(const TTable& cds1) : frxDBDataset1_(cds1), preview_(&ShowPreview) {}

void TRecordReport::ShowReport(QWidget* owner)
{
    TReport frxReport1(RecordReportTemplate());
    frxReport1.AddDataSource(frxDBDataset1_);
    frxReport1.PrepareReport();
    preview_(frxReport1, owner);
}

}  // namespace korvex
