#include "analysis/HarmonicAnalysis.h"

#include "state/Numbers.h"
#include "voiceprint/Fft512.h"

#include <algorithm>
#include <span>

namespace tavrel {

namespace {

// Highest index the interpolation may take as its lower neighbour: the upper
// one, b + 1, must still lie inside PeriodData.
constexpr int LastLowerIndex = PeriodCapacity - 2;

// Int(pos) as a 16-bit index, kept inside PeriodData whatever PeriodSamples
// holds: a period is never longer than the magnified plot is wide, but a bad
// value must not make the analysis read past the array.
std::int16_t LowerIndex(float pos) {
    if (!(pos >= 0)) // also catches NaN
        return 0;
    if (pos >= float(LastLowerIndex))
        return LastLowerIndex;
    return static_cast<std::int16_t>(Int(pos));
}

} // namespace

void ResamplePeriod(AnalysisState& s) {
    if (s.FftImag.size() < static_cast<std::size_t>(SpecSize))
        s.FftImag.resize(SpecSize, 0.0f); // explicit zeros: a grown vector may reuse old memory

    const float step = s.PeriodSamples / 512.0f;
    std::array<float, SpecSize> pos;
    for (int i = 0; i < SpecSize; ++i)
        pos[static_cast<std::size_t>(i)] = static_cast<float>(i) * step;

    for (int i = 0; i < SpecSize; ++i) {
        const float p = pos[static_cast<std::size_t>(i)];
        const std::int16_t b = LowerIndex(p);
        const float f = p - static_cast<float>(b);
        const float lower = s.PeriodData[static_cast<std::size_t>(b)];
        const float upper = s.PeriodData[static_cast<std::size_t>(b) + 1];
        // Neighbouring samples are one index apart, so the slope needs no division.
        s.FftReal[static_cast<std::size_t>(i)] = lower + f * (upper - lower);
        s.FftImag[static_cast<std::size_t>(i)] = 0;
    }
}

float LargestHarmonic(const AnalysisState& s) {
    float m = 0;
    for (int i = 1; i <= FftSize / 2; ++i)
        if (m < s.HarmAmp[static_cast<std::size_t>(i)])
            m = s.HarmAmp[static_cast<std::size_t>(i)];
    return m;
}

void AnalyseHarmonics(AnalysisState& s) {
    ResamplePeriod(s);
    Fft512(std::span<float>(s.FftReal), std::span<float>(s.FftImag.data(), SpecSize),
           {s.SpecRe, s.SpecIm, s.SpecMag});
    // The voiceprint reuses the Spec arrays; the synthesis window needs this
    // period's spectrum long after.
    s.HarmRe = s.SpecRe;
    s.HarmIm = s.SpecIm;
    s.HarmAmp = s.SpecMag;
    s.HarmMax = LargestHarmonic(s);
}

HarmChartGeometry HarmChartLayout(int width, int height) {
    HarmChartGeometry g;
    g.X0 = RoundToInt16(Int(width * 10.0 / ChartDesignWidth));
    g.P = RoundToInt16(Int(width * 12.0 / ChartDesignWidth));
    g.B = RoundToInt16(Int(height * 0.85));
    g.BH = RoundToInt16(Int(height * 0.75));
    g.LabelX0 = RoundToInt16(g.X0 - Int(width * 4.0 / ChartDesignWidth));

    // A plot too narrow for a pitch of one pixel holds no chart; the loops
    // below would never end.
    if (g.P <= 0)
        return g;

    // The comparisons are made in single precision on purpose: they decide
    // whether the last bar fits, and the count must not depend on the
    // extra digits of a double.
    const float barRight = static_cast<float>(width - 20);
    int j = 0;
    while (j < LastHarmonic && barRight > static_cast<float>((j + 0.8) * g.P + g.X0))
        ++j;
    g.BarCount = j;

    const float labelRight = static_cast<float>(width - 20 - 10);
    j = 0;
    while (j < LastHarmonic && labelRight > static_cast<float>(g.LabelX0 + g.P * j))
        ++j;
    g.LastLabelledHarmonic = j;
    return g;
}

HarmBarRect HarmBarCorners(const HarmChartGeometry& g, int n, float amp, float maxAmp) {
    HarmBarRect r;
    r.X1 = n * g.P + g.X0;
    r.Y1 = g.B;
    r.X2 = (n + 0.8) * g.P + g.X0;
    r.Y2 = static_cast<float>(g.B) - amp / maxAmp * static_cast<float>(g.BH);
    return r;
}

QPointF HarmLabelPosition(const HarmChartGeometry& g, int j) {
    return QPointF(g.LabelX0 + g.P * j + 9, g.B + 5);
}

HarmCaptionPlaces HarmCaptionLayout(int width, int height) {
    const double w = width;
    const double h = height;
    return {QPointF(w * 235 / ChartDesignWidth, h * 180 / ChartDesignHeight),
            QPointF(w * 2 / ChartDesignWidth, h * 65 / ChartDesignHeight),
            QPointF(w * 2 / ChartDesignWidth, h * 95 / ChartDesignHeight)};
}

} // namespace tavrel
