// The real output as a real audio server's null sink plays it (start_pulse in
// scripts/services.sh), recorded from its monitor with parec as mono 16-bit samples.
#include "FakePlatform.h"
#include "Tools.h"
#include "WavTestFiles.h"

#include "app/MainWindow.h"
#include "sound/QtSoundOutput.h"
#include "synthesis/SynthSound.h"
#include "voiceprint/Form3.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <unistd.h>

using namespace tavrel;
using namespace tavrel::test;

namespace {

constexpr int MonitorRate = 44100;
using Samples = std::vector<std::int16_t>;

// Empty when a server answers at PULSE_SERVER and parec is there; else why not.
QString SoundServerMissing() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || Tool("parec").isEmpty())
        return "PULSE_SERVER (scripts/services.sh: start_pulse) or parec (pulseaudio-utils)";
    QProcess info;
    info.start("pactl", {"info"});
    if (!info.waitForFinished(5000) || info.exitCode() != 0) // a signal's number if it crashed
        return "no sound server answers at " + qEnvironmentVariable("PULSE_SERVER");
    return {};
}

// Rising zero crossings, placed between samples; the sink's silence is exact zeros.
std::vector<double> Crossings(const Samples& s, std::size_t from, std::size_t to) {
    std::vector<double> at;
    for (std::size_t i = from + 1; i < to; ++i)
        if (s[i - 1] < 0 && s[i] >= 0)
            at.push_back(double(i - 1) + s[i - 1] / double(s[i - 1] - s[i]));
    return at;
}

// Which of `tones` each 20 ms block holds, runs merged; all periods within 5 %,
// so a block of silence, of a change, or of two at once holds none.
std::vector<int> PitchRuns(const Samples& s, std::size_t from, std::initializer_list<int> tones) {
    std::vector<int> runs;
    for (std::size_t i = from, n = MonitorRate / 50; i + n <= s.size(); i += n) {
        const std::vector<double> at = Crossings(s, i, i + n);
        for (int t : tones)
            if (at.size() > 2 && (runs.empty() || runs.back() != t) &&
                std::adjacent_find(at.begin(), at.end(), [t](double a, double b) {
                    return std::abs((b - a) * t / MonitorRate - 1) > 0.05;
                }) == at.end())
                runs.push_back(t);
    }
    return runs;
}

// Records while the event loop runs. Holds the server from Start() on: ctest
// runs tests side by side, and the monitor hears every sound played.
struct MonitorRecording {
    ~MonitorRecording() { m_parec.close(); }
    bool Start() {
        if (!m_lock.tryLock(120000)) // bounded: a stuck holder fails the test, not hangs it
            return false;
        m_clock.start();
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { Collect(); });
        m_parec.start("parec", {"-d", "null.monitor", "--raw", "--format=s16le", "--channels=1",
                                "--rate=" + QString::number(MonitorRate), "--latency-msec=20"});
        for (int k = 0; k < 100 && samples.empty(); ++k)
            RunFor(100);
        return !samples.empty();
    }
    void RunFor(int ms) {
        QTest::qWait(ms);
        Collect();
    }
    // The sample playing now, never placed late: a piece arrives after it played,
    // so the earliest (arrival - length so far) is the latest sample 0 played.
    std::size_t Now() const {
        return std::size_t(std::max<qint64>(0, m_clock.elapsed() - m_startMs) * MonitorRate / 1000);
    }

    Samples samples;
    void Collect() {
        const QByteArray b = m_parec.read(m_parec.bytesAvailable() / 2 * 2);
        for (qsizetype k = 0; k < b.size(); k += 2)
            samples.push_back(std::int16_t(std::uint8_t(b[k]) | std::uint8_t(b[k + 1]) << 8));
        if (!samples.empty())
            m_startMs = std::min(m_startMs,
                                 m_clock.elapsed() - qint64(samples.size()) * 1000 / MonitorRate);
    }

    QLockFile m_lock{QString("/tmp/tavrel-sound-tests-%1.lock")
                         .arg(qHash(qEnvironmentVariable("PULSE_SERVER")))};
    QElapsedTimer m_clock;
    QProcess m_parec;
    qint64 m_startMs = INT64_MAX;
};

// 16-bit sines of (hz, seconds) one after the other, the same on every channel.
wavtest::Bytes Tones(std::uint32_t rate, std::uint16_t channels,
                     std::vector<std::pair<double, double>> parts) {
    std::vector<int> v;
    double phase = 0;
    for (const auto& [hz, seconds] : parts)
        for (long i = 0; i < std::lround(seconds * rate); ++i)
            v.push_back(int(std::lround(12000 * std::sin(phase += 2 * M_PI * hz / rate))));
    return wavtest::MakeWav({1, channels, rate, 16, wavtest::Samples16(std::vector(channels, v))});
}

} // namespace

// A restart is heard as low again. The last file, another format, plays
// through another device stream; it must cut the first off, not mix or wait.
TEST(SoundServer, WindowsPlayTheLoadedFileAndANewRequestCutsItOff) {
    if (const QString why = SoundServerMissing(); !why.isEmpty())
        REQUIRE_PART(why.toStdString());
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
    Form3 form(window.State(), fake.dialogs, sound, fake.clock);
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

// The synthesised image: 150 Hz for 60550 samples, whole before the call returns.
// Stopping when the sink turns idle loses ~0.1 s: hence no more than 40 ms short.
// The end is found within 10 ms, and the return is never placed early.
TEST(SoundServer, SynthesisImageIsHeardAtItsPitchForItsLength) {
    if (const QString why = SoundServerMissing(); !why.isEmpty())
        REQUIRE_PART(why.toStdString());
    std::vector<std::uint8_t> image = NewSynthImage();
    std::vector<float> wave(147);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = float(std::cos(2 * M_PI * double(i) / 147 + 0.54));
    WriteSynthSamples(image, wave.data(), 147);

    QtSoundOutput real;
    MonitorRecording rec;
    ASSERT_TRUE(rec.Start()) << "no data from parec";
    rec.RunFor(200);
    const std::size_t called = rec.Now();
    EXPECT_TRUE(real.PlayImageAndWait(image.data(), image.size()));
    const double returned = double(rec.Now());
    rec.RunFor(400);
    const std::vector<double> at = Crossings(rec.samples, called, rec.samples.size());
    ASSERT_GT(at.size(), 1u) << "nothing was heard";
    const double period = (at.back() - at.front()) / double(at.size() - 1);
    const double seconds = (at.back() - at.front() + period) / MonitorRate, want = 60550.0 / 22050;
    const double returnedAfterMs = (returned - at.back() - period) * 1000 / MonitorRate;
    EXPECT_NEAR(MonitorRate / period, 22050.0 / 147, 1.5);
    EXPECT_TRUE(seconds > want - 0.04 && seconds < want * 1.1) << seconds;
    EXPECT_TRUE(returnedAfterMs >= -10 && returnedAfterMs < 500) << returnedAfterMs;
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
