// The real output and input on a real audio server's null sink (start_pulse in
// scripts/services.sh, or a server of the test's own): what was played is recorded
// from the sink's monitor with parec as mono 16-bit samples.
#include "FakePlatform.h"
#include "Tools.h"
#include "WavTestFiles.h"

#include "app/MainWindow.h"
#include "sound/PulseSoundInput.h"
#include "sound/PulseSoundOutput.h"
#include "sound/Ticks.h"
#include "synthesis/SynthSound.h"
#include "voiceprint/Form3.h"

#include <QDeadlineTimer>
#include <QLockFile>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <csignal>

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
    explicit MonitorRecording(QString server = qEnvironmentVariable("PULSE_SERVER"))
        : m_server(server) {}
    ~MonitorRecording() { m_parec.close(); }
    bool Start() {
        if (!m_lock.tryLock(120000)) // bounded: a stuck holder fails the test, not hangs it
            return false;
        m_clock.start();
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, [this] { Collect(); });
        m_parec.start("parec", {"-s", m_server, "-d", "null.monitor", "--raw", "--format=s16le",
                                "--channels=1", "--rate=" + QString::number(MonitorRate),
                                "--latency-msec=20"});
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

    QString m_server;
    QLockFile m_lock{QString("/tmp/tavrel-sound-tests-%1.lock").arg(qHash(m_server))};
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

// A server of the test's own, in a folder of its own, to kill, stop and start again.
struct OwnServer {
    ~OwnServer() {
        Signal(SIGCONT);
        Run("stop-pulse.sh");
    }
    bool Run(const char* script) {
        QProcess p;
        p.start("env", {"TAVREL_PULSE_DIR=" + dir.path(), "bash",
                        TAVREL_SCRIPTS_DIR "/" + QString(script)});
        return p.waitForFinished(20000) && p.exitStatus() == QProcess::NormalExit && !p.exitCode();
    }
    void Signal(int sig) { // the server's process group
        QFile f(dir.filePath("server.pid"));
        const int pid = f.open(QIODevice::ReadOnly) ? f.readAll().trimmed().toInt() : 0;
        if (pid > 1)
            ::kill(-pid, sig);
    }
    std::string Address() const { return "unix:" + dir.filePath("pulse/native").toStdString(); }
    QTemporaryDir dir;
    bool up = Run("start-pulse.sh");
};

} // namespace

// Skips here, and fails under CI, without a server at PULSE_SERVER and parec; else records
// what it plays from now on into `rec`.
#define START_MONITOR(rec)                                                                         \
    if (const QString why = SoundServerMissing(); !why.isEmpty())                                  \
        REQUIRE_PART(why.toStdString());                                                           \
    MonitorRecording rec;                                                                          \
    ASSERT_TRUE(rec.Start()) << "no data from parec"

// A restart is heard as low again. The last file, another format, plays
// through another device stream; it must cut the first off, not mix or wait.
TEST(SoundServer, WindowsPlayTheLoadedFileAndANewRequestCutsItOff) {
    START_MONITOR(rec);
    QTemporaryDir dir;
    FakePlatform fake; // its clock runs the bars in no time; the sound plays on its own
    fake.dialogs.nextPath =
        wavtest::WriteFile(dir, "low-high.wav", Tones(44100, 2, {{440, 0.4}, {880, 1.6}}));
    PulseSoundOutput sound;
    MainWindow window(fake.With(sound));
    window.Command1_Click();
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

// A FLAC recording, loaded and played from the main window, is heard through the
// decoder that read it.
TEST(SoundServer, ARecordingOfAnotherKindPlaysToo) {
    REQUIRE_TOOL("ffmpeg");
    START_MONITOR(rec);
    QTemporaryDir dir;
    const QString wav = wavtest::WriteFile(dir, "a.wav", Tones(44100, 2, {{660, 1.5}}));
    ASSERT_EQ(QProcess::execute("ffmpeg", {"-v", "error", "-i", wav, dir.filePath("a.flac")}), 0);
    FakePlatform fake;
    fake.dialogs.nextPath = dir.filePath("a.flac");
    PulseSoundOutput sound;
    MainWindow window(fake.With(sound));
    window.Command1_Click();
    ASSERT_EQ(window.State().FileName, dir.filePath("a.flac"));
    const std::size_t from = rec.Now();
    window.Command2->click();
    rec.RunFor(800);
    EXPECT_EQ(PitchRuns(rec.samples, from, {660}), std::vector<int>{660});
}

// The main window closed by its close box 1.5 s into a long recording, a settings
// window left open beside it: the program's loop ends at once, and the sound with it.
TEST(SoundServer, ClosingTheMainWindowEndsTheProgramAndItsSound) {
    START_MONITOR(rec);
    QTemporaryDir dir;
    FakePlatform fake;
    fake.dialogs.nextPath = wavtest::WriteFile(dir, "long.wav", Tones(22050, 1, {{440, 20}}));
    PulseSoundOutput sound;
    SystemTickClock clock;
    MainWindow window(fake.With(sound, clock));
    window.Command1_Click();
    window.show();
    window.Cmd_Settei_Click();
    std::size_t closedAt = 0;
    QElapsedTimer sinceClose;
    QTimer::singleShot(0, &window, [&] { window.Command2->click(); });
    QTimer::singleShot(1500, &window, [&] {
        closedAt = rec.Now();
        sinceClose.start();
        window.close();
    });
    QTimer::singleShot(8000, [] { QCoreApplication::exit(99); }); // kept alive: fails, not hangs
    EXPECT_EQ(QCoreApplication::exec(), 0);
    EXPECT_LT(sinceClose.elapsed(), 500);
    const QWidgetList shown = QApplication::topLevelWidgets();
    EXPECT_TRUE(!shown.empty() && std::ranges::none_of(shown, &QWidget::isVisible));
    rec.RunFor(1000);
    EXPECT_EQ(PitchRuns(rec.samples, 0, {440}), std::vector<int>{440});
    EXPECT_TRUE(PitchRuns(rec.samples, closedAt + MonitorRate / 5, {440}).empty());
}

// The synthesised image: 150 Hz for 60550 samples, whole before the call returns,
// which is never placed early.
TEST(SoundServer, SynthesisImageIsHeardAtItsPitchForItsLength) {
    START_MONITOR(rec);
    std::vector<std::uint8_t> image = NewSynthImage();
    std::vector<float> wave(147);
    for (std::size_t i = 0; i < wave.size(); ++i)
        wave[i] = float(std::cos(2 * M_PI * double(i) / 147 + 0.54));
    WriteSynthSamples(image, wave.data(), 147);

    PulseSoundOutput real;
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

// The real output and input on a server of the test's own, which the test may
// stop, kill and start again; skips, and fails under CI, without pulseaudio.
class SoundServerOfItsOwn : public testing::Test {
protected:
    void SetUp() override {
        REQUIRE_TOOL("pulseaudio");
        ASSERT_TRUE(server.up);
    }
    OwnServer server;
    PulseSoundOutput sound{server.Address()}; // neither reaches the server until it is used
    PulseSoundInput input{server.Address()};
};

// The server killed while a sound plays and started again on the same socket: the
// next sound is heard at once, from the same output.
TEST_F(SoundServerOfItsOwn, AfterTheServerRestartsTheNextSoundIsHeard) {
    REQUIRE_TOOL("parec");
    QTemporaryDir dir;
    ASSERT_TRUE(
        sound.StartPlayingFile(wavtest::WriteFile(dir, "a.wav", Tones(22050, 1, {{440, 3}}))));
    QTest::qWait(300);
    server.Signal(SIGKILL);
    ASSERT_TRUE(server.Run("start-pulse.sh"));
    MonitorRecording rec(QString::fromStdString(server.Address()));
    ASSERT_TRUE(rec.Start()) << "no data from parec";
    const std::size_t from = rec.Now();
    EXPECT_TRUE(
        sound.StartPlayingFile(wavtest::WriteFile(dir, "b.wav", Tones(22050, 1, {{880, 1}}))));
    rec.RunFor(700);
    EXPECT_EQ(PitchRuns(rec.samples, from, {440, 880}), std::vector<int>{880});
}

// Every call answers within about two seconds, false or with the failure, from a
// server stopped in the middle of a sound and from none at all; the program's quit
// ends a wait for a sound.
TEST_F(SoundServerOfItsOwn, EveryCallReturnsInTimeWhateverTheServerDoes) {
    QTemporaryDir dir;
    const QString file = wavtest::WriteFile(dir, "tone.wav", Tones(22050, 1, {{440, 5}}));
    const wavtest::Bytes image = Tones(22050, 1, {{440, 1}});
    // The program told to quit ends a wait at once; exec() then clears the quit.
    QTimer::singleShot(200, [] { QCoreApplication::exit(0); });
    const QDeadlineTimer quit(600);
    EXPECT_TRUE(sound.PlayImageAndWait(image.data(), image.size()));
    EXPECT_FALSE(quit.hasExpired());
    QTimer::singleShot(0, [] { QCoreApplication::exit(0); });
    QCoreApplication::exec();
    ASSERT_TRUE(sound.StartPlayingFile(file));
    ASSERT_EQ(input.Start(22050), SoundInput::Failure::None);
    // Each call, and whether it answered as it should.
    const std::pair<const char*, std::function<bool()>> calls[] = {
        {"image", [&] { return !sound.PlayImageAndWait(image.data(), image.size()); }},
        {"file", [&] { return !sound.StartPlayingFile(file); }},
        {"stop", [&] { return sound.StopSound(), true; }},
        {"input", [&] { return input.Start(22050) == SoundInput::Failure::NoServer; }},
        {"input stop", [&] { return input.Stop(), true; }},
    };
    for (const int sig : {SIGSTOP, SIGKILL}) {
        server.Signal(sig);
        for (const auto& [name, call] : calls) {
            SCOPED_TRACE(testing::Message() << name << " after signal " << sig);
            const QDeadlineTimer took(2000);
            EXPECT_TRUE(call());
            EXPECT_FALSE(took.hasExpired());
        }
    }
}

// The private server's default source is the null sink's monitor, so the input
// records what the output plays: a 441 Hz tone comes back at 22050 Hz at its pitch.
TEST_F(SoundServerOfItsOwn, TheInputRecordsWhatIsPlayedAtItsPitch) {
    ASSERT_EQ(input.Start(22050), SoundInput::Failure::None);
    // An idle null sink feeds its monitor in blocks of up to 2 s: the tone waits
    // for the first one.
    Samples got;
    for (int k = 0; k < 100 && got.empty(); ++k)
        QTest::qWait(50), got = input.Take();
    const wavtest::Bytes tone = Tones(44100, 2, {{441, 1}});
    EXPECT_TRUE(sound.PlayImageAndWait(tone.data(), tone.size()));
    QTest::qWait(100);
    const Samples rest = input.Take();
    got.insert(got.end(), rest.begin(), rest.end());
    input.Stop();
    EXPECT_EQ(input.State(), SoundInput::Failure::None);
    const std::vector<double> at = Crossings(got, 0, got.size());
    ASSERT_GT(at.size(), 2u) << got.size() << " samples, nothing heard";
    std::vector<double> periods; // their median: the resampler rings at the ends
    for (std::size_t k = 1; k < at.size(); ++k)
        periods.push_back(at[k] - at[k - 1]);
    std::nth_element(periods.begin(), periods.begin() + periods.size() / 2, periods.end());
    const double span = at.back() - at.front();
    EXPECT_NEAR(22050 / periods[periods.size() / 2], 441, 0.5);
    EXPECT_NEAR(span / 22050, 1, 0.05); // whole: no piece lost or repeated
}
