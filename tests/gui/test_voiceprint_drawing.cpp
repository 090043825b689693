// The voiceprint read back pixel by pixel: cells, the closing column and the
// frame they must not cover, labels, a stop in the middle; and the picture
// area's repaints, which follow a drawing at display rate.
#include "Pixels.h"

#include "ui/Canvas.h"
#include "ui/PictureBox.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintDrawing.h"

#include <QElapsedTimer>
#include <QTest>
#include <gtest/gtest.h>

#include <cmath>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// `frames` frames, each an impulse in its middle: every bin at `magnitude`.
AnalysisState Impulses(int frames, double magnitude, int extra = 0) {
    AnalysisState s;
    s.SampleCount = frames * 512 + extra;
    s.WaveData = FloatArray(static_cast<std::size_t>(s.SampleCount));
    const double w256 = 0.54 - 0.46 * std::cos(2 * 256 * 3.14159265358979 / 511);
    for (int i = 256; i < s.SampleCount; i += 512)
        s.WaveData[static_cast<std::size_t>(i)] = float(magnitude / w256);
    s.VZoom = s.HZoom = 1;
    return s;
}

int CountDark(const QImage& img, QRect area) {
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += qRed(img.pixel(x, y)) < 128;
    return n;
}

DrawingEnd DrawAll(Canvas& c, AnalysisState& s) {
    return DrawVoiceprint(c, s, [] { return false; });
}

} // namespace

// Magnitude 4500 is grey 128. The cells fill the plot's inside exactly, the
// closing column and the cut-off top row included, and the frame stays
// black: also 512 wide, where column 142 ends a fraction short of the frame.
TEST(VoiceprintDrawing, CellsFillThePlotInsideItsFrame) {
    for (const QSize size : {QSize(505, 329), QSize(512, 329), QSize(600, 400)}) {
        SCOPED_TRACE(size.width());
        AnalysisState s = Impulses(300, 4500);
        Canvas c(size.width(), size.height());
        EXPECT_EQ(DrawAll(c, s), DrawingEnd::Completed);
        const PlotFrame f = VoiceprintFrame(size.width(), size.height());
        const QRect frame(QPoint(f.PlotLeft, f.PlotTop), QPoint(f.PlotRight, f.PlotBottom));
        const QRect inside = frame.adjusted(1, 1, -1, -1);
        EXPECT_EQ(CountColour(c.Image(), qRgb(128, 128, 128), inside),
                  inside.width() * inside.height());
        EXPECT_EQ(CountColour(c.Image(), Black, frame) - CountColour(c.Image(), Black, inside),
                  2 * (frame.width() + frame.height()) - 4);
    }
}

// Whole frames only, as far as the plot reaches; each row in its bin's grey.
TEST(VoiceprintDrawing, WholeFramesOnly) {
    for (const auto& [frames, firstWhite] :
         {std::pair{0, 61}, std::pair{2, 68}, std::pair{100, 362}}) {
        AnalysisState s = Impulses(frames, 20000, 511); // the 511 extra samples are loud too
        Canvas c(505, 329);
        EXPECT_EQ(DrawAll(c, s), DrawingEnd::Completed);
        EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, 429, 276)), (firstWhite - 61) * 276);
    }
    AnalysisState s;
    s.SampleCount = 1024;
    s.WaveData = FloatArray(1024);
    for (int i = 0; i < 1024; ++i)
        s.WaveData[static_cast<std::size_t>(i)] = float(300 * std::sin(i * 0.3) + (i % 7) * 20);
    s.VZoom = s.HZoom = 1;
    Canvas c(505, 329);
    DrawAll(c, s); // SpecMag keeps the last frame's spectrum, frame 1's
    for (int k = 0; k < 137; ++k)
        EXPECT_EQ(qRed(c.Pixel(66, 290 - 2 * k)), GreyLevel(s.SpecMag[k + 1])) << k;
}

// The labels a user reads, compared with the same texts printed alone.
TEST(VoiceprintDrawing, LabelsShowTheZoomAndTheRecordingsRate) {
    struct Case {
        float vzoom, hzoom;
        std::uint32_t rate;
        const char *kHz, *seconds; // at the first long ticks, y = 246 and x = 112
    };
    for (const Case& k :
         {Case{4, 4, 22050, "0.25", "0.1"}, Case{0.5f, 0.125f, 22050, "2.00", "3.2"},
          Case{1, 1, 44100, "2.00", "0.2"}}) {
        SCOPED_TRACE(k.kHz);
        AnalysisState s = Impulses(0, 0);
        s.VZoom = k.vzoom;
        s.HZoom = k.hzoom;
        s.SampleRate = k.rate;
        Canvas c(505, 329), expected(505, 329);
        DrawVoiceprintAxes(c, s);
        expected.SetFontSize(9);
        expected.CurrentX = 30;
        expected.CurrentY = 246 - 5;
        expected.Print(QString::fromLatin1(k.kHz));
        expected.CurrentX = 108;
        expected.CurrentY = 297;
        expected.Print(QString::fromLatin1(k.seconds));
        for (const QRect area : {QRect(30, 241, 26, 14), QRect(100, 297, 30, 14)})
            EXPECT_EQ(c.Image().copy(area), expected.Image().copy(area));
    }
}

// A stop request is seen right after the yield that follows a cell.
TEST(VoiceprintDrawing, StopLeavesThePictureAsFarAsItGot) {
    AnalysisState s = Impulses(200, 20000);
    Canvas c(505, 329);
    int yields = 0;
    const auto stopAt150 = [&] { // the 13th row of column 1
        if (++yields == 150)
            s.VoiceStop = 1;
        return false;
    };
    EXPECT_EQ(DrawVoiceprint(c, s, stopAt150), DrawingEnd::Stopped);
    EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, 429, 276)), 4 * 276 + 3 * 27);

    yields = 0;
    EXPECT_EQ(DrawVoiceprint(c, s, [&] { return ++yields == 3; }), DrawingEnd::Stopped);
    EXPECT_EQ(s.VoiceStop, 0); // cleared at the start
    EXPECT_EQ(CountDark(c.Image(), QRect(61, 16, 429, 276)), 4 * 7);
}

namespace {
struct PaintCounter : QObject {
    bool eventFilter(QObject*, QEvent* e) override {
        paints += e->type() == QEvent::Paint;
        return false;
    }
    int paints = 0;
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
