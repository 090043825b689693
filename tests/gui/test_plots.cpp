// What the plots look like, read back pixel by pixel: the harmonic chart and
// its bars, the whole wave by either way of drawing, and the drawing rules
// every plot relies on.
#include "analysis/HarmChart.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "wavein/WholeWaveGeometry.h"
#include "wavein/WholeWavePlot.h"

#include "Pixels.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;
using namespace tavrel::test;

namespace {

bool AnyDark(const Canvas& c, int x1, int y1, int x2, int y2) {
    for (int y = y1; y <= y2; ++y)
        for (int x = x1; x <= x2; ++x)
            if (qRed(c.Pixel(x, y)) < 128 && qGreen(c.Pixel(x, y)) < 128 &&
                qBlue(c.Pixel(x, y)) < 128)
                return true;
    return false;
}

// Every harmonic at half scale, harmonic 7 at full scale.
AnalysisState HalfBarsPeakAt7() {
    AnalysisState s;
    s.HarmAmp.fill(50);
    s.HarmAmp[7] = s.HarmMax = 100;
    return s;
}

} // namespace

// A filled box covers the pixels of both its corners, as a line does; so a
// bar stands on its baseline row and a box painted again covers it exactly.
TEST(Drawing, BoxesAndLinesCoverTheirCornerPixels) {
    Canvas c(20, 20);
    c.FilledBox(2, 10, 5.6, 4.4, Colors::LightBlue); // x 2 ... 6, y 4 ... 10
    EXPECT_EQ(CountColour(c.Image(), Blue), 5 * 7);
    EXPECT_EQ(CountColour(c.Image(), Blue, QRect(2, 4, 5, 7)), 5 * 7);
    c.Box(1, 1, 8, 12, Colors::Black); // the frame's own pixels, inside untouched
    EXPECT_EQ(CountColour(c.Image(), Black), 2 * 8 + 2 * 10);
    EXPECT_EQ(c.Pixel(8, 12), Black);
    c.Line(0, 19, 19, 19, Colors::LightRed);
    EXPECT_EQ(CountColour(c.Image(), Red), 20);
    c.FilledBox(-100, -100, 1e9, -50, Colors::LightRed); // wholly outside: nothing
    c.FilledBox(15, 15, 40, 40, Colors::LightRed);       // clipped at the edges
    EXPECT_EQ(CountColour(c.Image(), Red), 20 + 5 * 4);
}

TEST(Drawing, KeptDrawingsComeBackAtTheNewSize) {
    PictureBox box;
    box.SetOuterGeometry(0, 0, 100, 50);
    box.Draw([](Canvas& c) { c.Line(c.Width() - 1, 0, c.Width() - 1, 49, Colors::Black); });
    box.Draw(1, [](Canvas& c) { c.PSet(1, 1, Colors::LightBlue); });
    box.Draw(1, [](Canvas& c) { c.PSet(2, 2, Colors::LightRed); }); // replaces key 1
    box.Pic().PSet(3, 3, Colors::Black);                              // drawn once only
    box.SetOuterGeometry(0, 0, 60, 50);
    box.Replay();
    EXPECT_EQ(CountColour(box.Pic().Image(), Black, QRect(59, 0, 1, 50)), 50);
    EXPECT_EQ(box.Pic().Pixel(3, 3), White);
    EXPECT_EQ(box.Pic().Pixel(1, 1), White);
    EXPECT_EQ(box.Pic().Pixel(2, 2), Red);
    box.Cls();
    box.Replay();
    EXPECT_EQ(CountColour(box.Pic().Image(), White), 60 * 50);
}

TEST(HarmChart, BarsLabelsAndCaptionsAtTheDesignedSize) {
    Canvas c(520, 200);
    DrawHarmChart(c, HalfBarsPeakAt7());
    for (int j = 1; j <= 41; ++j) { // bar j spans 12 j + 10 ... 12 j + 19.6, up from row 170
        const int left = 12 * j + 10;
        EXPECT_EQ(CountColour(c.Image(), Blue, QRect(left, 170, 11, 1)), 11) << "base of bar " << j;
        EXPECT_EQ(c.Pixel(left - 1, 150), White) << "gap before bar " << j;
        EXPECT_EQ(c.Pixel(left + 4, 171), White) << "below the baseline, bar " << j;
        EXPECT_EQ(TopmostOf(c.Image(), Blue, left + 4), j == 7 ? 20 : 95) << "bar " << j;
    }
    EXPECT_EQ(c.Pixel(12 * 41 + 22, 150), White); // no bar 42

    for (int j = 5; j <= 40; j += 5)
        EXPECT_TRUE(AnyDark(c, 12 * j + 15, 175, 12 * j + 29, 192)) << "label " << j;
    EXPECT_FALSE(AnyDark(c, 20, 171, 74, 199));            // no labels 1 ... 4
    EXPECT_FALSE(AnyDark(c, 12 * 40 + 35, 171, 519, 199)); // none after 40

    EXPECT_TRUE(AnyDark(c, 235, 180, 250, 199)); // 倍 at the caption's start ...
    EXPECT_TRUE(AnyDark(c, 272, 180, 300, 199)); // ... 音 four blanks on, past label 20
    EXPECT_TRUE(AnyDark(c, 2, 65, 20, 85));      // 振
    EXPECT_TRUE(AnyDark(c, 2, 95, 20, 115));     // 幅
    EXPECT_FALSE(AnyDark(c, 2, 20, 20, 60));
    EXPECT_FALSE(AnyDark(c, 2, 120, 20, 160));
}

TEST(HarmChart, RepaintedBarCoversTheOldOneExactly) {
    Canvas c(520, 200);
    const AnalysisState s = HalfBarsPeakAt7();
    DrawHarmChart(c, s);
    const int blue = CountColour(c.Image(), Blue);
    PaintHarmBar(c, s, 3, Colors::LightRed);
    EXPECT_EQ(CountColour(c.Image(), Red), 11 * 76); // 46 ... 56, rows 95 ... 170
    EXPECT_EQ(CountColour(c.Image(), Blue), blue - 11 * 76);
    PaintHarmBar(c, s, 3, Colors::LightBlue);
    EXPECT_EQ(CountColour(c.Image(), Blue), blue);

    Canvas blank(520, 200);
    PaintHarmBar(blank, s, -1, Colors::LightBlue);
    PaintHarmBar(blank, s, 513, Colors::LightBlue);
    const AnalysisState silent; // HarmMax = 0: no bars, but still the text
    DrawHarmChart(blank, silent);
    EXPECT_EQ(CountColour(blank.Image(), Blue), 0);
    EXPECT_TRUE(AnyDark(blank, 235, 180, 300, 199));

    Canvas big(1040, 400); // X0 = 20, P = 24, baseline 340, full height 300
    DrawHarmChart(big, s);
    EXPECT_EQ(CountColour(big.Image(), Blue, QRect(24 * 7 + 20, 40, 20, 301)), 20 * 301);
    EXPECT_EQ(TopmostOf(big.Image(), Blue, 24 * 8 + 30), 190);
}

// Both ways of drawing the whole wave give the same pixels, on signals with
// gentle and abrupt changes and points pushed off the strip.
TEST(WholeWavePlot, ColumnsMatchThePolylinePixelForPixel) {
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
        const auto wp = std::int16_t(peak * 0.8f); // some points fall off the strip
        Canvas poly(c.width, c.height), cols(c.width, c.height);
        DrawWholeWavePolyline(poly, w, wp, 0.7f);
        DrawWholeWaveColumns(cols, w, wp, 0.7f);
        EXPECT_EQ(poly.Image(), cols.Image()) << c.width << "x" << c.height;
        EXPECT_GT(CountColour(cols.Image(), Red), c.width);
    }

    FloatArray few(20); // one plotted point: a single pixel
    few[0] = 10;
    Canvas one(200, 60);
    DrawWholeWave(one, few, 10, 0.7f);
    EXPECT_EQ(CountColour(one.Image(), Red), 1);
    const WholeWaveLayout g = WholeWaveLayoutFor(60, 0.7f);
    EXPECT_EQ(one.Pixel(0, g.zeroY - g.amp), Red);
}
