#pragma once

#include "meter/MeterView.h"

namespace korvex {

// A view that does nothing, with Repeat ticked and no sampling interval, so every frame passes the
// record gate. Suites and benchmarks override what they watch.
class NullMeterView : public IMeterView {
public:
    void UpdatePanel(PanelUpdate, const TMeterState&) override {}
    int ChartAddValue(double) override { return 1; }
    void ChartSetVerticalMin(double) override {}
    void ChartSetVerticalMax(double) override {}
    void SetCurrentPageText(const std::string&) override {}
    bool RepeatTicked() const override { return true; }
    bool IntervalTimerEnabled() const override { return false; }
    void AppendRecord(const TMeterState&) override {}
    void ToggleConnectionPicture() override {}
    void RestartWatchdog() override {}
};

}  // namespace korvex
