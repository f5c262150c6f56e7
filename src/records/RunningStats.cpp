#include "records/RunningStats.h"

#include <algorithm>
#include <cmath>

namespace korvex {

void TRunningStats::Add(double value)
{
    ++count_;
    if (count_ == 1) {
        min_ = max_ = mean_ = value;
        return;
    }
    min_ = std::min(min_, value);
    max_ = std::max(max_, value);
    const double delta = value - mean_;
    mean_ += delta / static_cast<double>(count_);
    m2_ += delta * (value - mean_);
}

std::optional<double> TRunningStats::StdDev() const
{
    if (count_ < 2)
        return std::nullopt;
    return std::sqrt(std::max(0.0, m2_) / static_cast<double>(count_ - 1));
}

}  // namespace korvex
