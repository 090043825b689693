#include "analysis/PlotClicks.h"

#include "state/Numbers.h"

#include <cmath>
#include <utility>

namespace tavrel {

WholeWaveClick ClickWholeWave(AnalysisState& s, float x, int w3, int w1) {
    // A rejected first file sets WaveLoaded without bringing any samples.
    if (s.WaveLoaded == 0 || s.WaveData.empty())
        return {};
    WholeWaveClick c;
    c.handled = true;
    if (s.RegionChosen == 1)
        c.rubOutX = s.RegionX.value_or(0.0f);
    c.markerX = static_cast<float>(Int(x));
    s.RegionX = c.markerX;
    s.RegionStartSample = RegionStart(s.SampleCount, c.markerX, w3, w1);
    s.RegionLength = CopyRegion(s, s.RegionStartSample, w1);
    s.RegionChosen = 1;
    s.FftDone = 0;
    s.MarkPhase = 0;
    s.PeriodReady = 0;
    return c;
}

namespace {

float FirstMark(AnalysisState& s, float x) {
    const float x1 = static_cast<float>(Int(x));
    s.MarkX1 = x1;
    s.MarkPhase = 1;
    return x1;
}

} // namespace

MagnifiedClick ClickMagnified(AnalysisState& s, float x, double rate) {
    MagnifiedClick c;
    if (s.RegionChosen == 0)
        return c;
    switch (s.MarkPhase) {
    case 0:
        c.step = MarkStep::First;
        c.lineX = FirstMark(s, x);
        return c;
    case 1:
        c.step = MarkStep::Second;
        c.lineX = static_cast<float>(Int(x));
        s.MarkX2 = c.lineX;
        s.MarkPhase = 2;
        if (s.MarkX2.value_or(0) < s.MarkX1.value_or(0))
            std::swap(s.MarkX1, s.MarkX2);
        c.capture = CapturePeriod(s, rate);
        if (c.capture == CaptureResult::Captured)
            s.PeriodReady = 1;
        return c;
    default:
        // PeriodReady stays: until a new pair is complete the Fourier button
        // still works on the period captured before.
        c.step = MarkStep::StartOver;
        s.FftDone = 0;
        c.lineX = FirstMark(s, x);
        return c;
    }
}

void RefitRegion(AnalysisState& s, int w1) {
    if (s.RegionChosen == 1)
        s.RegionLength = CopyRegion(s, s.RegionStartSample, w1);
}

float MarkerXForRegion(const AnalysisState& s, int w3) {
    if (s.SampleCount < 2)
        return 0;
    // The first column whose samples begin at or after the start: where a
    // click magnifies from the start itself whenever a column does.
    return static_cast<float>(
        std::ceil(double(s.RegionStartSample) * w3 / double(s.SampleCount - 1)));
}

} // namespace tavrel
