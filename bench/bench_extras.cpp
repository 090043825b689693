// The extras a user sees move with every click and pointer movement, so
// each must cost well under a frame: the goal is 1 ms for each.
//
//   bench_extras    the suggested period of a 521-sample region (a low voice,
//                   the slowest case, and a high one); one pointer update on
//                   the voiceprint, point to text, with the plan kept and
//                   with the plan made for the update; the harmonic table's
//                   rows, and its text and CSV
#include "analysis/HarmonicAnalysis.h"
#include "analysis/HarmonicTable.h"
#include "analysis/PeriodEstimate.h"
#include "voiceprint/VoiceprintReadout.h"

#include <benchmark/benchmark.h>
#include <cmath>
#include <numbers>
#include <random>
#include <vector>

using namespace tavrel;

namespace {

// A vowel-like region at 22050 Hz: five harmonics falling off, a little noise.
std::vector<float> Region(double f0) {
    std::mt19937 rng(5);
    std::normal_distribution<double> noise(0, 5);
    std::vector<float> x(521);
    for (int i = 0; i < 521; ++i) {
        double v = noise(rng);
        for (int k = 1; k <= 5; ++k)
            v += 100.0 / k * std::sin(2 * std::numbers::pi * k * f0 * i / 22050 + k);
        x[std::size_t(i)] = float(v);
    }
    return x;
}

void BM_SuggestPeriod(benchmark::State& state) {
    const std::vector<float> x = Region(double(state.range(0)));
    for (auto _ : state) {
        const PeriodSuggestion s = SuggestPeriod(x);
        benchmark::DoNotOptimize(s.period);
    }
}
BENCHMARK(BM_SuggestPeriod)->Arg(80)->Arg(800)->Unit(benchmark::kMicrosecond);

void BM_ReadoutWithPlan(benchmark::State& state) {
    const SpectrogramPlan plan = PlanSpectrogram(505, 329, 1, 1, 22050 * 10);
    double x = 61;
    for (auto _ : state) {
        const QString text = VoiceprintReadoutText(ReadVoiceprint(plan, x, 150, 22050));
        benchmark::DoNotOptimize(text.size());
        x = x < 480 ? x + 1 : 61;
    }
}
BENCHMARK(BM_ReadoutWithPlan)->Unit(benchmark::kMicrosecond);

void BM_ReadoutMakingThePlan(benchmark::State& state) {
    double x = 61;
    for (auto _ : state) {
        const QString text = VoiceprintReadoutText(ReadVoiceprint(505, 329, 1, 1, x, 150, 22050));
        benchmark::DoNotOptimize(text.size());
        x = x < 480 ? x + 1 : 61;
    }
}
BENCHMARK(BM_ReadoutMakingThePlan)->Unit(benchmark::kMicrosecond);

AnalysisState Analysed() {
    AnalysisState s;
    s.PeriodSamples = 170;
    s.FundFreq = 22050.0f / 170;
    const std::vector<float> x = Region(22050.0 / 170);
    std::copy(x.begin(), x.begin() + 171, s.PeriodData.begin());
    AnalyseHarmonics(s);
    return s;
}

void BM_HarmonicTableRows(benchmark::State& state) {
    const AnalysisState s = Analysed();
    for (auto _ : state) {
        const std::vector<HarmonicRow> rows = HarmonicTableRows(s);
        benchmark::DoNotOptimize(rows.data());
    }
}
BENCHMARK(BM_HarmonicTableRows)->Unit(benchmark::kMicrosecond);

void BM_HarmonicTableTextAndCsv(benchmark::State& state) {
    const std::vector<HarmonicRow> rows = HarmonicTableRows(Analysed());
    for (auto _ : state) {
        const QString text = HarmonicTableText(rows);
        const QByteArray csv = HarmonicTableCsv(rows);
        benchmark::DoNotOptimize(text.size() + csv.size());
    }
}
BENCHMARK(BM_HarmonicTableTextAndCsv)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
