#pragma once
// Where the whole recording goes in its strip: every 20th sample, scaled so
// that WavePeak reaches AmpRatio of the half-height, with the top 14 pixels
// kept free for the playback bar.
//
// A long recording has far more points than the strip has columns (ten
// minutes give 1.3 million segments on about 520 columns). Such a polyline is
// reduced to one vertical span per column plus the few segments that cross
// from one column to the next, which covers exactly the pixels the polyline
// covers at a small fraction of the cost.

#include <cstdint>
#include <vector>

namespace tavrel {

inline constexpr int WholeWaveStep = 20;      // samples: one in twenty is plotted
inline constexpr int WholeWaveTopMargin = 14; // px: rows kept for the playback bar
// px: the region marker is drawn down to here, below the bottom of any strip
// the layout makes, and clipped there, so it always spans the whole strip.
inline constexpr double RegionMarkerEndY = 200;

struct WholeWaveLayout {
    int mid;   // px, Int((H - 14) / 2)
    int amp;   // px, Int(mid x AmpRatio): how far WavePeak reaches from the zero line
    int zeroY; // px, mid + 14
};
WholeWaveLayout WholeWaveLayoutFor(int plotHeight, float ampRatio);

struct WavePoint {
    int x;
    int y;
    bool operator==(const WavePoint&) const = default;
};

// The plotted points in drawing order, for samples 0, 20, 40, ... <= n - 1:
// x = Int(W x i / (n - 1)), y = RoundHalfEven(zeroY - amp x wave[i] / wavePeak);
// a WavePeak of 0 puts every point on the zero line. Fewer than 2 samples give
// no points.
std::vector<WavePoint> WholeWavePoints(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                       int plotWidth, int plotHeight, float ampRatio);

// The same polyline as columns: for every run of points in one column, the
// span from its lowest to its highest point, and every segment that leaves a
// column, as its two end points.
struct WaveColumn {
    int x;
    int yTop;    // inclusive
    int yBottom; // inclusive
};
struct WholeWaveColumns {
    std::vector<WaveColumn> spans;
    std::vector<WavePoint> joins; // pairs: joins[2k] -> joins[2k + 1]
};
WholeWaveColumns ReduceWholeWave(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                 int plotWidth, int plotHeight, float ampRatio);

// Whether to draw by columns: when points far outnumber the columns.
bool WholeWaveByColumns(std::int64_t n, int plotWidth);

} // namespace tavrel
