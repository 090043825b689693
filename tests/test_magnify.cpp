// Region magnification and period capture, computed without a window.
#include "analysis/Magnify.h"

#include <gtest/gtest.h>
#include <cmath>

using namespace tavrel;

namespace {

AnalysisState Recording(int n) {
    AnalysisState s;
    s.SampleCount = n;
    s.WaveData = FloatArray(static_cast<std::size_t>(n));
    s.RegionData = FloatArray(static_cast<std::size_t>(n));
    s.FftImag = FloatArray(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i)
        s.WaveData[i] = static_cast<float>(i % 1000);
    return s;
}

} // namespace

TEST(MagnifyRegion, StartIsMovedBackSoTheRegionEndsOnTheLastSample) {
    EXPECT_EQ(RegionStart(22050, 520, 521, 520), 22050 - 1 - 520);
    EXPECT_EQ(RegionStart(100, 300, 521, 520), 0); // shorter than the region
    EXPECT_EQ(RegionStart(521, 400, 521, 520), 0); // exactly one region long
}

TEST(MagnifyRegion, CopyNeverReadsPastTheRecording) {
    AnalysisState s = Recording(2000);
    EXPECT_EQ(CopyRegion(s, 100, 520), 521);
    EXPECT_EQ(s.RegionData[0], 100);
    EXPECT_EQ(s.RegionData[520], 620);

    AnalysisState shortOne = Recording(300);
    EXPECT_EQ(CopyRegion(shortOne, 0, 520), 300);
    EXPECT_EQ(shortOne.RegionData[299], 299);
    EXPECT_EQ(CopyRegion(shortOne, 300, 520), 0);
    EXPECT_EQ(CopyRegion(shortOne, -1, 520), 0);
}

TEST(MagnifyRegion, RedrawKeepsFractionalHeights) {
    AnalysisState s = Recording(600);
    for (int k = 0; k <= 520; ++k)
        s.RegionData[k] = 0;
    s.RegionData[0] = 30;
    s.RegionData[1] = 1; // 64 * 1 / 30 = 2.133...
    const auto first = MagnifiedPoints(s, 521, 152, false);
    const auto redraw = MagnifiedPoints(s, 521, 152, true);
    EXPECT_EQ(first[1].y(), 74);
    EXPECT_NEAR(redraw[1].y(), 76 - 64.0 / 30, 1e-9);
}

class PeriodCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        s = Recording(2000);
        CopyRegion(s, 0, 520);
    }
    CaptureResult Capture(float x1, float x2, double rate = 44100, int length = 521) {
        s.MarkX1 = x1;
        s.MarkX2 = x2;
        return CapturePeriod(s, length, rate);
    }
    AnalysisState s;
};

TEST_F(PeriodCaptureTest, RefusalsCaptureNothing) {
    ASSERT_EQ(Capture(50, 150), CaptureResult::Captured);
    const auto before = s.PeriodData;
    EXPECT_EQ(Capture(50, 52), CaptureResult::TooClose);
    EXPECT_EQ(Capture(50, 53, 0), CaptureResult::BadRate);
    EXPECT_EQ(Capture(50, 53, -44100), CaptureResult::BadRate);
    EXPECT_EQ(Capture(50, 60, 44100, 55), CaptureResult::OutsideSamples);
    EXPECT_EQ(s.PeriodSamples, 100);
    EXPECT_EQ(s.PeriodData, before);
    EXPECT_EQ(Capture(50, 53), CaptureResult::Captured); // exactly 3 apart
}

TEST_F(PeriodCaptureTest, PeriodLongerThanTheBufferIsRefused) {
    AnalysisState wide = Recording(4000);
    CopyRegion(wide, 0, 2000);
    wide.MarkX1 = 0;
    wide.MarkX2 = 1500;
    EXPECT_EQ(CapturePeriod(wide, 2001, 44100), CaptureResult::TooLong);
    wide.MarkX2 = 1499;
    EXPECT_EQ(CapturePeriod(wide, 2001, 44100), CaptureResult::Captured);
    EXPECT_EQ(wide.PeriodData[1499], wide.RegionData[1499]);
}
