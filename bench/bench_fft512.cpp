// How the program's transform compares with FFTW's single-precision 512-point
// complex transform, and with the plain rendering of the same method, in one
// run. After the table the ratio Fft512 / FFTW is printed; the aim is 6 or less.
// The baseline form of Fft512, which processors without AVX2 run, is timed too.
//
// Fft512 is timed as the program calls it: including the copy into the Spec
// arrays and the 512 double-precision magnitudes, and with fresh input copied
// in first (it works in place; its output fed back in would overflow within a
// few rounds). FFTW runs out of place on an unchanged input and computes no
// magnitudes, so the ratio errs against Fft512.
#include "Fft512Plain.h"
#include "state/AnalysisState.h"
#include "voiceprint/Fft512.h"

#include <benchmark/benchmark.h>
#include <fftw3.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <limits>
#include <map>
#include <random>
#include <string>
#include <utility>

namespace tavrel::detail {
// Defined beside Fft512: true runs the baseline form of the transform from now
// on, false the widest form this processor has.
void UseFft512Baseline(bool baseline);
} // namespace tavrel::detail

using namespace tavrel;

namespace {

constexpr int N = FftSize;
using Block = std::array<float, N>;

// The plain rendering, publishing its result the way the program's does.
void Fft512Plain(float* re, float* im, AnalysisState& state) {
    test::Fft512Plain(re, im);
    for (int k = 0; k < N; ++k) {
        const double r = re[k];
        const double m = im[k];
        state.SpecMag[k] = static_cast<float>(std::sqrt(r * r + m * m));
        state.SpecRe[k] = re[k];
        state.SpecIm[k] = im[k];
    }
}

// A Hamming-windowed frame of a noisy chord at 16-bit sample levels: what the
// voiceprint hands the transform hundreds of times per drawing.
const Block& Input() {
    static const Block input = [] {
        Block b;
        std::mt19937 rng(1);
        std::normal_distribution<float> noise(0, 300);
        for (int n = 0; n < N; ++n) {
            const double t = n / 22050.0;
            const double chord = 8000 * std::sin(2 * M_PI * 220 * t) +
                                 5000 * std::sin(2 * M_PI * 330 * t) +
                                 3000 * std::sin(2 * M_PI * 1760 * t);
            const double hamming = 0.54 - 0.46 * std::cos(2 * M_PI * n / 511);
            b[n] = static_cast<float>(hamming * (chord + noise(rng)));
        }
        return b;
    }();
    return input;
}

struct Fftw {
    fftwf_complex* in;
    fftwf_complex* out;
    fftwf_plan plan;
    Fftw() {
        in = fftwf_alloc_complex(N);
        out = fftwf_alloc_complex(N);
        plan = fftwf_plan_dft_1d(N, in, out, FFTW_FORWARD, FFTW_MEASURE);
        for (int n = 0; n < N; ++n) { // after planning: MEASURE overwrites the arrays
            in[n][0] = Input()[n];
            in[n][1] = 0;
        }
    }
    ~Fftw() {
        fftwf_destroy_plan(plan);
        fftwf_free(in);
        fftwf_free(out);
    }
};

// Times a transform as the program calls it: fresh input in, spectrum out.
template <typename Transform> void TimeTransform(benchmark::State& st, Transform transform) {
    AnalysisState state;
    alignas(64) Block re;
    alignas(64) Block im;
    for (auto _ : st) {
        re = Input();
        im.fill(0);
        transform(re, im, state);
        benchmark::DoNotOptimize(state.SpecMag.data());
        benchmark::ClobberMemory();
    }
}

void BM_Fft512(benchmark::State& st) {
    TimeTransform(st, [](Block& re, Block& im, AnalysisState& s) {
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    });
}

void BM_Fft512Baseline(benchmark::State& st) {
    detail::UseFft512Baseline(true);
    TimeTransform(st, [](Block& re, Block& im, AnalysisState& s) {
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    });
    detail::UseFft512Baseline(false);
}

void BM_Fft512Plain(benchmark::State& st) {
    TimeTransform(
        st, [](Block& re, Block& im, AnalysisState& s) { Fft512Plain(re.data(), im.data(), s); });
}

void BM_FftwSingle512(benchmark::State& st) {
    Fftw fftw;
    for (auto _ : st) {
        fftwf_execute(fftw.plan);
        benchmark::DoNotOptimize(fftw.out);
        benchmark::ClobberMemory();
    }
}

BENCHMARK(BM_Fft512)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_FftwSingle512)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Fft512Baseline)->Unit(benchmark::kNanosecond);
BENCHMARK(BM_Fft512Plain)->Unit(benchmark::kNanosecond);

// Keeps the fastest CPU time per transform of each benchmark while the
// console reporter prints as usual. CPU time, because on a busy machine the
// wall-clock time also counts the moments another process had the core.
class RecordingReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& r : runs) {
            if (r.run_type != Run::RT_Iteration || r.error_occurred)
                continue;
            const std::string name = r.run_name.function_name;
            const double ns = r.GetAdjustedCPUTime();
            auto it = best.find(name);
            if (it == best.end() || ns < it->second)
                best[name] = ns;
        }
        ConsoleReporter::ReportRuns(runs);
    }
    std::map<std::string, double> best;
};

// A benchmark of a wrong transform is worth nothing: compare the three once.
// Fft512 must give the plain rendering's very bits, in both of its forms.
bool OutputsAgree() {
    AnalysisState plain;
    Block pre = Input(), pim{};
    Fft512Plain(pre.data(), pim.data(), plain);
    bool same = true;
    for (bool baseline : {false, true}) {
        detail::UseFft512Baseline(baseline);
        AnalysisState fast;
        Block re = Input(), im{};
        Fft512(re, im, {fast.SpecRe, fast.SpecIm, fast.SpecMag});
        same = same &&
               std::memcmp(fast.SpecRe.data(), plain.SpecRe.data(), N * sizeof(float)) == 0 &&
               std::memcmp(fast.SpecIm.data(), plain.SpecIm.data(), N * sizeof(float)) == 0 &&
               std::memcmp(fast.SpecMag.data(), plain.SpecMag.data(), N * sizeof(float)) == 0;
    }
    detail::UseFft512Baseline(false);

    Fftw fftw;
    fftwf_execute(fftw.plan);
    double largest = 0, vsFftw = 0;
    for (int k = 0; k < N; ++k) {
        const std::complex<double> p(plain.SpecRe[k], plain.SpecIm[k]);
        const std::complex<double> w(fftw.out[k][0], fftw.out[k][1]);
        largest = std::max(largest, std::abs(w));
        vsFftw = std::max(vsFftw, std::abs(p - w));
    }
    std::printf("same bits as the plain rendering: %s; largest error relative to the largest "
                "bin vs FFTW %.2g\n",
                same ? "yes" : "NO", vsFftw / largest);
    return same && vsFftw < 1e-5 * largest;
}

} // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    if (!OutputsAgree()) {
        std::fprintf(stderr, "Fft512 does not agree with the reference transforms\n");
        return 1;
    }
    RecordingReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    const auto fast = reporter.best.find("BM_Fft512");
    const auto fftw = reporter.best.find("BM_FftwSingle512");
    const auto baseline = reporter.best.find("BM_Fft512Baseline");
    const auto plain = reporter.best.find("BM_Fft512Plain");
    if (fast != reporter.best.end() && fftw != reporter.best.end()) {
        std::printf("CPU time per transform: Fft512 %.0f ns, FFTW %.0f ns; Fft512 / FFTW = %.2f\n",
                    fast->second, fftw->second, fast->second / fftw->second);
        if (baseline != reporter.best.end())
            std::printf("baseline form %.0f ns: baseline / FFTW = %.2f\n", baseline->second,
                        baseline->second / fftw->second);
        if (plain != reporter.best.end())
            std::printf("plain rendering %.0f ns: plain / FFTW = %.2f\n", plain->second,
                        plain->second / fftw->second);
    }
    return 0;
}
