#pragma once
// The harmonic analysis of the captured period, and where its bar chart goes.
// Plain computation over the shared state: no drawing, no step flags (the
// Fourier button's handler sets FftDone).

#include "state/AnalysisState.h"

#include <QPointF>
#include <cstdint>

namespace tavrel {

// Resamples PeriodData(0 ... PeriodSamples) by linear interpolation to the 513
// points FftReal(0 ... 512), FftReal(512) being the sample under the second
// mark, and zeroes FftImag(0 ... 512), first growing FftImag to 513 entries if
// the recording was shorter. All arithmetic is in single precision. Whatever
// PeriodSamples holds, no index outside PeriodData is read.
void ResamplePeriod(AnalysisState& s);

// Resamples the period and transforms it so that bin k holds harmonic k:
// SpecRe/SpecIm/SpecMag get the transform, HarmRe/HarmIm/HarmAmp a copy that
// later transforms leave alone, and HarmMax the largest harmonic.
void AnalyseHarmonics(AnalysisState& s);

// Largest of HarmAmp(1 ... 256). The DC term says where the wave sits, not
// what it sounds like, so it takes no part in the scale.
float LargestHarmonic(const AnalysisState& s);

// The chart was designed on a harmonic plot of 520 x 200 pixels; every
// position is that design's figure scaled by the plot's actual size.
inline constexpr double ChartDesignWidth = 520;  // px
inline constexpr double ChartDesignHeight = 200; // px

// Where the chart goes on a harmonic plot of W x H pixels. At the design size
// the values are 10, 12, 170, 150 and 6, with 41 bars and labels up to 40.
struct HarmChartGeometry {
    std::int16_t X0 = 0;          // px, left offset of bar 0
    std::int16_t P = 0;           // px, bar pitch
    std::int16_t B = 0;           // px, baseline y
    std::int16_t BH = 0;          // px, height of the strongest bar
    std::int16_t LabelX0 = 0;     // px, left offset of the harmonic-number labels
    int BarCount = 0;             // bars 1 ... BarCount are drawn
    int LastLabelledHarmonic = 0; // the label loop runs j = 1 ... this
};
HarmChartGeometry HarmChartLayout(int width, int height);

// Highest bar number that has an amplitude to show.
inline constexpr int LastHarmonic = SpecSize - 1;

struct HarmBarRect {
    double X1 = 0; // left edge
    double Y1 = 0; // baseline
    double X2 = 0; // right edge
    double Y2 = 0; // top
};

// Corners of bar n with the given amplitude and scale; maxAmp must be > 0.
HarmBarRect HarmBarCorners(const HarmChartGeometry& g, int n, float amp, float maxAmp);

// Top-left of the label of harmonic j.
QPointF HarmLabelPosition(const HarmChartGeometry& g, int j);

// Top-left corners of the axis captions on a plot of W x H pixels: the
// horizontal caption under the bars, and the vertical one written downwards
// as two characters at the left edge.
struct HarmCaptionPlaces {
    QPointF harmonic;
    QPointF ampTop;
    QPointF ampBottom;
};
HarmCaptionPlaces HarmCaptionLayout(int width, int height);

} // namespace tavrel
