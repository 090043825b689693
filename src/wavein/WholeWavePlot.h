#pragma once
// The whole recording in one strip: every 20th sample, joined by straight
// lines in light red, scaled so that WavePeak reaches AmpRatio of the
// half-height. The top 14 pixels stay free for the playback bar.
//
// A long recording has far more points than the strip has columns (ten
// minutes give 1.3 million segments on about 520 columns). Such a polyline is
// reduced to one vertical span per column plus the few segments that cross
// from one column to the next, which covers exactly the pixels the polyline
// covers at a small fraction of the cost.

#include "app/state/FloatArray.h"
#include "ui/Canvas.h"

#include <cstdint>
#include <vector>

namespace tavrel {

inline constexpr int WholeWaveStep = 20;      // one sample in twenty is plotted
inline constexpr int WholeWaveTopMargin = 14; // rows kept for the playback bar

struct WholeWaveLayout {
    int mid;   // Int((H - 14) / 2)
    int amp;   // Int(mid x AmpRatio): how far WavePeak reaches from the zero line
    int zeroY; // mid + 14
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
struct WholeWaveColumns {
    std::vector<ColumnSpan> spans;
    std::vector<WavePoint> joins; // pairs: joins[2k] -> joins[2k + 1]
};
WholeWaveColumns ReduceWholeWave(const float* wave, std::int64_t n, std::int16_t wavePeak,
                                 int plotWidth, int plotHeight, float ampRatio);

// Draws the wave in light red on top of what the canvas holds (the caller
// clears it first); the foreground colour is left light red. Picks the
// column reduction when points far outnumber columns, the plain polyline
// otherwise.
void DrawWholeWave(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak, float ampRatio);

// The two ways of drawing, each usable on its own.
void DrawWholeWavePolyline(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                           float ampRatio);
void DrawWholeWaveColumns(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                          float ampRatio);

} // namespace tavrel
