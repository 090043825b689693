#pragma once
// Where the whole recording goes in its strip: the polyline through every
// sample, scaled so that WavePeak reaches AmpRatio of the half-height, with
// the top 14 pixels kept free for the playback bar.
//
// Every sample counts: a strip that joined only one sample in so many would
// sample the wave at a fraction of its rate, and a steady two-tone sound
// would show beats that are not in it. A long recording has far more samples
// than the strip has columns (ten minutes give 26 million on about 520
// columns), so its polyline is reduced to one vertical span per column, from
// the column's lowest to its highest sample, plus the segment that crosses
// from one column to the next: exactly the pixels the polyline covers, at
// the cost of one pass over the samples.

#include <cstdint>
#include <vector>

namespace tavrel {

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

// The points of the polyline in drawing order, one per sample i = 0 ... n - 1:
// x = Int(W x i / (n - 1)), y = RoundHalfEven(zeroY - amp x wave[i] / wavePeak);
// a WavePeak of 0 puts every point on the zero line. Fewer than 2 samples give
// no points.
std::vector<WavePoint> WholeWavePoints(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                       int plotWidth, int plotHeight, float ampRatio);

// The same polyline as columns: for the samples of each column, the span from
// the lowest to the highest point, and every segment that leaves a column,
// as its two end points.
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

// Whether to draw by columns: when samples far outnumber the columns.
bool WholeWaveByColumns(std::int64_t n, int plotWidth);

} // namespace tavrel
