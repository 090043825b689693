// The analysis on the main window, computed without a window: which region a
// click magnifies, the period marks as a user sets them, and the harmonics of
// periods whose harmonics are known by construction.
#include "analysis/HarmonicAnalysis.h"
#include "analysis/Magnify.h"
#include "analysis/PlotClicks.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace tavrel;

namespace {

// A loaded recording whose sample i is i mod 1000.
AnalysisState Recording(int n) {
    AnalysisState s;
    s.SampleCount = n;
    s.WaveData = FloatArray(static_cast<std::size_t>(n));
    s.RegionData = FloatArray(static_cast<std::size_t>(n));
    s.FftImag = FloatArray(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s.WaveData[i] = static_cast<float>(i % 1000);
    s.WaveLoaded = 1;
    return s;
}

// PeriodData(0 ... length) = offset + sum of amps[k-1] * cos(2 pi k n / length).
AnalysisState Period(int length, std::vector<double> amps, double offset = 0) {
    AnalysisState s;
    s.PeriodSamples = static_cast<float>(length);
    for (int n = 0; n <= length; ++n) {
        double v = offset;
        for (std::size_t k = 1; k <= amps.size(); ++k)
            v += amps[k - 1] * std::cos(2 * std::numbers::pi * k * n / length);
        s.PeriodData[n] = static_cast<float>(v);
    }
    return s;
}

} // namespace

TEST(Magnify, RegionStartsUnderTheClickAndNeverRunsPastTheEnd) {
    struct Case {
        std::int32_t samples;
        double x;
        int w3, w1;
        std::int32_t start;
    };
    for (const Case& c : {Case{8000, 10, 521, 520, 153}, // Int(7999 x 10 / 521)
                          Case{22050, 520, 521, 520, 22050 - 1 - 520},
                          Case{100, 300, 521, 520, 0}, // shorter than the region
                          Case{521, 400, 521, 520, 0}}) // exactly one region long
        EXPECT_EQ(RegionStart(c.samples, c.x, c.w3, c.w1), c.start) << c.samples << " " << c.x;

    AnalysisState s = Recording(2000);
    EXPECT_EQ(CopyRegion(s, 100, 520), 521);
    EXPECT_EQ(s.RegionData[520], 620);
    AnalysisState shortOne = Recording(300);
    EXPECT_EQ(CopyRegion(shortOne, 0, 520), 300);
    EXPECT_EQ(CopyRegion(shortOne, 300, 520), 0);
    EXPECT_EQ(CopyRegion(shortOne, -1, 520), 0);
}

TEST(Magnify, ScaleFollowsTheSettingAndQuietRegionsStaySmall) {
    AnalysisState s = Recording(600);
    std::fill(s.RegionData.begin(), s.RegionData.end(), 0.0f);
    s.RegionData[1] = 1;
    struct Case {
        float peak;
        std::int16_t normalise;
        bool startOver;
        double y1; // where the sample of 1 lands on a 152-high plot (Mid 76, Amp 64)
    };
    for (const Case& c : {Case{30, 1, false, 74},         // 64 / 30 = 2.13, rounded
                          Case{30, 1, true, 76 - 64.0 / 30}, // a redraw keeps the fraction
                          Case{30, 0, false, 75},         // fixed 120: 0.53 rounds to 1
                          Case{30, 0, true, 76 - 64.0 / 30}, // a redraw always normalises
                          Case{6, 1, false, 76}}) {       // quiet: 64 / 160 = 0.4
        s.RegionData[0] = c.peak;
        s.AmpNormalize = c.normalise;
        const auto pts = MagnifiedPoints(s, 521, 152, c.startOver);
        ASSERT_EQ(pts.size(), 521u);
        EXPECT_NEAR(pts[1].y(), c.y1, 1e-9) << c.peak << " " << c.normalise << " " << c.startOver;
    }
}

// The whole chain of clicks a student makes: magnify, two marks in reverse
// order, start over, new region; with the step flags after each.
TEST(PlotClicks, RegionAndPeriodMarks) {
    AnalysisState s = Recording(8000);
    EXPECT_EQ(ClickMagnified(s, 50, 8000).step, MarkStep::Ignored); // no region yet

    WholeWaveClick w = ClickWholeWave(s, 10.7f, 521, 520);
    ASSERT_TRUE(w.handled);
    EXPECT_FALSE(w.rubOutX);
    EXPECT_EQ(w.markerX, 10);
    EXPECT_EQ(s.RegionStartSample, 153);
    EXPECT_EQ(s.RegionLength, 521);
    EXPECT_EQ(s.RegionData[0], 153);
    EXPECT_EQ((std::vector<int>{s.RegionChosen, s.MarkPhase, s.FftDone, s.PeriodReady}),
              (std::vector<int>{1, 0, 0, 0}));

    MagnifiedClick m = ClickMagnified(s, 150.4f, 8000);
    EXPECT_EQ(m.step, MarkStep::First);
    EXPECT_EQ(m.lineX, 150);
    m = ClickMagnified(s, 50, 8000); // either order
    EXPECT_EQ(m.step, MarkStep::Second);
    EXPECT_EQ(m.lineX, 50);
    EXPECT_EQ(m.capture, CaptureResult::Captured);
    EXPECT_EQ(s.PeriodSamples, 100);
    EXPECT_FLOAT_EQ(s.PeriodSec, 0.0125f);
    EXPECT_FLOAT_EQ(s.FundFreq, 80.0f);
    EXPECT_EQ(s.PeriodData[0], s.RegionData[50]);
    EXPECT_EQ(s.PeriodData[100], s.RegionData[150]);
    EXPECT_EQ(s.PeriodReady, 1);
    EXPECT_EQ(s.MarkPhase, 2);

    s.FftDone = 1;
    m = ClickMagnified(s, 300, 8000);
    EXPECT_EQ(m.step, MarkStep::StartOver);
    EXPECT_EQ(s.MarkX1.value_or(-1), 300);
    EXPECT_EQ((std::vector<int>{s.MarkPhase, s.FftDone, s.PeriodReady}),
              (std::vector<int>{1, 0, 1})); // the old period stays analysable

    w = ClickWholeWave(s, 300, 521, 520);
    EXPECT_EQ(w.rubOutX.value_or(-1), 10);
    EXPECT_EQ((std::vector<int>{s.MarkPhase, s.FftDone, s.PeriodReady}),
              (std::vector<int>{0, 0, 0}));
}

TEST(PlotClicks, RefusedMarksCaptureNothing) {
    AnalysisState s = Recording(2000);
    ClickWholeWave(s, 0, 521, 520);
    ClickMagnified(s, 50, 8000);
    ASSERT_EQ(ClickMagnified(s, 150, 8000).capture, CaptureResult::Captured);
    const auto before = s.PeriodData;
    struct Case {
        float x1, x2;
        double rate;
        CaptureResult result;
    };
    for (const Case& c : {Case{50, 52.9f, 8000, CaptureResult::TooClose},
                          Case{50, 60, 0, CaptureResult::BadRate},
                          Case{50, 60, -8000, CaptureResult::BadRate},
                          Case{50, 60, std::numeric_limits<double>::infinity(),
                               CaptureResult::BadRate}}) {
        s.MarkPhase = 0;
        ClickMagnified(s, c.x1, c.rate);
        EXPECT_EQ(ClickMagnified(s, c.x2, c.rate).capture, c.result) << c.x2 << " " << c.rate;
        EXPECT_EQ(s.MarkPhase, 2);
        EXPECT_EQ(s.PeriodSamples, 100);
        EXPECT_EQ(s.PeriodData, before);
    }

    // Marks beyond the samples of a short recording, and a period longer
    // than the buffer on a very wide plot.
    AnalysisState shortOne = Recording(300);
    ClickWholeWave(shortOne, 0, 521, 520);
    ClickMagnified(shortOne, 100, 8000);
    EXPECT_EQ(ClickMagnified(shortOne, 400, 8000).capture, CaptureResult::OutsideSamples);
    AnalysisState wide = Recording(4000);
    ClickWholeWave(wide, 0, 2001, 2000);
    ClickMagnified(wide, 0, 8000);
    EXPECT_EQ(ClickMagnified(wide, 1500, 8000).capture, CaptureResult::TooLong);
    ClickMagnified(wide, 0, 8000);
    ClickMagnified(wide, 1499, 8000);
    EXPECT_EQ(wide.PeriodSamples, 1499); // exactly as long as the buffer allows
}

TEST(PlotClicks, ResizedPlotsKeepTheRegionStartAndItsMarker) {
    AnalysisState s = Recording(8000);
    ClickWholeWave(s, 260, 520, 520);
    ASSERT_EQ(s.RegionStartSample, 3999);
    RefitRegion(s, 260);
    EXPECT_EQ(s.RegionLength, 261);
    EXPECT_EQ(s.RegionData[260], s.WaveData[3999 + 260]);
    // The marker stands where a click magnifies from the same start.
    for (int w3 : {260, 1040, 7999})
        EXPECT_EQ(RegionStart(s.SampleCount, MarkerXForRegion(s, w3), w3, 520), 3999) << w3;
}

TEST(HarmonicAnalysis, ResamplesOnePeriodTo513Points) {
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

// Nothing loaded yet, or a recording shorter than 513 samples: FftImag is
// grown. Period lengths the capture never produces must still keep every read
// inside PeriodData; the checked build turns a stray index into a failure.
TEST(HarmonicAnalysis, ShortWorkArrayAndImpossibleLengthsAreSafe) {
    for (float length : {64.0f, 1500.0f, 1e9f, -7.0f, std::numeric_limits<float>::quiet_NaN(),
                         std::numeric_limits<float>::infinity()}) {
        AnalysisState s;
        s.FftImag.assign(10, 3.0f);
        s.PeriodData.fill(1.0f);
        s.PeriodData[0] = 2.0f;
        s.PeriodSamples = length;
        ResamplePeriod(s);
        ASSERT_GE(s.FftImag.size(), 513u);
        EXPECT_EQ(std::count(s.FftImag.begin(), s.FftImag.begin() + 513, 0.0f), 513);
        if (length >= 0 && std::isfinite(length)) {
            for (float v : s.FftReal) // only values of PeriodData come out
                ASSERT_TRUE(v >= 1.0f && v <= 2.0f) << "length " << length << ": " << v;
        }
        AnalyseHarmonics(s);
        EXPECT_GE(s.HarmMax, 0.0f);
    }
}

TEST(HarmonicAnalysis, HarmonicsOfKnownPeriods) {
    for (int length : {512, 200, 97}) {
        AnalysisState s = Period(length, {1234.5});
        AnalyseHarmonics(s);
        // Linear interpolation of a sampled cosine loses about (pi / L)^2 / 6
        // of its amplitude: under 0.07 % for L = 97.
        EXPECT_NEAR(s.HarmAmp[1], 256 * 1234.5, 256 * 1234.5 * 1e-3) << "length " << length;
        EXPECT_EQ(s.HarmMax, s.HarmAmp[1]);
        EXPECT_LT(*std::max_element(&s.HarmAmp[2], &s.HarmAmp[257]), 256 * 1234.5 * 3e-3);
    }

    AnalysisState mix = Period(256, {1000, 0, 500, 0, 250});
    AnalyseHarmonics(mix);
    for (int k : {1, 3, 5})
        EXPECT_NEAR(mix.HarmAmp[k], 256000.0 / (k == 1 ? 1 : k == 3 ? 2 : 4), 256.0);
    EXPECT_NEAR(mix.HarmRe[3], 128000.0, 256.0); // cosines: no imaginary part
    EXPECT_NEAR(mix.HarmIm[3], 0.0, 256.0);
    EXPECT_EQ(mix.HarmRe, mix.SpecRe);
    EXPECT_EQ(mix.HarmIm, mix.SpecIm);
    EXPECT_EQ(mix.HarmAmp, mix.SpecMag);

    // An offset dominates bin 0 but takes no part in the scale; a silent or
    // constant period gives a scale of 0.
    AnalysisState raised = Period(300, {0, 800}, 5000);
    AnalyseHarmonics(raised);
    EXPECT_GT(raised.HarmAmp[0], 10 * raised.HarmMax);
    EXPECT_NEAR(raised.HarmMax, 256 * 800, 256 * 800 * 1e-3);
    for (double level : {0.0, 700.0}) {
        AnalysisState s = Period(120, {}, level);
        s.HarmMax = 99;
        AnalyseHarmonics(s);
        EXPECT_EQ(s.HarmMax, 0.0f) << "level " << level;
    }
}

TEST(HarmonicAnalysis, ChartGeometryAtAnySize) {
    const HarmChartGeometry g = HarmChartLayout(520, 200);
    EXPECT_EQ((std::vector<int>{g.X0, g.P, g.B, g.BH, g.LabelX0, g.BarCount,
                                g.LastLabelledHarmonic}),
              (std::vector<int>{10, 12, 170, 150, 6, 41, 41}));
    EXPECT_EQ(HarmLabelPosition(g, 5), QPointF(75, 175));
    const HarmCaptionPlaces at = HarmCaptionLayout(520, 200);
    EXPECT_EQ(at.harmonic, QPointF(235, 180));
    EXPECT_EQ(at.ampBottom, QPointF(2, 95));

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
