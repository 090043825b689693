#include "voiceprint/Fft512.h"

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAVREL_FFT_X86 1
#include <immintrin.h>
#endif

namespace tavrel {

namespace {

constexpr int Stages = 9;
constexpr int Half = FftSize / 2;
// The decimal value the program has always used; it differs from the double
// nearest to pi far below single precision.
constexpr double Pi = 3.14159265358979;

// Everything the transform would otherwise recompute on each call: the
// twiddles of every stage and the swaps of the bit reversal. Both are made by
// the very steps a call would take, so keeping them changes no result.
struct Tables;
using ButterfliesFn = void (*)(float*, float*, const Tables&);
using MagnitudesFn = void (*)(const float*, const float*, float*);
ButterfliesFn ChooseButterflies();
MagnitudesFn ChooseMagnitudes();

struct Tables {
    // Stage with half-length LE1 (256, 128, ..., 1) keeps its LE1 twiddles at
    // offset FftSize - 2 * LE1; 511 entries in all.
    alignas(16) std::array<float, FftSize - 1> TwiddleRe{};
    alignas(16) std::array<float, FftSize - 1> TwiddleIm{};
    // Pairs (I, J) with I < J that the reordering exchanges; 240 of them.
    std::array<std::array<std::uint16_t, 2>, 256> Swaps{};
    int SwapCount = 0;
    // The widest forms this processor runs; chosen once, see below.
    ButterfliesFn Butterflies = nullptr;
    MagnitudesFn Magnitudes = nullptr;
};

constexpr int TwiddleOffset(int le1) {
    return FftSize - 2 * le1;
}

Tables MakeTables() {
    Tables t;
    for (int stage = 1; stage <= Stages; ++stage) {
        const int le = static_cast<int>(std::lround(std::pow(2.0, 10 - stage)));
        const int le1 = le / 2;
        const double theta = Pi / le1;
        const float wr = static_cast<float>(std::cos(theta));
        const float wi = static_cast<float>(-std::sin(theta));
        // One rotation per step, evaluated in double and stored as float: a
        // table of exact cosines would not be the twiddles the method produces.
        float ur = 1;
        float ui = 0;
        for (int j = 0; j < le1; ++j) {
            t.TwiddleRe[TwiddleOffset(le1) + j] = ur;
            t.TwiddleIm[TwiddleOffset(le1) + j] = ui;
            const double nextUr = double(wr) * ur - double(wi) * ui;
            const double nextUi = double(wr) * ui + double(wi) * ur;
            ur = static_cast<float>(nextUr);
            ui = static_cast<float>(nextUi);
        }
    }

    int j = Half;
    for (int i = 1; i <= FftSize - 2; ++i) {
        if (i < j)
            t.Swaps[t.SwapCount++] = {static_cast<std::uint16_t>(i), static_cast<std::uint16_t>(j)};
        int k = Half;
        while (k <= j) {
            j -= k;
            k /= 2;
        }
        j += k;
    }
    t.Butterflies = ChooseButterflies();
    t.Magnitudes = ChooseMagnitudes();
    return t;
}

const Tables& GetTables() {
    static const Tables tables = MakeTables();
    return tables;
}

// One stage of butterflies with half-length LE1 >= 8. Running J inside each
// block of 2 * LE1 points, rather than blocks inside J as the textbook loop
// does, turns the innermost loop into straight runs over contiguous memory
// with a fixed count, which the compiler turns into vector code.
template <int LE1>
[[gnu::always_inline]] inline void Stage(float* __restrict re, float* __restrict im,
                                         const Tables& t) {
    const float* __restrict ur = t.TwiddleRe.data() + TwiddleOffset(LE1);
    const float* __restrict ui = t.TwiddleIm.data() + TwiddleOffset(LE1);
    for (int block = 0; block < FftSize; block += 2 * LE1) {
        float* __restrict ar = re + block;
        float* __restrict ai = im + block;
        for (int j = 0; j < LE1; ++j) {
            const float tr = ar[j] - ar[j + LE1];
            const float ti = ai[j] - ai[j + LE1];
            ar[j] = ar[j + LE1] + ar[j];
            ai[j] = ai[j + LE1] + ai[j];
            ar[j + LE1] = tr * ur[j] - ti * ui[j];
            ai[j + LE1] = ti * ur[j] + tr * ui[j];
        }
    }
}

using V4 = float __attribute__((vector_size(16)));

V4 Load(const float* p) {
    V4 v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

void Store(float* p, V4 v) {
    std::memcpy(p, &v, sizeof v);
}

// The last three stages (LE1 = 4, 2, 1) work within blocks of eight points.
// As separate loops their runs are too short to vectorise, so each block is
// held in two vectors per part and carried through all three stages at once,
// regrouping the lanes between stages so that partners always sit in the same
// lane of two vectors.
[[gnu::always_inline]] inline void LastThreeStages(float* __restrict re, float* __restrict im,
                                                   const Tables& t) {
    const V4 ur4 = Load(t.TwiddleRe.data() + TwiddleOffset(4));
    const V4 ui4 = Load(t.TwiddleIm.data() + TwiddleOffset(4));
    const float* ur2 = t.TwiddleRe.data() + TwiddleOffset(2);
    const float* ui2 = t.TwiddleIm.data() + TwiddleOffset(2);
    const V4 ur2v = {ur2[0], ur2[1], ur2[0], ur2[1]};
    const V4 ui2v = {ui2[0], ui2[1], ui2[0], ui2[1]};

    for (int block = 0; block < FftSize; block += 8) {
        // LE1 = 4: points 0..3 against 4..7.
        V4 ar = Load(re + block);
        V4 br = Load(re + block + 4);
        V4 ai = Load(im + block);
        V4 bi = Load(im + block + 4);
        V4 tr = ar - br;
        V4 ti = ai - bi;
        ar = br + ar;
        ai = bi + ai;
        br = tr * ur4 - ti * ui4;
        bi = ti * ur4 + tr * ui4;

        // LE1 = 2: points {0,1,4,5} against {2,3,6,7}.
        V4 lr = __builtin_shufflevector(ar, br, 0, 1, 4, 5);
        V4 hr = __builtin_shufflevector(ar, br, 2, 3, 6, 7);
        V4 li = __builtin_shufflevector(ai, bi, 0, 1, 4, 5);
        V4 hi = __builtin_shufflevector(ai, bi, 2, 3, 6, 7);
        tr = lr - hr;
        ti = li - hi;
        lr = hr + lr;
        li = hi + li;
        hr = tr * ur2v - ti * ui2v;
        hi = ti * ur2v + tr * ui2v;

        // LE1 = 1: points {0,4,2,6} against {1,5,3,7}. The only twiddle of
        // this stage is exactly 1, so the difference is the result.
        const V4 er = __builtin_shufflevector(lr, hr, 0, 2, 4, 6);
        const V4 orr = __builtin_shufflevector(lr, hr, 1, 3, 5, 7);
        const V4 ei = __builtin_shufflevector(li, hi, 0, 2, 4, 6);
        const V4 oi = __builtin_shufflevector(li, hi, 1, 3, 5, 7);
        const V4 sr = orr + er;
        const V4 si = oi + ei;
        const V4 dr = er - orr;
        const V4 di = ei - oi;

        // Lane k of s and d holds points {0,4,2,6}[k] and {1,5,3,7}[k].
        Store(re + block, __builtin_shufflevector(sr, dr, 0, 4, 2, 6));
        Store(re + block + 4, __builtin_shufflevector(sr, dr, 1, 5, 3, 7));
        Store(im + block, __builtin_shufflevector(si, di, 0, 4, 2, 6));
        Store(im + block + 4, __builtin_shufflevector(si, di, 1, 5, 3, 7));
    }
}

[[gnu::always_inline]] inline void BitReverse(float* __restrict re, float* __restrict im,
                                              const Tables& t) {
    for (int s = 0; s < t.SwapCount; ++s) {
        const int i = t.Swaps[s][0];
        const int j = t.Swaps[s][1];
        const float r = re[i];
        re[i] = re[j];
        re[j] = r;
        const float m = im[i];
        im[i] = im[j];
        im[j] = m;
    }
}

// Magnitudes are taken in double precision, as the sum of two squares can
// lose its small part to rounding in single precision. The library square
// root keeps errno and so stays scalar; the vector square roots give the same
// correctly rounded results, two or four at a time.
#if TAVREL_FFT_X86
void MagnitudesSse2(const float* re, const float* im, float* mag) {
    for (int k = 0; k < FftSize; k += 4) {
        const __m128 r4 = _mm_loadu_ps(re + k);
        const __m128 m4 = _mm_loadu_ps(im + k);
        const __m128d rLo = _mm_cvtps_pd(r4);
        const __m128d rHi = _mm_cvtps_pd(_mm_movehl_ps(r4, r4));
        const __m128d mLo = _mm_cvtps_pd(m4);
        const __m128d mHi = _mm_cvtps_pd(_mm_movehl_ps(m4, m4));
        const __m128d lo = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(rLo, rLo), _mm_mul_pd(mLo, mLo)));
        const __m128d hi = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(rHi, rHi), _mm_mul_pd(mHi, mHi)));
        _mm_storeu_ps(mag + k, _mm_movelh_ps(_mm_cvtpd_ps(lo), _mm_cvtpd_ps(hi)));
    }
}

__attribute__((target("avx"))) void MagnitudesAvx(const float* re, const float* im, float* mag) {
    for (int k = 0; k < FftSize; k += 4) {
        const __m256d r = _mm256_cvtps_pd(_mm_loadu_ps(re + k));
        const __m256d m = _mm256_cvtps_pd(_mm_loadu_ps(im + k));
        const __m256d root =
            _mm256_sqrt_pd(_mm256_add_pd(_mm256_mul_pd(r, r), _mm256_mul_pd(m, m)));
        _mm_storeu_ps(mag + k, _mm256_cvtpd_ps(root));
    }
}
#else
void MagnitudesPlain(const float* re, const float* im, float* mag) {
    for (int k = 0; k < FftSize; ++k) {
        const double r = re[k];
        const double m = im[k];
        mag[k] = static_cast<float>(std::sqrt(r * r + m * m));
    }
}
#endif

MagnitudesFn ChooseMagnitudes() {
#if TAVREL_FFT_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx") ? MagnitudesAvx : MagnitudesSse2;
#else
    return MagnitudesPlain;
#endif
}

[[gnu::always_inline]] inline void AllStages(float* __restrict re, float* __restrict im,
                                             const Tables& t) {
    Stage<256>(re, im, t);
    Stage<128>(re, im, t);
    Stage<64>(re, im, t);
    Stage<32>(re, im, t);
    Stage<16>(re, im, t);
    Stage<8>(re, im, t);
    LastThreeStages(re, im, t);
    BitReverse(re, im, t);
}

// The butterflies are plain single-precision adds and multiplies, which give
// the same bits at any vector width, so they are also compiled for AVX2 and
// picked on processors that have it. FMA is deliberately not enabled: a fused
// multiply-add rounds differently, and every machine is to give the same
// spectrum. The choice is made by a pointer set up once, not by the loader's
// function resolvers, which run before the sanitizers' runtime is ready.
void ButterfliesBase(float* re, float* im, const Tables& t) { AllStages(re, im, t); }

#if TAVREL_FFT_X86
__attribute__((target("avx2"))) void ButterfliesAvx2(float* re, float* im, const Tables& t) {
    AllStages(re, im, t);
}
#endif

ButterfliesFn ChooseButterflies() {
#if TAVREL_FFT_X86
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") ? ButterfliesAvx2 : ButterfliesBase;
#else
    return ButterfliesBase;
#endif
}

void Publish(const float* re, const float* im, const SpectrumOut& out, const Tables& t) {
    std::memcpy(out.re.data(), re, FftSize * sizeof(float));
    std::memcpy(out.im.data(), im, FftSize * sizeof(float));
    t.Magnitudes(re, im, out.mag.data());
}

} // namespace

void Fft512(std::span<float> re, std::span<float> im, const SpectrumOut& out) {
    if (re.size() < FftSize || im.size() < FftSize || out.re.size() < FftSize ||
        out.im.size() < FftSize || out.mag.size() < FftSize)
        return;
    const Tables& t = GetTables();
    float* r = re.data();
    float* i = im.data();
    if (r == i)
        return; // one array cannot be both parts; the butterflies would garble it

    t.Butterflies(r, i, t);
    Publish(r, i, out, t);
}

} // namespace tavrel
