// The suggested period, the harmonic table, the rebuild's extras, the voiceprint's pointer.
#include "Tools.h"
#include "analysis/HarmonicAnalysis.h"
#include "analysis/HarmonicTable.h"
#include "analysis/PeriodEstimate.h"
#include "synthesis/RebuildExtras.h"
#include "voiceprint/VoiceprintReadout.h"
#include "wavein/WavReader.h"

#include <QProcess>
#include <QTemporaryFile>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <numeric>
#include <random>

using namespace tavrel;
using std::numbers::pi;

// 521 samples at 22050 Hz: harmonics 1 ... 4 of f0 of random size and phase, noise at 20 dB.
static std::vector<float> Vowel(double f0, std::mt19937& rng) {
    double a[5], ph[5], p = 0; // p: their power, half the squared amplitudes
    for (int k = 1; k <= 4; ++k)
        a[k] = (20 + rng() / 0x1p32 * 100) / k, ph[k] = 2 * pi * rng() / 0x1p32,
        p += a[k] * a[k] / 2;
    std::normal_distribution<double> noise(0, std::sqrt(p / 100));
    std::vector<float> x(521);
    for (int i = 0; i < 521; ++i)
        for (int k = 0; k <= 4; ++k) // k = 0: the noise
            x[i] += float(k ? a[k] * std::sin(2 * pi * k * f0 * i / 22050 + ph[k]) : noise(rng));
    return x;
}

// Found within 0.5 %, marks a period apart in the region; on a clean wave x1 is the sample
// nearest an upward crossing of the mean, and x2 within a sample of the next.
static void ExpectPeriod(const std::vector<float>& x, double P, bool clean) {
    const PeriodSuggestion s = SuggestPeriod(x);
    ASSERT_EQ(s.verdict, PeriodVerdict::Found);
    EXPECT_NEAR(s.period, P, 0.005 * P);
    EXPECT_TRUE(std::fabs(s.x2 - s.x1 - P) <= 1 && s.x1 >= 0 && s.x2 <= 520) << s.x1 << " " << s.x2;
    const double m = std::accumulate(x.begin(), x.end(), 0.0) / 521; // as the code sums it
    EXPECT_TRUE(!clean ||
                (std::fabs(x[s.x1] - m) <= std::fabs(x[s.x1 + 1] - m) && x[s.x1 + 1] > m &&
                 x[s.x2 - 2] < m && x[s.x2 + 2] >= m && x[std::max(s.x1 - 1, 0)] < m));
}

TEST(PeriodEstimate, VowelsAndExamplesFoundNoiseGlideAndSilenceRefused) {
    std::mt19937 rng(1); // 1100 vowels; unsmoothed, 1 in 130 would miss
    for (int round = 0; round < 100; ++round)
        for (double f0 = 80; f0 < 801; f0 *= 1.25)
            ExpectPeriod(Vowel(f0, rng), 22050 / f0, false);
    const std::pair<const char*, double> examples[] = {
        {"vowel_a_130hz", 130}, {"vowel_i_250hz", 250},  {"sine_440hz", 440},
        {"square_220hz", 220},  {"sawtooth_220hz", 220}, {"two_tones_440_660hz", 220}};
    for (const auto& [name, f0] : examples) { // the two tones repeat at 220 Hz
        const FloatArray w =
            LoadWavFile(TAVREL_EXAMPLES_DIR "/" + QString(name) + ".wav", 128).wave.WaveData;
        for (int start : {700, 9000, 20000})
            ExpectPeriod({&w[start], &w[start + 521]}, 22050.0 / f0, true);
    }
    // octave: its half period scores 0.6, a dip makes its steepest upward crossing unclean;
    // late: its upward crossings are out of reach; wide: a period of 1600 samples, longer than a
    // capture takes, its peak cut off at 1499.
    AnalysisState s;
    std::vector<float> noise(521), glide(521), zigzag(521), hum(521, 7.4f), late(521), octave(521);
    for (int i = 0; i < 521; ++i) // the glide rises from 200 Hz to 400 Hz
        noise[i] = float(rng() / 0x1p24) - 128, zigzag[i] = i % 2 ? 99 : -99,
        glide[i] = float(99 * std::sin(2 * pi * 200 * i * (1 + i / 1040.0) / 22050)),
        hum[i] += 0.4f * std::sin(i / 10.0f),
        late[i] = float(99 * std::sin(2 * pi * (i - 260) / 275.625)),
        octave[i] = float(50 * std::sin(2 * pi * i / 100) + 99 * std::sin(4 * pi * i / 100)) -
                    (i % 100 == 3) * 80.0f,
        s.RegionData.push_back(glide[i]); // a region of 0 samples, whatever RegionData holds
    std::vector<float> wide(3000);
    for (int i = 0; i < 3000; ++i)
        wide[i] = float(99 * std::sin(2 * pi * i / 1600));
    for (const std::vector<float>& x : {noise, glide, zigzag, wide})
        EXPECT_EQ(SuggestPeriod(x).verdict, PeriodVerdict::NoClearPeriod);
    EXPECT_TRUE(SuggestPeriod(hum).verdict == PeriodVerdict::Silent &&
                SuggestPeriod(s).verdict == PeriodVerdict::Silent);
    EXPECT_EQ(std::tuple(SuggestPeriod(late).x1, SuggestPeriod(late).x2, SuggestPeriod(octave).x1),
              std::tuple(122, 398, 50));
    ExpectPeriod(octave, 100, false);
}

// An analysed period of 512 samples, resampled exactly: harmonics 1 ... 41 of amplitude amp(k),
// phase 37 k degrees, over a DC of 3; its harmonic 7 set to exactly (minus) 0.
using Amplitudes = double (*)(int);
static const Amplitudes Sawtooth = [](int k) { return k == 7 ? 0 : 1.0 / k; };
static AnalysisState Period(Amplitudes amp) {
    AnalysisState s;
    s.PeriodSamples = 512, s.FundFreq = 130.81f;
    for (int t = 0; t <= 512; ++t)
        for (int k = 0; k <= 41; ++k)
            s.PeriodData[t] +=
                float(k ? amp(k) * std::cos(2 * pi * k * t / 512 + k * 37 * pi / 180) : 3);
    AnalyseHarmonics(s);
    s.HarmRe[7] = s.HarmIm[7] = s.HarmAmp[7] = -0.0f; // whose atan2 would be -180
    return s;
}
static double Share(Amplitudes amp, int N) { // % of the energy in harmonics 1 ... N
    double part = 0, total = 0;
    for (int k = 1; k <= 41; ++k)
        total += amp(k) * amp(k), part += k <= N ? amp(k) * amp(k) : 0;
    return 100 * part / total;
}

TEST(HarmonicTable, RowsTextAndCsv) {
    const std::vector<HarmonicRow> rows = HarmonicTableRows(Period(Sawtooth));
    for (const HarmonicRow& r : rows) {
        EXPECT_NEAR(r.cumulativePercent, Share(Sawtooth, r.n), 1e-3) << r.n;
        EXPECT_NEAR(r.phaseDeg, r.n == 7 ? 0 : std::remainder(r.n * 37, 360), 0.01) << r.n;
        EXPECT_NEAR(r.levelDb.value_or(1), r.n == 7 ? 1 : -20 * std::log10(r.n), 1e-3) << r.n;
    }
    EXPECT_TRUE(HarmonicTableText(HarmonicTableRows(AnalysisState{}))
                    .endsWith("\n41\t0.00\t\t\t\t\t0.0\t0.00\n"));
    AnalysisState s; // harmonic 2 the strongest; the Nyquist bin's energy counts once
    s.FundFreq = 440, s.HarmIm[1] = -100, s.HarmAmp[1] = 100;
    s.HarmRe[2] = s.HarmAmp[2] = s.HarmRe[256] = 200;
    EXPECT_TRUE(
        HarmonicTableText(HarmonicTableRows(s))
            .startsWith(QString::fromUtf8("倍音\t周波数 (Hz)\t音名\t音名 (英)\tセント\t振幅 (dB)\t"
                                          "位相 (度)\t累積エネルギー (%)\n"
                                          "1\t440.00\tラ\tA4\t0\t-6.0\t-90.0\t14.29\n"
                                          "2\t880.00\tラ\tA5\t0\t0.0\t0.0\t71.43\n"
                                          "3\t1320.00\tミ\tE6\t2\t\t0.0\t71.43\n")));

    REQUIRE_TOOL("python3"); // its csv module reads the file, BOM first, to the text's numbers
    QTemporaryFile csv;
    ASSERT_TRUE(csv.open() && csv.write(HarmonicTableCsv(rows)) > 0 && csv.flush());
    EXPECT_EQ(QProcess::execute("python3", {"-c", R"(import csv, sys
def values(rows): return [[c if i == 0 or j in (2, 3) or not c else float(c)
                           for j, c in enumerate(r)] for i, r in enumerate(rows)]
text = [l.split('\t') for l in sys.argv[2].splitlines()]
with open(sys.argv[1], encoding='utf-8', newline='') as f:
    assert f.read(1) == '\ufeff' and values(csv.reader(f)) == values(text))",
                                            csv.fileName(), HarmonicTableText(rows)}),
              0);
}

// Parseval: the residual is harmonics N + 1 ... 41. Zero phases: symmetric; random: fixed by seed.
TEST(RebuildExtras, AgainstTheOriginalAndWithOtherPhases) {
    Restoration r, zero, r10;
    for (const auto& [amp, N] :
         {std::pair{Sawtooth, 41}, {Sawtooth, 3}, {[](int k) { return k == 1 ? 2.0 : 0; }, 1}}) {
        const AnalysisState s = Period(amp);
        RebuildWave(s, N, r);
        const RebuildComparison c = CompareRebuild(s, N, r);
        EXPECT_NEAR(c.EnergyPercent, Share(amp, N), 1e-3) << N;
        EXPECT_NEAR(c.ResidualPercent, std::sqrt(100 * (100 - Share(amp, N))), 0.01) << N;
        EXPECT_TRUE(N == 3 || std::fabs(c.OriginalPeak - r.RestoredPeak) < 0.05) << N;
    }
    // A silent period under a rebuild of 512 samples and under none: 0, not NaN.
    const RebuildComparison z = CompareRebuild(AnalysisState{}, 10, r),
                            z0 = CompareRebuild(AnalysisState{}, 10, Restoration{});
    EXPECT_TRUE(z.ResidualPercent == 0 && z.EnergyPercent == 0 && z0.OriginalWave[0] == 0);
    const AnalysisState s = Period(Sawtooth);
    RebuildWave(s, 20, zero, {PhaseSetting::Zero});
    RebuildWave(s, 10, r10, {PhaseSetting::Random, 7});
    RebuildWave(s, 20, r, {PhaseSetting::Random, 7});
    for (int t = 0; t <= 512; t += 8)
        EXPECT_NEAR(zero.RestoredWave[t], zero.RestoredWave[512 - t], 1e-3) << t;
    for (int n = 1; n <= 10; ++n) {
        const double a = 2 * pi * n * 100 / 512 + RandomPhase(7, n);
        EXPECT_NEAR(r.Harmonic(n)[100], 256 * Sawtooth(n) * std::cos(a), 1e-3) << n;
        EXPECT_EQ(r10.Harmonic(n)[100], r.Harmonic(n)[100]) << n;
    }
    EXPECT_TRUE(RandomPhase(7, 1) != RandomPhase(8, 1) && RandomPhase(7, 1) != RandomPhase(7, 2));
}

TEST(VoiceprintReadout, NoteNamesAndThePointerToTimeAndFrequencyAndBack) {
    QStringList got; // the octave changes between B and C
    for (double hz : {466.16, 261.63, 493.88, 16.0, 452.9, 0.0, 15.9, 20001.0, double(NAN)})
        got << NoteText(hz);
    EXPECT_EQ(got.join('|'),
              QString::fromUtf8("ラ♯ (A♯4) +0 セント|ド (C4) +0 セント|シ (B4) +0 セント|"
                                "ド (C0) -38 セント|ラ♯ (A♯4) -50 セント||||"));
    // x 190.5: 43.17 columns of 3 px from x = 61; y 198: row 46 of 2 px up from y = 291.
    const SpectrogramPlan plan = PlanSpectrogram(505, 329, 1, 1, 100000);
    EXPECT_EQ(VoiceprintReadoutText(ReadVoiceprint(plan, 190.5, 198, 0)),
              QString::fromUtf8("1.00 秒　2024 Hz　シ (B6) +42 セント"));
    using O =
        std::tuple<float, float, double, double>; // zooms, x, y: off the cells, no zoom, bin 513
    for (const auto& [vz, hz, x, y] :
         {O{1, 1, 60.9, 99}, O{1, 1, 489.1, 99}, O{1, 1, 300, 15.9}, O{1, 1, 300, 291.1},
          O{1, 0, 300, 99}, O{0, 1, 300, 291}, O{0.25f, 1, 300, 35}})
        EXPECT_TRUE(VoiceprintReadoutText(ReadVoiceprint(505, 329, vz, hz, x, y, 0)).isEmpty());
    EXPECT_EQ(HarmonicLineYs(plan, 1000, 0), (std::vector<double>{246, 200, 152, 106, 60}));
    EXPECT_TRUE(HarmonicLineYs(plan, 20, 0).empty() &&
                !VoiceprintRowY(PlanSpectrogram(505, 329, 0.25f, 1, 0), 22140, 0)); // bin 514
    // Zoomed in both ways at 44100 Hz: rows of 8 px (bin 23 centred at 111), columns of 6 px.
    const VoiceprintPoint p = ReadVoiceprint(505, 329, 4, 2, 301, 108, 44100);
    EXPECT_EQ(std::tuple(*VoiceprintRowY(PlanSpectrogram(505, 329, 4, 2, 0), 2000, 44100), p.bin,
                         p.hz, p.seconds),
              std::tuple(111.0, 23, 23 * 44100 / 512.0, 40 * 512 / 44100.0));
}
