#pragma once

#include <QWidget>
#include <cstdint>
#include <vector>

namespace korvex {

class TToleranceCheck;

// The tolerance check's deviations as bars: the band's bins from -tolerance to +tolerance, and apart at
// either end the readings below and above it. Redrawn only when the counts change.
class TDeviationHistogram : public QWidget {
    Q_OBJECT
public:
    explicit TDeviationHistogram(QWidget* parent = nullptr);

    // Shows the check's bins; nothing shows none.
    void SetCheck(const TToleranceCheck* check);
    const std::vector<std::int64_t>& Bins() const { return bins_; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::vector<std::int64_t> bins_;
    double tolerance_ = 0.0;
    double binWidth_ = 0.0;
};

}  // namespace korvex
