#pragma once
// The program's one Fourier transform: 512 complex points, in place, shared by
// the harmonic analysis of one period and by every frame of the voiceprint.

#include <span>

namespace tavrel {

constexpr int FftSize = 512;

// Where a transform's results go: real part, imaginary part and magnitude of
// bins 0 ... 511. Callers name their own arrays (the shared SpecRe, SpecIm and
// SpecMag, or a scratch set); entries from 512 on are never written.
struct SpectrumOut {
    std::span<float> re;
    std::span<float> im;
    std::span<float> mag;
};

// Replaces re/im (indices 0 ... 511) by their unscaled forward transform
// X(k) = sum over n of x(n) * e^(-2*pi*i*n*k/512), in natural order, and
// writes out.re(k), out.im(k) and out.mag(k) = |X(k)| for k = 0 ... 511.
// A harmonic of amplitude A gives a magnitude of 256 * A.
//
// Radix 2, decimation in frequency: all nine butterfly stages first, then the
// bit-reversal reordering. The twiddles come from one cosine/sine pair per stage
// advanced by complex rotation, so the results agree with a plain
// single-precision rendering of that method to within rounding.
//
// Any span shorter than 512 is a caller error; the call then does nothing at
// all. No memory is allocated per call.
void Fft512(std::span<float> re, std::span<float> im, const SpectrumOut& out);

} // namespace tavrel
