#include "wavein/WholeWaveGeometry.h"

#include "state/Numbers.h"

#include <algorithm>
#include <utility>
#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tavrel {

namespace {

// The row of a sample value. The mapping is monotonic (rounding included), so
// the rows of a column's extremes are the extremes of its rows.
struct RowOf {
    RowOf(int plotHeight, float ampRatio, std::int16_t wavePeak)
        : g(WholeWaveLayoutFor(plotHeight, ampRatio)), peak(wavePeak) {}
    int operator()(float v) const {
        if (peak == 0)
            return g.zeroY;
        // amp x w first, then / WavePeak: the order that keeps exact halves
        // exact, so that they round to even as they should.
        const double y = RoundHalfEven(double(g.zeroY) - double(g.amp) * double(v) / peak);
        return int(std::clamp(y, -1e9, 1e9));
    }
    WholeWaveLayout g;
    double peak;
};

// The smallest and the largest of w[0 ... n - 1], n >= 1: the one pass over
// every sample of a long recording, so it takes four at a time where it can.
std::pair<float, float> Extremes(const float* w, std::int64_t n) {
    float lo = w[0], hi = w[0];
    std::int64_t i = 1;
#if defined(__SSE2__)
    if (n >= 8) {
        __m128 vlo = _mm_loadu_ps(w), vhi = vlo;
        for (i = 4; i + 4 <= n; i += 4) {
            const __m128 v = _mm_loadu_ps(w + i);
            vlo = _mm_min_ps(vlo, v);
            vhi = _mm_max_ps(vhi, v);
        }
        alignas(16) float l[4], h[4];
        _mm_store_ps(l, vlo);
        _mm_store_ps(h, vhi);
        lo = std::min({l[0], l[1], l[2], l[3]});
        hi = std::max({h[0], h[1], h[2], h[3]});
    }
#endif
    for (; i < n; ++i) {
        lo = std::min(lo, w[i]);
        hi = std::max(hi, w[i]);
    }
    return {lo, hi};
}

} // namespace

WholeWaveLayout WholeWaveLayoutFor(int plotHeight, float ampRatio) {
    WholeWaveLayout g;
    g.mid = int(Int((plotHeight - WholeWaveTopMargin) / 2.0));
    // A float product, as AmpRatio is a float: 0.7f x 10 is 7, not 6.99...
    g.amp = int(Int(float(g.mid) * ampRatio));
    g.zeroY = g.mid + WholeWaveTopMargin;
    return g;
}

std::vector<WavePoint> WholeWavePoints(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                       int plotWidth, int plotHeight, float ampRatio) {
    std::vector<WavePoint> points;
    if (n < 2 || plotWidth < 0)
        return points;
    points.reserve(std::size_t(n));
    const RowOf row(plotHeight, ampRatio, wavePeak);
    for (std::int64_t i = 0; i < n; ++i)
        points.push_back({int(std::int64_t(plotWidth) * i / (n - 1)), row(wave[i])});
    return points;
}

WholeWaveColumns ReduceWholeWave(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                 int plotWidth, int plotHeight, float ampRatio) {
    WholeWaveColumns c;
    if (n < 2 || plotWidth < 0)
        return c;
    const RowOf row(plotHeight, ampRatio, wavePeak);
    const std::int64_t w = plotWidth, den = n - 1;
    // Column x holds the samples i with Int(W x i / (n - 1)) = x, that is
    // from ceil(x (n - 1) / W) up to the next column's first; the last
    // sample alone lands on x = W, just past the strip.
    std::int64_t first = 0;
    for (std::int64_t x = 0; x <= w && first < n; ++x) {
        const std::int64_t end = x == w ? n : std::min(n, ((x + 1) * den + w - 1) / w);
        if (end <= first)
            continue; // a strip wider than the recording: no sample here
        const auto [lo, hi] = Extremes(wave + first, end - first);
        const int ya = row(lo), yb = row(hi);
        if (!c.spans.empty()) {
            c.joins.push_back({c.spans.back().x, row(wave[first - 1])});
            c.joins.push_back({int(x), row(wave[first])});
        }
        c.spans.push_back({int(x), std::min(ya, yb), std::max(ya, yb)});
        first = end;
    }
    return c;
}

bool WholeWaveByColumns(std::int64_t n, int plotWidth) {
    return n > 4 * std::int64_t(plotWidth);
}

} // namespace tavrel
