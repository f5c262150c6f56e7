#pragma once

#include <cstdint>
#include <optional>

namespace korvex {

// Count, extremes, mean and spread of a stream of values, each value taken in O(1). The spread uses
// Welford's update, which stays accurate when the values lie close together far from zero (a batch of
// 4.7 µF parts), where a sum of squares cancels to noise.
class TRunningStats {
public:
    void Add(double value);

    std::int64_t Count() const { return count_; }
    double Min() const { return min_; }
    double Max() const { return max_; }
    double Mean() const { return mean_; }
    // Sample standard deviation (n - 1); none below two values.
    std::optional<double> StdDev() const;

private:
    std::int64_t count_ = 0;
    double mean_ = 0.0;
    double m2_ = 0.0;  // sum of squared distances from the mean
    double min_ = 0.0;
    double max_ = 0.0;
};

}  // namespace korvex
