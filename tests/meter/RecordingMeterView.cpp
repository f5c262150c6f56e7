#include "meter/RecordingMeterView.h"

#include <sstream>

namespace korvex::test {

const char* PanelUpdateName(PanelUpdate update)
{
    switch (update) {
    case PanelUpdate::Hold: return "Hold";
    case PanelUpdate::Rel: return "Rel";
    case PanelUpdate::Lcr: return "Lcr";
    case PanelUpdate::Auto: return "Auto";
    case PanelUpdate::Battery: return "Battery";
    case PanelUpdate::Frequency: return "Frequency";
    case PanelUpdate::Tolerance: return "Tolerance";
    case PanelUpdate::MainMode: return "MainMode";
    case PanelUpdate::MainUnit: return "MainUnit";
    case PanelUpdate::MainReadout: return "MainReadout";
    case PanelUpdate::SubMode: return "SubMode";
    case PanelUpdate::SubUnit: return "SubUnit";
    case PanelUpdate::SubReadout: return "SubReadout";
    case PanelUpdate::BarMaximum: return "BarMaximum";
    case PanelUpdate::MainText: return "MainText";
    }
    return "?";
}

namespace {

std::string Number(double value)
{
    std::ostringstream out;
    out << value;
    return out.str();
}

}  // namespace

void RecordingMeterView::UpdatePanel(PanelUpdate update, const TMeterState& state)
{
    log.push_back(std::string("UpdatePanel ") + PanelUpdateName(update));
    if (update == PanelUpdate::MainReadout || update == PanelUpdate::MainText)
        readoutTexts.push_back(state.MainText);
}

int RecordingMeterView::ChartAddValue(double value)
{
    log.push_back("ChartAddValue " + Number(value));
    chartValues.push_back(value);
    return page;
}

void RecordingMeterView::ChartSetVerticalMin(double value)
{
    log.push_back("ChartSetVerticalMin " + Number(value));
}

void RecordingMeterView::ChartSetVerticalMax(double value)
{
    log.push_back("ChartSetVerticalMax " + Number(value));
}

void RecordingMeterView::SetCurrentPageText(const std::string& text)
{
    log.push_back("SetCurrentPageText " + text);
}

bool RecordingMeterView::RepeatTicked() const
{
    log.push_back("RepeatTicked");
    return repeatTicked;
}

bool RecordingMeterView::IntervalTimerEnabled() const
{
    log.push_back("IntervalTimerEnabled");
    return intervalTimerEnabled;
}

void RecordingMeterView::AppendRecord(const TMeterState& state)
{
    log.push_back("AppendRecord " + state.MainText);
    recordedMainTexts.push_back(state.MainText);
}

void RecordingMeterView::ToggleConnectionPicture()
{
    log.push_back("ToggleConnectionPicture");
}

void RecordingMeterView::RestartWatchdog()
{
    log.push_back("RestartWatchdog");
}

void RecordingMeterView::ClearLog()
{
    log.clear();
    chartValues.clear();
    recordedMainTexts.clear();
    readoutTexts.clear();
}

int RecordingMeterView::Count(const std::string& prefix) const
{
    return static_cast<int>(Lines(prefix).size());
}

std::vector<std::string> RecordingMeterView::Lines(const std::string& prefix) const
{
    std::vector<std::string> lines;
    for (const std::string& line : log)
        if (line.compare(0, prefix.size(), prefix) == 0)
            lines.push_back(line);
    return lines;
}

}  // namespace korvex::test
