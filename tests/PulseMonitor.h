#pragma once
// The real audio server for the sound tests: scripts/start-pulse.sh starts a
// PulseAudio server with a null sink and points PULSE_SERVER at it;
// MonitorRecording records what that sink plays, from its monitor, with
// parec. Where no server answers, the tests skip; under CI they fail.

#include "Tools.h"
#include "ToneAnalysis.h"
#include "sound/SoundOutput.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

namespace tavrel::test {

// Empty when a server answers at PULSE_SERVER and parec is there; else why not.
inline QString SoundServerMissing() {
    if (qEnvironmentVariableIsEmpty("PULSE_SERVER"))
        return QStringLiteral("PULSE_SERVER is not set (scripts/test.sh starts a server)");
    if (QStandardPaths::findExecutable(QStringLiteral("parec")).isEmpty())
        return QStringLiteral("parec is not installed (package pulseaudio-utils)");
    QProcess info;
    info.start(QStringLiteral("pactl"), {QStringLiteral("info")});
    if (!info.waitForFinished(5000) || info.exitStatus() != QProcess::NormalExit ||
        info.exitCode() != 0)
        return QStringLiteral("no sound server answers at ") + qEnvironmentVariable("PULSE_SERVER");
    return {};
}

// Skips the test where there is no server, fails it under CI.
#define TAVREL_REQUIRE_SOUND_SERVER()                                                              \
    do {                                                                                           \
        const QString missing = ::tavrel::test::SoundServerMissing();                              \
        if (!missing.isEmpty())                                                                    \
            REQUIRE_PART(missing.toStdString());                                                   \
    } while (0)

// One test at a time may play into the server: ctest runs tests side by
// side, and the monitor hears every sound the sink plays. An exclusive lock
// on a file named after the server, released at the latest when the process
// ends; bounded, so a stuck holder fails the test instead of hanging it.
class SoundServerLock {
public:
    SoundServerLock() {
        const QString path =
            QDir::temp().filePath(QStringLiteral("tavrel-sound-tests-%1.lock")
                                      .arg(qHash(qEnvironmentVariable("PULSE_SERVER"))));
        m_fd = ::open(QFile::encodeName(path).constData(), O_CREAT | O_RDWR | O_CLOEXEC, 0600);
        QElapsedTimer waited;
        waited.start();
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX | LOCK_NB) != 0 && waited.elapsed() < 120000)
            QThread::msleep(50);
        m_held = m_fd >= 0 && waited.elapsed() < 120000;
    }
    ~SoundServerLock() {
        if (m_fd >= 0)
            ::close(m_fd); // releases the lock
    }
    SoundServerLock(const SoundServerLock&) = delete;
    SoundServerLock& operator=(const SoundServerLock&) = delete;
    bool Held() const { return m_held; }

private:
    int m_fd = -1;
    bool m_held = false;
};

// Records the null sink's monitor as mono 16-bit samples while the event loop
// runs (the sound output's own waits run it too). Times on `clock` (ms).
// Holds the server for its test from construction to destruction.
class MonitorRecording {
public:
    static constexpr int Rate = 44100;

    explicit MonitorRecording(const QElapsedTimer& clock) : m_clock(clock) {
        QObject::connect(&m_parec, &QProcess::readyReadStandardOutput, &m_parec,
                         [this] { Collect(); });
    }
    ~MonitorRecording() {
        m_parec.kill();
        m_parec.waitForFinished(3000);
    }

    // Starts parec and waits for its first data, which takes up to a few
    // seconds. False when none came, or the server stayed taken.
    bool Start() {
        if (!m_lock.Held())
            return false;
        m_parec.start(QStringLiteral("parec"),
                      {QStringLiteral("-d"), QStringLiteral("null.monitor"),
                       QStringLiteral("--raw"), QStringLiteral("--format=s16le"),
                       QStringLiteral("--rate=%1").arg(Rate), QStringLiteral("--channels=1"),
                       QStringLiteral("--latency-msec=20")});
        if (!m_parec.waitForStarted(5000))
            return false;
        QElapsedTimer waited;
        waited.start();
        while (samples.empty() && waited.elapsed() < 10000)
            m_parec.waitForReadyRead(100); // emits readyRead, which collects
        return !samples.empty();
    }

    // Records on for `ms` milliseconds.
    void RunFor(int ms) {
        QEventLoop loop;
        QTimer::singleShot(ms, &loop, &QEventLoop::quit);
        loop.exec();
        Collect();
    }

    // When sample i reached the monitor, as a time on the clock. Each piece
    // arrives after its last sample was played, so the earliest of
    // (arrival - samples so far / rate) is the closest bound on when sample
    // 0 played: times from here are never earlier than the truth.
    double TimeOfSampleMs(std::size_t i) const { return m_startMs + 1000.0 * double(i) / Rate; }
    std::size_t SampleAtMs(double ms) const {
        return std::size_t(std::max(0.0, (ms - m_startMs) * Rate / 1000.0));
    }

    Samples samples;

private:
    void Collect() {
        m_pending += m_parec.readAllStandardOutput();
        const qsizetype whole = m_pending.size() / 2 * 2;
        for (qsizetype k = 0; k < whole; k += 2)
            samples.push_back(
                std::int16_t(std::uint8_t(m_pending[k]) | std::uint8_t(m_pending[k + 1]) << 8));
        m_pending.remove(0, whole);
        if (!samples.empty())
            m_startMs = std::min(m_startMs, double(m_clock.elapsed()) -
                                                1000.0 * double(samples.size()) / Rate);
    }

    SoundServerLock m_lock;
    const QElapsedTimer& m_clock;
    QProcess m_parec;
    QByteArray m_pending;
    double m_startMs = 1e300;
};

// One synchronous play as the monitor heard it: the loud part's pitch and
// length, and when it was heard against when the call was made and returned
// (times in ms on one clock).
struct HeardPlay {
    bool played = false, recorded = false, heard = false;
    double hz = 0, seconds = 0;
    double calledMs = 0, returnedMs = 0, heardFromMs = 0, heardToMs = 0;
};

// Plays `image` through `out` (the real output) while recording what the
// server plays. Use after TAVREL_REQUIRE_SOUND_SERVER.
inline HeardPlay RecordPlayImageAndWait(SoundOutput& out, const std::uint8_t* image,
                                        std::size_t size) {
    HeardPlay h;
    QElapsedTimer clock;
    clock.start();
    MonitorRecording rec(clock);
    if (!(h.recorded = rec.Start()))
        return h;
    rec.RunFor(200);
    h.calledMs = double(clock.elapsed());
    h.played = out.PlayImageAndWait(image, size);
    h.returnedMs = double(clock.elapsed());
    rec.RunFor(400);

    const auto span = LoudSpan(rec.samples, rec.Rate, 2000, rec.SampleAtMs(h.calledMs - 50));
    if (!(h.heard = span.has_value()))
        return h;
    h.seconds = double(span->size()) / rec.Rate;
    h.hz = ZeroCrossingHz(rec.samples, *span, rec.Rate);
    h.heardFromMs = rec.TimeOfSampleMs(span->begin);
    h.heardToMs = rec.TimeOfSampleMs(span->end);
    std::printf("heard %.1f Hz for %.3f s, from %.0f ms after the call; returned %.0f ms after "
                "the end\n",
                h.hz, h.seconds, h.heardFromMs - h.calledMs, h.returnedMs - h.heardToMs);
    return h;
}

// A tone of `hz` (within 1 %) heard for `seconds` (within 10 %, and no more
// than 40 ms short: stopping when the sink turns idle loses ~0.1 s), heard to
// its end before the call returned and not long before. The end's time is
// never placed early; 10 ms is the window it is found in.
inline void ExpectWholeToneHeardBeforeReturn(const HeardPlay& h, double hz, double seconds) {
    ASSERT_TRUE(h.recorded) << "no data from parec";
    ASSERT_TRUE(h.played);
    ASSERT_TRUE(h.heard) << "nothing was heard";
    EXPECT_NEAR(h.hz, hz, 0.01 * hz);
    EXPECT_NEAR(h.seconds, seconds, 0.1 * seconds);
    EXPECT_GT(h.seconds, seconds - 0.04);
    EXPECT_GE(h.returnedMs, h.heardToMs - 10);
    EXPECT_LT(h.returnedMs, h.heardToMs + 500);
}

} // namespace tavrel::test
