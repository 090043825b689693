// The synthesis without a window: rebuilt periods, curves, sound image, places, bar marks.
#include "synthesis/Restoration.h"
#include "synthesis/SynthLayout.h"
#include "synthesis/SynthSound.h"
#include "wavein/WavReader.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tavrel;

static AnalysisState Harmonics(float P, std::vector<std::pair<float, float>> reIm) {
    AnalysisState s;
    s.PeriodSamples = P;
    for (std::size_t n = 1; n <= reIm.size(); ++n)
        std::tie(s.HarmRe[n], s.HarmIm[n]) = reIm[n - 1];
    return s;
}

TEST(RebuildWave, SumsTheFirstNHarmonicsAsCosineMinusSine) {
    const AnalysisState s = Harmonics(100, {{1, 0}, {0, 1}, {2, -1}, {0.5f, 0.25f}});
    Restoration r;
    for (const int N : {1, 2, 4}) {
        RebuildWave(s, N, r);
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
        EXPECT_EQ(std::pair(r.T, r.RestoredWave[101]), std::pair(100, 0.0f));
    }
    // The longest period uses every entry; longer ones, and none, stay inside the arrays.
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

// The header as the readers take it; then the period repeated over 60550 samples, 28 ... 228.
TEST(SynthSound, HeaderByteForByteThenThePeriodRepeated) {
    std::vector<std::uint8_t> w = NewSynthImage();
    ASSERT_EQ(w.size(), 60609u);
    // "RIFF" 60600 "WAVE" | "fmt " 18: PCM, mono, 22050 per second, 22050 bytes per second,
    // block 1, 8 bits, 1157 | "fact" 4: 60550 samples | "data" 60550
    EXPECT_EQ(QByteArray(reinterpret_cast<const char*>(w.data()), 58).toHex(' '),
              QByteArray::fromHex("52494646 b8ec0000 57415645 | 666d7420 12000000 0100 0100 "
                                  "22560000 22560000 0100 0800 8504 | 66616374 04000000 86ec0000 "
                                  "| 64617461 86ec0000")
                  .toHex(' '));
    for (const WavLoadResult& read :
         {LoadWavBytes(w.data(), SynthImageBytes, 128), ProbeWavBytes(w.data(), SynthImageBytes)})
        EXPECT_EQ(std::tuple(read.error, read.wave.dataOffset, read.wave.dataBytes),
                  std::tuple(WavError::None, 58u, 60550u));

    const std::uint8_t* d = w.data() + 58;
    Restoration r;
    const auto write = [&](const AnalysisState& s, int N) {
        RebuildWave(s, N, r);
        WriteSynthSamples(w, r.RestoredWave.data(), r.T);
    };
    write(Harmonics(100, {{1, 0}}), 1); // 100 cos(36°) = 80.9 rounds to 81
    EXPECT_EQ((std::array{d[0], d[10], d[25], d[50]}),
              (std::array<std::uint8_t, 4>{228, 209, 128, 28}));
    for (int k = 0; k < 60550; ++k)
        ASSERT_EQ(d[k], d[k % 100]) << k;
    // 512: 118 periods and 134 samples, the spare byte 0; a negative peak is 28, 183 0.717 of it.
    write(Harmonics(512, {{-1, 0}, {-0.3f, 0}}), 2);
    EXPECT_EQ(std::tuple(d[0], d[118 * 512 + 133], w[60608], *std::max_element(d, d + 60550)),
              std::tuple(28, d[133], 0, 183));
    write(Harmonics(100, std::vector(40, std::pair(1.0f, 0.0f))), 40); // peak: sample 0 alone
    EXPECT_EQ(std::pair(int(d[0]), int(d[50])), std::pair(228, 128));
    write(Harmonics(80, {}), 5); // silence: the zero line
    EXPECT_EQ(std::count(d, d + 60550, 128), 60550);
}

TEST(SynthLayout, WindowFollowsTheScreenInTwipsAndMarksTheDrawnBars) {
    const SynthWindowPlaces p = SynthWindowLayout({0, 32, 1920, 1048}); // below a 32-px panel
    EXPECT_EQ(std::tie(p.outer, p.client, p.upper, p.lower),
              std::tuple(QSize(1584, 541), QSize(1576, 514), QPoint(315, 36), QPoint(315, 523)));
    EXPECT_EQ(SynthControlLayout(837, 370).picture2, QRect(425, 67, 402, 283));

    // Wipe, then mark in three passes, on the drawn bars up to 256 only.
    using enum BarColour;
    EXPECT_EQ(
        HarmCountMarks(5, 3),
        (std::vector<BarMark>{
            {1, LightBlue}, {2, LightBlue}, {3, LightBlue}, {1, Cyan}, {2, Cyan}, {3, Cyan}}));
    const std::vector<BarMark> wide = HarmCountMarks(64, 300);
    ASSERT_EQ(wide.size(), 256u + 63 + 1);
    EXPECT_EQ((std::array{wide[255], wide[256 + 62], wide.back()}),
              (std::array<BarMark, 3>{{{256, LightBlue}, {63, Cyan}, {64, LightMagenta}}}));
    EXPECT_TRUE(HarmCountMarks(1, 0).empty());
}
