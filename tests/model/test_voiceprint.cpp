// The voiceprint's geometry worked out by hand: axes, cells, the window's
// layout and zoom steps, and where both playback bars stand at each step.
#include "sound/PlaybackProgress.h"
#include "voiceprint/Form3Rules.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <vector>

using namespace tavrel;

namespace {

std::vector<double> Ys(const std::vector<AxisLine>& ticks, double x2) {
    std::vector<double> ys;
    for (const AxisLine& t : ticks)
        if (t.x1 != t.x2 && t.x2 == x2)
            ys.push_back(t.y1);
    return ys;
}

std::vector<QString> Texts(const std::vector<AxisText>& labels, double y, int width) {
    std::vector<QString> texts;
    for (const AxisText& l : labels)
        if ((y < 0 || l.y == y) && l.x < width)
            texts.push_back(l.text);
    return texts;
}

std::vector<QString> Series(double first, int count, int decimals) {
    std::vector<QString> texts;
    for (int i = 1; i <= count; ++i)
        texts.push_back(QString::number(first * i, 'f', decimals));
    return texts;
}

} // namespace

TEST(VoiceprintAxes, TicksAtTheDesignSize) {
    const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, 1, 1, 22050);
    EXPECT_EQ(a.frame.PlotLeft, 60);
    EXPECT_EQ(a.frame.PlotRight, 490);
    EXPECT_EQ(a.frame.PlotBottom, 292);
    EXPECT_EQ(a.frame.PlotTop, 15);

    // Frequency: i = 1 ... 12 at y = 292 - 23 i, long (4 px) at even i, labelled.
    std::vector<double> shortYs, longYs;
    for (int i = 1; i <= 12; ++i)
        (i % 2 ? shortYs : longYs).push_back(292 - 23 * i);
    std::vector<double> shortFreq, longFreq;
    for (const AxisLine& t : a.ticks)
        if (t.y1 == t.y2)
            (t.x1 == 58 ? shortFreq : longFreq).push_back(t.y1);
    EXPECT_EQ(shortFreq, shortYs);
    EXPECT_EQ(longFreq, longYs);
    for (const AxisText& l : a.labels)
        EXPECT_TRUE(l.x != 30 || std::count(longYs.begin(), longYs.end(), l.y + 5)) << l.y;

    // Time: short ticks every 26 px from 86 to 476, long ticks every 52 px
    // from 112 to 892 (beyond the picture from 528 on), labels 4 px left of them.
    std::vector<double> shortXs, longXs, labelXs;
    for (const AxisLine& t : a.ticks)
        if (t.x1 == t.x2)
            (t.y2 == 294 ? shortXs : longXs).push_back(t.x1);
    for (const AxisText& l : a.labels)
        if (l.y == 297)
            labelXs.push_back(l.x);
    ASSERT_EQ(shortXs.size(), 16u);
    ASSERT_EQ(longXs.size(), 16u);
    for (int k = 0; k < 16; ++k) {
        EXPECT_EQ(shortXs[k], 86 + 26 * k);
        EXPECT_EQ(longXs[k], 112 + 52 * k);
        EXPECT_EQ(labelXs[k], 108 + 52 * k);
    }

    const std::vector<QString> titles = {"振", "動", "数", "[kHz]", "時  間 [秒]"};
    const double places[][2] = {{7, 90}, {7, 105}, {7, 120}, {2, 135}, {240, 308}};
    ASSERT_EQ(a.titles.size(), titles.size());
    for (std::size_t t = 0; t < titles.size(); ++t) {
        EXPECT_EQ(a.titles[t].text, titles[t]);
        EXPECT_EQ(a.titles[t].x, places[t][0]);
        EXPECT_EQ(a.titles[t].y, places[t][1]);
    }
}

// Which labels a user sees at the design size for each zoom, and for a
// recording at 44.1 kHz, whose bins and frames stand for twice the hertz and
// half the seconds.
TEST(VoiceprintAxes, LabelsFollowZoomAndSampleRate) {
    struct Case {
        float vzoom, hzoom;
        double rate;
        std::vector<QString> kHz, seconds;
    };
    const Case cases[] = {
        {1, 1, 22050, Series(1, 6, 2), Series(0.4, 8, 1)},
        {4, 4, 22050, Series(0.25, 6, 2), Series(0.1, 8, 1)},
        {0.5, 0.125, 22050, Series(2, 6, 2), Series(3.2, 8, 1)},
        {1, 1, 0, Series(1, 6, 2), Series(0.4, 8, 1)}, // nothing loaded yet
        {1, 1, 44100, Series(2, 6, 2), Series(0.2, 8, 1)},
        {2, 0.25, 11025, Series(0.25, 6, 2), Series(3.2, 8, 1)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.vzoom << " " << c.hzoom << " " << c.rate);
        const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, c.vzoom, c.hzoom, c.rate);
        std::vector<QString> kHz = Texts(a.labels, -1, 505);
        kHz.resize(6); // the frequency labels come first, bottom up
        EXPECT_EQ(kHz, c.kHz);
        EXPECT_EQ(Texts(a.labels, 297, 505), c.seconds);
        EXPECT_EQ(a.labels.size(), 6u + 16u); // every long time tick is labelled
    }
}

TEST(VoiceprintAxes, PositionsScaleWithThePicture) {
    const VoiceprintAxes a = LayOutVoiceprintAxes(1010, 658, 1, 1, 22050);
    EXPECT_EQ(a.frame.PlotLeft, 120);
    EXPECT_EQ(a.frame.PlotRight, 980);
    EXPECT_EQ(a.frame.PlotBottom, 584);
    EXPECT_EQ(a.frame.PlotTop, 30);
    EXPECT_EQ(a.ticks.size(), 12u + 32u);
    EXPECT_EQ(Ys(a.ticks, 120).front(), 584 - 46);
    EXPECT_EQ(a.labels.front().x, 60);
    EXPECT_EQ(a.titles.back().x, 480);
    EXPECT_EQ(a.titles.back().y, 616);
    const PlotFrame odd = VoiceprintFrame(512, 300); // floors of the scaled values
    EXPECT_EQ(odd.PlotLeft, 60);
    EXPECT_EQ(odd.PlotRight, 496);
    EXPECT_EQ(odd.PlotBottom, 266);
    EXPECT_EQ(odd.PlotTop, 13);
}

TEST(Spectrogram, GreyLevelsAndTheWindow) {
    const std::pair<float, int> greys[] = {{0, 255},   {4500, 128}, {17999, 1},
                                           {18000, 0}, {1e9f, 0},   {72, 239}};
    for (const auto& [mag, grey] : greys)
        EXPECT_EQ(GreyLevel(mag), grey) << mag;

    // Frame 1 of a wave that is 100 from sample 512 on: the window's ends
    // weigh 0.08, its middle nearly 1, and it is symmetric.
    std::vector<float> wave(1100, 0);
    std::fill(wave.begin() + 512, wave.end(), 100.0f);
    std::vector<float> re(513, -1), im(513, -1);
    WindowFrame(wave, 1, re, im);
    EXPECT_FLOAT_EQ(re[0], 8);
    EXPECT_FLOAT_EQ(re[511], 8);
    EXPECT_NEAR(re[255], 100, 0.001);
    for (int k = 0; k < 512; ++k) {
        EXPECT_EQ(re[k], re[511 - k]);
        EXPECT_EQ(im[k], 0);
    }
    EXPECT_EQ(re[512], -1); // the work arrays' last entry is not touched
    EXPECT_NEAR(std::accumulate(re.begin(), re.begin() + 512, 0.0), 100 * 276.02, 0.05);
    std::vector<float> untouched(513, -1);
    WindowFrame(wave, 2, untouched, im); // not a whole frame: nothing
    EXPECT_EQ(untouched[0], -1);
}

// Cells at the design size: 3-pixel columns from x = 61, 2-pixel rows up
// from y = 291, none touching the frame.
TEST(Spectrogram, CellsAtTheDesignSize) {
    const SpectrogramPlan p = PlanSpectrogram(505, 329, 1, 1, 143 * 512 + 511);
    EXPECT_EQ(p.FrameCount, 143);
    EXPECT_EQ(PlanSpectrogram(505, 329, 1, 1, 511).FrameCount, 0);
    EXPECT_EQ(PlanSpectrogram(505, 329, 1, 1, 1024).FrameCount, 2);

    // Rows 0 ... 136 full, row 137 (bin 138) cut off at the frame's top edge.
    ASSERT_EQ(p.rows.size(), 138u);
    for (int k = 0; k <= 136; ++k) {
        EXPECT_EQ(p.rows[k].yBottom, 291 - 2 * k);
        EXPECT_EQ(p.rows[k].yTop, 289 - 2 * k);
        EXPECT_EQ(p.rows[k].bin, k + 1);
        EXPECT_TRUE(p.rows[k].yields);
    }
    EXPECT_EQ(p.rows[137].yBottom, 17);
    EXPECT_EQ(p.rows[137].yTop, 16);
    EXPECT_EQ(p.rows[137].bin, 138);
    EXPECT_FALSE(p.rows[137].yields);
    // The closing column looks a row further up: its last box spans two rows.
    ASSERT_EQ(p.closingRows.size(), 137u);
    EXPECT_EQ(p.closingRows[135].yTop, 19);
    EXPECT_EQ(p.closingRows[136].yBottom, 19);
    EXPECT_EQ(p.closingRows[136].yTop, 16);
    EXPECT_FALSE(p.closingRows[136].yields);

    // Frame 142 is the first whose right edge reaches x = 490.
    for (int j = 0; j < 142; ++j) {
        const CellColumn c = ColumnOf(p, j);
        EXPECT_EQ(c.xLeft, 61 + 3 * j);
        EXPECT_EQ(c.xRight, 64 + 3 * j);
        EXPECT_FALSE(c.closing);
    }
    const CellColumn last = ColumnOf(p, 142);
    EXPECT_TRUE(last.closing);
    EXPECT_EQ(last.xLeft, 487);
    EXPECT_EQ(last.xRight, 489);
}

TEST(Spectrogram, ZoomAndOddSizes) {
    // HZoom 0.125: 0.375-pixel columns; frame 1143 closes the plot (26.6 s).
    const SpectrogramPlan wide = PlanSpectrogram(505, 329, 1, 0.125f, 1200 * 512);
    EXPECT_FALSE(ColumnOf(wide, 1142).closing);
    EXPECT_TRUE(ColumnOf(wide, 1143).closing);
    EXPECT_FLOAT_EQ(ColumnOf(wide, 100).xLeft, 61 + 37.5f);

    // VZoom 4: 8-pixel rows, 34 full and one cut off; VZoom 0.5: 1-pixel rows.
    EXPECT_EQ(PlanSpectrogram(505, 329, 4, 1, 0).rows.size(), 35u);
    EXPECT_EQ(PlanSpectrogram(505, 329, 4, 1, 0).rows[34].yBottom, 19);
    EXPECT_EQ(PlanSpectrogram(505, 329, 0.5f, 1, 0).rows.size(), 276u);

    // A picture 512 wide: column 142 would end at 495.95, a fraction short of
    // the frame at 496, and its box would cover the frame's pixel; the
    // closing column 143 starts right there.
    const SpectrogramPlan p512 = PlanSpectrogram(512, 329, 1, 1, 200 * 512);
    EXPECT_FALSE(ColumnOf(p512, 142).closing);
    EXPECT_EQ(ColumnOf(p512, 142).xRight, 495);
    EXPECT_TRUE(ColumnOf(p512, 143).closing);
    EXPECT_EQ(ColumnOf(p512, 143).xLeft, 495);
    EXPECT_EQ(ColumnOf(p512, 143).xRight, 495);

    // 320 high: 1-pixel rows at VZoom 1, so half-pixel rows at 0.5, and the
    // plot holds more rows than there are bins; those above bin 512 stay white.
    const SpectrogramPlan tall = PlanSpectrogram(505, 320, 0.5f, 1, 0);
    ASSERT_EQ(tall.rows.size(), 512u);
    EXPECT_EQ(tall.rows.back().bin, 512);
    EXPECT_EQ(tall.rows.back().yTop, 283 - 256);
    EXPECT_EQ(tall.closingRows.back().bin, 512);

    // No room inside the frame: no cells at all.
    EXPECT_TRUE(PlanSpectrogram(1, 1, 1, 1, 5000).rows.empty());
}

TEST(Form3Rules, LayoutFromTheScreen) {
    const Form3Layout d = ComputeForm3Layout(640, 480);
    EXPECT_DOUBLE_EQ(d.width, 560);
    EXPECT_DOUBLE_EQ(d.left, 77);
    EXPECT_NEAR(d.top, 74.33, 0.01);
    EXPECT_NEAR(d.clientWidth, 552, 1e-9);
    EXPECT_NEAR(d.clientHeight, 369, 1e-9);
    EXPECT_NEAR(d.pictureWidth, 505, 1e-9);
    EXPECT_NEAR(d.pictureHeight, 329, 1e-9);
    EXPECT_NEAR(d.pictureLeft, 32, 1e-9);
    EXPECT_NEAR(d.pictureTop, 2, 1e-9);
    EXPECT_NEAR(d.startTop, 337.5, 1e-9);
    EXPECT_NEAR(d.upperTop, 332.5, 1e-9);
    EXPECT_NEAR(d.lowerTop, 350.5, 1e-9);

    const Form3Layout big = ComputeForm3Layout(1024, 768);
    EXPECT_DOUBLE_EQ(big.width, 896);
    EXPECT_NEAR(big.pictureWidth, 888 * 505 / 552.0, 1e-9);
    EXPECT_NEAR(big.startTop - big.pictureTop - big.pictureHeight,
                big.clientHeight - big.startTop - 25, 1e-9);
}

// The presses of the zoom buttons a user makes, with what each does.
TEST(Form3Rules, ZoomStepsStopAtTheirLimits) {
    struct Press {
        ZoomButton button;
        float vzoom, hzoom;
        bool draw;
    };
    const unsigned four = BtnVZoomIn | BtnVZoomOut | BtnHZoomIn | BtnHZoomOut;
    const std::vector<std::vector<Press>> sequences = {
        {{ZoomButton::VZoomIn, 2, 1, true},
         {ZoomButton::VZoomIn, 4, 1, true},
         {ZoomButton::VZoomIn, 4, 1, false}},
        {{ZoomButton::VZoomOut, 0.5, 1, true}, {ZoomButton::VZoomOut, 0.5, 1, false}},
        {{ZoomButton::HZoomOut, 1, 0.5, true},
         {ZoomButton::HZoomOut, 1, 0.25, true},
         {ZoomButton::HZoomOut, 1, 0.125, true},
         {ZoomButton::HZoomOut, 1, 0.125, false}},
        {{ZoomButton::HZoomIn, 1, 2, true},
         {ZoomButton::HZoomIn, 1, 4, true},
         {ZoomButton::HZoomIn, 1, 4, false}},
    };
    for (const auto& presses : sequences) {
        float v = 1, h = 1;
        for (const Press& p : presses) {
            const ZoomStep s = StepZoom(p.button, v, h);
            const bool vertical =
                p.button == ZoomButton::VZoomIn || p.button == ZoomButton::VZoomOut;
            EXPECT_EQ(s.VZoom, p.vzoom);
            EXPECT_EQ(s.HZoom, p.hzoom);
            EXPECT_EQ(s.draw, p.draw);
            EXPECT_EQ(s.disable, vertical ? four : unsigned(AllDrawButtons));
            v = s.VZoom;
            h = s.HZoom;
        }
    }
}

TEST(PlaybackProgress, WholeWaveBarSteps) {
    // 2 s at 22050 Hz on an 825-pixel bar: Int(41.25 i) up to 825 at step 20.
    for (const double rate : {22050.0, 44100.0}) {
        const WholeWaveBar bar = PlanWholeWaveBar(std::int32_t(2 * rate), rate, 825);
        ASSERT_TRUE(bar.moves);
        EXPECT_EQ(WholeWaveBarAt(bar, 1), 41);
        EXPECT_EQ(WholeWaveBarAt(bar, 2), 82);
        EXPECT_EQ(WholeWaveBarAt(bar, 3), 123);
        EXPECT_EQ(WholeWaveBarAt(bar, 20), 825);
        EXPECT_EQ(WholeWaveBarAt(bar, 21), std::nullopt);
    }
    // Nothing to time: the file plays, the bar stays.
    EXPECT_FALSE(PlanWholeWaveBar(1, 22050, 825).moves);
    EXPECT_FALSE(PlanWholeWaveBar(0, 22050, 825).moves);
    EXPECT_EQ(WholeWaveBarAt(PlanWholeWaveBar(1, 22050, 825), 1), std::nullopt);
    EXPECT_FALSE(PlanWholeWaveBar(44100, 22050, 0).moves);
}

TEST(PlaybackProgress, VoiceprintBarSteps) {
    struct Case {
        std::int32_t samples;
        double rate;
        float hzoom;
        int lastStep, lastValue;
    };
    const Case cases[] = {
        {44100, 22050, 1, 20, 258},  // 2 s: the whole recording, Int(2.0 / S)
        {110250, 22050, 1, 33, 426}, // 5 s: step 34 would be 439 > 430
        {44100, 22050, 2, 16, 413},  // twice as fast, past the edge at step 17
        {88200, 44100, 1, 16, 413},  // 2 s at 44.1 kHz fill the columns of 4 s
        {1, 22050, 1, 0, 0},         // no playing time: no step
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.samples << " " << c.rate << " " << c.hzoom);
        const VoiceprintBar bar = PlanVoiceprintBar(c.samples, c.rate, c.hzoom, 60, 490, 430);
        int step = 1;
        std::optional<int> last;
        for (std::optional<int> v; (v = VoiceprintBarAt(bar, step)); ++step)
            last = v;
        EXPECT_EQ(step - 1, c.lastStep);
        EXPECT_EQ(last.value_or(0), c.lastValue);
    }
    EXPECT_EQ(VoiceprintBarAt(PlanVoiceprintBar(44100, 22050, 1, 60, 490, 430), 1), 12);
}
