#pragma once
// What a click on the whole-wave plot or on the magnified plot does to the
// analysis: which region is magnified, which period mark is set, what is
// captured, and the step flags that follow. The main window's mouse handlers
// call these and then draw what the outcome says.

#include "analysis/Magnify.h"
#include "state/AnalysisState.h"

#include <optional>

namespace tavrel {

struct WholeWaveClick {
    bool handled = false;         // false: no recording yet, nothing to do
    std::optional<float> rubOutX; // the previous marker, to be drawn over
    float markerX = 0;            // the new marker
};

// A click at x on a whole-wave plot w3 pixels wide, with a magnified plot w1
// pixels wide: sets RegionX, copies the region into RegionData and resets the
// period marks and the analysis (RegionChosen 1, MarkPhase 0, FftDone 0,
// PeriodReady 0).
WholeWaveClick ClickWholeWave(AnalysisState& s, float x, int w3, int w1);

enum class MarkStep {
    Ignored,   // no region magnified yet
    First,     // the first mark of a pair was set at lineX
    Second,    // the second mark was set at lineX; `capture` says how it went
    StartOver, // a third click: plots to be cleared, then a first mark at lineX
};

struct MagnifiedClick {
    MarkStep step = MarkStep::Ignored;
    float lineX = 0; // where this click's mark line goes
    CaptureResult capture = CaptureResult::Captured;
};

// A click at x on the magnified plot. rate is the sample rate the period is
// measured with (what the rate box says when the second mark is set).
MagnifiedClick ClickMagnified(AnalysisState& s, float x, double rate);

// After the magnified plot changed to w1 pixels: the region keeps its start
// and is filled again for the new width, so the marks still stand on the
// same samples.
void RefitRegion(AnalysisState& s, int w1);

// Where the marker of the current region stands on a whole-wave plot w3
// pixels wide: the column where a click magnifies from the region's start.
float MarkerXForRegion(const AnalysisState& s, int w3);

} // namespace tavrel
