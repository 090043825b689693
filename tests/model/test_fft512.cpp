// The transform against answers worked out independently: the plain rendering
// of the same radix-2 method, which it must match bit for bit; a direct DFT in
// double precision, which keeps the plain rendering honest; and signals whose
// spectra are known by hand.
#include "Fft512Plain.h"
#include "app/state/AnalysisState.h"
#include "voiceprint/Fft512.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <numbers>
#include <random>
#include <string>
#include <vector>

namespace tavrel::detail {
// Defined beside Fft512: true runs the baseline form of the transform from now
// on, false the widest form this processor has.
void UseFft512Baseline(bool baseline);
} // namespace tavrel::detail

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

// Whole 16-bit sample values, as the decoders deliver them.
Block RandomSamples(std::mt19937& rng) {
    std::uniform_int_distribution<int> d(-32768, 32767);
    Block b;
    for (float& v : b)
        v = static_cast<float>(d(rng));
    return b;
}

Block Wave(double (*f)(double), int bin, double amplitude = 1) {
    Block b;
    for (int n = 0; n < N; ++n)
        b[n] = static_cast<float>(amplitude * f(2 * std::numbers::pi * bin * n / N));
    return b;
}

Block Filled(float v) {
    Block b;
    b.fill(v);
    return b;
}

Block Impulse(int at, float v = 1) {
    Block b{};
    b[at] = v;
    return b;
}

// Transforms a copy and returns the published spectrum.
AnalysisState Spectrum(Block re, Block im = {}) {
    AnalysisState s;
    Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});
    return s;
}

std::string Number(double v) {
    char text[32];
    std::snprintf(text, sizeof text, "%g", v);
    return text;
}

struct Input {
    std::string name;
    Block re;
    Block im;
};

// Nearly eleven thousand blocks, from every corner the callers can reach and
// some they cannot: whole samples and fractions at scales from subnormal to
// 1e30 (short of overflow, whose NaNs carry no meaning in their bits), real and
// complex, impulses and full-scale waves at every position and bin, constants,
// and zeros of either sign, which decide the sign of many zero results.
std::vector<Input> BitExactInputs() {
    std::vector<Input> inputs;
    std::mt19937 rng(20240611);
    // Results in the subnormal range are correct but slow on most processors,
    // so the two smallest scales come less often.
    const float scales[] = {32768, 1, 1e-3f, 1e-30f, 1e30f, 3e-38f, 1e-44f};
    for (int trial = 0; trial < 1000; ++trial) {
        inputs.push_back({"16-bit samples " + std::to_string(trial), RandomSamples(rng), {}});
        for (float scale : scales) {
            if (scale < 1e-30f && trial % 10)
                continue;
            const std::string name = "scale " + Number(scale) + " #" + std::to_string(trial);
            const Block re = RandomBlock(rng, scale);
            inputs.push_back({"real, " + name, re, {}});
            if (trial % 2)
                inputs.push_back({"complex, " + name, re, RandomBlock(rng, scale)});
        }
    }
    for (int n = 0; n < N; ++n) {
        inputs.push_back({"impulse at " + std::to_string(n), Impulse(n), {}});
        inputs.push_back({"imaginary impulse at " + std::to_string(n), {}, Impulse(n, -32768)});
    }
    for (int k = 0; k < N; ++k) {
        inputs.push_back({"cosine at bin " + std::to_string(k), Wave(std::cos, k, 32767), {}});
        inputs.push_back({"sine at bin " + std::to_string(k), Wave(std::sin, k, 32767), {}});
    }
    for (float c : {0.0f, -0.0f, 1.0f, -3.5f, 32767.0f, -32768.0f, 1e-40f}) {
        inputs.push_back({"constant " + Number(c), Filled(c), {}});
        inputs.push_back({"imaginary constant " + Number(c), {}, Filled(c)});
        inputs.push_back({"constant pair " + Number(c), Filled(c), Filled(-c)});
    }
    // Zeros, all of one sign or negative where one bit of the index is clear:
    // the last stage takes a negative zero difference only when a whole half
    // of the points was negative zero, which random signs never give.
    const auto zeros = [](int pattern) {
        Block b;
        for (int n = 0; n < N; ++n)
            b[n] = pattern == 9 || (pattern < 9 && (n >> pattern) & 1) ? 0.0f : -0.0f;
        return b;
    };
    for (int re = 0; re <= 10; ++re)
        for (int im = 0; im <= 10; ++im)
            inputs.push_back({"signed zeros " + std::to_string(re) + "/" + std::to_string(im),
                              zeros(re), zeros(im)});
    return inputs;
}

// The first entry whose bits differ, or -1.
int FirstMismatch(const float* a, const float* b) {
    for (int k = 0; k < N; ++k)
        if (std::bit_cast<std::uint32_t>(a[k]) != std::bit_cast<std::uint32_t>(b[k]))
            return k;
    return -1;
}

std::string Describe(const char* what, int k, float got, float want) {
    char text[160];
    std::snprintf(text, sizeof text, "%s(%d) = %a (0x%08x), plain %a (0x%08x)", what, k, got,
                  std::bit_cast<std::uint32_t>(got), want, std::bit_cast<std::uint32_t>(want));
    return text;
}

// The same bits as the plain rendering in every value published and every
// value left in the arguments; a report names the first that differs.
void ExpectBitExact(const char* form) {
    const std::vector<Input> inputs = BitExactInputs();
    ASSERT_GE(inputs.size(), 10000u);
    for (const Input& in : inputs) {
        Block re = in.re, im = in.im;
        AnalysisState s;
        Fft512(re, im, {s.SpecRe, s.SpecIm, s.SpecMag});

        Block wantRe = in.re, wantIm = in.im, wantMag;
        Fft512Plain(wantRe.data(), wantIm.data());
        for (int k = 0; k < N; ++k) {
            const double r = wantRe[k];
            const double m = wantIm[k];
            wantMag[k] = static_cast<float>(std::sqrt(r * r + m * m));
        }

        const struct {
            const char* what;
            const float* got;
            const float* want;
        } parts[] = {{"re", re.data(), wantRe.data()},
                     {"im", im.data(), wantIm.data()},
                     {"SpecRe", s.SpecRe.data(), wantRe.data()},
                     {"SpecIm", s.SpecIm.data(), wantIm.data()},
                     {"SpecMag", s.SpecMag.data(), wantMag.data()}};
        for (const auto& p : parts) {
            const int k = FirstMismatch(p.got, p.want);
            if (k >= 0)
                FAIL() << form << " form, " << in.name << ": "
                       << Describe(p.what, k, p.got[k], p.want[k]);
        }
    }
}

// Runs the baseline form for as long as it lives.
struct BaselineForm {
    BaselineForm() { detail::UseFft512Baseline(true); }
    ~BaselineForm() { detail::UseFft512Baseline(false); }
};

} // namespace

TEST(Fft512, SameBitsAsPlainRendering) {
    ExpectBitExact("widest");
}

TEST(Fft512, BaselineFormSameBitsAsPlainRendering) {
    BaselineForm baseline;
    ExpectBitExact("baseline");
}

// Guards the reference itself: the plain rendering, and so the transform, is
// the forward DFT. Complex input too, so that a mix-up of the real and
// imaginary halves of a butterfly cannot hide behind symmetry.
TEST(Fft512, MatchesDirectDft) {
    std::mt19937 rng(7);
    for (int trial = 0; trial < 4; ++trial) {
        Block re = RandomBlock(rng, 32768);
        Block im = trial % 2 ? RandomBlock(rng, 32768) : Block{};

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
        for (int k = 0; k < N; ++k)
            ASSERT_LT(std::abs(std::complex<double>(re[k], im[k]) - exact[k]), 1e-5 * largest)
                << "trial " << trial << " bin " << k;
    }
}

TEST(Fft512, SpectraKnownByHand) {
    enum Part { Mag, Re, Im };
    struct Expect {
        int bin;
        Part part;
        float value;
    };
    struct Case {
        const char* name;
        Block input;
        std::vector<Expect> expect;
        float elsewhere; // largest magnitude allowed at the other bins
    };
    std::vector<Expect> flat;
    for (int k = 0; k < N; ++k)
        flat.push_back({k, Mag, 1});
    const Case cases[] = {
        {"silence", Block{}, {}, 0},
        {"constant", Filled(-3.5f), {{0, Mag, 512 * 3.5f}, {0, Re, -512 * 3.5f}}, 1e-3f},
        {"impulse", Impulse(0), flat, 0},
        {"cosine at bin 8",
         Wave(std::cos, 8),
         {{8, Mag, 256}, {504, Mag, 256}, {8, Re, 256}},
         1e-3f},
        // The negative exponent puts a sine at -i on the positive bin.
        {"sine at bin 8", Wave(std::sin, 8), {{8, Im, -256}, {504, Im, 256}}, 1e-3f},
        // An odd bin ends up elsewhere after the reordering than an even one.
        {"cosine at bin 37", Wave(std::cos, 37, 2.0), {{37, Mag, 512}, {475, Mag, 512}}, 1e-3f},
    };
    for (const Case& c : cases) {
        const AnalysisState s = Spectrum(c.input);
        std::array<bool, N> named{};
        for (const Expect& e : c.expect) {
            const float got = e.part == Mag  ? s.SpecMag[e.bin]
                              : e.part == Re ? s.SpecRe[e.bin]
                                             : s.SpecIm[e.bin];
            EXPECT_NEAR(got, e.value, 1e-3f) << c.name << ", bin " << e.bin << ", part " << e.part;
            named[e.bin] = true;
        }
        for (int k = 0; k < N; ++k) {
            if (!named[k]) {
                EXPECT_LE(s.SpecMag[k], c.elsewhere) << c.name << ", bin " << k;
            }
        }
    }
}

// Only entries 0 ... 511 are the transform's: entry 512 of the Spec arrays and
// anything beyond 511 in the arguments stay as they were, and a caller error
// (a span too short) writes nothing, least of all past the arrays' ends (the
// sanitizer build turns a stray access into a failure).
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

    std::vector<float> shortRe(511, 1.0f), fullRe(512, 1.0f), shortIm(100, 2.0f), fullIm(512, 2.0f);
    s.SpecMag[0] = 42;
    Fft512(shortRe, fullIm, {s.SpecRe, s.SpecIm, s.SpecMag});
    Fft512(fullRe, shortIm, {s.SpecRe, s.SpecIm, s.SpecMag});
    Fft512({}, {}, {s.SpecRe, s.SpecIm, s.SpecMag});
    EXPECT_EQ(s.SpecMag[0], 42.0f);
    EXPECT_EQ(std::count(shortRe.begin(), shortRe.end(), 1.0f), 511);
    EXPECT_EQ(std::count(fullRe.begin(), fullRe.end(), 1.0f), 512);
    EXPECT_EQ(std::count(fullIm.begin(), fullIm.end(), 2.0f), 512);
}
