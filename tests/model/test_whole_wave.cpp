// Where the whole recording lands in its strip, and the column reduction that
// draws long recordings fast.
#include "app/state/FloatArray.h"
#include "wavein/WholeWaveGeometry.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;

// 22050 samples on an 825 x 90 strip with the default settings: mid 38, amp
// 26, zero line 52, 1103 points; a peak of 52 puts a sample of v at 52 - v / 2.
TEST(WholeWave, PointsOfAStrip) {
    FloatArray w(22050);
    w[20] = 1;  // 51.5: halves go to even
    w[40] = 3;  // 50.5
    w[60] = -1; // 52.5
    w[4000] = 52;
    w[8000] = -52;
    const auto pts = WholeWavePoints(w.data(), 22050, 52, 825, 90, 0.7f);
    ASSERT_EQ(pts.size(), 1103u);
    EXPECT_EQ(
        (std::vector<WavePoint>{pts[0], pts[1], pts[2], pts[3], pts[200], pts[400], pts.back()}),
        (std::vector<WavePoint>{
            {0, 52}, {0, 52}, {1, 50}, {2, 52}, {149, 26}, {299, 78}, {824, 52}}));
    // 21 samples: two points across the whole strip; a zero peak: the zero line.
    EXPECT_EQ(WholeWavePoints(w.data(), 21, 0, 200, 60, 0.7f),
              (std::vector<WavePoint>{{0, 37}, {200, 37}}));
    EXPECT_TRUE(WholeWavePoints(w.data(), 1, 10, 200, 60, 0.7f).empty());
    // 10 x 0.7f is 7 in float; odd heights and heights within the margin floor.
    EXPECT_EQ(
        (std::vector<int>{WholeWaveLayoutFor(34, 0.7f).amp, WholeWaveLayoutFor(57, 0.7f).zeroY,
                          WholeWaveLayoutFor(13, 0.7f).mid}),
        (std::vector<int>{7, 35, -1}));
}

// The reduction keeps every point and every crossing: each column's span runs
// from its lowest to its highest point, and each join links the last point
// of a column to the first of the next.
TEST(WholeWave, ColumnsHoldEveryPoint) {
    FloatArray w(200001);
    for (std::size_t i = 0; i < w.size(); ++i)
        w[i] = float(300 * std::sin(3e-4 * double(i)) + (i % 7919 == 0 ? 500 : 0));
    const auto pts = WholeWavePoints(w.data(), 200001, 300, 300, 60, 0.7f);
    const WholeWaveColumns c = ReduceWholeWave(w.data(), 200001, 300, 300, 60, 0.7f);
    EXPECT_TRUE(WholeWaveByColumns(200001, 300) && !WholeWaveByColumns(20 * 4 * 300, 300));
    ASSERT_EQ(c.spans.size(), 301u); // the last point stands one past the strip
    ASSERT_EQ(c.joins.size(), 600u);
    std::size_t k = 0;
    for (std::size_t s = 0; s < c.spans.size(); ++s) {
        int lo = 1 << 30, hi = -(1 << 30);
        const std::size_t first = k;
        for (; k < pts.size() && pts[k].x == c.spans[s].x; ++k)
            lo = std::min(lo, pts[k].y), hi = std::max(hi, pts[k].y);
        ASSERT_GT(k, first) << "column " << s;
        EXPECT_TRUE(c.spans[s].yTop == lo && c.spans[s].yBottom == hi) << "column " << s;
        EXPECT_TRUE(s == 0 ||
                    (c.joins[2 * s - 2] == pts[first - 1] && c.joins[2 * s - 1] == pts[first]))
            << s;
    }
    EXPECT_EQ(k, pts.size());
}
