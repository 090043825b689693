#pragma once
// Magnifying a region of the whole wave at one sample per pixel, and
// capturing one period from two marks on the magnified plot.

#include "state/AnalysisState.h"

#include <QPointF>
#include <cstdint>
#include <vector>

namespace tavrel {

// First sample of the region for a marker at regionX on a whole-wave plot w3
// pixels wide. The region holds w1 + 1 samples; a start that would run past
// the last sample is moved back so the region ends on it, and a recording
// shorter than the region starts at 0.
std::int32_t RegionStart(std::int32_t sampleCount, double regionX, int w3, int w1);

// Copies the region into RegionData(0 ...) and returns how many samples it
// holds: w1 + 1, or fewer when the recording ends first.
int CopyRegion(AnalysisState& s, std::int32_t start, int w1);

// Largest magnitude among the first count samples of RegionData, rounded.
std::int16_t RegionPeak(const AnalysisState& s, int count);

// How the magnified wave is scaled. With normalisation on, the region's own
// peak reaches MagnifierAmpRatio of the half height; a quiet region (peak
// below MagnifierQuietPeak) is drawn against a fixed small scale rather than
// blown up to full height. With normalisation off every region shares one
// fixed scale.
inline constexpr double MagnifierAmpRatio = 0.845;
inline constexpr int MagnifierQuietPeak = 10;        // sample units
inline constexpr double MagnifierQuietDivisor = 160; // sample units at full Amp
inline constexpr double MagnifierFixedDivisor = 120; // sample units at full Amp

// startOver: the redraw after a third click always normalises.
double MagnifiedDivisor(std::int16_t peak, std::int16_t ampNormalize, bool startOver);

// Points of the magnified wave for a plot h1 high: x = k, y = Mid - Amp * v / D,
// rounded half to even on the first drawing, left fractional on a redraw.
std::vector<QPointF> MagnifiedPoints(const AnalysisState& s, int count, int h1, bool startOver);

enum class CaptureResult {
    Captured,
    TooClose,       // marks less than 3 samples apart
    OutsideSamples, // a mark lies where the magnified plot holds no sample
    TooLong,        // more samples than the period buffer holds
    BadRate,        // the sample-rate text reads as 0, negative or no number
};

// Longest period the buffer and the resampling (which reads one sample
// beyond the period) can take.
inline constexpr int MaxPeriodSamples = PeriodCapacity - 2; // 1499

// Takes the period between MarkX1 <= MarkX2 (already ordered) from the
// RegionLength samples of RegionData. On success fills PeriodSamples,
// PeriodSec, FundFreq and PeriodData(0 ... PeriodSamples); on any refusal
// nothing changes. Step flags are the caller's.
CaptureResult CapturePeriod(AnalysisState& s, double rate);

} // namespace tavrel
