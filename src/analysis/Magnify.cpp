#include "analysis/Magnify.h"

#include "state/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

std::int32_t RegionStart(std::int32_t sampleCount, double regionX, int w3, int w1) {
    if (sampleCount <= 0 || w3 <= 0)
        return 0;
    double start = Int(double(sampleCount - 1) * regionX / double(w3));
    const double last = double(sampleCount) - 1.0 - double(w1);
    start = std::min(start, last);
    start = std::max(start, 0.0);
    return static_cast<std::int32_t>(start);
}

int CopyRegion(AnalysisState& s, std::int32_t start, int w1) {
    const auto total = static_cast<std::int64_t>(s.WaveData.size());
    if (start < 0 || start >= total || w1 < 0)
        return 0;
    const std::int64_t count = std::min<std::int64_t>(
        {std::int64_t(w1) + 1, total - start, static_cast<std::int64_t>(s.RegionData.size())});
    std::copy_n(s.WaveData.begin() + start, count, s.RegionData.begin());
    return static_cast<int>(count);
}

std::int16_t RegionPeak(const AnalysisState& s, int count) {
    std::int16_t peak = 0;
    const int n = std::min<int>(count, static_cast<int>(s.RegionData.size()));
    for (int k = 0; k < n; ++k) {
        const float a = std::fabs(s.RegionData[k]);
        if (a > peak)
            peak = RoundToInt16(a);
    }
    return peak;
}

double MagnifiedDivisor(std::int16_t peak, std::int16_t ampNormalize, bool startOver) {
    if (!startOver && ampNormalize == 0)
        return MagnifierFixedDivisor;
    return peak >= MagnifierQuietPeak ? double(peak) : MagnifierQuietDivisor;
}

std::vector<QPointF> MagnifiedPoints(const AnalysisState& s, int count, int h1, bool startOver) {
    const int n = std::min<int>(count, static_cast<int>(s.RegionData.size()));
    const std::int16_t mid = static_cast<std::int16_t>(Int(h1 / 2.0));
    const std::int16_t amp = static_cast<std::int16_t>(Int(mid * MagnifierAmpRatio));
    const double d = MagnifiedDivisor(RegionPeak(s, n), s.AmpNormalize, startOver);
    std::vector<QPointF> points;
    points.reserve(std::max(n, 0));
    for (int k = 0; k < n; ++k) {
        double y = mid - (amp * double(s.RegionData[k])) / d;
        if (!startOver)
            y = RoundToInt16(y);
        points.emplace_back(k, y);
    }
    return points;
}

CaptureResult CapturePeriod(AnalysisState& s, double rate) {
    const int x1 = static_cast<int>(s.MarkX1.value_or(0));
    const int x2 = static_cast<int>(s.MarkX2.value_or(0));
    if (x2 - x1 < 3)
        return CaptureResult::TooClose;
    if (x1 < 0 || x2 > s.RegionLength - 1 || x2 >= static_cast<int>(s.RegionData.size()))
        return CaptureResult::OutsideSamples;
    if (x2 - x1 > MaxPeriodSamples)
        return CaptureResult::TooLong;
    if (!(rate > 0) || !std::isfinite(rate))
        return CaptureResult::BadRate;

    s.PeriodSamples = static_cast<float>(x2 - x1);
    s.PeriodSec = static_cast<float>(double(s.PeriodSamples) / rate);
    s.FundFreq = 1.0f / s.PeriodSec;
    for (int j = x1; j <= x2; ++j)
        s.PeriodData[static_cast<std::size_t>(j - x1)] = s.RegionData[static_cast<std::size_t>(j)];
    return CaptureResult::Captured;
}

} // namespace tavrel
