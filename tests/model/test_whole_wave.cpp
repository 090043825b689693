// Where the whole recording lands in its strip. Drawing by columns is checked
// pixel for pixel against the polyline in the window tests.
#include "state/FloatArray.h"
#include "wavein/WholeWaveGeometry.h"

#include <gtest/gtest.h>

using namespace tavrel;

// 22050 samples on an 825 x 90 strip (mid 38, amp 26, zero line 52): a point for every sample,
// v at 52 - v / 2, the last one at x = W.
TEST(WholeWave, PointsOfAStrip) {
    FloatArray w(22050);
    w[20] = 1;  // 51.5: halves go to even
    w[40] = 3;  // 50.5
    w[60] = -1; // 52.5
    w[4000] = 52;
    w[8000] = -52;
    const auto pts = WholeWavePoints(w.data(), 22050, 52, 825, 90, 0.7f);
    ASSERT_EQ(pts.size(), 22050u);
    EXPECT_EQ(
        (std::vector<WavePoint>{pts[0], pts[20], pts[40], pts[60], pts[4000], pts[8000], pts.back()}),
        (std::vector<WavePoint>{
            {0, 52}, {0, 52}, {1, 50}, {2, 52}, {149, 26}, {299, 78}, {825, 52}}));
    // 2 samples: two points across the whole strip; a zero peak: the zero line.
    EXPECT_EQ(WholeWavePoints(w.data(), 2, 0, 200, 60, 0.7f),
              (std::vector<WavePoint>{{0, 37}, {200, 37}}));
    // 10 x 0.7f is 7 in float; odd heights and heights within the margin floor.
    EXPECT_EQ(
        (std::vector<int>{WholeWaveLayoutFor(34, 0.7f).amp, WholeWaveLayoutFor(57, 0.7f).zeroY,
                          WholeWaveLayoutFor(13, 0.7f).mid}),
        (std::vector<int>{7, 35, -1}));
}
