// The voiceprint read back pixel by pixel: axes, cells, the closing column
// and the frame they must not cover, a stop in the middle; and the picture
// area's repaints, which follow a drawing at display rate.
#include "Pixels.h"

#include "ui/Canvas.h"
#include "ui/PictureBox.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintDrawing.h"

#include <QElapsedTimer>
#include <QPaintEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// A recording of `frames` frames, each an impulse in its middle, whose
// spectrum is flat at `magnitude` in every bin.
AnalysisState Impulses(int frames, double magnitude, int extra = 0) {
    AnalysisState s;
    s.SampleCount = frames * 512 + extra;
    s.WaveData = FloatArray(static_cast<std::size_t>(s.SampleCount));
    const double w256 = 0.54 - 0.46 * std::cos(2 * 256 * 3.14159265358979 / 511);
    for (int j = 0; j < frames; ++j)
        s.WaveData[static_cast<std::size_t>(512 * j + 256)] = float(magnitude / w256);
    s.VZoom = s.HZoom = 1;
    s.SampleRate = 22050;
    return s;
}

bool Dark(QRgb p) {
    return qRed(p) < 128;
}

int CountDark(const QImage& img, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += Dark(img.pixel(x, y));
    return n;
}

DrawingEnd DrawAll(Canvas& c, AnalysisState& s) {
    return DrawVoiceprint(c, s, [] { return false; });
}

} // namespace

// Cells of magnitude 4500 are grey 128 and fill the plot's inside exactly,
// the closing column and the cut-off top row included, while the frame stays
// black: also on a picture 512 wide, where column 142 ends a fraction short
// of the frame's right line.
TEST(VoiceprintDrawing, CellsFillThePlotInsideItsFrame) {
    const QRgb grey = qRgb(128, 128, 128);
    for (const QSize size : {QSize(505, 329), QSize(512, 329), QSize(600, 400)}) {
        SCOPED_TRACE(size.width());
        AnalysisState s = Impulses(300, 4500);
        Canvas c(size.width(), size.height());
        EXPECT_EQ(DrawAll(c, s), DrawingEnd::Completed);
        const PlotFrame f = VoiceprintFrame(size.width(), size.height());
        const QRect inside(QPoint(f.PlotLeft + 1, f.PlotTop + 1),
                           QPoint(f.PlotRight - 1, f.PlotBottom - 1));
        EXPECT_EQ(CountColour(c.Image(), grey, inside), inside.width() * inside.height());
        const int w = f.PlotRight - f.PlotLeft + 1, h = f.PlotBottom - f.PlotTop + 1;
        EXPECT_EQ(CountColour(c.Image(), Black, QRect(f.PlotLeft, f.PlotTop, w, 1)), w);
        EXPECT_EQ(CountColour(c.Image(), Black, QRect(f.PlotLeft, f.PlotBottom, w, 1)), w);
        EXPECT_EQ(CountColour(c.Image(), Black, QRect(f.PlotLeft, f.PlotTop, 1, h)), h);
        EXPECT_EQ(CountColour(c.Image(), Black, QRect(f.PlotRight, f.PlotTop, 1, h)), h);
    }
}

TEST(VoiceprintDrawing, AxesTicksAndLabels) {
    AnalysisState s = Impulses(0, 0);
    Canvas c(505, 329);
    EXPECT_EQ(DrawAll(c, s), DrawingEnd::Completed);
    const QImage& img = c.Image();
    for (int i = 1; i <= 12; ++i) // frequency ticks, 2 or 4 pixels out from the frame
        EXPECT_EQ(CountColour(img, Black, QRect(i % 2 ? 58 : 56, 292 - 23 * i, 2, 1)), 2) << i;
    EXPECT_EQ(CountColour(img, Black, QRect(86, 293, 1, 2)), 2);  // first short time tick
    EXPECT_EQ(CountColour(img, Black, QRect(112, 293, 1, 4)), 4); // first long one
    // Labels at the left for 1 ... 6 kHz, below for 0.4 ... 3.2 s, then the titles.
    for (int i = 2; i <= 12; i += 2)
        EXPECT_GT(CountDark(img, QRect(30, 292 - 23 * i - 5, 24, 12)), 5) << i;
    EXPECT_EQ(CountDark(img, QRect(30, 292 - 23 * 1 - 3, 24, 6)), 0);
    for (int k = 0; k < 8; ++k)
        EXPECT_GT(CountDark(img, QRect(108 + 52 * k, 298, 20, 12)), 5) << k;
    EXPECT_GT(CountDark(img, QRect(7, 90, 16, 45)), 30);    // 振動数
    EXPECT_GT(CountDark(img, QRect(240, 308, 80, 20)), 30); // 時間
    // Nothing inside the plot.
    EXPECT_EQ(CountDark(img, QRect(61, 16, 429, 276)), 0);
}

// The labels a user reads, compared with the same texts printed alone.
TEST(VoiceprintDrawing, LabelsShowTheZoomAndTheRecordingsRate) {
    struct Case {
        float vzoom, hzoom;
        std::uint32_t rate;
        const char* kHz2;    // at the first long frequency tick, y = 246
        const char* seconds; // under the first long time tick, x = 112
    };
    for (const Case& k :
         {Case{1, 1, 22050, "1.00", "0.4"}, Case{4, 4, 22050, "0.25", "0.1"},
          Case{0.5f, 0.125f, 22050, "2.00", "3.2"}, Case{1, 1, 44100, "2.00", "0.2"}}) {
        SCOPED_TRACE(k.kHz2);
        AnalysisState s = Impulses(0, 0);
        s.VZoom = k.vzoom;
        s.HZoom = k.hzoom;
        s.SampleRate = k.rate;
        Canvas c(505, 329);
        DrawVoiceprintAxes(c, s);
        Canvas expected(505, 329);
        expected.SetFontSize(9);
        expected.CurrentX = 30;
        expected.CurrentY = 246 - 5;
        expected.Print(QString::fromLatin1(k.kHz2));
        expected.CurrentX = 108;
        expected.CurrentY = 297;
        expected.Print(QString::fromLatin1(k.seconds));
        for (const QRect area : {QRect(30, 241, 26, 14), QRect(100, 297, 30, 14)})
            EXPECT_EQ(c.Image().copy(area), expected.Image().copy(area));
    }
}

TEST(VoiceprintDrawing, WholeFramesOnlyAndAsFarAsThePlotReaches) {
    struct Case {
        int frames, extra;
        int firstWhiteX; // inside the plot
    };
    for (const Case& k : {Case{0, 511, 61}, Case{2, 511, 68}, Case{100, 0, 362}}) {
        SCOPED_TRACE(k.frames);
        AnalysisState s = Impulses(k.frames, 20000, k.extra);
        if (k.extra) // samples that make no whole frame, loud enough to show
            s.WaveData[static_cast<std::size_t>(k.frames * 512 + 256)] = 20000;
        Canvas c(505, 329);
        EXPECT_EQ(DrawAll(c, s), DrawingEnd::Completed);
        EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, k.firstWhiteX - 61, 276)),
                  (k.firstWhiteX - 61) * 276);
        EXPECT_EQ(CountDark(c.Image(), QRect(k.firstWhiteX, 16, 490 - k.firstWhiteX, 276)), 0);
    }

    // Each row shows its bin's grey: the last frame's spectrum is in SpecMag.
    AnalysisState s;
    s.SampleCount = 1024;
    s.WaveData = FloatArray(1024);
    for (int i = 0; i < 1024; ++i)
        s.WaveData[static_cast<std::size_t>(i)] = float(300 * std::sin(i * 0.3) + (i % 7) * 20);
    s.VZoom = s.HZoom = 1;
    Canvas c(505, 329);
    DrawAll(c, s);
    for (int k = 0; k < 137; ++k)
        EXPECT_EQ(qRed(c.Pixel(66, 290 - 2 * k)), GreyLevel(s.SpecMag[k + 1])) << k;
}

// A stop request is seen right after the yield that follows a cell.
TEST(VoiceprintDrawing, StopLeavesThePictureAsFarAsItGot) {
    AnalysisState s = Impulses(200, 20000);
    Canvas c(505, 329);
    int yields = 0;
    EXPECT_EQ(DrawVoiceprint(c, s,
                             [&] {
                                 if (++yields == 150) // the 13th row of column 1
                                     s.VoiceStop = 1;
                                 return false;
                             }),
              DrawingEnd::Stopped);
    EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, 429, 276)), 4 * 276 + 3 * 27);
    EXPECT_EQ(s.VoiceStop, 1);

    yields = 0;
    EXPECT_EQ(DrawVoiceprint(c, s, [&] { return ++yields == 3; }), DrawingEnd::Stopped);
    EXPECT_EQ(s.VoiceStop, 0); // cleared at the start
    EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, 429, 276)), 4 * 7);
}

namespace {

struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            ++paints;
            painted |= static_cast<QPaintEvent*>(e)->rect();
        }
        return false;
    }
    int paints = 0;
    QRect painted;
};

} // namespace

// Changes come to the screen at most once per repaint interval, and the last
// of them comes too, without another change to carry it.
TEST(PictureBox, RepaintsFollowChangesAtDisplayRate) {
    PictureBox box;
    box.SetOuterGeometry(0, 0, 200, 100);
    box.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
    PaintCounter counter;
    box.installEventFilter(&counter);
    QElapsedTimer t;
    t.start();
    int changes = 0;
    while (t.elapsed() < 200) {
        box.Pic().PSet(changes % 200, 10, QColor(0, 0, 0));
        ++changes;
        QCoreApplication::processEvents();
    }
    box.Pic().PSet(150, 90, QColor(0, 0, 0));
    counter.painted = QRect();
    QTest::qWait(3 * PictureBox::RepaintIntervalMs);
    EXPECT_TRUE(counter.painted.contains(150, 90));
    EXPECT_GT(changes, 1000);
    EXPECT_LE(counter.paints, 200 / PictureBox::RepaintIntervalMs + 4);
    EXPECT_GE(counter.paints, 2);
}
