#pragma once
// What a real audio server's null sink plays (start_pulse in scripts/services.sh),
// recorded from its monitor with parec as mono 16-bit samples, and measured.

#include "Tools.h"
#include "sound/SoundOutput.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLockFile>
#include <QProcess>
#include <QTest>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <utility>
#include <vector>

namespace tavrel::test {

// Empty when a server answers at PULSE_SERVER and parec is there; else why not.
inline QString SoundServerMissing() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER") || Tool("parec").isEmpty())
        return "PULSE_SERVER (scripts/services.sh: start_pulse) or parec (pulseaudio-utils)";
    QProcess info;
    info.start("pactl", {"info"});
    if (!info.waitForFinished(5000) || info.exitStatus() != QProcess::NormalExit ||
        info.exitCode() != 0)
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
using Span = std::pair<std::size_t, std::size_t>; // [first, second)

// From the first to the last loud 5 ms window from `from` on; empty if none.
inline Span LoudSpan(const Samples& s, std::size_t from) {
    const std::size_t w = MonitorRate / 200;
    Span span;
    for (std::size_t i = from; i + w <= s.size(); i += w)
        if (std::any_of(s.begin() + i, s.begin() + i + w,
                        [](int v) { return std::abs(v) >= 2000; }))
            span = {span.second ? span.first : i, i + w};
    return span;
}

// Rising zero crossings, interpolated: (crossings - 1) periods from first to last.
inline double ZeroCrossingHz(const Samples& s, Span span) {
    std::vector<double> at;
    for (std::size_t i = span.first + 1; i < span.second; ++i)
        if (s[i - 1] < 0 && s[i] >= 0)
            at.push_back(double(i - 1) + s[i - 1] / double(s[i - 1] - s[i]));
    return at.size() < 2 ? 0 : double(at.size() - 1) * MonitorRate / (at.back() - at.front());
}

// The amplitude of the component at `hz` (Goertzel), in sample units.
inline double ToneAmplitude(const Samples& s, Span span, double hz) {
    const double c = 2 * std::cos(2 * std::numbers::pi * hz / MonitorRate);
    double s1 = 0, s2 = 0;
    for (std::size_t i = span.first; i < span.second; ++i)
        s2 = std::exchange(s1, s[i] + c * s1 - s2);
    const double n = double(span.second - span.first);
    return 2 * std::sqrt(std::max(s1 * s1 + s2 * s2 - c * s1 * s2, 0.0)) / n;
}

// The loudest of `tones` in each loud 20 ms block from `from` on, runs merged.
inline std::vector<int> PitchRuns(const Samples& s, std::size_t from,
                                  std::initializer_list<int> tones) {
    const std::size_t n = MonitorRate / 50;
    std::vector<int> runs;
    for (std::size_t i = from; i + n <= s.size(); i += n) {
        double loudest = 2000;
        int pitch = 0;
        for (int hz : tones)
            if (const double a = ToneAmplitude(s, {i, i + n}, hz); a > loudest)
                loudest = a, pitch = hz;
        if (pitch && (runs.empty() || runs.back() != pitch))
            runs.push_back(pitch);
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
    ~MonitorRecording() {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }

    // Bounded, so that a stuck holder fails the test rather than hanging it.
    bool Start() {
        if (!m_lock.tryLock(120000))
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

    QLockFile m_lock{QDir::temp().filePath(
        QString("tavrel-sound-tests-%1.lock").arg(qHash(qEnvironmentVariable("PULSE_SERVER"))))};
    QElapsedTimer m_clock;
    QProcess m_parec;
    qint64 m_startMs = INT64_MAX;
};

struct HeardPlay {
    bool played = false;
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
    h.played = out.PlayImageAndWait(image, size);
    const double returned = double(rec.Now());
    rec.RunFor(400);
    const auto [begin, end] = LoudSpan(rec.samples, called);
    h.seconds = double(end - begin) / MonitorRate;
    h.hz = ZeroCrossingHz(rec.samples, {begin, end});
    h.returnedAfterMs = (returned - double(end)) * 1000 / MonitorRate;
    std::printf("heard %.1f Hz for %.3f s from %.0f ms after the call; returned %.0f ms after\n",
                h.hz, h.seconds, (double(begin) - double(called)) * 1000 / MonitorRate,
                h.returnedAfterMs);
    return h;
}

// Stopping when the sink turns idle loses ~0.1 s: hence no more than 40 ms
// short. The end is found within 10 ms and the return is never placed early.
inline void ExpectWholeToneHeardBeforeReturn(const HeardPlay& h, double hz, double seconds) {
    EXPECT_TRUE(h.played);
    EXPECT_NEAR(h.hz, hz, 0.01 * hz) << "(0: nothing was heard)";
    EXPECT_NEAR(h.seconds, seconds, 0.1 * seconds);
    EXPECT_GT(h.seconds, seconds - 0.04);
    EXPECT_GE(h.returnedAfterMs, -10);
    EXPECT_LT(h.returnedAfterMs, 500);
}

} // namespace tavrel::test
