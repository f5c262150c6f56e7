#include "report/Report.h"

#include <QFont>
#include <QFontMetricsF>
#include <QLocale>
#include <QPageLayout>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPen>
#include <QPrinter>
#include <QScopeGuard>
#include <algorithm>
#include <stdexcept>

#include "report/ReportDataSource.h"

namespace korvex {
namespace {

int AlignmentFlags(const TMemoView& view)
{
    int flags = Qt::TextSingleLine;
    switch (view.horzAlign) {
    case THorzAlign::Left: flags |= Qt::AlignLeft; break;
    case THorzAlign::Center: flags |= Qt::AlignHCenter; break;
    case THorzAlign::Right: flags |= Qt::AlignRight; break;
    }
    switch (view.vertAlign) {
    case TVertAlign::Top: flags |= Qt::AlignTop; break;
    case TVertAlign::Center: flags |= Qt::AlignVCenter; break;
    case TVertAlign::Bottom: flags |= Qt::AlignBottom; break;
    }
    return flags;
}

// The font made smaller until the text is no wider than `width` on the device. Glyph widths do not scale
// exactly with the point size (hinting), hence the second look.
QFont FontFitting(QFont font, const QString& text, double width, const QPaintDevice* device)
{
    for (int attempt = 0; attempt < 8; ++attempt) {
        const double textWidth = QFontMetricsF(font, device).horizontalAdvance(text);
        if (textWidth <= width || width <= 0)
            break;
        font.setPointSizeF(font.pointSizeF() * std::max(0.5, width / textWidth * 0.99));
    }
    return font;
}

}  // namespace

TReport::TReport(TReportTemplate reportTemplate) : template_(std::move(reportTemplate))
{
    for (const TBand& band : template_.bands) {
        std::unique_ptr<CompiledBand>* slot = nullptr;
        switch (band.kind) {
        case TBandKind::ReportTitle: slot = &title_; break;
        case TBandKind::PageHeader: slot = &header_; break;
        case TBandKind::MasterData: slot = &data_; break;
        case TBandKind::PageFooter: slot = &footer_; break;
        }
        if (*slot)
            throw std::runtime_error(
                QStringLiteral("The report has more than one band of the kind of %1.").arg(band.name).toStdString());
        *slot = std::make_unique<CompiledBand>();
        (*slot)->band = &band;
    }
}

void TReport::AddDataSource(const IReportDataSource& source)
{
    sources_.push_back(&source);
}

void TReport::PrepareReport(const QDateTime& builtAt)
{
    pages_.clear();
    dataSource_ = nullptr;
    for (auto* band : {title_.get(), header_.get(), data_.get(), footer_.get()}) {
        if (!band)
            continue;
        band->texts.clear();
        for (const TMemoView& view : band->band->objects)
            band->texts.emplace_back(view.text, sources_);
    }
    if (data_) {
        for (const IReportDataSource* source : sources_)
            if (source->Name().compare(data_->band->dataSetName, Qt::CaseInsensitive) == 0)
                dataSource_ = source;
        if (!dataSource_)
            throw std::runtime_error(QStringLiteral("The report has no data source named %1.")
                                         .arg(data_->band->dataSetName)
                                         .toStdString());
    }

    builtAt_.date = QLocale::system().toString(builtAt.date(), QLocale::ShortFormat);
    builtAt_.time = builtAt.time().toString(QStringLiteral("hh:mm"));

    Paginate();
}

void TReport::Paginate()
{
    const TReportPage& page = template_.page;
    const TBandHeights heights{title_ ? title_->band->height : 0, header_ ? header_->band->height : 0,
                               data_ ? data_->band->height : 0, footer_ ? footer_->band->height : 0};
    pages_ = korvex::Paginate({page.PrintedHeight(), page.topMargin, page.bottomMargin}, heights,
                              dataSource_ ? dataSource_->RowCount() : 0);
    builtAt_.totalPages = PageCount();
}

void TReport::LayOutFor(const QPageLayout& layout)
{
    TReportPage& page = template_.page;
    const QSizeF upright = layout.pageSize().size(QPageSize::Millimeter);
    page.paperSize = layout.pageSize().id();
    page.paperWidth = upright.width();
    page.paperHeight = upright.height();
    page.landscape = layout.orientation() == QPageLayout::Landscape;
    if (!pages_.empty())
        Paginate();
}

void TReport::PlaceBand(const CompiledBand& band, double top, const TExpressionValues& values,
                        std::vector<TPlacedObject>& out) const
{
    const double left = template_.page.leftMargin;
    for (std::size_t i = 0; i < band.texts.size(); ++i) {
        const TMemoView& view = band.band->objects[i];
        out.push_back({&view, QRectF(left + view.left, top + view.top, view.width, view.height),
                       band.texts[i].Evaluate(values)});
    }
}

std::vector<TPlacedObject> TReport::PageObjects(int page) const
{
    const TPageSlice& slice = Page(page);
    TExpressionValues values = builtAt_;
    values.page = page + 1;

    std::vector<TPlacedObject> objects;
    double top = template_.page.topMargin;
    if (slice.title && title_) {
        PlaceBand(*title_, top, values, objects);
        top += title_->band->height;
    }
    if (header_) {
        PlaceBand(*header_, top, values, objects);
        top += header_->band->height;
    }
    if (data_) {
        for (int row = slice.firstRow; row < slice.firstRow + slice.rowCount; ++row) {
            values.row = row;
            PlaceBand(*data_, top, values, objects);
            top += data_->band->height;
        }
        values.row = -1;
    }
    if (footer_) {
        const TReportPage& paper = template_.page;
        PlaceBand(*footer_, paper.PrintedHeight() - paper.bottomMargin - footer_->band->height, values, objects);
    }
    return objects;
}

void TReport::RenderPage(QPainter& painter, int page) const
{
    const QPaintDevice* device = painter.device();
    const double dotsPerMmX = device->logicalDpiX() / 25.4;
    const double dotsPerMmY = device->logicalDpiY() / 25.4;
    const auto toDevice = [&](const QRectF& mm) {
        return QRectF(mm.x() * dotsPerMmX, mm.y() * dotsPerMmY, mm.width() * dotsPerMmX, mm.height() * dotsPerMmY);
    };

    painter.save();
    const auto restore = qScopeGuard([&] { painter.restore(); });
    QPen pen(Qt::black, FrameLineMm * dotsPerMmX, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    QFont font;
    bool fontSet = false;
    for (const TPlacedObject& object : PageObjects(page)) {
        const TMemoView& view = *object.view;
        const QRectF rect = toDevice(object.rect);
        if (view.framed)
            painter.drawRect(rect);
        if (object.text.isEmpty())
            continue;
        if (!fontSet || font.family() != view.fontFamily || font.pointSizeF() != view.fontPointSize) {
            font = QFont(view.fontFamily);
            font.setPointSizeF(view.fontPointSize);
            painter.setFont(font);
            fontSet = true;
        }
        const QRectF inner = rect.adjusted(TextGapXMm * dotsPerMmX, TextGapYMm * dotsPerMmY,
                                           -TextGapXMm * dotsPerMmX, -TextGapYMm * dotsPerMmY);
        const double width = QFontMetricsF(font, device).horizontalAdvance(object.text);
        if (width > inner.width()) {
            // Shrunk rather than cut: a date or a number with a digit missing reads as another one.
            const QFont shrunk = FontFitting(font, object.text, inner.width(), device);
            painter.setFont(shrunk);
            painter.drawText(inner, AlignmentFlags(view), object.text);
            painter.setFont(font);
        } else {
            painter.drawText(inner, AlignmentFlags(view), object.text);
        }
    }
}

void ApplyPageLayout(const TReport& report, QPagedPaintDevice& device)
{
    const TReportPage& page = report.Template().page;
    const QPageSize size = page.paperSize == QPageSize::Custom
                               ? QPageSize(QSizeF(page.paperWidth, page.paperHeight), QPageSize::Millimeter)
                               : QPageSize(page.paperSize);
    QPageLayout layout(size, page.landscape ? QPageLayout::Landscape : QPageLayout::Portrait, QMarginsF(0, 0, 0, 0),
                       QPageLayout::Millimeter);
    layout.setMode(QPageLayout::FullPageMode);
    if (auto* printer = dynamic_cast<QPrinter*>(&device))
        printer->setFullPage(true);
    device.setPageLayout(layout);
}

void RenderPages(const TReport& report, QPagedPaintDevice& device)
{
    QPainter painter;
    if (!painter.begin(&device))
        throw std::runtime_error("The report's pages cannot be drawn on this device.");
    for (int page = 0; page < report.PageCount(); ++page) {
        if (page > 0 && !device.newPage())
            throw std::runtime_error("The device did not start a new page of the report.");
        report.RenderPage(painter, page);
    }
    if (!painter.end())
        throw std::runtime_error("The report's pages could not be finished on this device.");
}

}  // namespace korvex
