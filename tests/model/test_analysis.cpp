// The analysis on the main window without a window: the region a click magnifies and its
// scale, and the harmonics. The period marks are clicked through in the window's flow test.
#include "analysis/HarmonicAnalysis.h"
#include "analysis/PlotClicks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numbers>

using namespace tavrel;

// A loaded recording whose sample i is i mod 1000.
static AnalysisState Recording(int n) {
    AnalysisState s;
    s.SampleCount = n;
    s.WaveData = FloatArray(std::size_t(n));
    for (int i = 0; i < n; ++i)
        s.WaveData[i] = float(i % 1000);
    s.RegionData = s.FftImag = s.WaveData;
    s.WaveLoaded = 1;
    return s;
}

// A region starts under the click, never runs past the end, and holds what the
// recording has; its scale follows the setting, and quiet regions stay small.
TEST(Magnify, RegionAndScale) {
    EXPECT_EQ((std::vector<int>{RegionStart(22050, 520, 521, 520), RegionStart(100, 300, 521, 520),
                                RegionStart(521, 400, 521, 520)}),
              (std::vector<int>{22050 - 521, 0, 0}));
    AnalysisState s = Recording(300);
    EXPECT_EQ(
        (std::vector<int>{CopyRegion(s, 300, 520), CopyRegion(s, -1, 520), CopyRegion(s, 0, 520)}),
        (std::vector<int>{0, 0, 300}));
    std::fill(s.RegionData.begin(), s.RegionData.end(), 0.0f);
    s.RegionData[1] = 1;
    // Where that sample of 1 lands on a 152-high plot (Mid 76, Amp 64).
    const auto y1 = [&s](float peak, std::int16_t normalise, bool startOver) {
        s.RegionData[0] = peak;
        s.AmpNormalize = normalise;
        return MagnifiedPoints(s, 300, 152, startOver).at(1).y();
    };
    EXPECT_EQ(y1(30, 1, false), 74);                   // 64 / 30 = 2.13, rounded
    EXPECT_EQ(y1(30, 0, false), 75);                   // fixed 120: 0.53 rounds to 1
    EXPECT_DOUBLE_EQ(y1(30, 0, true), 76 - 64.0 / 30); // a redraw always normalises
    EXPECT_EQ(y1(6, 1, false), 76);                    // quiet: 64 / 160 = 0.4
}

// After a resize the region keeps its start; its marker stands where a click magnifies from it.
TEST(PlotClicks, RegionStartAndItsMarkerAfterAResize) {
    AnalysisState s = Recording(8000);
    ClickWholeWave(s, 260, 520, 520);
    ASSERT_EQ(s.RegionStartSample, 3999);
    RefitRegion(s, 260);
    EXPECT_TRUE(s.RegionLength == 261 && s.RegionData[260] == s.WaveData[3999 + 260]);
    for (int w3 : {260, 1040, 7999})
        EXPECT_EQ(RegionStart(s.SampleCount, MarkerXForRegion(s, w3), w3, 520), 3999) << w3;
}

// One period resampled to 513 points, and its harmonics. Lengths the capture never makes keep
// every read inside PeriodData (the checked build fails a stray index).
TEST(HarmonicAnalysis, ResamplesAnyLengthAndFindsTheHarmonics) {
    AnalysisState s;
    for (int i = 0; i <= 1500; ++i)
        s.PeriodData[i] = float((i * 37) % 101 - 50);
    s.FftImag.assign(600, 5.0f);
    s.PeriodSamples = 256; // two points per sample: odd points halfway between
    ResamplePeriod(s);
    for (int i = 0; i <= 512; ++i)
        ASSERT_EQ(s.FftReal[i], (s.PeriodData[i / 2] + s.PeriodData[(i + 1) / 2]) / 2) << i;
    EXPECT_EQ(std::count(s.FftImag.begin(), s.FftImag.end(), 0.0f), 513); // not beyond

    // A cosine at harmonic 2 over an offset, which dominates bin 0 but takes no part
    // in the scale; the copies outlive the Spec arrays, which the voiceprint reuses.
    s.PeriodSamples = 300;
    for (int n = 0; n <= 300; ++n)
        s.PeriodData[n] = float(5000 + 800 * std::cos(2 * std::numbers::pi * 2 * n / 300));
    AnalyseHarmonics(s);
    EXPECT_NEAR(s.HarmRe[2], 256 * 800, 200);
    EXPECT_NEAR(s.HarmIm[2], 0, 200);
    EXPECT_TRUE(s.HarmMax == s.HarmAmp[2] && s.HarmAmp[0] > 10 * s.HarmMax);
    EXPECT_TRUE(s.HarmRe == s.SpecRe && s.HarmIm == s.SpecIm && s.HarmAmp == s.SpecMag);

    s.PeriodData.fill(1.0f);
    s.PeriodData[0] = 2.0f;
    for (float length : {1500.0f, 1e9f, -7.0f, NAN, INFINITY}) {
        s.PeriodSamples = length;
        s.FftImag.assign(10, 3.0f); // from a recording shorter than 513 samples: grown
        ResamplePeriod(s);
        for (float v : s.FftReal) // only values of PeriodData come out
            ASSERT_TRUE((v >= 1 && v <= 2) || !std::isfinite(length) || length < 0) << length;
        AnalyseHarmonics(s);
        EXPECT_GE(s.FftImag.size(), 513u);
    }
}

TEST(HarmonicAnalysis, ChartGeometryAtAnySize) {
    const HarmChartGeometry g = HarmChartLayout(520, 200);
    EXPECT_EQ(
        (std::vector<int>{g.X0, g.P, g.B, g.BH, g.LabelX0, g.BarCount, g.LastLabelledHarmonic}),
        (std::vector<int>{10, 12, 170, 150, 6, 41, 41}));
    EXPECT_EQ(HarmLabelPosition(g, 5), QPointF(75, 175));
    const HarmCaptionPlaces captions = HarmCaptionLayout(520, 200);
    EXPECT_EQ(std::pair(captions.harmonic, captions.ampBottom),
              std::pair(QPointF(235, 180), QPointF(2, 95)));
    // A bar is added while the one before ends left of the 20-pixel margin, so
    // the last bar is the first to reach into it.
    for (int w = 300; w <= 2400; ++w) {
        const HarmChartGeometry h = HarmChartLayout(w, 2 * w / 5);
        ASSERT_TRUE(h.BarCount >= 40 && h.BarCount <= 46) << w << ": " << h.BarCount;
        EXPECT_LT(HarmBarCorners(h, h.BarCount - 1, 1, 1).X2, w - 20 + 1e-3) << w;
        EXPECT_GE(HarmBarCorners(h, h.BarCount, 1, 1).X2, w - 20 - 1e-3) << w;
    }
    for (int w = 0; w < 44; ++w) // too narrow for a pitch of one pixel: no chart, and no hang
        EXPECT_EQ(HarmChartLayout(w, 10).BarCount, 0) << w;
}
