// The voiceprint's geometry worked out by hand: axes, cells and where the
// voiceprint window's playback bar stands at each step.
#include "sound/PlaybackProgress.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"

#include <QPointF>
#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <vector>

using namespace tavrel;

TEST(VoiceprintAxes, TicksLabelsAndTitlesAtTheDesignSize) {
    const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, 1, 1, 22050);
    EXPECT_EQ(a.frame.PlotLeft, 60);
    EXPECT_EQ(a.frame.PlotRight, 490);
    EXPECT_EQ(a.frame.PlotBottom, 292);
    EXPECT_EQ(a.frame.PlotTop, 15);
    // Frequency: i = 1 ... 12 at y = 292 - 23 i, 4 px long and labelled at
    // even i, else 2 px. Time: i = 4, 8, ... 64, a short tick at 60 + 6.5 i
    // and a long one at 60 + 13 i (beyond the picture from i = 36 on).
    ASSERT_EQ(a.ticks.size(), 12u + 2 * 16u);
    for (int i = 1; i <= 12; ++i) {
        const AxisLine& t = a.ticks[i - 1];
        EXPECT_EQ(t.y1, 292 - 23 * i);
        EXPECT_EQ(t.x1, i % 2 ? 58 : 56);
        EXPECT_EQ(t.x2, 60);
    }
    for (int k = 1; k <= 16; ++k) {
        const AxisLine& s = a.ticks[12 + 2 * (k - 1)];
        const AxisLine& l = a.ticks[12 + 2 * (k - 1) + 1];
        EXPECT_EQ(s.x1, 60 + 26 * k);
        EXPECT_EQ(s.y2, 294);
        EXPECT_EQ(l.x1, 60 + 52 * k);
        EXPECT_EQ(l.y2, 296);
        EXPECT_EQ(a.labels[5 + k].x, 56 + 52 * k);
        EXPECT_EQ(a.labels[5 + k].y, 297);
    }
    EXPECT_EQ(a.labels[0].x, 30);
    EXPECT_EQ(a.labels[0].y, 246 - 5);
    const double titles[][2] = {{7, 90}, {7, 105}, {7, 120}, {2, 135}, {240, 308}};
    ASSERT_EQ(a.titles.size(), 5u);
    for (int t = 0; t < 5; ++t)
        EXPECT_EQ(QPointF(a.titles[t].x, a.titles[t].y), QPointF(titles[t][0], titles[t][1]));
    EXPECT_EQ(a.titles[4].text, "時  間 [秒]");

    // Another size scales every position before flooring; the counts stay.
    const VoiceprintAxes big = LayOutVoiceprintAxes(1010, 658, 1, 1, 22050);
    EXPECT_EQ(QPointF(big.titles[4].x, big.titles[4].y), QPointF(480, 616));
    EXPECT_EQ(big.ticks.size(), a.ticks.size());
}

// The labels for each zoom, and for recordings at other rates, whose bins
// and frames stand for other hertz and seconds.
TEST(VoiceprintAxes, LabelsFollowZoomAndSampleRate) {
    struct Case {
        float vzoom, hzoom;
        double rate;
        double kHz, seconds; // the first label of each axis; the others are multiples
    };
    for (const Case& c :
         {Case{1, 1, 22050, 1, 0.4}, Case{4, 4, 22050, 0.25, 0.1}, Case{0.5, 0.125, 22050, 2, 3.2},
          Case{1, 1, 0, 1, 0.4}, Case{1, 1, 44100, 2, 0.2}, Case{2, 0.25, 11025, 0.25, 3.2}}) {
        SCOPED_TRACE(testing::Message() << c.vzoom << " " << c.hzoom << " " << c.rate);
        const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, c.vzoom, c.hzoom, c.rate);
        ASSERT_EQ(a.labels.size(), 6u + 16u);
        for (int k = 1; k <= 6; ++k)
            EXPECT_EQ(a.labels[k - 1].text, QString::number(c.kHz * k, 'f', 2));
        for (int k = 1; k <= 16; ++k)
            EXPECT_EQ(a.labels[5 + k].text, QString::number(c.seconds * k, 'f', 1));
    }
}

TEST(Spectrogram, GreyLevelsAndTheWindow) {
    const std::pair<float, int> greys[] = {{0, 255},   {72, 239},  {4500, 128},
                                           {17999, 1}, {18000, 0}, {1e9f, 0}};
    for (const auto& [mag, grey] : greys)
        EXPECT_EQ(GreyLevel(mag), grey) << mag;

    // Frame 1 of a wave that is 100 from sample 512 on: 0.08 at the ends,
    // nearly 1 in the middle, symmetric; entry 512 is left alone.
    std::vector<float> wave(1100, 0), re(513, -1), im(513, -1);
    std::fill(wave.begin() + 512, wave.end(), 100.0f);
    WindowFrame(wave, 1, re, im);
    EXPECT_FLOAT_EQ(re[0], 8);
    EXPECT_NEAR(re[255], 100, 0.001);
    EXPECT_TRUE(std::equal(re.begin(), re.begin() + 512, re.rbegin() + 1));
    EXPECT_EQ(std::count(im.begin(), im.begin() + 512, 0.0f), 512);
    EXPECT_EQ(re[512], -1);
    EXPECT_NEAR(std::accumulate(re.begin(), re.begin() + 512, 0.0), 100 * 276.02, 0.05);
    WindowFrame(wave, 2, re, im); // no whole frame 2: nothing
    EXPECT_FLOAT_EQ(re[0], 8);
}

// Cells at the design size: 3-pixel columns from x = 61, 2-pixel rows up from
// y = 291, none on the frame.
TEST(Spectrogram, CellsAtTheDesignSize) {
    const SpectrogramPlan p = PlanSpectrogram(505, 329, 1, 1, 143 * 512 + 511);
    EXPECT_EQ(p.FrameCount, 143);
    ASSERT_EQ(p.rows.size(), 138u); // rows 0 ... 136 full, 137 cut off at the top
    for (int k = 0; k <= 136; ++k) {
        EXPECT_EQ(p.rows[k].yBottom, 291 - 2 * k);
        EXPECT_EQ(p.rows[k].yTop, 289 - 2 * k);
        EXPECT_EQ(p.rows[k].bin, k + 1);
        EXPECT_TRUE(p.rows[k].yields);
    }
    EXPECT_EQ(p.rows[137].yBottom, 17);
    EXPECT_EQ(p.rows[137].yTop, 16);
    EXPECT_FALSE(p.rows[137].yields);
    // The closing column looks a row further up: its last box is two rows tall.
    ASSERT_EQ(p.closingRows.size(), 137u);
    EXPECT_EQ(p.closingRows[136].yBottom, 19);
    EXPECT_EQ(p.closingRows[136].yTop, 16);
    EXPECT_FALSE(p.closingRows[136].yields);
    for (int j = 0; j < 142; ++j) {
        const CellColumn c = ColumnOf(p, j);
        EXPECT_EQ(c.xLeft, 61 + 3 * j);
        EXPECT_EQ(c.xRight, 64 + 3 * j);
        EXPECT_FALSE(c.closing);
    }
    const CellColumn last = ColumnOf(p, 142); // 61 + 3 x 143 = 490
    EXPECT_TRUE(last.closing);
    EXPECT_EQ(last.xLeft, 487);
    EXPECT_EQ(last.xRight, 489);
}

TEST(Spectrogram, ZoomAndOddSizes) {
    const SpectrogramPlan wide = PlanSpectrogram(505, 329, 1, 0.125f, 1200 * 512);
    EXPECT_FALSE(ColumnOf(wide, 1142).closing); // 1144 frames, 26.6 s
    EXPECT_TRUE(ColumnOf(wide, 1143).closing);
    EXPECT_EQ(PlanSpectrogram(505, 329, 4, 1, 0).rows.size(), 35u);     // 8-pixel rows
    EXPECT_EQ(PlanSpectrogram(505, 329, 0.5f, 1, 0).rows.size(), 276u); // 1-pixel rows

    // 512 wide: column 142 ends at 495.95, a fraction short of the frame at
    // 496, whose pixel its box would cover; the closing column starts there.
    const SpectrogramPlan p512 = PlanSpectrogram(512, 329, 1, 1, 200 * 512);
    EXPECT_FALSE(ColumnOf(p512, 142).closing);
    EXPECT_EQ(ColumnOf(p512, 142).xRight, 495);
    EXPECT_TRUE(ColumnOf(p512, 143).closing);
    EXPECT_EQ(ColumnOf(p512, 143).xLeft, 495);

    // 320 high at VZoom 0.5: half-pixel rows, more than there are bins; the
    // rows above bin 512 stay white.
    const SpectrogramPlan tall = PlanSpectrogram(505, 320, 0.5f, 1, 0);
    ASSERT_EQ(tall.rows.size(), 512u);
    EXPECT_EQ(tall.rows.back().yTop, 283 - 256);
    EXPECT_EQ(tall.closingRows.back().bin, 512);
    EXPECT_TRUE(PlanSpectrogram(1, 1, 1, 1, 5000).rows.empty()); // no room inside
}

// The last step and value of the voiceprint's bar over x = 60 ... 490.
TEST(PlaybackProgress, BarStepsEndWithTheSoundOrAtThePlotsEdge) {
    struct Case {
        std::int32_t samples;
        double rate;
        float hzoom;
        int lastStep, lastValue;
    };
    for (const Case& c : {Case{44100, 22050, 1, 20, 258}, Case{110250, 22050, 1, 33, 426},
                          Case{44100, 22050, 2, 16, 413}, Case{88200, 44100, 1, 16, 413},
                          Case{1, 22050, 1, 0, 0}}) {
        SCOPED_TRACE(testing::Message() << c.samples << " " << c.rate << " " << c.hzoom);
        const VoiceprintBar bar = PlanVoiceprintBar(c.samples, c.rate, c.hzoom, 60, 490, 430);
        int step = 0;
        while (VoiceprintBarAt(bar, step + 1))
            ++step;
        EXPECT_EQ(step, c.lastStep);
        EXPECT_EQ(step ? *VoiceprintBarAt(bar, step) : 0, c.lastValue);
    }
    EXPECT_FALSE(PlanWholeWaveBar(1, 22050, 825).moves); // the main window's, with 1 sample
}
