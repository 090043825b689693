#pragma once
// Rebuilding the analysed period from its first N harmonics, and where its
// curves go on a picture. Plain computation over the shared state.

#include "state/AnalysisState.h"
#include "state/Extras.h"

#include <QPointF>
#include <QString>
#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrel {

inline constexpr int MaxSynthHarmonics = 64; // highest N the window offers
inline constexpr int MaxSynthPeriod = 512;   // samples: the longest period the window holds
inline constexpr int SynthPoints = MaxSynthPeriod + 1; // t = 0 ... 512

// One restoration: the wave of every harmonic in use and their sum.
struct Restoration {
    // HarmWave(n, t) for n = 0 ... 64 (row 0 unused), t = 0 ... 512.
    std::vector<float> HarmWave =
        std::vector<float>(std::size_t(MaxSynthHarmonics + 1) * SynthPoints);
    std::array<float, SynthPoints> RestoredWave{};
    float RestoredPeak = 0;
    int T = 0; // last sample of the period: PeriodSamples rounded

    const float* Harmonic(int n) const { return HarmWave.data() + std::size_t(n) * SynthPoints; }
    float* Harmonic(int n) { return HarmWave.data() + std::size_t(n) * SynthPoints; }
};

// Which phases the harmonics are rebuilt with: the measured ones; all zero,
// so harmonic n is |H_n| cos(a); or |H_n| cos(a + r_n) with r_n drawn from
// the seed for each n alone, so changing N keeps the phases already in use.
struct PhaseChoice {
    PhaseSetting mode = PhaseSetting::Measured;
    std::uint32_t seed = 0; // used by Random only
};

// Fills HarmWave(1 ... N, 0 ... T), with every other entry zero, and
// RestoredWave(0 ... T) as their sum in increasing n, single precision;
// RestoredPeak is the largest |RestoredWave(t)|. Harmonic n at sample t is
// HarmRe(n) cos(a) - HarmIm(n) sin(a), a = (2 pi / P) n t in double
// precision. N is held to 0 ... 64 and T to 0 ... 512, so no entry outside
// the arrays is touched whatever the state holds. With other than the
// measured phases, HarmRe(n) and HarmIm(n) are replaced by |H_n| cos p and
// |H_n| sin p for the chosen phase p (|H_n| from them, in double precision).
void RebuildWave(const AnalysisState& s, int N, Restoration& r, PhaseChoice phases = {});

// Where a period's curve goes on a picture of W x H pixels (both pictures of
// the window share the left one's figures). At 250 x 169: 84, 30, 190, 69.
struct PeriodCurveGeometry {
    int yc = 0;   // px, centre line
    int x0 = 0;   // px, where the period starts
    int span = 0; // px, width of one period
    int amp = 0;  // px, how far the scale value reaches from the centre line
};
PeriodCurveGeometry PeriodCurveLayout(int width, int height);

// The x of each sample t = 0 ... T of a period of P samples: x0 + span t / P.
// Every curve of the period shares them.
void PeriodCurveXs(const PeriodCurveGeometry& g, int T, float P, std::vector<double>& xs);

// The points of one curve over those x: y = yc - amp v / s. A curve without
// a scale (s is 0: a silent period, or a sum that cancels out) lies flat on
// the centre line instead of being divided by zero.
void PeriodCurvePoints(const PeriodCurveGeometry& g, const std::vector<double>& xs,
                       const float* values, float scale, std::vector<QPointF>& out);

// The scroll value as the number-to-text conversion writes it: a blank
// stands where a minus sign would, so 7 reads " 7".
QString HarmCountText(int value);

// N as read back from Text1, held to the harmonics the window holds.
int HarmCountFromText(const QString& text);

} // namespace tavrel
