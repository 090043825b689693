// The voiceprint's geometry worked out by hand: axes, cells and the playback bar.
#include "sound/PlaybackProgress.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"

#include <gtest/gtest.h>

#include <numeric>

using namespace tavrel;

// At 505 x 329: frequency ticks i = 1 ... 12 at y = 292 - 23 i, 4 px long and
// labelled at even i, else 2 px; time ticks for i = 4, 8 ... 64, short at
// 60 + 6.5 i and long, labelled, at 60 + 13 i (beyond the picture from i = 36).
// Bins and frames of other rates stand for other hertz and seconds.
TEST(VoiceprintAxes, TicksAndLabelsForEachZoomAndRate) {
    struct Case {
        float vzoom, hzoom;
        double rate, kHz, seconds; // the first label of each axis; the others are multiples
    };
    for (const Case& c :
         {Case{1, 1, 22050, 1, 0.4}, Case{4, 4, 22050, 0.25, 0.1}, Case{0.5, 0.125, 22050, 2, 3.2},
          Case{1, 1, 0, 1, 0.4}, Case{1, 1, 44100, 2, 0.2}, Case{2, 0.25, 11025, 0.25, 3.2}}) {
        SCOPED_TRACE(testing::Message() << c.vzoom << " " << c.hzoom << " " << c.rate);
        const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, c.vzoom, c.hzoom, c.rate);
        const PlotFrame& f = a.frame;
        EXPECT_EQ(std::tuple(f.PlotLeft, f.PlotRight, f.PlotTop, f.PlotBottom),
                  std::tuple(60, 490, 15, 292));
        ASSERT_EQ(a.ticks.size(), 12u + 2 * 16u);
        ASSERT_EQ(a.labels.size(), 6u + 16u);
        for (int i = 1; i <= 12; ++i) {
            const AxisLine& t = a.ticks[i - 1];
            EXPECT_EQ(std::tuple(t.x1, t.y1, t.x2), std::tuple(i % 2 ? 58 : 56, 292 - 23 * i, 60))
                << i;
        }
        for (int k = 1; k <= 6; ++k)
            EXPECT_EQ(a.labels[k - 1].text, QString::number(c.kHz * k, 'f', 2));
        EXPECT_EQ(std::tuple(a.labels[0].x, a.labels[0].y), std::tuple(30, 241));
        for (int k = 1; k <= 16; ++k) {
            const AxisLine &s = a.ticks[10 + 2 * k], &l = a.ticks[11 + 2 * k];
            const AxisText& t = a.labels[5 + k];
            EXPECT_EQ(std::tuple(s.x1, s.y2, l.x1, l.y2),
                      std::tuple(60 + 26 * k, 294, 60 + 52 * k, 296));
            EXPECT_EQ(std::tuple(t.x, t.y, t.text),
                      std::tuple(56 + 52 * k, 297, QString::number(c.seconds * k, 'f', 1)));
        }
    }
    // Another size scales every position before flooring.
    const VoiceprintAxes big = LayOutVoiceprintAxes(1010, 658, 1, 1, 22050);
    EXPECT_EQ(std::tuple(big.titles[4].x, big.titles[4].y, big.ticks.size()),
              std::tuple(480, 616, 44u));
}

TEST(Spectrogram, GreyLevelsAndTheWindow) {
    for (const auto& [mag, grey] :
         {std::pair{0.f, 255}, {72.f, 239}, {4500.f, 128}, {17999.f, 1}, {18000.f, 0}, {1e9f, 0}})
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

// 3-pixel columns from x = 61, 2-pixel rows up from y = 291, none on the frame.
TEST(Spectrogram, CellsAtTheDesignSize) {
    const SpectrogramPlan p = PlanSpectrogram(505, 329, 1, 1, 143 * 512 + 511);
    EXPECT_EQ(p.FrameCount, 143);
    ASSERT_EQ(p.rows.size(), 138u); // rows 0 ... 136 full, 137 cut off at the top
    for (int k = 0; k <= 137; ++k) {
        const CellRow& r = p.rows[k];
        EXPECT_EQ(std::tuple(r.yBottom, r.yTop, r.bin, r.yields),
                  k < 137 ? std::tuple(291 - 2 * k, 289 - 2 * k, k + 1, true)
                          : std::tuple(17, 16, k + 1, false));
    }
    // The closing column looks a row further up: its last box is two rows tall.
    ASSERT_EQ(p.closingRows.size(), 137u);
    EXPECT_EQ(
        std::tuple(p.closingRows[136].yBottom, p.closingRows[136].yTop, p.closingRows[136].yields),
        std::tuple(19, 16, false));
    for (int j = 0; j <= 142; ++j) { // 61 + 3 x 143 = 490: the last column ends at the frame
        const CellColumn c = ColumnOf(p, j);
        EXPECT_EQ(std::tuple(c.xLeft, c.xRight, c.closing),
                  j < 142 ? std::tuple(61 + 3 * j, 64 + 3 * j, false) : std::tuple(487, 489, true));
    }
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
    const CellColumn c142 = ColumnOf(p512, 142), c143 = ColumnOf(p512, 143);
    EXPECT_EQ(std::tuple(c142.closing, c142.xRight, c143.closing, c143.xLeft),
              std::tuple(false, 495, true, 495));

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
        const VoiceprintBar bar = PlanVoiceprintBar(c.samples, c.rate, c.hzoom, 60, 490, 430);
        int step = 0;
        while (VoiceprintBarAt(bar, step + 1))
            ++step;
        EXPECT_EQ(std::pair(step, step ? *VoiceprintBarAt(bar, step) : 0),
                  std::pair(c.lastStep, c.lastValue))
            << c.samples << " " << c.rate << " " << c.hzoom;
    }
    EXPECT_FALSE(PlanWholeWaveBar(1, 22050, 825).moves); // the main window's, with 1 sample
}
