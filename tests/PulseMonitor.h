#pragma once
// What a real audio server's null sink plays (start_pulse in scripts/services.sh),
// recorded from its monitor with parec as mono 16-bit samples, and measured.

#include "Tools.h"
#include "sound/SoundOutput.h"

#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

namespace tavrel::test {

// Empty when a server answers at PULSE_SERVER and parec is there; else why not.
inline QString SoundServerMissing() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || Tool("parec").isEmpty())
        return "PULSE_SERVER (scripts/services.sh: start_pulse) or parec (pulseaudio-utils)";
    QProcess info;
    info.start("pactl", {"info"});
    if (!info.waitForFinished(5000) || info.exitCode() != 0) // a signal's number if it crashed
        return "no sound server answers at " + qEnvironmentVariable("PULSE_SERVER");
    return {};
}

#define TAVREL_REQUIRE_SOUND_SERVER()                                                              \
    do {                                                                                           \
        if (const QString why = ::tavrel::test::SoundServerMissing(); !why.isEmpty())              \
            REQUIRE_PART(why.toStdString());                                                       \
    } while (0)

constexpr int MonitorRate = 44100;
using Samples = std::vector<std::int16_t>;

// Rising zero crossings, placed between samples; the sink's silence is exact zeros.
inline std::vector<double> Crossings(const Samples& s, std::size_t from, std::size_t to) {
    std::vector<double> at;
    for (std::size_t i = from + 1; i < to; ++i)
        if (s[i - 1] < 0 && s[i] >= 0)
            at.push_back(double(i - 1) + s[i - 1] / double(s[i - 1] - s[i]));
    return at;
}

// Which of `tones` each 20 ms block holds, runs merged; all periods within 5 %,
// so a block of silence, of a change, or of two at once holds none.
inline std::vector<int> PitchRuns(const Samples& s, std::size_t from,
                                  std::initializer_list<int> tones) {
    std::vector<int> runs;
    for (std::size_t i = from; i + MonitorRate / 50 <= s.size(); i += MonitorRate / 50) {
        const std::vector<double> at = Crossings(s, i, i + MonitorRate / 50);
        for (int t : tones) {
            auto off = [t](double a, double b) {
                return std::abs((b - a) * t / MonitorRate - 1) > 0.05;
            };
            if (at.size() > 2 && std::adjacent_find(at.begin(), at.end(), off) == at.end() &&
                (runs.empty() || runs.back() != t))
                runs.push_back(t);
        }
    }
    return runs;
}

// Records while the event loop runs. Holds the server from Start() on: ctest
// runs tests side by side, and the monitor hears every sound played.
class MonitorRecording {
public:
    MonitorRecording() {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec,
                         [this] { Collect(); });
        m_clock.start();
    }
    ~MonitorRecording() { m_parec.close(); }

    bool Start() {
        if (!m_lock.tryLock(120000)) // bounded: a stuck holder fails the test, not hangs it
            return false;
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

private:
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

struct HeardPlay {
    double hz = 0, seconds = 0, returnedAfterMs = -1e9;
};

// Plays `image` through the real output `out`, after TAVREL_REQUIRE_SOUND_SERVER.
inline HeardPlay RecordPlayImageAndWait(SoundOutput& out, const std::uint8_t* image,
                                        std::size_t size) {
    HeardPlay h;
    MonitorRecording rec;
    EXPECT_TRUE(rec.Start()) << "no data from parec";
    rec.RunFor(200);
    const std::size_t called = rec.Now();
    EXPECT_TRUE(out.PlayImageAndWait(image, size));
    const double returned = double(rec.Now());
    rec.RunFor(400);
    const std::vector<double> at = Crossings(rec.samples, called, rec.samples.size());
    if (at.size() > 1) { // the end is within a period of the last crossing
        const double period = (at.back() - at.front()) / double(at.size() - 1);
        h.hz = MonitorRate / period;
        h.seconds = (at.back() - at.front() + period) / MonitorRate;
        h.returnedAfterMs = (returned - at.back() - period) * 1000 / MonitorRate;
        std::printf(
            "heard %.1f Hz for %.3f s from %.0f ms after the call; returned %.0f ms after\n", h.hz,
            h.seconds, (at.front() - double(called)) * 1000 / MonitorRate, h.returnedAfterMs);
    }
    return h;
}

// Stopping when the sink turns idle loses ~0.1 s: hence no more than 40 ms
// short. The end is found within 10 ms and the return is never placed early.
inline void ExpectWholeToneHeardBeforeReturn(const HeardPlay& h, double hz, double seconds) {
    EXPECT_NEAR(h.hz, hz, 0.01 * hz) << "(0: nothing was heard)";
    EXPECT_NEAR(h.seconds, seconds, 0.1 * seconds);
    EXPECT_GT(h.seconds, seconds - 0.04);
    EXPECT_GE(h.returnedAfterMs, -10);
    EXPECT_LT(h.returnedAfterMs, 500);
}

} // namespace tavrel::test
