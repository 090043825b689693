// The transform against answers worked out independently: a direct DFT in
// double precision, a plain rendering of the same radix-2 method, and signals
// whose spectra are known by hand.
#include "Fft512Plain.h"
#include "app/state/AnalysisState.h"
#include "voiceprint/Fft512.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

using namespace tavrel;
using tavrel::test::Fft512Plain;

namespace {

constexpr int N = FftSize;
using Block = std::array<float, N>;

Block RandomBlock(std::mt19937& rng, float amplitude) {
    std::uniform_real_distribution<float> d(-amplitude, amplitude);
    Block b;
    for (float& v : b)
        v = d(rng);
    return b;
}

Block Wave(double (*f)(double), int bin, double amplitude = 1) {
    Block b;
    for (int n = 0; n < N; ++n)
        b[n] = static_cast<float>(amplitude * f(2 * std::numbers::pi * bin * n / N));
    return b;
}

// Transforms a copy and returns the published spectrum.
AnalysisState Spectrum(Block re, Block im = {}) {
    AnalysisState s;
    Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    return s;
}

float LargestExcept(const AnalysisState& s, std::initializer_list<int> bins) {
    float m = 0;
    for (int k = 0; k < N; ++k)
        if (std::find(bins.begin(), bins.end(), k) == bins.end())
            m = std::max(m, s.SpecMag[k]);
    return m;
}

} // namespace

// Real input as both callers give it, and complex input so that a mix-up of
// the real and imaginary halves of a butterfly cannot hide behind symmetry.
TEST(Fft512, MatchesDirectDftAndPlainRendering) {
    std::mt19937 rng(20240611);
    for (int trial = 0; trial < 8; ++trial) {
        Block re = RandomBlock(rng, 32768);
        Block im = trial % 2 ? RandomBlock(rng, 32768) : Block{};
        Block plainRe = re, plainIm = im;
        Fft512Plain(plainRe.data(), plainIm.data());

        std::vector<std::complex<double>> exact(N);
        double largest = 0;
        for (int k = 0; k < N; ++k) {
            for (int n = 0; n < N; ++n)
                exact[k] += std::complex<double>(re[n], im[n]) *
                            std::polar(1.0, -2 * std::numbers::pi * ((n * k) % N) / N);
            largest = std::max(largest, std::abs(exact[k]));
        }

        AnalysisState s;
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
        for (int k = 0; k < N; ++k) {
            const std::complex<double> got(re[k], im[k]);
            ASSERT_LT(std::abs(got - exact[k]), 1e-5 * largest)
                << "trial " << trial << " bin " << k;
            // The fast arrangement stays the same method: it may differ from
            // the plain rendering by single-precision rounding only.
            ASSERT_LT(std::abs(got - std::complex<double>(plainRe[k], plainIm[k])), 1e-6 * largest)
                << "trial " << trial << " bin " << k;
            ASSERT_EQ(s.SpecRe[k], re[k]);
            ASSERT_EQ(s.SpecIm[k], im[k]);
            ASSERT_EQ(s.SpecMag[k], static_cast<float>(std::sqrt(got.real() * got.real() +
                                                                 got.imag() * got.imag())));
        }
    }
}

TEST(Fft512, SpectraKnownByHand) {
    const AnalysisState zero = Spectrum(Block{});
    EXPECT_EQ(LargestExcept(zero, {}), 0.0f);

    Block constant;
    constant.fill(-3.5f);
    const AnalysisState dc = Spectrum(constant);
    EXPECT_FLOAT_EQ(dc.SpecMag[0], 512 * 3.5f);
    EXPECT_FLOAT_EQ(dc.SpecRe[0], -512 * 3.5f);
    EXPECT_LT(LargestExcept(dc, {0}), 1e-3f);

    Block impulse{};
    impulse[0] = 1;
    const AnalysisState flat = Spectrum(impulse);
    for (int k = 0; k < N; ++k)
        EXPECT_FLOAT_EQ(flat.SpecMag[k], 1.0f) << "bin " << k;

    const AnalysisState cosine = Spectrum(Wave(std::cos, 8));
    EXPECT_NEAR(cosine.SpecMag[8], 256.0f, 1e-3f);
    EXPECT_NEAR(cosine.SpecMag[504], 256.0f, 1e-3f);
    EXPECT_NEAR(cosine.SpecRe[8], 256.0f, 1e-3f);
    EXPECT_LT(LargestExcept(cosine, {8, 504}), 1e-3f);

    // The negative exponent puts a sine at -i on the positive bin.
    const AnalysisState sine = Spectrum(Wave(std::sin, 8));
    EXPECT_NEAR(sine.SpecIm[8], -256.0f, 1e-3f);
    EXPECT_NEAR(sine.SpecIm[504], 256.0f, 1e-3f);
    EXPECT_LT(LargestExcept(sine, {8, 504}), 1e-3f);

    // An odd bin ends up elsewhere after the reordering than an even one.
    const AnalysisState odd = Spectrum(Wave(std::cos, 37, 2.0));
    EXPECT_NEAR(odd.SpecMag[37], 512.0f, 1e-3f);
    EXPECT_NEAR(odd.SpecMag[475], 512.0f, 1e-3f);
    EXPECT_LT(LargestExcept(odd, {37, 475}), 1e-3f);
}

// Only entries 0 ... 511 are the transform's: entry 512 of the Spec arrays and
// anything beyond 511 in the arguments stay as they were.
TEST(Fft512, TouchesNothingBeyondItsEntries) {
    AnalysisState s;
    s.SpecRe[512] = 1.25f;
    s.SpecIm[512] = -2.5f;
    s.SpecMag[512] = 7.0f;
    std::vector<float> re(600, 0.0f), im(600, 0.0f);
    re[0] = 1;
    re[512] = 99;
    im[599] = -4;
    Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    EXPECT_EQ(s.SpecRe[512], 1.25f);
    EXPECT_EQ(s.SpecIm[512], -2.5f);
    EXPECT_EQ(s.SpecMag[512], 7.0f);
    EXPECT_EQ(re[512], 99.0f);
    EXPECT_EQ(im[599], -4.0f);
    EXPECT_FLOAT_EQ(s.SpecMag[300], 1.0f);
}

// A caller error writes nothing, least of all past the arrays' ends (the
// sanitizer build turns a stray access into a failure).
TEST(Fft512, ShortSpansAreLeftUntouched) {
    std::vector<float> shortRe(511, 1.0f), fullRe(512, 1.0f), shortIm(100, 2.0f), fullIm(512, 2.0f);
    AnalysisState s;
    s.SpecMag[0] = 42;
    Fft512(shortRe, fullIm, {s.SpecRe, s.SpecIm, s.SpecMag});
    Fft512(fullRe, shortIm, {s.SpecRe, s.SpecIm, s.SpecMag});
    Fft512({}, {}, {s.SpecRe, s.SpecIm, s.SpecMag});
    EXPECT_EQ(s.SpecMag[0], 42.0f);
    EXPECT_EQ(std::count(shortRe.begin(), shortRe.end(), 1.0f), 511);
    EXPECT_EQ(std::count(fullRe.begin(), fullRe.end(), 1.0f), 512);
    EXPECT_EQ(std::count(fullIm.begin(), fullIm.end(), 2.0f), 512);
}
