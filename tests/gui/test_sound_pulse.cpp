// The real output from the windows as a real server hears it; images: synthesis tests.
#include "FakePlatform.h"
#include "PulseMonitor.h"
#include "WavTestFiles.h"
#include "app/MainWindow.h"
#include "sound/QtSoundOutput.h"
#include "voiceprint/Form3.h"

#include <QDeadlineTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

// 16-bit sines of (hz, seconds) one after the other, the same on every channel.
wavtest::Bytes Tones(std::uint32_t rate, std::uint16_t channels,
                     std::vector<std::pair<double, double>> parts) {
    wavtest::WavDesc d{.channels = channels, .rate = rate, .bits = 16, .data = {}};
    double phase = 0;
    for (const auto& [hz, seconds] : parts)
        for (long i = 0; i < std::lround(seconds * rate); ++i) {
            const long v = std::lround(12000 * std::sin(phase += 2 * std::numbers::pi * hz / rate));
            for (int c = 0; c < channels; ++c)
                wavtest::Put16(d.data, std::uint16_t(v));
        }
    return wavtest::MakeWav(d);
}

} // namespace

// A restart is heard as low again. The last file, another format, plays
// through another device stream; it must cut the first off, not mix or wait.
TEST(SoundServer, WindowsPlayTheLoadedFileAndANewRequestCutsItOff) {
    TAVREL_REQUIRE_SOUND_SERVER();
    QTemporaryDir dir;
    FakePlatform fake; // its clock runs the bars in no time; the sound plays on its own
    fake.dialogs.nextPath =
        wavtest::WriteFile(dir, "low-high.wav", Tones(44100, 2, {{440, 0.4}, {880, 1.6}}));
    QtSoundOutput sound;
    MainWindow window(Platform{fake.dialogs, sound, fake.clock, fake.programs});
    window.Command1_Click();

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
    const QDeadlineTimer prompt(500);
    ASSERT_TRUE(
        sound.StartPlayingFile(wavtest::WriteFile(dir, "mid.wav", Tones(22050, 1, {{660, 1.0}}))));
    EXPECT_FALSE(prompt.hasExpired()) << "did not return at once";
    rec.RunFor(800); // the first would play on for 1 s
    EXPECT_EQ(PitchRuns(rec.samples, from, {440, 660, 880}),
              (std::vector<int>{440, 880, 440, 880, 440, 880, 660}));
}

// In a process of its own, since the audio library keeps its first connection.
TEST(SoundServerDeathTest, WithoutServerBothCallsReturnAtOnce) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    QTemporaryDir dir;
    const wavtest::Bytes wav = Tones(44100, 2, {{440, 3.0}});
    const QString file = wavtest::WriteFile(dir, "tone.wav", wav);
    EXPECT_EXIT(
        {
            alarm(10); // a hang ends the child, and fails the test
            qputenv("PULSE_SERVER", "unix:/nonexistent/tavrel/native");
            const QDeadlineTimer prompt(2000);
            QtSoundOutput out;
            const bool played = out.PlayImageAndWait(wav.data(), wav.size());
            const bool started = out.StartPlayingFile(file);
            std::_Exit(!played && !started && !prompt.hasExpired() ? 0 : 1);
        },
        testing::ExitedWithCode(0), "");
}
