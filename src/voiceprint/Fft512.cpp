#include "voiceprint/Fft512.h"

#include <array>
#include <cmath>
#include <cstring>

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define TAVREL_FFT_X86 1
#include <immintrin.h>
#endif

// Every value the transform stores is rounded to float, but the twiddle
// products are taken in double: TR * UR - TI * UI is rounded once to double
// and then to float, which is not always the float that single-precision
// products would give. The spectrum must be the same bits on every machine and
// in every form of the code below, so they all compute exactly that.
//
// Sums and differences of two floats may be taken in float: the double result
// rounded to float is the float result. Products of two floats are exact in
// double (24 + 24 bits), so a fused multiply-add of such a product and another
// rounds exactly as the separate operations do. That is why the wide form may
// be compiled with FMA, and the compiler may contract freely.

// The helpers below pass vectors of 32 and 64 bytes by value. They are always
// inlined into the functions that use them, so no call crosses the ABI that
// the compiler warns about.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpsabi"
#endif

namespace tavrel {

namespace {

constexpr int Stages = 9;
// The decimal value the program has always used; it differs from the double
// nearest to pi far below single precision.
constexpr double Pi = 3.14159265358979;

// Stage with half-length LE1 (256, 128, ..., 1) keeps its LE1 twiddles at
// offset FftSize - 2 * LE1; 511 entries in all.
constexpr int TwiddleOffset(int le1) {
    return FftSize - 2 * le1;
}

struct Tables;
using ButterfliesFn = void (*)(float*, float*, const Tables&);
using MagnitudesFn = void (*)(const float*, const float*, float*);
ButterfliesFn WidestButterflies();
MagnitudesFn WidestMagnitudes();

struct Tables {
    // The twiddles of every stage, made by the very rotation a call of the
    // plain method performs (each step evaluated in double and stored as
    // float), and kept widened to double, the precision the products use.
    alignas(32) std::array<double, FftSize - 1> TwiddleRe{};
    alignas(32) std::array<double, FftSize - 1> TwiddleIm{};
    // The widest forms this processor runs; chosen once, see below.
    ButterfliesFn Butterflies = nullptr;
    MagnitudesFn Magnitudes = nullptr;
};

Tables MakeTables() {
    Tables t;
    for (int stage = 1; stage <= Stages; ++stage) {
        const int le = static_cast<int>(std::lround(std::pow(2.0, 10 - stage)));
        const int le1 = le / 2;
        const double theta = Pi / le1;
        const float wr = static_cast<float>(std::cos(theta));
        const float wi = static_cast<float>(-std::sin(theta));
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
    t.Butterflies = WidestButterflies();
    t.Magnitudes = WidestMagnitudes();
    return t;
}

// Not const only for the test hook at the end of this file.
Tables& MutableTables() {
    static Tables tables = MakeTables();
    return tables;
}

const Tables& GetTables() {
    return MutableTables();
}

// The vector types of one width: W floats, and W doubles. Written with the
// compiler's generic vectors so that one source serves the baseline and the
// wide form alike; a vector of W doubles may span several registers.
template <int W> struct Vec;
template <> struct Vec<4> {
    using F = float __attribute__((vector_size(16)));
    using D = double __attribute__((vector_size(32)));
};
template <> struct Vec<8> {
    using F = float __attribute__((vector_size(32)));
    using D = double __attribute__((vector_size(64)));
};

template <typename V, typename T> [[gnu::always_inline]] inline V Load(const T* p) {
    V v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

template <typename T, typename V> [[gnu::always_inline]] inline void Store(T* p, const V& v) {
    std::memcpy(p, &v, sizeof v);
}

template <int W> [[gnu::always_inline]] inline typename Vec<W>::D Splat(double v) {
    if constexpr (W == 4)
        return typename Vec<W>::D{v, v, v, v};
    else
        return typename Vec<W>::D{v, v, v, v, v, v, v, v};
}

// (TR + i TI) times the twiddle (UR + i UI): widened to double, where the
// products are exact, and each part rounded to float once at the end.
template <int W>
[[gnu::always_inline]] inline void
Rotate(const typename Vec<W>::F& tr, const typename Vec<W>::F& ti, const typename Vec<W>::D& ur,
       const typename Vec<W>::D& ui, typename Vec<W>::F& outRe, typename Vec<W>::F& outIm) {
    using F = typename Vec<W>::F;
    using D = typename Vec<W>::D;
    const D r = __builtin_convertvector(tr, D);
    const D i = __builtin_convertvector(ti, D);
    outRe = __builtin_convertvector(r * ur - i * ui, F);
    outIm = __builtin_convertvector(i * ur + r * ui, F);
}

// One stage of butterflies with half-length LE1 >= W. Running J inside each
// block of 2 * LE1 points, rather than blocks inside J as the textbook loop
// does, gives straight runs over contiguous memory; the butterflies of a stage
// are independent, so the order changes no result.
template <int W, int LE1>
[[gnu::always_inline]] inline void Stage(float* __restrict re, float* __restrict im,
                                         const Tables& t) {
    using F = typename Vec<W>::F;
    using D = typename Vec<W>::D;
    const double* __restrict ur = t.TwiddleRe.data() + TwiddleOffset(LE1);
    const double* __restrict ui = t.TwiddleIm.data() + TwiddleOffset(LE1);
    for (int block = 0; block < FftSize; block += 2 * LE1) {
        float* __restrict ar = re + block;
        float* __restrict ai = im + block;
        for (int j = 0; j < LE1; j += W) {
            const F a = Load<F>(ar + j);
            const F b = Load<F>(ar + j + LE1);
            const F c = Load<F>(ai + j);
            const F d = Load<F>(ai + j + LE1);
            Store(ar + j, b + a);
            Store(ai + j, d + c);
            F pr;
            F pi;
            Rotate<W>(a - b, c - d, Load<D>(ur + j), Load<D>(ui + j), pr, pi);
            Store(ar + j + LE1, pr);
            Store(ai + j + LE1, pi);
        }
    }
}

constexpr int ReverseBits(int v, int bits) {
    int r = 0;
    for (int b = 0; b < bits; ++b)
        r |= ((v >> b) & 1) << (bits - 1 - b);
    return r;
}

// Transposes a W x W block held as W vectors.
template <int W> [[gnu::always_inline]] inline void Transpose(typename Vec<W>::F* r) {
    using F = typename Vec<W>::F;
    if constexpr (W == 4) {
        const F t0 = __builtin_shufflevector(r[0], r[1], 0, 4, 1, 5);
        const F t1 = __builtin_shufflevector(r[0], r[1], 2, 6, 3, 7);
        const F t2 = __builtin_shufflevector(r[2], r[3], 0, 4, 1, 5);
        const F t3 = __builtin_shufflevector(r[2], r[3], 2, 6, 3, 7);
        r[0] = __builtin_shufflevector(t0, t2, 0, 1, 4, 5);
        r[1] = __builtin_shufflevector(t0, t2, 2, 3, 6, 7);
        r[2] = __builtin_shufflevector(t1, t3, 0, 1, 4, 5);
        r[3] = __builtin_shufflevector(t1, t3, 2, 3, 6, 7);
    } else {
        F t[8];
#pragma GCC unroll 8
        for (int k = 0; k < 8; k += 2) {
            t[k] = __builtin_shufflevector(r[k], r[k + 1], 0, 8, 1, 9, 4, 12, 5, 13);
            t[k + 1] = __builtin_shufflevector(r[k], r[k + 1], 2, 10, 3, 11, 6, 14, 7, 15);
        }
        F u[8];
#pragma GCC unroll 8
        for (int k = 0; k < 8; k += 4) {
            u[k] = __builtin_shufflevector(t[k], t[k + 2], 0, 1, 8, 9, 4, 5, 12, 13);
            u[k + 1] = __builtin_shufflevector(t[k], t[k + 2], 2, 3, 10, 11, 6, 7, 14, 15);
            u[k + 2] = __builtin_shufflevector(t[k + 1], t[k + 3], 0, 1, 8, 9, 4, 5, 12, 13);
            u[k + 3] = __builtin_shufflevector(t[k + 1], t[k + 3], 2, 3, 10, 11, 6, 7, 14, 15);
        }
#pragma GCC unroll 8
        for (int k = 0; k < 4; ++k) {
            r[k] = __builtin_shufflevector(u[k], u[k + 4], 0, 1, 2, 3, 8, 9, 10, 11);
            r[k + 4] = __builtin_shufflevector(u[k], u[k + 4], 4, 5, 6, 7, 12, 13, 14, 15);
        }
    }
}

// The last log2(W) stages pair points less than W apart, too close for a
// vector to hold a run of partners, and the bit reversal follows them. Both are
// done together on W x W blocks turned on their side.
//
// Write a point's index as (high, middle, low) with W choices for high and low.
// For one middle value, W rows of W points (low = 0 ... W - 1) are loaded, high
// running in bit-reversed order, and transposed: vector `low` then holds in lane
// L the point with high = reverse(L). The remaining stages combine whole
// vectors with one twiddle each. The reversed index of (high, middle, low) is
// (reverse(low), reverse(middle), reverse(high)), so vector `low` is stored as
// it stands at row reverse(low) of middle value reverse(middle).
template <int W> struct Tail {
    using F = typename Vec<W>::F;
    using D = typename Vec<W>::D;
    static constexpr int LowBits = W == 4 ? 2 : 3;
    static constexpr int MiddleBits = Stages - 2 * LowBits;
    static constexpr int RowStride = FftSize / W;

    [[gnu::always_inline]] static inline void Gather(const float* p, int middle, F* v) {
#pragma GCC unroll 8
        for (int l = 0; l < W; ++l)
            v[l] = Load<F>(p + ReverseBits(l, LowBits) * RowStride + middle * W);
        Transpose<W>(v);
    }

    [[gnu::always_inline]] static inline void Scatter(float* p, int middle, const F* v) {
#pragma GCC unroll 8
        for (int low = 0; low < W; ++low)
            Store(p + ReverseBits(low, LowBits) * RowStride + middle * W, v[low]);
    }

    [[gnu::always_inline]] static inline void Combine(F* re, F* im, const Tables& t) {
#pragma GCC unroll 8
        for (int le1 = W / 2; le1 >= 1; le1 /= 2) {
#pragma GCC unroll 8
            for (int p = 0; p < W; ++p) {
                if (p & le1)
                    continue;
                const int q = p + le1;
                const int j = p & (le1 - 1);
                const F tr = re[p] - re[q];
                const F ti = im[p] - im[q];
                re[p] = re[q] + re[p];
                im[p] = im[q] + im[p];
                if (j == 0) {
                    // The first twiddle of a stage is exactly (1, 0), so
                    // float arithmetic gives the double result. The products
                    // by zero stay: they decide the sign of a zero result as
                    // the full product does.
                    re[q] = tr - ti * 0.0f;
                    im[q] = ti + tr * 0.0f;
                } else {
                    const int k = TwiddleOffset(le1) + j;
                    Rotate<W>(tr, ti, Splat<W>(t.TwiddleRe[k]), Splat<W>(t.TwiddleIm[k]), re[q],
                              im[q]);
                }
            }
        }
    }

    [[gnu::always_inline]] static inline void Run(float* __restrict re, float* __restrict im,
                                                  const Tables& t) {
        for (int m = 0; m < (1 << MiddleBits); ++m) {
            const int rm = ReverseBits(m, MiddleBits);
            if (rm < m)
                continue; // done with its partner
            // The results of middle value m land where those of rm are read
            // from, and the other way round: read both before writing either.
            F r0[W], i0[W], r1[W], i1[W];
            Gather(re, m, r0);
            Gather(im, m, i0);
            Combine(r0, i0, t);
            if (rm != m) {
                Gather(re, rm, r1);
                Gather(im, rm, i1);
                Combine(r1, i1, t);
                Scatter(re, m, r1);
                Scatter(im, m, i1);
            }
            Scatter(re, rm, r0);
            Scatter(im, rm, i0);
        }
    }
};

template <int W>
[[gnu::always_inline]] inline void AllStages(float* re, float* im, const Tables& t) {
    Stage<W, 256>(re, im, t);
    Stage<W, 128>(re, im, t);
    Stage<W, 64>(re, im, t);
    Stage<W, 32>(re, im, t);
    Stage<W, 16>(re, im, t);
    Stage<W, 8>(re, im, t);
    if constexpr (W == 4)
        Stage<W, 4>(re, im, t);
    Tail<W>::Run(re, im, t);
}

// The baseline form runs on every processor this is built for; the wide one
// on processors with AVX2 and FMA, where it does the same arithmetic, four
// doubles at a time. The choice is made by a pointer set up once, not by the
// loader's function resolvers, which run before the sanitizers' runtime is
// ready.
void ButterfliesBase(float* re, float* im, const Tables& t) {
    AllStages<4>(re, im, t);
}

#if TAVREL_FFT_X86
__attribute__((target("avx2,fma"))) void ButterfliesAvx2(float* re, float* im, const Tables& t) {
    AllStages<8>(re, im, t);
}
#endif

ButterfliesFn WidestButterflies() {
#if TAVREL_FFT_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma"))
        return ButterfliesAvx2;
#endif
    return ButterfliesBase;
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
#endif

void MagnitudesBase(const float* re, const float* im, float* mag) {
#if TAVREL_FFT_X86
    MagnitudesSse2(re, im, mag);
#else
    for (int k = 0; k < FftSize; ++k) {
        const double r = re[k];
        const double m = im[k];
        mag[k] = static_cast<float>(std::sqrt(r * r + m * m));
    }
#endif
}

MagnitudesFn WidestMagnitudes() {
#if TAVREL_FFT_X86
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx"))
        return MagnitudesAvx;
#endif
    return MagnitudesBase;
}

void Publish(const float* re, const float* im, const SpectrumOut& out, const Tables& t) {
    std::memcpy(out.re.data(), re, FftSize * sizeof(float));
    std::memcpy(out.im.data(), im, FftSize * sizeof(float));
    t.Magnitudes(re, im, out.mag.data());
}

} // namespace

namespace detail {

// For tests, which check that both forms give the same bits: true runs the
// baseline forms from now on, false the widest this processor has.
void UseFft512Baseline(bool baseline) {
    Tables& t = MutableTables();
    t.Butterflies = baseline ? ButterfliesBase : WidestButterflies();
    t.Magnitudes = baseline ? MagnitudesBase : WidestMagnitudes();
}

} // namespace detail

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
