#include "analysis/HarmonicAnalysis.h"

#include "app/state/Numbers.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "voiceprint/Fft512.h"

#include <algorithm>
#include <cmath>
#include <span>

namespace tavrel {

namespace {

// Highest index the interpolation may take as its lower neighbour: the upper
// one, b + 1, must still lie inside PeriodData.
constexpr int LastLowerIndex = PeriodCapacity - 2;

// Bars beyond this have no amplitude to show.
constexpr int LastHarmonic = SpecSize - 1;

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

std::int16_t Int16Of(double wholeNumber) {
    return RoundToInt16(wholeNumber);
}

void PaintBar(Canvas& c, const HarmChartGeometry& g, const AnalysisState& s, int n, QColor colour) {
    if (!(s.HarmMax > 0) || n < 0 || n > LastHarmonic)
        return;
    const HarmBarRect r = HarmBarCorners(g, n, s.HarmAmp[static_cast<std::size_t>(n)], s.HarmMax);
    c.FilledBox(r.X1, r.Y1, r.X2, r.Y2, colour);
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

void RunHarmonicAnalysis(AnalysisState& s) {
    s.FftDone = 1;
    ResamplePeriod(s);
    Fft512(std::span<float>(s.FftReal), std::span<float>(s.FftImag.data(), SpecSize), s);

    // The voiceprint reuses the Spec arrays; the synthesis window needs this
    // period's spectrum long after.
    s.HarmRe = s.SpecRe;
    s.HarmIm = s.SpecIm;
    s.HarmAmp = s.SpecMag;

    // The DC term says where the wave sits, not what it sounds like: it takes
    // no part in the scale of the bars.
    s.HarmMax = 0;
    for (int i = 1; i <= FftSize / 2; ++i)
        if (s.HarmMax < s.HarmAmp[static_cast<std::size_t>(i)])
            s.HarmMax = s.HarmAmp[static_cast<std::size_t>(i)];
}

HarmChartGeometry HarmChartLayout(int width, int height) {
    HarmChartGeometry g;
    g.X0 = Int16Of(Int(width * 10.0 / 520));
    g.P = Int16Of(Int(width * 12.0 / 520));
    g.B = Int16Of(Int(height * 0.85));
    g.BH = Int16Of(Int(height * 0.75));
    g.LabelX0 = Int16Of(g.X0 - Int(width * 4.0 / 520));

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

void PaintHarmBar(Canvas& c, const AnalysisState& s, int n, QColor colour) {
    PaintBar(c, HarmChartLayout(c.Width(), c.Height()), s, n, colour);
}

void DrawHarmChart(Canvas& c, const AnalysisState& s) {
    const double w = c.Width();
    const double h = c.Height();
    const HarmChartGeometry g = HarmChartLayout(c.Width(), c.Height());

    for (int j = 1; j <= g.BarCount; ++j)
        PaintBar(c, g, s, j, Colors::LightBlue);

    c.SetForeColor(Colors::Black);
    c.SetFontSize(9);
    for (int j = 5; j <= g.LastLabelledHarmonic; j += 5) {
        const QPointF at = HarmLabelPosition(g, j);
        c.CurrentX = at.x();
        c.CurrentY = at.y();
        c.Print(QString::number(j));
    }

    c.SetFontSize(11);
    c.CurrentX = w * 235 / 520;
    c.CurrentY = h * 180 / 200;
    c.Print(HarmAxisCaption);
    c.CurrentX = w * 2 / 520;
    c.CurrentY = h * 65 / 200;
    c.Print(AmpCaptionTop);
    c.CurrentX = w * 2 / 520;
    c.CurrentY = h * 95 / 200;
    c.Print(AmpCaptionBottom);
}

} // namespace tavrel
