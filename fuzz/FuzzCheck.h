#pragma once
// A check inside a fuzz target: a broken one ends the run with the input
// saved, as a crash would.

#include "wavein/WavReader.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

inline void Require(bool ok, const char* what) {
    if (!ok) {
        std::fprintf(stderr, "broken: %s\n", what);
        std::abort();
    }
}

// What every answer of a loader holds, whichever reader gave it: an accepted
// wave is whole, finite and on the 16-bit scale, with the peak of its
// samples; a refusal leaves no wave behind.
inline void RequireAnswer(const tavrel::WavLoadResult& r) {
    const tavrel::LoadedWave& w = r.wave;
    if (r.error != tavrel::WavError::None) {
        Require(w.WaveData.empty(), "WaveData kept after a refusal");
        return;
    }
    Require(w.SampleCount >= 2, "fewer than two frames accepted");
    Require(w.WaveData.size() == std::size_t(w.SampleCount), "WaveData not SampleCount long");
    float peak = 0;
    for (float v : w.WaveData) {
        // 8-bit: 0 ... 255 less a level of -32768 ... 32767; wider: a 16-bit
        // value less the level, over 64.
        Require(std::isfinite(v) && v >= -32767 && v <= 33023, "sample out of range");
        peak = std::max(peak, std::fabs(v));
    }
    Require(std::fabs(w.WavePeak - std::min(peak, 32767.0f)) <= 0.5f, "WavePeak off");
}
