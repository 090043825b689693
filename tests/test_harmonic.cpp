// The harmonic analysis on periods whose harmonics are known by construction,
// and its bar chart as a user sees it, read back from the plot's pixels.
#include "analysis/HarmonicAnalysis.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"

#include "Pixels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// PeriodData(0 ... length) = offset + sum of amps[k-1] * cos(2 pi k n / length + phase k).
AnalysisState Period(int length, std::vector<double> amps, double offset = 0, double phase = 0) {
    AnalysisState s;
    s.PeriodSamples = static_cast<float>(length);
    for (int n = 0; n <= length; ++n) {
        double v = offset;
        for (std::size_t k = 1; k <= amps.size(); ++k)
            v += amps[k - 1] * std::cos(2 * std::numbers::pi * k * n / length + phase * k);
        s.PeriodData[n] = static_cast<float>(v);
    }
    return s;
}

bool AnyDark(const Canvas& c, int x1, int y1, int x2, int y2) {
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (qRed(c.Pixel(x, y)) < 128 && qGreen(c.Pixel(x, y)) < 128 &&
                qBlue(c.Pixel(x, y)) < 128)
                return true;
    return false;
}

// Every harmonic at half scale, harmonic 7 at full scale.
AnalysisState HalfBarsPeakAt7() {
    AnalysisState s;
    s.HarmAmp.fill(50);
    s.HarmAmp[7] = s.HarmMax = 100;
    return s;
}

} // namespace

TEST(HarmResample, InterpolatesOnePeriodTo513Points) {
    AnalysisState s;
    for (int i = 0; i <= 1500; ++i)
        s.PeriodData[i] = static_cast<float>((i * 37) % 101 - 50);
    s.PeriodSamples = 512; // one point per sample: copied unchanged
    s.FftImag.assign(600, 5.0f);
    ResamplePeriod(s);
    for (int i = 0; i <= 512; ++i) {
        ASSERT_EQ(s.FftReal[i], s.PeriodData[i]) << "point " << i;
        ASSERT_EQ(s.FftImag[i], 0.0f) << "point " << i;
    }
    EXPECT_EQ(s.FftImag[513], 5.0f); // beyond the transform's reach

    s.PeriodSamples = 256; // two points per sample: odd points halfway between
    ResamplePeriod(s);
    for (int i = 0; i <= 512; ++i) {
        const float expected =
            i % 2 ? (s.PeriodData[i / 2] + s.PeriodData[i / 2 + 1]) / 2 : s.PeriodData[i / 2];
        ASSERT_FLOAT_EQ(s.FftReal[i], expected) << "point " << i;
    }

    for (int length : {3, 333, 1499}) { // the last point is the sample under the second mark
        s.PeriodSamples = static_cast<float>(length);
        ResamplePeriod(s);
        EXPECT_EQ(s.FftReal[512], s.PeriodData[length]) << "length " << length;
    }
}

// Nothing loaded yet, or a recording shorter than 513 samples: FftImag is grown.
// Period lengths the capture never produces must still keep every read inside
// PeriodData; the sanitizer build turns a stray read into a failure.
TEST(HarmResample, ShortWorkArrayAndImpossibleLengthsAreSafe) {
    for (float length : {64.0f, 1500.0f, 1e9f, -7.0f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()}) {
        AnalysisState s;
        s.FftImag.assign(10, 3.0f);
        s.PeriodData.fill(1.0f);
        s.PeriodSamples = length;
        ResamplePeriod(s);
        ASSERT_GE(s.FftImag.size(), 513u);
        EXPECT_EQ(std::count(s.FftImag.begin(), s.FftImag.begin() + 513, 0.0f), 513);
        RunHarmonicAnalysis(s);
        EXPECT_EQ(s.FftDone, 1);
        EXPECT_GE(s.HarmMax, 0.0f);
    }
}

TEST(HarmAnalysis, HarmonicsOfKnownPeriods) {
    for (int length : {512, 200, 97}) {
        AnalysisState s = Period(length, {1234.5});
        RunHarmonicAnalysis(s);
        // Linear interpolation of a sampled cosine loses about (pi / L)^2 / 6
        // of its amplitude: under 0.07 % for L = 97.
        EXPECT_NEAR(s.HarmAmp[1], 256 * 1234.5, 256 * 1234.5 * 1e-3) << "length " << length;
        EXPECT_EQ(s.HarmMax, s.HarmAmp[1]);
        EXPECT_LT(*std::max_element(&s.HarmAmp[2], &s.HarmAmp[257]), 256 * 1234.5 * 3e-3);
    }

    AnalysisState mix = Period(256, {1000, 0, 500, 0, 250});
    RunHarmonicAnalysis(mix);
    for (int k : {1, 3, 5})
        EXPECT_NEAR(mix.HarmAmp[k], 256000.0 / (k == 1 ? 1 : k == 3 ? 2 : 4), 256.0);
    EXPECT_NEAR(mix.HarmRe[3], 128000.0, 256.0); // cosines: no imaginary part
    EXPECT_NEAR(mix.HarmIm[3], 0.0, 256.0);
    EXPECT_LT(mix.HarmAmp[2], 256.0);
    EXPECT_EQ(mix.HarmRe, mix.SpecRe);
    EXPECT_EQ(mix.HarmIm, mix.SpecIm);
    EXPECT_EQ(mix.HarmAmp, mix.SpecMag);
}

TEST(HarmAnalysis, OffsetAndSilenceDoNotSetTheScale) {
    AnalysisState plain = Period(300, {0, 800});
    AnalysisState raised = Period(300, {0, 800}, 5000);
    RunHarmonicAnalysis(plain);
    RunHarmonicAnalysis(raised);
    EXPECT_GT(raised.HarmAmp[0], 10 * raised.HarmMax); // the offset dominates bin 0 ...
    EXPECT_NEAR(raised.HarmMax, plain.HarmMax, plain.HarmMax * 1e-4); // ... not the scale

    for (double level : {0.0, 700.0}) { // silent or constant: every difference exactly 0
        AnalysisState s = Period(120, {}, level);
        s.HarmMax = 99;
        RunHarmonicAnalysis(s);
        EXPECT_EQ(s.FftDone, 1);
        EXPECT_EQ(s.HarmMax, 0.0f) << "level " << level;
    }
}

TEST(HarmChart, GeometryAtAnySize) {
    const HarmChartGeometry g = HarmChartLayout(520, 200);
    EXPECT_EQ(g.X0, 10);
    EXPECT_EQ(g.P, 12);
    EXPECT_EQ(g.B, 170);
    EXPECT_EQ(g.BH, 150);
    EXPECT_EQ(g.LabelX0, 6);
    EXPECT_EQ(g.BarCount, 41);
    EXPECT_EQ(g.LastLabelledHarmonic, 41);
    EXPECT_EQ(HarmLabelPosition(g, 5), QPointF(75, 175));

    for (int w = 300; w <= 2400; ++w) {
        const HarmChartGeometry h = HarmChartLayout(w, 2 * w / 5);
        ASSERT_GE(h.BarCount, 40) << "width " << w;
        ASSERT_LE(h.BarCount, 46) << "width " << w;
        // A bar is added while the one before ends left of the 20-pixel
        // margin, so the last bar is the first to reach into it.
        EXPECT_LT(HarmBarCorners(h, h.BarCount - 1, 1, 1).X2, w - 20 + 1e-3) << "width " << w;
        EXPECT_GE(HarmBarCorners(h, h.BarCount, 1, 1).X2, w - 20 - 1e-3) << "width " << w;
    }
    for (int w = 0; w < 44; ++w) // too narrow for a pitch of one pixel: no chart, and no hang
        EXPECT_EQ(HarmChartLayout(w, 10).BarCount, 0) << "width " << w;
}

TEST(HarmChart, BarsLabelsAndCaptionsAtTheDesignedSize) {
    Canvas c(520, 200);
    DrawHarmChart(c, HalfBarsPeakAt7());
    for (int j = 1; j <= 41; ++j) { // bar j spans 12 j + 10 ... 12 j + 19.6
        const int left = 12 * j + 10;
        for (int x = left; x <= left + 9; ++x)
            ASSERT_EQ(c.Pixel(x, 150), Blue) << "bar " << j << " column " << x;
        EXPECT_EQ(c.Pixel(left - 1, 150), White) << "gap before bar " << j;
        EXPECT_EQ(c.Pixel(left - 2, 150), White) << "gap before bar " << j;
        EXPECT_EQ(c.Pixel(left + 4, 170), White) << "below the baseline, bar " << j;
        EXPECT_EQ(TopmostOf(c.Image(), Blue, left + 4), j == 7 ? 20 : 95) << "bar " << j;
    }
    EXPECT_EQ(c.Pixel(12 * 7 + 14, 169), Blue);
    EXPECT_EQ(c.Pixel(12 * 41 + 21, 150), White); // no bar 42

    for (int j = 5; j <= 40; j += 5)
        EXPECT_TRUE(AnyDark(c, 12 * j + 15, 175, 12 * j + 29, 192)) << "label " << j;
    EXPECT_FALSE(AnyDark(c, 20, 171, 74, 199));            // no labels 1 ... 4
    EXPECT_FALSE(AnyDark(c, 12 * 40 + 35, 171, 519, 199)); // none after 40

    EXPECT_TRUE(AnyDark(c, 235, 180, 250, 199)); // 倍 at the caption's start ...
    EXPECT_TRUE(AnyDark(c, 272, 180, 300, 199)); // ... 音 four blanks on, past label 20
    EXPECT_TRUE(AnyDark(c, 2, 65, 20, 85));      // 振
    EXPECT_TRUE(AnyDark(c, 2, 95, 20, 115));     // 幅
    EXPECT_FALSE(AnyDark(c, 2, 20, 20, 60));
    EXPECT_FALSE(AnyDark(c, 2, 120, 20, 160));
}

TEST(HarmChart, SingleBarsAndZeroScale) {
    Canvas c(520, 200);
    const AnalysisState s = HalfBarsPeakAt7();
    DrawHarmChart(c, s);
    PaintHarmBar(c, s, 3, Colors::LightRed);
    EXPECT_EQ(c.Pixel(12 * 3 + 14, 150), qRgb(255, 0, 0));
    EXPECT_EQ(TopmostOf(c.Image(), Blue, 12 * 3 + 14), -1);
    EXPECT_EQ(c.Pixel(12 * 2 + 14, 150), Blue);
    EXPECT_EQ(c.Pixel(12 * 4 + 14, 150), Blue);

    Canvas blank(520, 200);
    PaintHarmBar(blank, s, -1, Colors::LightBlue);
    PaintHarmBar(blank, s, 513, Colors::LightBlue);
    const AnalysisState silent; // HarmMax = 0: no bars, but still the text
    PaintHarmBar(blank, silent, 1, Colors::LightBlue);
    EXPECT_EQ(CountColour(blank.Image(), Blue), 0);
    DrawHarmChart(blank, silent);
    EXPECT_EQ(CountColour(blank.Image(), Blue), 0);
    EXPECT_TRUE(AnyDark(blank, 75, 175, 90, 192));
    EXPECT_TRUE(AnyDark(blank, 235, 180, 300, 199));
}

TEST(HarmChart, ChartKeepsItsProportionsOnALargerPlot) {
    Canvas c(1040, 400); // X0 = 20, P = 24, baseline 340, full height 300
    DrawHarmChart(c, HalfBarsPeakAt7());
    EXPECT_EQ(c.Pixel(24 * 7 + 21, 300), Blue);
    EXPECT_EQ(c.Pixel(24 * 7 + 38, 300), Blue);
    EXPECT_EQ(c.Pixel(24 * 7 + 41, 300), White);
    EXPECT_EQ(TopmostOf(c.Image(), Blue, 24 * 7 + 30), 40);
    EXPECT_EQ(TopmostOf(c.Image(), Blue, 24 * 8 + 30), 190);
}
