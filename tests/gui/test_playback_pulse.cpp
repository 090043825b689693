// Playing the loaded file through the real sound output, from the main
// window and from the voiceprint window, as the audio server's null sink
// hears it. Elsewhere than in a run with a server these tests skip.
#include "FakeDialogs.h"
#include "FakeTickClock.h"
#include "PulseMonitor.h"
#include "TestWav.h"

#include "app/MainWindow.h"
#include "sound/QtSoundOutput.h"
#include "sound/RecorderLauncher.h"
#include "voiceprint/Form3.h"

#include <QElapsedTimer>
#include <QPushButton>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using namespace tavrel;
using namespace tavrel::test;

namespace {

struct NoPrograms : ProgramStarter {
    bool StartDetached(const QString&) override { return false; }
};

// 0.4 s at 440 Hz, then 1.6 s at 880 Hz: a restart is heard as 440 Hz again.
QByteArray LowThenHigh() {
    std::vector<int> s(44100);
    double phase = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        phase += 2 * std::numbers::pi * (i < 8820 ? 440 : 880) / 22050;
        s[i] = int(std::lround(12000 * std::sin(phase))) & 0xffff;
    }
    return PcmWav(1, 16, 22050, s);
}

// The pitch of each loud 20 ms block, 440 or 880, in order, runs merged.
std::vector<int> PitchRuns(const Samples& s, std::size_t from) {
    const std::size_t block = MonitorRecording::Rate / 50;
    std::vector<int> runs;
    for (std::size_t i = from; i + block <= s.size(); i += block) {
        const SampleSpan span{i, i + block};
        const double low = ToneAmplitude(s, span, MonitorRecording::Rate, 440);
        const double high = ToneAmplitude(s, span, MonitorRecording::Rate, 880);
        if (std::max(low, high) < 2000)
            continue;
        const int pitch = low > high ? 440 : 880;
        if (runs.empty() || runs.back() != pitch)
            runs.push_back(pitch);
    }
    return runs;
}

} // namespace

TEST(PlaybackOnTheServer, BothWindowsPlayTheFileAndAPressRestartsIt) {
    TAVREL_REQUIRE_SOUND_SERVER();
    QTemporaryDir dir;
    const QString path = dir.filePath("low-high.wav");
    ASSERT_TRUE(WriteBytes(path, LowThenHigh()));

    FakeDialogs dialogs;
    QtSoundOutput sound;
    FakeTickClock clock; // the bars run in no time; the sound plays on its own
    NoPrograms programs;
    MainWindow window(Platform{dialogs, sound, clock, programs});
    dialogs.nextPath = path;
    window.Command1_Click();
    ASSERT_EQ(window.State().SampleCount, 44100);

    QElapsedTimer elapsed;
    elapsed.start();
    MonitorRecording rec(elapsed);
    ASSERT_TRUE(rec.Start()) << "no data from parec";
    rec.RunFor(200);
    const double firstPress = double(elapsed.elapsed());
    window.Command2->click();
    rec.RunFor(900); // into the high part
    window.Command2->click();
    rec.RunFor(900);
    Form3 form(window.State(), sound, clock);
    form.Cmd_Play->click();
    rec.RunFor(2300);

    // Low, high; low again from the second press; low again from the
    // voiceprint window's; then high to the end.
    EXPECT_EQ(PitchRuns(rec.samples, rec.SampleAtMs(firstPress - 50)),
              (std::vector<int>{440, 880, 440, 880, 440, 880}));
}
