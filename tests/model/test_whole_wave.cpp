// Where the whole recording lands in its strip, and the column reduction
// that draws long recordings fast.
#include "WavTestFiles.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWaveGeometry.h"

#include <gtest/gtest.h>

using namespace tavrel;

// A mono 8-bit file of 22050 bytes on an 825 x 90 strip with the default
// settings: mid 38, amp 26, zero line 52, 1103 points.
TEST(WholeWave, WorkedExampleFromFileToPoints) {
    wavtest::WavDesc desc;
    desc.data.assign(22050, 128);
    desc.data[4000] = 128 + 100;  // the peak, on a plotted sample
    desc.data[8000] = 128 - 100;  // its negative
    desc.data[12345] = 128 + 100; // not plotted: only every 20th sample is
    const wavtest::Bytes file = wavtest::MakeWav(desc);
    const WavLoadResult r = LoadWavBytes(file.data(), file.size(), 128);
    ASSERT_EQ(r.error, WavError::None);
    ASSERT_EQ(r.wave.WavePeak, 100);

    const WholeWaveLayout g = WholeWaveLayoutFor(90, 0.7f);
    EXPECT_EQ((std::vector<int>{g.mid, g.amp, g.zeroY}), (std::vector<int>{38, 26, 52}));
    const auto pts = WholeWavePoints(r.wave.WaveData.data(), 22050, 100, 825, 90, 0.7f);
    ASSERT_EQ(pts.size(), 1103u);
    EXPECT_EQ(pts.front(), (WavePoint{0, 52}));
    EXPECT_EQ(pts.back().x, 824); // Int(825 x 22040 / 22049)
    EXPECT_EQ(pts[200], (WavePoint{int(825 * 4000 / 22049), 26}));
    EXPECT_EQ(pts[400], (WavePoint{int(825 * 8000 / 22049), 78}));
}

TEST(WholeWave, LayoutAndRounding) {
    EXPECT_EQ(WholeWaveLayoutFor(34, 0.7f).amp, 7); // 10 x 0.7f is 7 in float
    EXPECT_EQ(WholeWaveLayoutFor(57, 0.7f).zeroY, 35);
    EXPECT_EQ(WholeWaveLayoutFor(13, 0.7f).mid, -1); // Int floors below zero too

    // amp 26, peak 52: y = 52 - w / 2, halves to even
    FloatArray w(61);
    w[20] = 1;  // 51.5 -> 52
    w[40] = 3;  // 50.5 -> 50
    w[60] = -1; // 52.5 -> 52
    const auto pts = WholeWavePoints(w.data(), 61, 52, 100, 90, 0.7f);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ((std::vector<int>{pts[1].y, pts[2].y, pts[3].y}), (std::vector<int>{52, 50, 52}));

    // 21 frames: two points, across the whole strip; a zero peak: the zero line.
    FloatArray two(21);
    two[20] = -10;
    const auto ends = WholeWavePoints(two.data(), 21, 0, 200, 60, 0.7f);
    ASSERT_EQ(ends.size(), 2u);
    EXPECT_EQ(ends[1], (WavePoint{200, WholeWaveLayoutFor(60, 0.7f).zeroY}));
    EXPECT_TRUE(WholeWavePoints(two.data(), 1, 10, 200, 60, 0.7f).empty());
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
    ASSERT_TRUE(WholeWaveByColumns(200001, 300));
    EXPECT_FALSE(WholeWaveByColumns(20 * 4 * 300, 300));
    ASSERT_EQ(c.spans.size(), 301u); // the last point stands one past the strip
    ASSERT_EQ(c.joins.size(), 2 * (c.spans.size() - 1));
    std::size_t k = 0;
    for (std::size_t s = 0; s < c.spans.size(); ++s) {
        int lo = 1 << 30, hi = -(1 << 30);
        const std::size_t first = k;
        for (; k < pts.size() && pts[k].x == c.spans[s].x; ++k)
            lo = std::min(lo, pts[k].y), hi = std::max(hi, pts[k].y);
        ASSERT_GT(k, first) << "column " << s;
        EXPECT_EQ(c.spans[s].yTop, lo);
        EXPECT_EQ(c.spans[s].yBottom, hi);
        if (s > 0) {
            EXPECT_EQ(c.joins[2 * s - 2], pts[first - 1]);
            EXPECT_EQ(c.joins[2 * s - 1], pts[first]);
        }
    }
    EXPECT_EQ(k, pts.size());
}
