// The real sound output, from the windows too, as a real audio server hears it.
#include "FakePlatform.h"
#include "PulseMonitor.h"
#include "WavTestFiles.h"
#include "app/MainWindow.h"
#include "sound/QtSoundOutput.h"
#include "voiceprint/Form3.h"

#include <QPushButton>
#include <QTemporaryDir>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// Sines of (hz, seconds) one after the other, the same on every channel.
wavtest::Bytes Tones(std::uint32_t rate, std::uint16_t channels, std::uint16_t bits,
                     std::vector<std::pair<double, double>> parts) {
    wavtest::WavDesc d{.channels = channels, .rate = rate, .bits = bits, .data = {}};
    double phase = 0;
    for (const auto& [hz, seconds] : parts)
        for (long i = 0; i < std::lround(seconds * rate); ++i) {
            const long v = std::lround(12000 * std::sin(phase += 2 * std::numbers::pi * hz / rate));
            for (int c = 0; c < channels; ++c)
                bits == 8 ? d.data.push_back(std::uint8_t(128 + v / 128))
                          : wavtest::Put16(d.data, std::uint16_t(v));
        }
    return wavtest::MakeWav(d);
}

} // namespace

// The synthesis window's kind of sound: 8-bit mono at 22050 per second.
TEST(SoundServer, ImageIsHeardWholeAtItsPitchBeforeTheCallReturns) {
    TAVREL_REQUIRE_SOUND_SERVER();
    const wavtest::Bytes image =
        Tones(22050, 1, 8, {{220.5, 60550 / 22050.0}}); // 100-sample period
    QtSoundOutput out;
    ExpectWholeToneHeardBeforeReturn(RecordPlayImageAndWait(out, image.data(), image.size()), 220.5,
                                     60550 / 22050.0);
}

// A restart is heard as low again. The last file, another format, plays
// through another device stream, and must still cut the first off.
TEST(SoundServer, WindowsPlayTheLoadedFileAndANewRequestCutsItOff) {
    TAVREL_REQUIRE_SOUND_SERVER();
    QTemporaryDir dir;
    FakePlatform fake; // its clock runs the bars in no time; the sound plays on its own
    fake.dialogs.nextPath =
        wavtest::WriteFile(dir, "low-high.wav", Tones(44100, 2, 16, {{440, 0.4}, {880, 1.6}}));
    QtSoundOutput sound;
    MainWindow window(Platform{fake.dialogs, sound, fake.clock, fake.programs});
    window.Command1_Click();
    ASSERT_EQ(window.State().SampleCount, 88200);

    MonitorRecording rec;
    ASSERT_TRUE(rec.Start()) << "no data from parec";
    rec.RunFor(200);
    const std::size_t from = rec.Now();
    window.Command2->click();
    rec.RunFor(900); // into the high part
    window.Command2->click();
    rec.RunFor(900);
    Form3 form(window.State(), sound, fake.clock);
    form.Cmd_Play->click();
    rec.RunFor(1000);
    QElapsedTimer call;
    call.start();
    ASSERT_TRUE(sound.StartPlayingFile(
        wavtest::WriteFile(dir, "mid.wav", Tones(22050, 1, 16, {{660, 1.0}}))));
    EXPECT_LT(call.elapsed(), 500) << "did not return at once";
    rec.RunFor(1600);
    EXPECT_EQ(PitchRuns(rec.samples, from, {440, 660, 880}),
              (std::vector<int>{440, 880, 440, 880, 440, 880, 660}));
}

// In a process of its own, since the audio library keeps its first connection.
TEST(SoundServerDeathTest, WithoutServerBothCallsReturnAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const wavtest::Bytes wav = Tones(44100, 2, 16, {{440, 3.0}});
    const QString file = wavtest::WriteFile(dir, "tone.wav", wav);
    EXPECT_EXIT(
        {
            alarm(10); // a hang ends the child, and fails the test
            qputenv("PULSE_SERVER", "unix:/nonexistent/tavrel/native");
            QElapsedTimer t;
            t.start();
            QtSoundOutput out;
            const bool played = out.PlayImageAndWait(wav.data(), wav.size());
            const bool started = out.StartPlayingFile(file);
            std::_Exit(!played && !started && t.elapsed() < 2000 ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
