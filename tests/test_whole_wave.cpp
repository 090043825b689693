// The whole-wave strip: geometry of the plotted points, and the pixels they
// give on a canvas by either way of drawing.
#include "WavTestFiles.h"
#include "ui/Canvas.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWavePlot.h"

#include <cmath>
#include "Pixels.h"

#include <gtest/gtest.h>
#include <set>

using namespace tavrel;
using namespace tavrel::test;

namespace {


std::vector<int> RedRowsInColumn(const Canvas& c, int x) {
    std::vector<int> rows;
    for (int y = 0; y < c.Height(); ++y)
        if (c.Pixel(x, y) == Red)
            rows.push_back(y);
    return rows;
}

} // namespace

// A mono 8-bit file of 22050 bytes on an 825 x 90 strip with the default
// settings: mid 38, amp 26, zero line 52, 1103 points.
TEST(WholeWavePlot, WorkedExampleFromFileToPixels) {
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
    EXPECT_EQ(g.mid, 38);
    EXPECT_EQ(g.amp, 26);
    EXPECT_EQ(g.zeroY, 52);
    const auto pts = WholeWavePoints(r.wave.WaveData.data(), 22050, 100, 825, 90, 0.7f);
    ASSERT_EQ(pts.size(), 1103u);
    EXPECT_EQ(pts.front(), (WavePoint{0, 52}));
    EXPECT_EQ(pts.back().x, 824); // Int(825 x 22040 / 22049)
    EXPECT_EQ(pts[200], (WavePoint{int(825 * 4000 / 22049), 26}));
    EXPECT_EQ(pts[400], (WavePoint{int(825 * 8000 / 22049), 78}));

    Canvas canvas(825, 90);
    DrawWholeWave(canvas, r.wave.WaveData, r.wave.WavePeak, 0.7f);
    EXPECT_EQ(canvas.ForeColor(), QColor(255, 0, 0));
    EXPECT_EQ(canvas.Pixel(0, 52), Red);
    EXPECT_EQ(canvas.Pixel(824, 52), Red);
    // The peak and its negative are the extremes of the whole drawing.
    int top = 90, bottom = -1;
    for (int x = 0; x < 825; ++x)
        for (int y : RedRowsInColumn(canvas, x))
            top = std::min(top, y), bottom = std::max(bottom, y);
    EXPECT_EQ(top, 26);
    EXPECT_EQ(bottom, 78);
    EXPECT_EQ(RedRowsInColumn(canvas, pts[200].x).front(), 26);
    EXPECT_EQ(RedRowsInColumn(canvas, pts[400].x).back(), 78);
}

TEST(WholeWavePlot, LayoutUsesFloatRatioAndFloors) {
    EXPECT_EQ(WholeWaveLayoutFor(34, 0.7f).amp, 7); // 10 x 0.7f is 7 in float
    EXPECT_EQ(WholeWaveLayoutFor(57, 0.7f).mid, 21);
    EXPECT_EQ(WholeWaveLayoutFor(57, 0.7f).amp, 14);
    EXPECT_EQ(WholeWaveLayoutFor(57, 0.7f).zeroY, 35);
    EXPECT_EQ(WholeWaveLayoutFor(13, 0.7f).mid, -1); // Int floors below zero too
}

TEST(WholeWavePlot, HalvesRoundToEven) {
    // amp 26, peak 52: y = 52 - w / 2
    FloatArray w(61);
    w[20] = 1;  // 51.5 -> 52
    w[40] = 3;  // 50.5 -> 50
    w[60] = -1; // 52.5 -> 52
    const auto pts = WholeWavePoints(w.data(), 61, 52, 100, 90, 0.7f);
    ASSERT_EQ(pts.size(), 4u);
    EXPECT_EQ(pts[1].y, 52);
    EXPECT_EQ(pts[2].y, 50);
    EXPECT_EQ(pts[3].y, 52);
}

TEST(WholeWavePlot, TwentyOneFramesGiveTwoPointsAcrossTheStrip) {
    FloatArray w(21);
    w[0] = 10;
    w[20] = -10;
    const auto pts = WholeWavePoints(w.data(), 21, 10, 200, 60, 0.7f);
    ASSERT_EQ(pts.size(), 2u);
    EXPECT_EQ(pts[0].x, 0);
    EXPECT_EQ(pts[1].x, 200); // one past the last column: clipped
    Canvas canvas(200, 60);
    DrawWholeWave(canvas, w, 10, 0.7f);
    for (int x : {0, 100, 199})
        EXPECT_FALSE(RedRowsInColumn(canvas, x).empty()) << x;

    FloatArray few(20); // the lone point at i = 0 is a single pixel
    few[0] = 10;
    Canvas one(200, 60);
    DrawWholeWave(one, few, 10, 0.7f);
    EXPECT_EQ(CountColour(one.Image(), Red), 1);
    const WholeWaveLayout g = WholeWaveLayoutFor(60, 0.7f);
    EXPECT_EQ(one.Pixel(0, g.zeroY - g.amp), Red);
}

TEST(WholeWavePlot, ZeroPeakDrawsTheZeroLineOnly) {
    FloatArray w(2001);
    w[20] = 0.3f; // below 0.5: the peak rounds to 0
    Canvas canvas(300, 57);
    canvas.PSet(5, 5, Qt::blue); // drawing does not clear
    DrawWholeWave(canvas, w, 0, 0.7f);
    EXPECT_EQ(CountColour(canvas.Image(), Red), 300);
    for (int x = 0; x < 300; ++x)
        EXPECT_EQ(canvas.Pixel(x, 35), Red);
    EXPECT_EQ(canvas.Pixel(5, 5), qRgb(0, 0, 255));
}

// The column reduction must be invisible: on signals with both gentle and
// abrupt changes, clipped ones among them, both ways give the same pixels.
TEST(WholeWavePlot, ColumnsMatchPolylinePixelForPixel) {
    struct Case {
        int width, height;
        std::int64_t n;
        double freq;
    };
    for (const Case& c : {Case{300, 60, 200001, 3e-4}, Case{97, 40, 60001, 7e-3},
                          Case{520, 57, 400001, 2e-5}, Case{64, 200, 100001, 0.05}}) {
        FloatArray w(std::size_t(c.n));
        float peak = 0;
        for (std::int64_t i = 0; i < c.n; ++i) {
            const double t = double(i);
            double v = 300 * std::sin(c.freq * t) + 40 * std::sin(0.37 * t) * std::cos(1e-4 * t);
            if (i % 7919 == 0)
                v = -v * 1.8; // spikes
            w[std::size_t(i)] = float(v);
            peak = std::max(peak, std::fabs(float(v)));
        }
        // A peak below the true one pushes some points off the strip.
        const auto wp = std::int16_t(peak * 0.8f);
        Canvas poly(c.width, c.height), cols(c.width, c.height);
        DrawWholeWavePolyline(poly, w, wp, 0.7f);
        DrawWholeWaveColumns(cols, w, wp, 0.7f);
        // Qt's stroker drops the pixel of a vertex where the line turns back
        // right after a slanted step; the columns keep every vertex. That
        // is the only difference allowed, and it stays rare.
        const auto pts = WholeWavePoints(w.data(), c.n, wp, c.width, c.height, 0.7f);
        const std::set<std::pair<int, int>> vertices = [&pts] {
            std::set<std::pair<int, int>> v;
            for (const WavePoint& p : pts)
                v.insert({p.x, p.y});
            return v;
        }();
        int differ = 0;
        for (int y = 0; y < c.height; ++y)
            for (int x = 0; x < c.width; ++x)
                if (poly.Pixel(x, y) != cols.Pixel(x, y)) {
                    ++differ;
                    EXPECT_EQ(cols.Pixel(x, y), Red);
                    EXPECT_TRUE(vertices.count({x, y})) << x << "," << y;
                }
        EXPECT_LE(differ, 1 + c.width / 30) << c.width << "x" << c.height;
        EXPECT_GT(CountColour(cols.Image(), Red), c.width);
        EXPECT_EQ(cols.Pixel(0, 0), White);
    }
}
