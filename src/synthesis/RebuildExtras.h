#pragma once
// What the rebuild is measured against: the marked period itself, drawn at
// the rebuilt wave's scale under it, how much of the period's energy the
// harmonics in use carry, and how far the rebuild still is from the period.
// Also the phases the Random choice rebuilds with.

#include "state/AnalysisState.h"
#include "synthesis/Restoration.h"

#include <array>
#include <cstdint>

namespace tavrel {

// Harmonic n's phase under PhaseSetting::Random, in radians 0 ... 2 pi: a hash
// of the seed and n alone, the same on every machine and for every N.
double RandomPhase(std::uint32_t seed, int n);

// The rebuilt wave is 256 times the period's varying part (a harmonic of
// amplitude A has magnitude 256 A in the transform), so the original is
// shown and compared at that scale.
inline constexpr double RebuildScale = 256;

struct RebuildComparison {
    // 256 (PeriodData(t) - mean) for t = 0 ... T, the rebuild's own T; the
    // mean is over one period, t = 0 ... T - 1. Entries beyond T are 0.
    std::array<float, SynthPoints> OriginalWave{};
    float OriginalPeak = 0;     // largest |OriginalWave(t)|, t = 0 ... T
    double EnergyPercent = 0;   // share of the period's energy in harmonics 1 ... N
    double ResidualPercent = 0; // RMS of RestoredWave - OriginalWave over t = 0 ... T - 1,
                                // as % of the RMS of OriginalWave there; 0 for a silent period
};

// Compares r, a rebuild of the state's period from its first N harmonics (by
// RebuildWave, in any phase mode), with the period in PeriodData. Reads no
// entry outside the arrays whatever N, T and the state hold.
RebuildComparison CompareRebuild(const AnalysisState& s, int N, const Restoration& r);

} // namespace tavrel
