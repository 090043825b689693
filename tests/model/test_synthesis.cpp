// The synthesis computed without a window: periods rebuilt from harmonics
// whose waves are known by hand, where their curves land, the sound image
// byte by byte, the window's places on a few screens and the bar marks.
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
    // Harmonic n of P samples: re cos(2 pi n t / P) - im sin(2 pi n t / P).
    const AnalysisState s = Harmonics(100, {{1, 0}, {0, 1}, {2, -1}, {0.5f, 0.25f}});
    for (const int N : {1, 2, 4}) {
        Restoration r;
        RebuildWave(s, N, r);
        EXPECT_EQ(r.T, 100);
        double peak = 0;
        for (int t = 0; t <= 100; ++t) {
            double sum = 0;
            for (int n = 1; n <= 4; ++n) {
                const double a = 2 * std::numbers::pi * n * t / 100;
                const double v = s.HarmRe[n] * std::cos(a) - s.HarmIm[n] * std::sin(a);
                EXPECT_NEAR(r.Harmonic(n)[t], n <= N ? v : 0.0, 1e-6) << n << " " << t;
                sum += n <= N ? v : 0.0;
            }
            EXPECT_NEAR(r.RestoredWave[t], sum, 1e-5) << "N " << N << " t " << t;
            peak = std::max(peak, std::fabs(sum));
        }
        EXPECT_NEAR(r.RestoredPeak, peak, 1e-5) << "N " << N;
    }
    // Harmonic 2 is -sin: it falls first. Nothing beyond t = T is touched.
    Restoration r;
    RebuildWave(s, 2, r);
    EXPECT_LT(r.Harmonic(2)[1], 0);
    EXPECT_EQ(r.RestoredWave[101], 0);
}

TEST(RebuildWave, LongestPeriodUsesEveryEntryAndBadInputStaysInside) {
    Restoration r;
    RebuildWave(Harmonics(512, {{0, 0}, {3, 0}}), 64, r);
    EXPECT_EQ(r.T, 512);
    EXPECT_FLOAT_EQ(r.RestoredWave[512], 3); // the period's end repeats its start
    EXPECT_FLOAT_EQ(r.RestoredWave[256], 3);
    EXPECT_FLOAT_EQ(r.RestoredPeak, 3);
    EXPECT_EQ(r.Harmonic(1)[7], 0); // a silent harmonic adds a flat wave

    // Too long a period or too many harmonics cannot reach past the arrays
    // (the sanitizer build would see it); the window refuses such a period.
    RebuildWave(Harmonics(900, {{1, 0}}), 1000, r);
    EXPECT_EQ(r.T, 512);
}

TEST(PeriodCurve, GeometryAndPointsOfACosine) {
    struct Case {
        int w, h, yc, x0, span, amp;
    };
    for (const Case c : {Case{250, 169, 84, 30, 190, 69}, Case{313, 216, 108, 37, 237, 88},
                         Case{1, 1, 0, 0, 0, 0}}) {
        const PeriodCurveGeometry g = PeriodCurveLayout(c.w, c.h);
        EXPECT_EQ(g.yc, c.yc) << c.w;
        EXPECT_EQ(g.x0, c.x0) << c.w;
        EXPECT_EQ(g.span, c.span) << c.w;
        EXPECT_EQ(g.amp, c.amp) << c.w;
    }

    Restoration r;
    RebuildWave(Harmonics(100, {{1, 0}}), 1, r);
    const PeriodCurveGeometry g = PeriodCurveLayout(250, 169);
    std::vector<double> xs;
    std::vector<QPointF> pts;
    PeriodCurveXs(g, r.T, 100, xs);
    PeriodCurvePoints(g, xs, r.Harmonic(1), 1, pts);
    ASSERT_EQ(pts.size(), 101u);
    EXPECT_EQ(pts[0], QPointF(30, 84 - 69));
    EXPECT_NEAR(pts[50].x(), 30 + 95, 1e-9);
    EXPECT_NEAR(pts[50].y(), 84 + 69, 1e-5);
    EXPECT_NEAR(pts[100].x(), 220, 1e-9);
    EXPECT_NEAR(pts[100].y(), 84 - 69, 1e-5);

    // No scale: flat on the centre line, not a division by zero.
    PeriodCurvePoints(g, xs, r.Harmonic(1), 0, pts);
    for (const QPointF& p : pts)
        EXPECT_EQ(p.y(), 84);
}

TEST(HarmCountText, OneLeadingBlankAndReadBackWithinRange) {
    EXPECT_EQ(HarmCountText(1), " 1");
    EXPECT_EQ(HarmCountText(64), " 64");
    struct Case {
        const char* text;
        int N;
    };
    for (const Case c : {Case{" 7", 7}, Case{"", 1}, Case{"100", 64}, Case{" 2.5", 2}})
        EXPECT_EQ(HarmCountFromText(QString::fromUtf8(c.text)), c.N) << c.text;
}

TEST(SynthSound, HeaderByteForByteAndTheReaderTakesIt) {
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
    ASSERT_EQ(header.size(), 58u);
    EXPECT_EQ(std::vector<std::uint8_t>(w.begin(), w.begin() + 58), header);

    // Both the loader and the header probe that the sound output plays
    // images through take it, with the samples right after the header.
    for (const WavLoadResult& read :
         {LoadWavBytes(w.data(), SynthImageBytes, 128), ProbeWavBytes(w.data(), SynthImageBytes)}) {
        ASSERT_EQ(read.error, WavError::None);
        EXPECT_EQ(read.wave.format.channels, 1);
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

    // A cosine of 100 samples: 228 at the start, 28 half way, every repetition alike.
    RebuildWave(Harmonics(100, {{1, 0}}), 1, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 100);
    EXPECT_EQ(d[0], 228);
    EXPECT_EQ(d[50], 28);
    EXPECT_EQ(d[25], 128);
    EXPECT_EQ(d[10], 209); // 100 cos(36 degrees) = 80.9, rounded
    EXPECT_EQ(d[100], d[0]);
    for (int k = 0; k < 60550; ++k)
        ASSERT_EQ(d[k], d[k % 100]) << k;

    // 512 samples: 118 whole periods and 134 samples of one more; the spare
    // byte after the image stays 0. A peak that is negative maps to 28.
    RebuildWave(Harmonics(512, {{-1, 0}, {-0.3f, 0}}), 2, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 512);
    EXPECT_EQ(d[0], 28);
    EXPECT_EQ(d[118 * 512 + 133], d[133]);
    EXPECT_EQ(w[60608], 0);
    const auto [lo, hi] = std::minmax_element(d, d + 60550);
    EXPECT_EQ(*lo, 28);
    EXPECT_LE(*hi, 228);

    // A pulse of 40 equal cosines: the peak is sample 0 alone, and scales the rest.
    RebuildWave(Harmonics(100, std::vector<std::pair<float, float>>(40, {1, 0})), 40, r);
    WriteSynthSamples(w, r.RestoredWave.data(), 100);
    EXPECT_EQ(d[0], 228);
    EXPECT_EQ(d[50], 128);

    // A period silent throughout plays the zero line.
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
        EXPECT_EQ(p.outer, c.outer) << c.screen.width();
        EXPECT_EQ(p.client, c.client) << c.screen.width();
        EXPECT_EQ(p.upper, c.upper) << c.screen.width();
        EXPECT_EQ(p.lower, c.lower) << c.screen.width();
    }
    const SynthControlPlaces c = SynthControlLayout(520, 221);
    EXPECT_EQ(c.picture1, QRect(8, 40, 250, 169));
    EXPECT_EQ(c.picture2, QRect(264, 40, 250, 169));
    EXPECT_EQ(c.label1Left, 356); // 356.5: centred over the right picture
    EXPECT_EQ(c.cmdEndLeft, 464);
}

TEST(SynthLayout, BarMarksWipeThenMarkInThreePassesOnTheDrawnBars) {
    struct Case {
        int N, bars, cyan;
        bool magenta;
    };
    for (const Case c : {Case{1, 41, 0, true}, Case{5, 41, 4, true}, Case{41, 41, 40, true},
                         Case{64, 41, 41, false}, Case{64, 300, 63, true}, Case{3, 0, 0, false}}) {
        const int blue = std::min(c.bars, 256);
        const std::vector<BarMark> m = HarmCountMarks(c.N, c.bars);
        ASSERT_EQ(m.size(), std::size_t(blue + c.cyan + c.magenta)) << c.N << " " << c.bars;
        for (int i = 0; i < blue; ++i)
            EXPECT_EQ(m[std::size_t(i)], (BarMark{i + 1, BarColour::LightBlue}));
        for (int i = 1; i <= c.cyan; ++i)
            EXPECT_EQ(m[std::size_t(blue + i - 1)], (BarMark{i, BarColour::Cyan}));
        if (c.magenta) {
            EXPECT_EQ(m.back(), (BarMark{c.N, BarColour::LightMagenta}));
        }
    }
}
