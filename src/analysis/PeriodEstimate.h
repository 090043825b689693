#pragma once
// A suggested period for the magnified region: how long one period is, and
// two marks one period apart that the user may take instead of clicking.
//
// The period comes from the normalised square difference of the region with
// itself shifted (McLeod's NSDF: 2 r(lag) / m(lag) over the overlap, so a
// wave that repeats exactly scores 1 at its period however little of it
// overlaps). Of the peaks between its zero crossings, the first that reaches
// PeakPick of the highest is taken: a wave also repeats at two and three
// periods, and a later, barely higher peak must not halve the frequency.
// The peak is refined between samples by the parabola through its three
// values.

#include "state/AnalysisState.h"

#include <span>

namespace tavrel {

// A region whose samples stay within this of their mean (sample units, one
// step of 8-bit data) holds no sound to measure.
inline constexpr double SilentLevel = 1.0;
// The peak taken must reach this (of 1): below it the region does not repeat
// (noise, a glide in pitch) well enough to name one period.
inline constexpr double ClearPeriod = 0.8;
// The first peak reaching this share of the highest is the period.
inline constexpr double PeakPick = 0.9;
// Periods looked for: at least 3 samples (the shortest pair of marks the
// capture takes), at most the region's length / RegionPeriods, so the region
// always holds the period and most of another to compare it with, and at
// most MaxPeriodSamples, the longest the capture takes.
inline constexpr int ShortestPeriod = 3;
inline constexpr double RegionPeriods = 1.8;

enum class PeriodVerdict {
    Found,
    Silent,        // nothing but (near) silence in the region
    NoClearPeriod, // sound, but no period repeats clearly (or the region is too short)
};

struct PeriodSuggestion {
    PeriodVerdict verdict = PeriodVerdict::NoClearPeriod;
    float period = 0; // samples, between samples; 0 unless Found
    // Marks (sample indices in the region), x2 = x1 + period rounded (halves
    // to even), 0 <= x1 < x2 <= length - 1. x1 stands at the sample nearest a
    // crossing of the region's mean, upward where one serves, so x2 lies at
    // the matching crossing one period on. Among the crossings in the first
    // period, one with a crossing one period later is preferred, then one
    // clean of other crossings nearby (a noisy crossing wobbles), then the
    // steepest.
    int x1 = 0;
    int x2 = 0;
};

// The period of region(0 ... length - 1); any non-finite sample makes it NoClearPeriod.
PeriodSuggestion SuggestPeriod(std::span<const float> region);

// The same over the magnified region, RegionData(0 ... RegionLength - 1).
PeriodSuggestion SuggestPeriod(const AnalysisState& s);

} // namespace tavrel
