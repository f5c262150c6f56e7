#include "report/PageView.h"

#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cmath>

#include "report/Report.h"
#include "widgets/Guarded.h"

namespace korvex {
namespace {

constexpr int GapPx = 12;          // around and between the pages
constexpr int ShadowPx = 3;
// Drawn pages kept: the ones in sight and a few around them, within a memory budget at high zoom.
constexpr std::size_t KeptPages = 6;
constexpr qsizetype KeptBytes = 48 * 1024 * 1024;
constexpr double MinZoom = 0.1, MaxZoom = 4.0, ZoomStep = 1.25;

}  // namespace

TPageView::TPageView(const TReport& report, QWidget* parent) : QAbstractScrollArea(parent), report_(report)
{
    viewport()->setBackgroundRole(QPalette::Dark);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(40);
    horizontalScrollBar()->setSingleStep(40);
    UpdateScrollBars();
}

int TPageView::PageCount() const
{
    return report_.PageCount();
}

int TPageView::Dpi() const
{
    return std::max(1, static_cast<int>(std::lround(zoom_ * logicalDpiX())));
}

QSize TPageView::PagePixels() const
{
    const TReportPage& paper = report_.Template().page;
    const double dotsPerMm = Dpi() / 25.4;
    return {std::max(1, static_cast<int>(std::lround(paper.PrintedWidth() * dotsPerMm))),
            std::max(1, static_cast<int>(std::lround(paper.PrintedHeight() * dotsPerMm)))};
}

int TPageView::PageStride() const
{
    return PagePixels().height() + GapPx;
}

void TPageView::UpdateScrollBars()
{
    const QSize page = PagePixels();
    const QSize view = viewport()->size();
    const qint64 height = static_cast<qint64>(PageCount()) * PageStride() + GapPx;
    const int width = page.width() + 2 * GapPx;
    verticalScrollBar()->setPageStep(view.height());
    verticalScrollBar()->setRange(0, static_cast<int>(std::clamp<qint64>(height - view.height(), 0, INT_MAX)));
    horizontalScrollBar()->setPageStep(view.width());
    horizontalScrollBar()->setRange(0, std::max(0, width - view.width()));
}

void TPageView::SetZoom(double zoom)
{
    zoom = std::clamp(zoom, MinZoom, MaxZoom);
    if (zoom == zoom_)
        return;
    // The same place of the page at the top stays at the top.
    const double position = static_cast<double>(verticalScrollBar()->value()) / PageStride();
    zoom_ = zoom;
    drawn_.clear();
    UpdateScrollBars();
    verticalScrollBar()->setValue(static_cast<int>(std::lround(position * PageStride())));
    viewport()->update();
    emit ZoomChanged(zoom_);
    EmitCurrentPage();
}

void TPageView::ZoomIn()
{
    SetZoom(zoom_ * ZoomStep);
}

void TPageView::ZoomOut()
{
    SetZoom(zoom_ / ZoomStep);
}

void TPageView::FitWidth()
{
    SetZoom(zoom_ * std::max(1, viewport()->width() - 2 * GapPx) / PagePixels().width());
}

void TPageView::FitPage()
{
    const QSize page = PagePixels();
    const double byWidth = static_cast<double>(std::max(1, viewport()->width() - 2 * GapPx)) / page.width();
    const double byHeight = static_cast<double>(std::max(1, viewport()->height() - 2 * GapPx)) / page.height();
    const int current = CurrentPage();
    SetZoom(zoom_ * std::min(byWidth, byHeight));
    GoToPage(current);
}

int TPageView::CurrentPage() const
{
    const QScrollBar* bar = verticalScrollBar();
    if (PageCount() <= 1)
        return 0;
    if (bar->maximum() > 0 && bar->value() == bar->maximum())
        return PageCount() - 1;
    return std::clamp((bar->value() + PageStride() / 2) / PageStride(), 0, PageCount() - 1);
}

void TPageView::GoToPage(int page)
{
    page = std::clamp(page, 0, std::max(0, PageCount() - 1));
    verticalScrollBar()->setValue(static_cast<int>(std::min<qint64>(static_cast<qint64>(page) * PageStride(), INT_MAX)));
    EmitCurrentPage();
}

void TPageView::PagesChanged()
{
    drawn_.clear();
    lastCurrentPage_ = -1;
    UpdateScrollBars();
    viewport()->update();
    EmitCurrentPage();
}

void TPageView::EmitCurrentPage()
{
    const int page = CurrentPage();
    if (page != lastCurrentPage_) {
        lastCurrentPage_ = page;
        emit CurrentPageChanged(page);
    }
}

const QImage& TPageView::DrawnImage(int page)
{
    const auto found = std::find_if(drawn_.begin(), drawn_.end(), [page](const DrawnPage& d) { return d.page == page; });
    if (found != drawn_.end()) {
        if (found != drawn_.begin())
            std::rotate(drawn_.begin(), found, found + 1);
        return drawn_.front().image;
    }
    QImage image(PagePixels(), QImage::Format_RGB32);
    const int dotsPerMeter = static_cast<int>(std::lround(Dpi() / 0.0254));
    image.setDotsPerMeterX(dotsPerMeter);
    image.setDotsPerMeterY(dotsPerMeter);
    image.fill(Qt::white);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        report_.RenderPage(painter, page);
    }
    ++pagesDrawn_;
    drawn_.push_front({page, std::move(image)});
    while (drawn_.size() > KeptPages || (drawn_.size() > 2 && static_cast<qsizetype>(drawn_.size()) * drawn_.front().image.sizeInBytes() > KeptBytes))
        drawn_.pop_back();
    return drawn_.front().image;
}

void TPageView::paintEvent(QPaintEvent* event)
{
    RunGuarded([&] {
        QPainter painter(viewport());
        const QSize page = PagePixels();
        const int stride = PageStride();
        const int top = verticalScrollBar()->value();
        const int x = horizontalScrollBar()->maximum() > 0 ? GapPx - horizontalScrollBar()->value()
                                                           : (viewport()->width() - page.width()) / 2;
        const int first = std::max(0, (top - GapPx) / stride);
        const int last = std::min(PageCount() - 1, (top + viewport()->height()) / stride);
        try {
            for (int i = first; i <= last; ++i) {
                const QRect rect(QPoint(x, GapPx + static_cast<int>(static_cast<qint64>(i) * stride - top)), page);
                if (!rect.adjusted(0, 0, ShadowPx, ShadowPx).intersects(event->rect()))
                    continue;
                painter.fillRect(rect.translated(ShadowPx, ShadowPx), Qt::black);
                painter.drawImage(rect.topLeft(), DrawnImage(i));
            }
        } catch (...) {
            if (onFailure_)
                onFailure_(std::current_exception());
        }
    });
}

void TPageView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
    EmitCurrentPage();
}

void TPageView::scrollContentsBy(int, int)
{
    viewport()->update();
    EmitCurrentPage();
}

}  // namespace korvex
