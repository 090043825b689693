// The drawing rules every plot relies on, the repaints, the harmonic chart and whole wave.
#include "analysis/HarmChart.h"
#include "app/MainLayout.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "ui/PictureBox.h"
#include "wavein/WavReader.h"
#include "wavein/WholeWaveGeometry.h"
#include "wavein/WholeWavePlot.h"

#include "Pixels.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;
using namespace tavrel::test;

const auto AnyDark = [](const Canvas& c, QRect area) {
    return Count(c.Image(), area, [](QRgb p) { return qGray(p) < 128; });
};

// A filled box covers both corners' pixels, as a line does: a bar stands on its base row.
TEST(Drawing, BoxesAndLinesCoverTheirCornerPixels) {
    Canvas c(20, 20);
    c.FilledBox(2, 10, 5.6, 4.4, Colors::LightBlue); // x 2 ... 6, y 4 ... 10
    c.Box(1, 1, 8, 12, Colors::Black);               // the frame's own pixels, inside untouched
    c.Line(0, 19, 19, 19, Colors::LightRed);
    c.FilledBox(-100, -100, 1e9, -50, Colors::LightRed); // wholly outside: nothing
    c.FilledBox(15, 15, 40, 40, Colors::LightRed);       // clipped at the edges
    const QImage& i = c.Image();
    EXPECT_EQ(std::tuple(CountColour(i, Blue, QRect(2, 4, 5, 7)), CountColour(i, Blue),
                         CountColour(i, Black), c.Pixel(8, 12), CountColour(i, Red)),
              std::tuple(5 * 7, 5 * 7, 2 * 8 + 2 * 10, Black, 20 + 5 * 4));
}

// Kept drawings come back at the new size, a keyed one replacing its key's last one.
TEST(Drawing, KeptDrawingsComeBackAtTheNewSize) {
    PictureBox box;
    box.SetOuterGeometry(0, 0, 100, 50);
    box.Draw([](Canvas& c) { c.Line(c.Width() - 1, 0, c.Width() - 1, 49, Colors::Black); });
    box.Draw(1, [](Canvas& c) { c.PSet(1, 1, Colors::LightBlue); });
    box.Draw(1, [](Canvas& c) { c.PSet(2, 2, Colors::LightRed); });
    box.Pic().PSet(3, 3, Colors::Black);
    box.SetOuterGeometry(0, 0, 60, 50);
    box.Replay();
    EXPECT_EQ(CountColour(box.Pic().Image(), Black, QRect(59, 0, 1, 50)), 50);
    EXPECT_EQ((std::vector{box.Pic().Pixel(1, 1), box.Pic().Pixel(2, 2), box.Pic().Pixel(3, 3)}),
              (std::vector{White, Red, White}));
    box.Cls();
    box.Replay();
    EXPECT_EQ(CountColour(box.Pic().Image(), White), 60 * 50);
}

// At most one repaint per interval, and the last change shows without another after it.
TEST(Drawing, RepaintsFollowChangesAtDisplayRate) {
    struct PaintCounter : QObject {
        bool eventFilter(QObject*, QEvent* e) override {
            paints += e->type() == QEvent::Paint;
            return false;
        }
        int paints = 0;
    } counter;
    PictureBox box;
    box.SetOuterGeometry(0, 0, 200, 100);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    box.installEventFilter(&counter);
    QElapsedTimer t;
    t.start();
    for (int i = 0; t.elapsed() < 200; ++i) {
        box.Pic().PSet(i % 200, 10, QColor(0, 0, 0));
        QCoreApplication::processEvents();
    }
    EXPECT_LE(counter.paints, 200 / PictureBox::RepaintIntervalMs + 4);
    box.Pic().PSet(150, 90, QColor(0, 0, 0));
    counter.paints = 0;
    QTest::qWait(3 * PictureBox::RepaintIntervalMs);
    EXPECT_GE(counter.paints, 1);
}

// Harmonics at half scale, 7 at full: bar j covers 12 j + 10 ... 12 j + 19.6 up from row 170.
TEST(HarmChart, BarsLabelsAndCaptionsAtTheDesignedSize) {
    AnalysisState s;
    s.HarmAmp.fill(50);
    s.HarmAmp[7] = s.HarmMax = 100;
    Canvas c(520, 200);
    DrawHarmChart(c, s);
    const int blue = CountColour(c.Image(), Blue);
    for (int j = 1; j <= 41; ++j) { // each bar a whole box on row 170; the total: nothing else
        const QRect bar(12 * j + 10, j == 7 ? 20 : 95, 11, j == 7 ? 151 : 76);
        EXPECT_EQ(CountColour(c.Image(), Blue, bar), 11 * bar.height()) << j;
    }
    EXPECT_EQ(blue, 11 * (40 * 76 + 151));
    // Labels 5, 10 ... 40 under the bars, none before 5 or after 40; the captions.
    for (int j = 5; j <= 40; j += 5)
        EXPECT_TRUE(AnyDark(c, QRect(12 * j + 15, 175, 15, 18))) << "label " << j;
    EXPECT_FALSE(AnyDark(c, QRect(20, 171, 55, 29)) || AnyDark(c, QRect(515, 171, 5, 29)));
    EXPECT_TRUE(AnyDark(c, QRect(235, 180, 16, 20)) && AnyDark(c, QRect(2, 65, 19, 21))); // 倍, 振

    // A bar painted over and back covers its own pixels; out of range or silent, nothing.
    PaintHarmBar(c, s, 3, Colors::LightRed);
    EXPECT_EQ(CountColour(c.Image(), Red), 11 * 76); // 46 ... 56, rows 95 ... 170
    PaintHarmBar(c, s, 3, Colors::LightBlue);
    EXPECT_EQ(CountColour(c.Image(), Blue), blue);
    Canvas blank(520, 200);
    PaintHarmBar(blank, s, -1, Colors::LightBlue);
    PaintHarmBar(blank, s, 513, Colors::LightBlue);
    DrawHarmChart(blank, AnalysisState{}); // HarmMax 0: the captions only
    EXPECT_EQ(CountColour(blank.Image(), Blue), 0);
    EXPECT_TRUE(AnyDark(blank, QRect(235, 180, 66, 20)));
}

// Both ways of drawing the whole wave give the same pixels, spikes and clipping included,
// also where each column holds a few samples that leap: its last one counts too.
TEST(WholeWavePlot, ColumnsMatchThePolylinePixelForPixel) {
    for (const auto& [width, height, n, freq] : {std::tuple{300, 60, 200001, 3e-4},
                                                 {97, 40, 60001, 7e-3},
                                                 {520, 57, 400001, 2e-5},
                                                 {64, 200, 100001, 0.05},
                                                 {300, 90, 1501, 2.1}}) {
        FloatArray w(static_cast<std::size_t>(n));
        float peak = 0;
        for (int i = 0; i < n; ++i) {
            const double v =
                300 * std::sin(freq * i) + 40 * std::sin(0.37 * i) * std::cos(1e-4 * i);
            w[std::size_t(i)] = float(i % 7919 == 0 ? -1.8 * v : v); // with spikes
            peak = std::max(peak, std::fabs(w[std::size_t(i)]));
        }
        Canvas poly(width, height), cols(width, height);
        const auto wavePeak = std::int16_t(peak * 0.8f); // some points off the strip
        DrawWholeWavePolyline(poly, w, wavePeak, 0.7f);
        DrawWholeWaveColumns(cols, w, wavePeak, 0.7f);
        EXPECT_EQ(poly.Image(), cols.Image()) << width << "x" << height;
        EXPECT_GT(CountColour(cols.Image(), Red), width);
    }
    FloatArray two(2); // two samples: one line across the whole strip
    two[0] = 10;
    Canvas one(200, 60);
    DrawWholeWave(one, two, 10, 0.7f);
    const WholeWaveLayout g = WholeWaveLayoutFor(60, 0.7f);
    EXPECT_EQ(std::tuple(one.Pixel(0, g.zeroY - g.amp), one.Pixel(199, g.zeroY)),
              std::tuple(Red, Red));
}

// A steady two-tone sound on a real screen's strip shows no beat that is not in it:
// each column spans at least 90 % of the extent of the samples it covers.
TEST(WholeWavePlot, TwoTonesShowNoBeatThatIsNotThere) {
    const WavLoadResult r = LoadWavFile(TAVREL_EXAMPLES_DIR "/two_tones_440_660hz.wav", 128);
    ASSERT_EQ(r.error, WavError::None);
    const FloatArray& w = r.wave.WaveData;
    const QRect strip = ComputeMainLayout(1280, 800).picture3;
    Canvas c(strip.width(), strip.height());
    DrawWholeWave(c, w, r.wave.WavePeak, 0.7f);
    const double perColumn = double(w.size() - 1) / c.Width(),
                 px = double(WholeWaveLayoutFor(c.Height(), 0.7f).amp) / r.wave.WavePeak;
    for (int x = 0; x < c.Width(); ++x) {
        const auto [lo, hi] = std::minmax_element(w.begin() + long(std::ceil(x * perColumn)),
                                                  w.begin() + long(std::ceil((x + 1) * perColumn)));
        EXPECT_GE(CountColour(c.Image(), Red, {x, 0, 1, c.Height()}), 0.9 * px * (*hi - *lo)) << x;
    }
}
