#include "records/ui/DeviationHistogram.h"

#include <QLocale>
#include <QPainter>
#include <algorithm>

#include "records/ToleranceCheck.h"
#include "widgets/Guarded.h"

namespace korvex {
namespace {

const QColor InsideBar(0, 128, 0);
const QColor OutsideBar(192, 0, 0);
const QColor Axis(0, 0, 0);

QString PercentText(double percent)
{
    // In the system's decimal separator, as the readings are.
    return (percent > 0 ? QStringLiteral("+") : QString()) + QLocale::system().toString(percent, 'g', 3) +
           QStringLiteral(" %");
}

}  // namespace

TDeviationHistogram::TDeviationHistogram(QWidget* parent) : QWidget(parent)
{
    setMinimumHeight(60);
}

void TDeviationHistogram::SetCheck(const TToleranceCheck* check)
{
    std::vector<std::int64_t> bins;
    double tolerance = 0.0;
    double binWidth = 0.0;
    if (check) {
        bins = check->Bins();
        tolerance = check->TolerancePercent();
        binWidth = check->BinWidth();
    }
    if (bins == bins_ && tolerance == tolerance_ && binWidth == binWidth_)
        return;
    bins_ = std::move(bins);
    tolerance_ = tolerance;
    binWidth_ = binWidth;
    update();
}

QSize TDeviationHistogram::sizeHint() const
{
    return {360, 90};
}

void TDeviationHistogram::paintEvent(QPaintEvent*)
{
    RunGuarded([&] {
        if (bins_.size() < 3)
            return;
        QPainter p(this);
        const int text = fontMetrics().height();
        const QRect plot = rect().adjusted(4, text + 2, -4, -(text + 4));
        const std::int64_t highest = std::max<std::int64_t>(1, *std::max_element(bins_.begin(), bins_.end()));
        // The outside bins stand apart from the band by a gap of one bin.
        const int places = static_cast<int>(bins_.size()) + 2;
        const double slot = static_cast<double>(plot.width()) / places;
        const auto slotLeft = [&](int index) {
            const int at = index == 0 ? 0 : index == static_cast<int>(bins_.size()) - 1 ? places - 1 : index + 1;
            return plot.left() + at * slot;
        };
        for (int i = 0; i < static_cast<int>(bins_.size()); ++i) {
            const std::int64_t count = bins_[static_cast<std::size_t>(i)];
            if (count == 0)
                continue;
            const double height = static_cast<double>(plot.height()) * static_cast<double>(count) / static_cast<double>(highest);
            const bool outside = i == 0 || i == static_cast<int>(bins_.size()) - 1;
            p.fillRect(QRectF(slotLeft(i) + 1, plot.bottom() + 1 - height, std::max(1.0, slot - 2), height),
                       outside ? OutsideBar : InsideBar);
        }
        p.setPen(Axis);
        p.drawLine(plot.left(), plot.bottom() + 1, plot.right(), plot.bottom() + 1);
        p.drawText(QRect(plot.left(), 0, plot.width(), text), Qt::AlignLeft,
                   highest == 1 ? QStringLiteral("1 reading") : QStringLiteral("%1 readings").arg(highest));
        p.drawText(QRect(plot.left(), 0, plot.width(), text), Qt::AlignRight,
                   QStringLiteral("bins of %1 %").arg(QLocale::system().toString(binWidth_, 'g', 3)));
        const int below = plot.bottom() + 3;
        const double bandLeft = slotLeft(1);
        const double bandRight = slotLeft(static_cast<int>(bins_.size()) - 2) + slot;
        const double centre = (bandLeft + bandRight) / 2;
        const int labelWidth = 80;
        p.drawText(QRectF(bandLeft - labelWidth / 2.0, below, labelWidth, text), Qt::AlignHCenter, PercentText(-tolerance_));
        p.drawText(QRectF(centre - labelWidth / 2.0, below, labelWidth, text), Qt::AlignHCenter, QStringLiteral("0"));
        p.drawText(QRectF(bandRight - labelWidth / 2.0, below, labelWidth, text), Qt::AlignHCenter, PercentText(tolerance_));
        p.drawLine(QPointF(centre, plot.top()), QPointF(centre, plot.bottom() + 3));
    });
}

}  // namespace korvex
