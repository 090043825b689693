// The voiceprint's geometry worked out by hand: axes, cells and the playback bar.
#include "sound/PlaybackProgress.h"
#include "voiceprint/Form3Rules.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <algorithm>

using namespace tavrel;

// 505 x 329: frequency ticks at y = 292 - 23 i, long and labelled at even i; time ticks
// for i = 4, 8 ... 64, short at 60 + 6.5 i, long and labelled at 60 + 13 i.
TEST(VoiceprintAxes, TicksAndLabelsForEachZoomAndRate) {
    // Zooms and rate, then the first label of each axis; the others are multiples.
    const std::tuple<float, float, double, double, double> cases[] = {
        {1, 1, 22050, 1, 0.4}, {4, 4, 22050, 0.25, 0.1}, {0.5, 0.125, 22050, 2, 3.2},
        {1, 1, 0, 1, 0.4},     {1, 1, 44100, 2, 0.2},    {2, 0.25, 11025, 0.25, 3.2}};
    for (const auto& [vzoom, hzoom, rate, kHz, seconds] : cases) {
        SCOPED_TRACE(testing::Message() << vzoom << " " << hzoom << " " << rate);
        const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, vzoom, hzoom, rate);
        ASSERT_EQ(std::tuple(a.ticks.size(), a.labels.size()), std::tuple(12u + 2 * 16u, 6u + 16u));
        EXPECT_EQ(std::tuple(a.labels[0].x, a.labels[0].y), std::tuple(30, 241));
        for (int i = 1; i <= 12; ++i) {
            const AxisLine& t = a.ticks[i - 1];
            EXPECT_EQ(std::tuple(t.x1, t.y1, t.x2), std::tuple(i % 2 ? 58 : 56, 292 - 23 * i, 60));
            EXPECT_TRUE(i > 6 || a.labels[i - 1].text == QString::number(kHz * i, 'f', 2)) << i;
        }
        for (int k = 1; k <= 16; ++k) {
            const AxisLine &s = a.ticks[10 + 2 * k], &l = a.ticks[11 + 2 * k];
            const AxisText& t = a.labels[5 + k];
            EXPECT_EQ(std::tuple(s.x1, s.y2, l.x1, l.y2, t.x, t.y, t.text),
                      std::tuple(60 + 26 * k, 294, 60 + 52 * k, 296, 56 + 52 * k, 297,
                                 QString::number(seconds * k, 'f', 1)));
        }
    }
    const VoiceprintAxes big = LayOutVoiceprintAxes(1010, 658, 1, 1, 22050); // scaled, then floored
    EXPECT_EQ(std::tuple(big.titles[4].x, big.titles[4].y), std::tuple(480, 616));

    // The first time labels for each rate at horizontal zooms 4, 2, 1 ... 0.125: one decimal at
    // the design rate, and elsewhere the fewest that keep every label, and the origin's 0, apart.
    const std::pair<int, const char*> firstLabels[] = {
        {22050, "0.1 0.2 0.3|0.2 0.4 0.6|0.4 0.8 1.2|0.8 1.6 2.4|1.6 3.2 4.8|3.2 6.4 9.6"},
        {44100, "0.05 0.10 0.15|0.1 0.2 0.3|0.2 0.4 0.6|0.4 0.8 1.2|0.8 1.6 2.4|1.6 3.2 4.8"},
        {48000, "0.05 0.09 0.14|0.09 0.18 0.28|0.2 0.4 0.6|0.4 0.7 1.1|0.7 1.5 2.2|1.5 2.9 4.4"}};
    for (const auto& [rate, rows] : firstLabels) {
        QStringList got;
        for (const float zoom : {4.0f, 2.0f, 1.0f, 0.5f, 0.25f, 0.125f}) {
            const VoiceprintAxes a = LayOutVoiceprintAxes(505, 329, 1, zoom, rate);
            got << a.labels[6].text + " " + a.labels[7].text + " " + a.labels[8].text;
        }
        EXPECT_EQ(got.join('|'), rows) << rate;
    }
}

TEST(Spectrogram, GreyLevelsAndTheWindow) {
    for (const auto& [mag, grey] :
         {std::pair{0.f, 255}, {72.f, 239}, {4500.f, 128}, {17999.f, 1}, {18000.f, 0}, {1e9f, 0}})
        EXPECT_EQ(GreyLevel(mag), grey) << mag;
    // Frame 1 of a wave of 100 from sample 512 on: 0.08 at the ends, symmetric; no frame 2.
    std::vector<float> wave(1100, 0), re(513, -1), im(513, -1);
    std::fill(wave.begin() + 512, wave.end(), 100.0f);
    WindowFrame(wave, 1, re, im);
    WindowFrame(wave, 2, re, im);
    EXPECT_EQ(std::tuple(re[0], re[512], std::count(im.begin(), im.end() - 1, 0.0f)),
              std::tuple(8.0f, -1.0f, 512));
    EXPECT_NEAR(re[255], 100, 0.001);
    EXPECT_TRUE(std::equal(re.begin(), re.begin() + 512, re.rbegin() + 1));
}

// Rows 2 px up from y = 291, row 137 cut off; the closing column, frame 142, looks a row
// further up, so its last box is two rows tall.
TEST(Spectrogram, RowsColumnsAndTheClosingColumn) {
    const SpectrogramPlan p = PlanSpectrogram(505, 329, 1, 1, 143 * 512 + 511);
    ASSERT_EQ(std::tuple(p.FrameCount, p.rows.size(), p.closingRows.size()),
              std::tuple(143, 138u, 137u));
    const CellRow &r0 = p.rows[0], &r137 = p.rows[137], &c136 = p.closingRows[136];
    EXPECT_EQ(std::tuple(r0.yBottom, r0.yTop, r0.bin, r0.yields), std::tuple(291, 289, 1, true));
    EXPECT_EQ(std::tuple(r137.yBottom, r137.yTop, r137.bin, r137.yields),
              std::tuple(17, 16, 138, false));
    EXPECT_EQ(std::tuple(c136.yBottom, c136.yTop, c136.yields), std::tuple(19, 16, false));
    const CellColumn c141 = ColumnOf(p, 141), c142 = ColumnOf(p, 142);
    EXPECT_EQ(
        std::tuple(c141.xLeft, c141.xRight, c141.closing, c142.xLeft, c142.xRight, c142.closing),
        std::tuple(484, 487, false, 487, 489, true));
    // 512 wide: column 142 ends at 495.95, short of the frame at 496, which it must not cover.
    const SpectrogramPlan p512 = PlanSpectrogram(512, 329, 1, 1, 200 * 512);
    const CellColumn d142 = ColumnOf(p512, 142), d143 = ColumnOf(p512, 143);
    EXPECT_EQ(std::tuple(d142.closing, d142.xRight, d143.closing, d143.xLeft),
              std::tuple(false, 495, true, 495));
    // Zoomed: 8- and 1-pixel rows, 1144 frames across.
    EXPECT_EQ(PlanSpectrogram(505, 329, 4, 1, 0).rows.size(), 35u);
    EXPECT_EQ(PlanSpectrogram(505, 329, 0.5f, 1, 0).rows.size(), 276u);
    const SpectrogramPlan wide = PlanSpectrogram(505, 329, 1, 0.125f, 1200 * 512);
    EXPECT_EQ(std::pair(ColumnOf(wide, 1142).closing, ColumnOf(wide, 1143).closing),
              std::pair(false, true));
    EXPECT_TRUE(PlanSpectrogram(1, 1, 1, 1, 5000).rows.empty()); // no room inside
}

// The last step and value of the voiceprint's bar over x = 60 ... 490.
TEST(PlaybackProgress, BarStepsEndWithTheSoundOrAtThePlotsEdge) {
    using Case = std::tuple<std::int32_t, double, float, int, int>;
    for (const auto& [samples, rate, hzoom, lastStep, lastValue] :
         {Case{110250, 22050, 1, 33, 426}, Case{44100, 22050, 2, 16, 413},
          Case{88200, 44100, 1, 16, 413}, Case{1, 22050, 1, 0, 0}}) {
        const VoiceprintBar bar = PlanVoiceprintBar(samples, rate, hzoom, 60, 490, 430);
        int step = 0;
        while (VoiceprintBarAt(bar, step + 1))
            ++step;
        EXPECT_EQ(std::pair(step, step ? *VoiceprintBarAt(bar, step) : 0),
                  std::pair(lastStep, lastValue))
            << samples << " " << rate << " " << hzoom;
    }
    EXPECT_FALSE(PlanWholeWaveBar(1, 22050, 825).moves); // the main window's, with 1 sample
}
