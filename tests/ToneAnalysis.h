#pragma once
// Reading a recorded tone back: where it is loud, its pitch and how much of
// a given frequency it holds. Works on mono signed 16-bit samples, as the
// sound tests record them from the audio server's monitor.

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <numbers>
#include <optional>
#include <vector>

namespace tavrel::test {

using Samples = std::vector<std::int16_t>;

struct SampleSpan {
    std::size_t begin = 0, end = 0; // [begin, end)
    std::size_t size() const { return end - begin; }
};

// From the first to the last 5 ms window whose peak reaches `level`.
inline std::optional<SampleSpan> LoudSpan(const Samples& s, int rate, int level = 2000,
                                          std::size_t from = 0) {
    const std::size_t w = std::size_t(rate / 200);
    std::optional<SampleSpan> span;
    for (std::size_t i = from; i + w <= s.size(); i += w) {
        int peak = 0;
        for (std::size_t k = i; k < i + w; ++k)
            peak = std::max(peak, std::abs(int(s[k])));
        if (peak < level)
            continue;
        if (!span)
            span = SampleSpan{i, i + w};
        span->end = i + w;
    }
    return span;
}

// Rising zero crossings, placed between samples by linear interpolation:
// (crossings - 1) periods between the first and the last. For a wave with
// one rising crossing per period (a sine, say).
inline double ZeroCrossingHz(const Samples& s, SampleSpan span, int rate) {
    double first = -1, last = -1;
    int count = 0;
    for (std::size_t i = span.begin + 1; i < span.end; ++i) {
        const double a = s[i - 1], b = s[i];
        if (a < 0 && b >= 0) {
            const double at = double(i - 1) + (-a) / (b - a);
            if (first < 0)
                first = at;
            last = at;
            ++count;
        }
    }
    return count < 2 ? 0.0 : (count - 1) * double(rate) / (last - first);
}

// The amplitude of the component at `hz` (Goertzel), in sample units.
inline double ToneAmplitude(const Samples& s, SampleSpan span, int rate, double hz) {
    const double w = 2 * std::numbers::pi * hz / rate, c = 2 * std::cos(w);
    double s1 = 0, s2 = 0;
    for (std::size_t i = span.begin; i < span.end; ++i) {
        const double s0 = s[i] + c * s1 - s2;
        s2 = s1;
        s1 = s0;
    }
    const double power = s1 * s1 + s2 * s2 - c * s1 * s2;
    return 2 * std::sqrt(std::max(power, 0.0)) / double(span.size());
}

} // namespace tavrel::test
