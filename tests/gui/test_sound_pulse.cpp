// The real sound output against a real audio server: what it plays is
// recorded from the server's null sink and measured. Run through
// scripts/test.sh, which starts the server; elsewhere these tests skip.
#include "PulseMonitor.h"
#include "WavTestFiles.h"
#include "sound/QtSoundOutput.h"
#include "sound/Ticks.h"

#include <QElapsedTimer>
#include <QTemporaryDir>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>
#include <numbers>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

constexpr int ImageRate = 22050;
constexpr int ImageSamples = 60550;

// The synthesis window's image: 8-bit mono at 22050 per second, a format
// chunk of 18 bytes whose extra-size field says 1157 with nothing after it,
// a fact chunk, then 60550 samples repeating one period of `period` samples.
wavtest::Bytes SynthImage(int period) {
    using namespace wavtest;
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, 60600);
    PutId(b, "WAVE");
    PutId(b, "fmt ");
    Put32(b, 18);
    Put16(b, 1);
    Put16(b, 1);
    Put32(b, ImageRate);
    Put32(b, ImageRate);
    Put16(b, 1);
    Put16(b, 8);
    Put16(b, 1157);
    PutId(b, "fact");
    Put32(b, 4);
    Put32(b, ImageSamples);
    PutId(b, "data");
    Put32(b, ImageSamples);
    for (int k = 0; k < ImageSamples; ++k)
        b.push_back(std::uint8_t(
            std::lround(128 + 100 * std::sin(2 * std::numbers::pi * (k % period) / period))));
    b.push_back(0); // the byte past the image that the window's array also holds
    return b;
}

// `seconds` of a sine at `hz` as a 16-bit file, the same on every channel.
wavtest::Bytes Tone(double hz, double seconds, int rate, int channels) {
    wavtest::WavDesc d;
    d.channels = std::uint16_t(channels);
    d.bits = 16;
    d.rate = std::uint32_t(rate);
    std::vector<int> ch;
    for (int i = 0; i < int(seconds * rate); ++i)
        ch.push_back(int(std::lround(12000 * std::sin(2 * std::numbers::pi * hz * i / rate))));
    d.data = wavtest::Samples16(std::vector<std::vector<int>>(std::size_t(channels), ch));
    return wavtest::MakeWav(d);
}

} // namespace

TEST(SoundServer, ImageIsHeardWholeAtItsPitchBeforeTheCallReturns) {
    TAVREL_REQUIRE_SOUND_SERVER();
    const int period = 100;
    const wavtest::Bytes image = SynthImage(period);
    QtSoundOutput out;
    ExpectWholeToneHeardBeforeReturn(RecordPlayImageAndWait(out, image.data(), image.size()),
                                     double(ImageRate) / period, double(ImageSamples) / ImageRate);
}

TEST(SoundServer, SecondFileReplacesTheFirst) {
    TAVREL_REQUIRE_SOUND_SERVER();
    QTemporaryDir dir;
    const QString first = wavtest::WriteFile(dir, "first.wav", Tone(440, 3.0, 44100, 2));
    // Another format, so that it plays through another device stream.
    const QString second = wavtest::WriteFile(dir, "second.wav", Tone(660, 1.0, 22050, 1));
    QElapsedTimer clock;
    clock.start();
    MonitorRecording rec(clock);
    ASSERT_TRUE(rec.Start()) << "no data from parec";
    rec.RunFor(200);

    QtSoundOutput out;
    SystemTickClock ticks;
    const double startedMs = double(clock.elapsed());
    ASSERT_TRUE(out.StartPlayingFile(first));
    EXPECT_LT(double(clock.elapsed()) - startedMs, 500) << "did not return at once";
    WaitUntilTick(ticks, ticks.Now() + 1000);
    const double switchedMs = double(clock.elapsed());
    ASSERT_TRUE(out.StartPlayingFile(second));
    rec.RunFor(1600);

    const auto span = LoudSpan(rec.samples, rec.Rate, 2000, rec.SampleAtMs(startedMs - 50));
    ASSERT_TRUE(span) << "nothing was heard";
    // 1 s of the first, then the whole second: 2 s in all, not the first's 3.
    EXPECT_NEAR(double(span->size()) / rec.Rate, 2.0, 0.2);

    // 50 ms windows: which tone each holds, and whether the other is in it.
    const std::size_t w = rec.Rate / 20;
    const std::size_t cut = rec.SampleAtMs(switchedMs);
    int firstAfterCut = 0, mixed = 0;
    std::size_t lastFirst = span->begin;
    for (std::size_t b = span->begin + w; b + 2 * w <= span->end; b += w) {
        const SampleSpan win{b, b + w};
        const double a440 = ToneAmplitude(rec.samples, win, rec.Rate, 440);
        const double a660 = ToneAmplitude(rec.samples, win, rec.Rate, 660);
        if (a440 > a660)
            lastFirst = b + w;
        if (b >= cut + rec.Rate / 5 && a440 > a660)
            ++firstAfterCut;
        if (std::min(a440, a660) > 0.1 * std::max(a440, a660))
            ++mixed;
    }
    std::printf("heard %.3f s in all; the first cut off within %.0f ms of the second's start\n",
                double(span->size()) / rec.Rate, rec.TimeOfSampleMs(lastFirst) - switchedMs);
    EXPECT_EQ(firstAfterCut, 0) << "the first sound played on after the second started";
    EXPECT_LE(mixed, 1) << "the two sounds played together"; // the window across the cut
    const SampleSpan tail{span->end - rec.Rate / 2, span->end - w};
    EXPECT_NEAR(ZeroCrossingHz(rec.samples, tail, rec.Rate), 660, 6.6);
}

// In a process of its own, since the audio library keeps its first connection.
TEST(SoundServerDeathTest, WithoutServerBothCallsReturnAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const QString file = wavtest::WriteFile(dir, "tone.wav", Tone(440, 3.0, 44100, 2));
    const wavtest::Bytes image = SynthImage(100);
    EXPECT_EXIT(
        {
            alarm(10); // a hang ends the child, and fails the test
            qputenv("PULSE_SERVER", "unix:/nonexistent/tavrel/native");
            QElapsedTimer t;
            t.start();
            QtSoundOutput out;
            const bool played = out.PlayImageAndWait(image.data(), image.size());
            const bool started = out.StartPlayingFile(file);
            const bool prompt = t.elapsed() < 2000;
            std::_Exit(!played && !started && prompt ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
