// The synthesis without a window: periods rebuilt from harmonics whose waves
// are known by hand, the curves' geometry, the sound image byte by byte, the
// window's places on a few screens and the bar marks.
#include "synthesis/Restoration.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "wavein/WavReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tavrel;

namespace {

AnalysisState Harmonics(float P, std::vector<std::pair<float, float>> reIm) {
    AnalysisState s;
    s.PeriodSamples = P;
    for (std::size_t n = 1; n <= reIm.size(); ++n) {
        s.HarmRe[n] = reIm[n - 1].first;
        s.HarmIm[n] = reIm[n - 1].second;
    }
    return s;
}

} // namespace

TEST(RebuildWave, SumsTheFirstNHarmonicsAsCosineMinusSine) {
    const AnalysisState s = Harmonics(100, {{1, 0}, {0, 1}, {2, -1}, {0.5f, 0.25f}});
    Restoration r;
    for (const int N : {1, 2, 4}) {
        RebuildWave(s, N, r);
        ASSERT_EQ(r.T, 100);
        double peak = 0;
        for (int t = 0; t <= 100; ++t) {
            double sum = 0;
            for (int n = 1; n <= 4; ++n) {
                const double a = 2 * std::numbers::pi * n * t / 100;
                const double v = n <= N ? s.HarmRe[n] * std::cos(a) - s.HarmIm[n] * std::sin(a) : 0;
                EXPECT_NEAR(r.Harmonic(n)[t], v, 1e-6) << n << " " << t;
                sum += v;
            }
            EXPECT_NEAR(r.RestoredWave[t], sum, 1e-5) << "N " << N << " t " << t;
            peak = std::max(peak, std::fabs(sum));
        }
        EXPECT_NEAR(r.RestoredPeak, peak, 1e-5) << "N " << N;
        EXPECT_EQ(r.RestoredWave[101], 0);
    }

    // The longest period uses every entry; a period or N beyond the arrays,
    // or no period at all, stays inside them.
    RebuildWave(Harmonics(512, {{0, 0}, {3, 0}}), 64, r);
    EXPECT_FLOAT_EQ(r.RestoredWave[512], 3);
    for (const float P : {900.0f, 1e30f, std::nanf("")}) {
        RebuildWave(Harmonics(P, {{1, 0}}), 1000, r);
        EXPECT_EQ(r.T, std::isnan(P) ? 0 : 512);
    }
}

TEST(PeriodCurve, WithoutAScaleItLiesOnTheCentreLine) {
    const PeriodCurveGeometry g = PeriodCurveLayout(313, 216); // 108, 37, 237, 88
    const float values[] = {1, -1, 0.5f};
    std::vector<double> xs;
    std::vector<QPointF> pts;
    PeriodCurveXs(g, 2, 2, xs);
    PeriodCurvePoints(g, xs, values, 0, pts); // a silent period: no division by zero
    EXPECT_EQ(pts, (std::vector<QPointF>{{37, 108}, {155.5, 108}, {274, 108}}));
    PeriodCurvePoints(g, xs, values, 2, pts);
    EXPECT_EQ(pts, (std::vector<QPointF>{{37, 64}, {155.5, 152}, {274, 86}}));
}

TEST(SynthSound, HeaderByteForByteAndTheReadersTakeIt) {
    const std::vector<std::uint8_t> w = NewSynthImage();
    ASSERT_EQ(w.size(), 60609u);
    // clang-format off
    const std::vector<std::uint8_t> header = {
        82, 73, 70, 70,      0xb8, 0xec, 0, 0,     // "RIFF", 60600
        87, 65, 86, 69,                            // "WAVE"
        102, 109, 116, 32,   18, 0, 0, 0,          // "fmt ", 18
        1, 0,  1, 0,                               // PCM, mono
        0x22, 0x56, 0, 0,    0x22, 0x56, 0, 0,     // 22050 per second, 22050 bytes per second
        1, 0,  8, 0,  133, 4,                      // block 1, 8 bits, 1157
        102, 97, 99, 116,    4, 0, 0, 0,           // "fact", 4
        0x86, 0xec, 0, 0,                          // 60550 samples
        100, 97, 116, 97,    0x86, 0xec, 0, 0};    // "data", 60550
    // clang-format on
    EXPECT_EQ(std::vector<std::uint8_t>(w.begin(), w.begin() + 58), header);

    // The loader, and the header probe the sound output plays images through.
    for (const WavLoadResult& read :
         {LoadWavBytes(w.data(), SynthImageBytes, 128), ProbeWavBytes(w.data(), SynthImageBytes)}) {
        ASSERT_EQ(read.error, WavError::None);
        EXPECT_EQ(read.wave.format.bitsPerSample, 8);
        EXPECT_EQ(read.wave.format.sampleRate, 22050u);
        EXPECT_EQ(read.wave.dataOffset, 58u);
        EXPECT_EQ(read.wave.dataBytes, 60550u);
    }
}

TEST(SynthSound, SamplesRepeatThePeriodScaledToItsPeak) {
    std::vector<std::uint8_t> w = NewSynthImage();
    const std::uint8_t* d = w.data() + 58;
    Restoration r;

    // A cosine of 100 samples: 228 at the start, 28 half way, 100 cos(36°) = 80.9 rounded.
    RebuildWave(Harmonics(100, {{1, 0}}), 1, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 100);
    EXPECT_EQ((std::array{d[0], d[10], d[25], d[50]}),
              (std::array<std::uint8_t, 4>{228, 209, 128, 28}));
    for (int k = 0; k < 60550; ++k)
        ASSERT_EQ(d[k], d[k % 100]) << k;

    // 512 samples: 118 whole periods and 134 samples of one more; the spare
    // byte after the image stays 0. A peak that is negative maps to 28.
    RebuildWave(Harmonics(512, {{-1, 0}, {-0.3f, 0}}), 2, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 512);
    EXPECT_EQ(d[0], 28);
    EXPECT_EQ(d[118 * 512 + 133], d[133]);
    EXPECT_EQ(w[60608], 0);
    EXPECT_EQ(*std::max_element(d, d + 60550), 183); // the other side peaks at 0.717 of 1.3

    // A pulse: the peak is sample 0 alone, and scales the rest. Silence: the zero line.
    RebuildWave(Harmonics(100, std::vector<std::pair<float, float>>(40, {1, 0})), 40, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 100);
    EXPECT_EQ((std::array{d[0], d[50]}), (std::array<std::uint8_t, 2>{228, 128}));
    RebuildWave(Harmonics(80, {}), 5, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 80);
    EXPECT_EQ(std::count(d, d + 60550, 128), 60550);
}

TEST(SynthLayout, WindowFollowsTheScreenInTwips) {
    struct Case {
        QRect screen;
        QSize outer, client;
        QPoint upper, lower;
    };
    for (const Case& c : {
             Case{{0, 0, 640, 480}, {528, 248}, {520, 221}, {105, 2}, {105, 225}},
             Case{{0, 0, 1024, 768}, {845, 397}, {837, 370}, {168, 3}, {168, 360}},
             Case{{0, 32, 1920, 1048}, {1584, 541}, {1576, 514}, {315, 36}, {315, 523}},
         }) {
        const SynthWindowPlaces p = SynthWindowLayout(c.screen);
        EXPECT_EQ(std::tie(p.outer, p.client, p.upper, p.lower),
                  std::tie(c.outer, c.client, c.upper, c.lower))
            << c.screen.width();
    }
    EXPECT_EQ(SynthControlLayout(837, 370).picture2, QRect(425, 67, 402, 283));
}

TEST(SynthLayout, BarMarksWipeThenMarkInThreePassesOnTheDrawnBars) {
    using enum BarColour;
    EXPECT_EQ(
        HarmCountMarks(5, 3),
        (std::vector<BarMark>{
            {1, LightBlue}, {2, LightBlue}, {3, LightBlue}, {1, Cyan}, {2, Cyan}, {3, Cyan}}));
    const std::vector<BarMark> wide = HarmCountMarks(64, 300); // a chart of more than 256 bars
    ASSERT_EQ(wide.size(), 256u + 63 + 1);
    EXPECT_EQ(wide[255], (BarMark{256, LightBlue}));
    EXPECT_EQ(wide[256 + 62], (BarMark{63, Cyan}));
    EXPECT_EQ(wide.back(), (BarMark{64, LightMagenta}));
    EXPECT_TRUE(HarmCountMarks(1, 0).empty());
}
