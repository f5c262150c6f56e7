#pragma once

#include <string>

#include "meter/MeterState.h"

namespace korvex {

// The panel updates the decoder asks for. The panel reads the fields it needs from the state passed along.
enum class PanelUpdate {
    Hold,         // on change of Hold: lcdHold
    Rel,          // on change of Rel: lcdRel
    Lcr,          // on change of Lcr: lcdLCR
    Auto,         // every frame: lcdAuto shown when Lcr or Auto
    Battery,      // on change of Battery: the three bars
    Frequency,    // on change of Freq: lcdFREQ caption
    Tolerance,    // on change of Tolerance: sorting labels and bar panel
    MainMode,     // every frame: lcdFREQ shown, lcdMMode caption
    MainUnit,     // on change of MainUnit: lcdMUnit caption (codes 15..31 too: UnitCaption gives them empty)
    MainReadout,  // every frame: lcdMDisp text by MainKind, bar position
    SubMode,      // every frame: lcdSMod caption
    SubUnit,      // on change of SubUnit: lcdSUnit caption (codes 15..31 too: UnitCaption gives them empty)
    SubReadout,   // every frame: lcdSDisp text and visibility by SubKind
    BarMaximum,   // every frame, last: lcdBar maximum := full scale of MainPoint
    MainText,     // the capacitance rule: lcdMDisp shows MainText (a whole number) as it stands
};

// Everything the data path reaches outside itself goes through this one interface, which the main
// window implements. Keeping it narrow lets the core build, test and fuzz without widgets.
class IMeterView {
public:
    virtual ~IMeterView() = default;

    virtual void UpdatePanel(PanelUpdate update, const TMeterState& state) = 0;

    // Chart data window: AddValue returns the page now shown, which goes to the page box.
    virtual int ChartAddValue(double value) = 0;
    virtual void ChartSetVerticalMin(double value) = 0;
    virtual void ChartSetVerticalMax(double value) = 0;
    virtual void SetCurrentPageText(const std::string& text) = 0;

    // The record gate's two controls, and the row it appends.
    virtual bool RepeatTicked() const = 0;
    virtual bool IntervalTimerEnabled() const = 0;
    virtual void AppendRecord(const TMeterState& state) = 0;

    // Link-facing steps of a received chunk: swap the two connection pictures, restart the watchdog.
    virtual void ToggleConnectionPicture() = 0;
    virtual void RestartWatchdog() = 0;
};

}  // namespace korvex
