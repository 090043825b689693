// The transform against the plain rendering of its method, which it must match
// bit for bit in both its forms; the plain rendering against a direct DFT.
#include "Fft512Plain.h"
#include "state/AnalysisState.h"
#include "voiceprint/Fft512.h"

#include <gtest/gtest.h>

#include <complex>
#include <cstring>
#include <numbers>
#include <random>
#include <string>

namespace tavrel::detail {
void UseFft512Baseline(bool baseline); // defined beside Fft512, for tests
}

using namespace tavrel;
using std::numbers::pi;

constexpr int N = FftSize;
using Block = std::array<float, N>;

static Block Make(auto value) {
    Block b;
    for (int n = 0; n < N; ++n)
        b[n] = float(value(n));
    return b;
}
static Block Random(std::mt19937& rng, float scale, bool whole = false) {
    std::uniform_real_distribution<float> d(-scale, scale);
    return Make([&](int) { return whole ? std::round(d(rng)) : d(rng); });
}

// The same bits as the plain rendering in every value published and left in the arguments, over
// 10 657 blocks: whole 16-bit samples and fractions at scales from subnormal to 1e30 (short of
// overflow, whose NaNs mean nothing in their bits), real and complex; impulses, waves at every bin.
static void ExpectBitExact(const char* form) {
    const auto check = [&](const std::string& name, const Block& inRe, const Block& inIm) {
        Block re = inRe, im = inIm, wantRe = inRe, wantIm = inIm;
        AnalysisState s;
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
        test::Fft512Plain(wantRe.data(), wantIm.data());
        for (int k = 0; k < N; ++k) {
            const float got[] = {re[k], im[k], s.SpecRe[k], s.SpecIm[k], s.SpecMag[k]};
            const float want[] = {
                wantRe[k], wantIm[k], wantRe[k], wantIm[k],
                float(std::sqrt(double(wantRe[k]) * wantRe[k] + double(wantIm[k]) * wantIm[k]))};
            ASSERT_EQ(std::memcmp(got, want, sizeof got), 0)
                << form << " form, " << name << ", bin " << k << ": re, im, Spec Re Im Mag "
                << testing::PrintToString(got) << " for " << testing::PrintToString(want);
        }
    };
    std::mt19937 rng(20240611);
    // Subnormal results are slow on most processors: the two smallest scales come seldom.
    const float scales[] = {32768, 1, 1e-3f, 1e-30f, 1e30f, 3e-38f, 1e-44f};
    for (int t = 0; t < 9000; ++t) {
        const float sc = t % 20 ? scales[t % 5] : scales[5 + t / 20 % 2];
        const Block re = Random(rng, sc, sc == 32768 && t % 2);
        check("random #" + std::to_string(t), re, t % 3 ? Block{} : Random(rng, sc));
    }
    for (int k = 0; k < N; ++k) {
        const auto wave = [k](double ph) {
            return Make([=](int n) { return 32767 * std::cos(2 * pi * k * n / N + ph); });
        };
        check("impulse at " + std::to_string(k), Make([k](int n) { return n == k; }), {});
        check("cosine at bin " + std::to_string(k), wave(0), {});
        check("sine at bin " + std::to_string(k), wave(pi / 2), {});
    }
    // Zeros of one sign, or negative where one bit of the index is clear, decide
    // the sign of zero results; random signs never make a whole half negative.
    const auto zeros = [](int p) {
        return Make([p](int n) { return p == 9 || (p < 9 && (n >> p) & 1) ? 0.0f : -0.0f; });
    };
    for (int re = 0; re <= 10; ++re)
        for (int im = 0; im <= 10; ++im)
            check("zeros " + std::to_string(re) + "/" + std::to_string(im), zeros(re), zeros(im));
}

TEST(Fft512, BothFormsGiveThePlainRenderingsBits) {
    ExpectBitExact("widest");
    detail::UseFft512Baseline(true);
    ExpectBitExact("baseline");
    detail::UseFft512Baseline(false);
}

// A direct DFT in double of a complex block keeps the plain rendering honest: the sign of the
// exponent, the reordering, and a mix-up of a butterfly's halves, which symmetry could hide.
TEST(Fft512, PlainRenderingMatchesADirectDft) {
    std::mt19937 rng(7);
    const Block inRe = Random(rng, 32768), inIm = Random(rng, 32768);
    Block re = inRe, im = inIm;
    test::Fft512Plain(re.data(), im.data());
    for (int k = 0; k < N; ++k) {
        std::complex<double> exact;
        for (int n = 0; n < N; ++n)
            exact +=
                std::complex<double>(inRe[n], inIm[n]) * std::polar(1.0, -2 * pi * (n * k % N) / N);
        ASSERT_LT(std::abs(std::complex<double>(re[k], im[k]) - exact), 10.0) << k; // |X| to 1e6
    }
}
