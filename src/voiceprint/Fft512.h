#pragma once
// The program's one Fourier transform: 512 complex points, in place, shared by
// the harmonic analysis of one period and by every frame of the voiceprint.

#include "app/state/AnalysisState.h"

#include <span>

namespace tavrel {

constexpr int FftSize = 512;

// Replaces re/im (indices 0 ... 511) by their unscaled forward transform
// X(k) = sum over n of x(n) * e^(-2*pi*i*n*k/512), in natural order, and
// publishes it: SpecRe(k), SpecIm(k) and SpecMag(k) = |X(k)| for k = 0 ... 511.
// Entry 512 of the Spec arrays is left alone. A harmonic of amplitude A gives a
// magnitude of 256 * A.
//
// Radix 2, decimation in frequency: all nine butterfly stages first, then the
// bit-reversal reordering. The twiddles come from one cosine/sine pair per stage
// advanced by complex rotation, so the results agree with a plain
// single-precision rendering of that method to within rounding.
//
// Spans shorter than 512 are a caller error; the call then does nothing at all.
// No memory is allocated per call.
void Fft512(std::span<float> re, std::span<float> im, AnalysisState& state);

} // namespace tavrel
