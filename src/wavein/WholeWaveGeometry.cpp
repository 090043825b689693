#include "wavein/WholeWaveGeometry.h"

#include "state/Numbers.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

namespace {

// Calls f(x, y) for every plotted point in order. x is kept as a running
// quotient of W x i by n - 1, which is exact and saves a 64-bit division per
// point on recordings of millions of samples.
template <typename F>
void ForEachPoint(const float* wave, std::int64_t n, std::int16_t wavePeak, int plotWidth,
                  int plotHeight, float ampRatio, F f) {
    if (n < 2 || plotWidth < 0)
        return;
    const WholeWaveLayout g = WholeWaveLayoutFor(plotHeight, ampRatio);
    const std::int64_t den = n - 1;
    const std::int64_t stepNum = std::int64_t(plotWidth) * WholeWaveStep;
    std::int64_t num = 0;    // W x i
    std::int64_t x = 0;      // Int(num / den)
    std::int64_t next = den; // (x + 1) x den
    const double zero = g.zeroY;
    const double amp = g.amp;
    const double peak = wavePeak;
    for (std::int64_t i = 0; i <= n - 1; i += WholeWaveStep, num += stepNum) {
        while (num >= next) {
            ++x;
            next += den;
        }
        int y = g.zeroY;
        if (wavePeak != 0) {
            // amp x w first, then / WavePeak: the order that keeps exact
            // halves exact, so that they round to even as they should.
            const double v = RoundHalfEven(zero - amp * double(wave[i]) / peak);
            y = int(std::clamp(v, -1e9, 1e9));
        }
        f(int(x), y);
    }
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
    if (n >= 2)
        points.reserve(std::size_t((n - 1) / WholeWaveStep + 1));
    ForEachPoint(wave, n, wavePeak, plotWidth, plotHeight, ampRatio, [&points](int x, int y) {
        points.push_back({x, y});
    });
    return points;
}

WholeWaveColumns ReduceWholeWave(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                 int plotWidth, int plotHeight, float ampRatio) {
    WholeWaveColumns c;
    bool started = false;
    WavePoint last{0, 0};
    WaveColumn span{0, 0, 0};
    ForEachPoint(wave, n, wavePeak, plotWidth, plotHeight, ampRatio, [&](int x, int y) {
        if (started && x == last.x) {
            span.yTop = std::min(span.yTop, y);
            span.yBottom = std::max(span.yBottom, y);
        } else {
            if (started) {
                c.spans.push_back(span);
                c.joins.push_back(last);
                c.joins.push_back({x, y});
            }
            span = {x, y, y};
            started = true;
        }
        last = {x, y};
    });
    if (started)
        c.spans.push_back(span);
    return c;
}

bool WholeWaveByColumns(std::int64_t n, int plotWidth) {
    const std::int64_t points = n >= 2 ? (n - 1) / WholeWaveStep + 1 : 0;
    return points > 4 * std::int64_t(plotWidth);
}

} // namespace tavrel
