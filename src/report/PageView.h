#pragma once

#include <QAbstractScrollArea>
#include <QImage>
#include <deque>
#include <exception>
#include <functional>

namespace korvex {

class TReport;

// The prepared pages of a report one below the other, at a zoom where 1.0 shows the paper at its real size
// on the screen. Only the pages in sight are drawn, each once per zoom and kept in a small cache, so
// opening, scrolling and zooming cost the same for ten pages as for ten thousand.
class TPageView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The report must outlive the view.
    explicit TPageView(const TReport& report, QWidget* parent = nullptr);

    double Zoom() const { return zoom_; }
    // Between 10 % and 400 %; keeps the page in sight that was at the top.
    void SetZoom(double zoom);
    void ZoomIn();
    void ZoomOut();
    // The page's width fills the view / the whole page stands in the view.
    void FitWidth();
    void FitPage();

    int PageCount() const;
    // The page at the top of the view, 0-based.
    int CurrentPage() const;
    void GoToPage(int page);

    // After the report's pages were laid out again (paper, orientation): drops the drawn pages.
    void PagesChanged();

    // How many pages have been drawn since the view was made: bounded by what was in sight.
    int PagesDrawn() const { return pagesDrawn_; }

    // Called with a failure to draw a page (from inside a paint event, where it must not escape).
    void SetFailureHandler(std::function<void(std::exception_ptr)> handler) { onFailure_ = std::move(handler); }

signals:
    void CurrentPageChanged(int page);
    void ZoomChanged(double zoom);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    struct DrawnPage {
        int page = 0;
        QImage image;
    };

    int Dpi() const;                  // dots per inch of the paper at this zoom
    QSize PagePixels() const;         // one page at this zoom
    int PageStride() const;           // a page and the gap below it
    const QImage& DrawnImage(int page);
    void UpdateScrollBars();
    void EmitCurrentPage();

    const TReport& report_;
    double zoom_ = 1.0;
    std::deque<DrawnPage> drawn_;     // most recently used first
    int pagesDrawn_ = 0;
    int lastCurrentPage_ = -1;
    std::function<void(std::exception_ptr)> onFailure_;
};

}  // namespace korvex
