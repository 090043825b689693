#pragma once
// The harmonic analysis of the captured period and its bar chart. Computation
// and drawing only: the main window's Fourier button checks that a period is
// ready, clears the harmonic plot and then calls RunHarmonicAnalysis and
// DrawHarmChart.

#include "app/state/AnalysisState.h"

#include <QColor>
#include <QPointF>
#include <QString>
#include <cstdint>

namespace tavrel {

class Canvas;

// Resamples PeriodData(0 ... PeriodSamples) by linear interpolation to the 513
// points FftReal(0 ... 512), FftReal(512) being the sample under the second
// mark, and zeroes FftImag(0 ... 512), first growing FftImag to 513 entries if
// the recording was shorter. All arithmetic is in single precision.
void ResamplePeriod(AnalysisState& s);

// Sets FftDone, resamples the period, transforms it so that bin k holds
// harmonic k, keeps the spectrum in HarmRe/HarmIm/HarmAmp and its largest
// harmonic (1 ... 256, not the DC term) in HarmMax.
void RunHarmonicAnalysis(AnalysisState& s);

// Where the chart goes on a harmonic plot of W x H pixels. The chart keeps its
// proportions at any size; at the designed 520 x 200 the values are 10, 12, 170,
// 150 and 6, with 41 bars and labels up to 40.
struct HarmChartGeometry {
    std::int16_t X0 = 0;          // left offset of bar 0
    std::int16_t P = 0;           // bar pitch
    std::int16_t B = 0;           // baseline y
    std::int16_t BH = 0;          // height of the strongest bar
    std::int16_t LabelX0 = 0;     // left offset of the harmonic-number labels
    int BarCount = 0;             // bars 1 ... BarCount are drawn
    int LastLabelledHarmonic = 0; // label loop runs j = 1 ... this
};

HarmChartGeometry HarmChartLayout(int width, int height);

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

// Paints bar n of the chart in the given colour. Nothing is painted while
// HarmMax is 0 (a silent or constant period), nor for n outside 0 ... 512.
void PaintHarmBar(Canvas& c, const AnalysisState& s, int n, QColor colour);

// Bars 1 ... BarCount in light blue, the harmonic numbers every fifth bar and
// the axis captions, all over what the plot already shows.
void DrawHarmChart(Canvas& c, const AnalysisState& s);

// Axis captions; the horizontal one is spaced out to stand under the bars.
inline const QString HarmAxisCaption = QStringLiteral("倍　   音");
inline const QString AmpCaptionTop = QStringLiteral("振");
inline const QString AmpCaptionBottom = QStringLiteral("幅");

} // namespace tavrel
