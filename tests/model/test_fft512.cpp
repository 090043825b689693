// The transform against the plain rendering of its method, which it must match
// bit for bit in both its forms, and against answers known without it.
#include "Fft512Plain.h"
#include "app/state/AnalysisState.h"
#include "voiceprint/Fft512.h"

#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <complex>
#include <cstdint>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace tavrel::detail {
void UseFft512Baseline(bool baseline); // defined beside Fft512, for tests
}

using namespace tavrel;

namespace {

constexpr int N = FftSize;
using Block = std::array<float, N>;

Block Make(auto value) {
    Block b;
    for (int n = 0; n < N; ++n)
        b[n] = float(value(n));
    return b;
}
Block Random(std::mt19937& rng, float scale, bool whole = false) {
    std::uniform_real_distribution<float> d(-scale, scale);
    return Make([&](int) { return whole ? std::round(d(rng)) : d(rng); });
}
Block Wave(int bin, double amp, double phase = 0) {
    return Make([=](int n) { return amp * std::cos(2 * std::numbers::pi * bin * n / N - phase); });
}

// The same bits as the plain rendering in every value published and left in
// the arguments, over ten thousand blocks: whole 16-bit samples and fractions
// at scales from subnormal to 1e30 (short of overflow, whose NaNs carry no
// meaning in their bits), real and complex; impulses and full-scale waves at
// every position and bin.
void ExpectBitExact(const char* form) {
    int blocks = 0;
    const auto check = [&](const std::string& name, const Block& inRe, const Block& inIm) {
        Block re = inRe, im = inIm, wantRe = inRe, wantIm = inIm, wantMag;
        AnalysisState s;
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
        test::Fft512Plain(wantRe.data(), wantIm.data());
        for (int k = 0; k < N; ++k)
            wantMag[k] =
                float(std::sqrt(double(wantRe[k]) * wantRe[k] + double(wantIm[k]) * wantIm[k]));
        const float* got[] = {re.data(), im.data(), s.SpecRe.data(), s.SpecIm.data(),
                              s.SpecMag.data()};
        const float* want[] = {wantRe.data(), wantIm.data(), wantRe.data(), wantIm.data(),
                               wantMag.data()};
        for (int p = 0; p < 5; ++p)
            for (int k = 0; k < N; ++k)
                if (std::bit_cast<std::uint32_t>(got[p][k]) !=
                    std::bit_cast<std::uint32_t>(want[p][k]))
                    FAIL() << form << " form, " << name << ": "
                           << std::array{"re", "im", "SpecRe", "SpecIm", "SpecMag"}[p] << "(" << k
                           << ") = " << std::hexfloat << got[p][k] << ", plain " << want[p][k];
        ++blocks;
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
        const Block impulse = Make([k](int n) { return n == k ? 1 : 0; });
        check("impulse at " + std::to_string(k), impulse, {});
        check("imaginary impulse at " + std::to_string(k), {}, impulse);
        check("cosine at bin " + std::to_string(k), Wave(k, 32767), {});
        check("sine at bin " + std::to_string(k), Wave(k, 32767, std::numbers::pi / 2), {});
    }
    // Zeros of one sign, or negative where one bit of the index is clear: they
    // decide the sign of zero results, and the last stage takes a negative zero
    // difference only when a whole half of the points was negative zero.
    const auto zeros = [](int p) {
        return Make([p](int n) { return p == 9 || (p < 9 && (n >> p) & 1) ? 0.0f : -0.0f; });
    };
    for (int re = 0; re <= 10; ++re)
        for (int im = 0; im <= 10; ++im)
            check("zeros " + std::to_string(re) + "/" + std::to_string(im), zeros(re), zeros(im));
    EXPECT_GE(blocks, 10000);
}

} // namespace

TEST(Fft512, BothFormsGiveThePlainRenderingsBits) {
    ExpectBitExact("widest");
    detail::UseFft512Baseline(true);
    ExpectBitExact("baseline");
    detail::UseFft512Baseline(false);
}

// Every bin against a direct DFT in double, which keeps the plain rendering
// honest (complex input too, so that a mix-up of a butterfly's halves cannot
// hide behind symmetry), and by hand the bins a sign or order fault would move.
TEST(Fft512, KnownAnswersAndDirectDft) {
    std::mt19937 rng(7);
    const struct {
        const char* name;
        Block re, im;
        int bin;
        std::complex<double> want;
    } cases[] = {
        {"silence", {}, {}, 0, 0},
        {"constant", Make([](int) { return -3.5; }), {}, 0, -512 * 3.5},
        {"impulse", Make([](int n) { return n == 0; }), {}, 300, 1},
        {"cosine at bin 8", Wave(8, 1), {}, 504, 256},
        {"sine at bin 8", Wave(8, 1, std::numbers::pi / 2), {}, 8, {0, -256}}, // -i: e^(-i...)
        {"cosine at bin 37", Wave(37, 2), {}, 475, 512}, // odd: elsewhere after the reordering
        {"random", Random(rng, 32768), {}, -1, 0},
        {"random complex", Random(rng, 32768), Random(rng, 32768), -1, 0},
    };
    for (const auto& c : cases) {
        Block re = c.re, im = c.im;
        AnalysisState s;
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
        std::vector<std::complex<double>> exact(N);
        double largest = 0;
        for (int k = 0; k < N; ++k) {
            for (int n = 0; n < N; ++n)
                exact[k] += std::complex<double>(c.re[n], c.im[n]) *
                            std::polar(1.0, -2 * std::numbers::pi * (n * k % N) / N);
            largest = std::max(largest, std::abs(exact[k]));
        }
        for (int k = 0; k < N; ++k)
            ASSERT_LE(std::abs(std::complex<double>(re[k], im[k]) - exact[k]), 1e-5 * largest)
                << c.name << ", bin " << k;
        EXPECT_TRUE(c.bin < 0 ||
                    std::abs(std::complex<double>(re[c.bin], im[c.bin]) - c.want) < 1e-3)
            << c.name;
    }
}

// Only entries 0 ... 511 are the transform's, and a span too short (a caller
// error) writes nothing; the sanitizer build turns a stray access into a failure.
TEST(Fft512, TouchesNothingBeyondItsEntries) {
    AnalysisState s;
    s.SpecRe[512] = s.SpecIm[512] = s.SpecMag[512] = s.SpecMag[0] = 7;
    std::vector<float> re(600, 1.0f), im(600, 3.0f), shortRe(511, 1.0f), shortIm(511, 1.0f);
    Fft512(shortRe, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    Fft512(re, shortIm, {s.SpecRe, s.SpecIm, s.SpecMag});
    EXPECT_TRUE(s.SpecMag[0] == 7 && re[0] == 1 && im[0] == 3); // untouched
    Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    EXPECT_EQ((std::vector<float>{s.SpecRe[512], s.SpecIm[512], s.SpecMag[512], re[512], im[599]}),
              (std::vector<float>{7, 7, 7, 1, 3}));
}
