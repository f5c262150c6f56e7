#pragma once

#include <string>
#include <vector>

#include "meter/MeterView.h"

namespace korvex::test {

const char* PanelUpdateName(PanelUpdate update);

// A meter view that logs every call as a short line ("UpdatePanel MainUnit", "ChartAddValue 1.234"), so a
// test can see which calls a chunk or a frame caused and in what order. Rows and pages are kept as data.
class RecordingMeterView : public IMeterView {
public:
    void UpdatePanel(PanelUpdate update, const TMeterState& state) override;
    int ChartAddValue(double value) override;
    void ChartSetVerticalMin(double value) override;
    void ChartSetVerticalMax(double value) override;
    void SetCurrentPageText(const std::string& text) override;
    bool RepeatTicked() const override;
    bool IntervalTimerEnabled() const override;
    void AppendRecord(const TMeterState& state) override;
    void ToggleConnectionPicture() override;
    void RestartWatchdog() override;

    // Forget what was logged so far; the controls keep their state.
    void ClearLog();
    // How many log lines start with the given text.
    int Count(const std::string& prefix) const;
    // The log lines that start with the given text.
    std::vector<std::string> Lines(const std::string& prefix) const;

    bool repeatTicked = true;
    bool intervalTimerEnabled = false;
    int page = 1;

    mutable std::vector<std::string> log;
    std::vector<double> chartValues;
    std::vector<std::string> recordedMainTexts;
    std::vector<std::string> readoutTexts;  // MainText as the panel saw it at each MainReadout or MainText update
};

}  // namespace korvex::test
