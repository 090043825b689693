#include "synthesis/RebuildExtras.h"

#include "analysis/HarmonicTable.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace tavrel {

double RandomPhase(std::uint32_t seed, int n) {
    // SplitMix64's finaliser over seed and n: neighbouring n give unrelated phases.
    std::uint64_t z = (std::uint64_t(seed) << 32 | std::uint32_t(n)) + 0x9E3779B97F4A7C15ull;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    z ^= z >> 31;
    return double(z >> 11) * 0x1.0p-53 * 2 * std::numbers::pi;
}

RebuildComparison CompareRebuild(const AnalysisState& s, int N, const Restoration& r) {
    RebuildComparison c;
    const int T = std::clamp(r.T, 0, MaxSynthPeriod);
    c.EnergyPercent = EnergyShare(s, std::clamp(N, 0, MaxSynthHarmonics));
    if (T == 0)
        return c;

    double mean = 0;
    for (int t = 0; t < T; ++t)
        mean += s.PeriodData[std::size_t(t)];
    mean /= T;
    for (int t = 0; t <= T; ++t) {
        c.OriginalWave[std::size_t(t)] =
            static_cast<float>(RebuildScale * (s.PeriodData[std::size_t(t)] - mean));
        c.OriginalPeak = std::max(c.OriginalPeak, std::fabs(c.OriginalWave[std::size_t(t)]));
    }

    double original = 0, residual = 0;
    for (int t = 0; t < T; ++t) {
        const double o = c.OriginalWave[std::size_t(t)];
        const double d = double(r.RestoredWave[std::size_t(t)]) - o;
        original += o * o;
        residual += d * d;
    }
    c.ResidualPercent = original > 0 ? 100 * std::sqrt(residual / original) : 0;
    return c;
}

} // namespace tavrel
