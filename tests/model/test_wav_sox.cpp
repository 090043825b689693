// Files written by another tool (sox), checked against what sox itself reads
// from them: channel 1 converted by sox to raw 32-bit integers is the truth
// that WaveData must match, in every layout sox writes.
#include "wavein/WavReader.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace tavrel;

namespace {

bool RunSox(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral("sox"), args);
    return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

} // namespace

TEST(WavSox, DecodesWhatSoxWrites) {
    if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty()) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "sox is not installed";
        GTEST_SKIP() << "sox is not installed";
    }
    struct Case {
        int rate, bits, channels;
        bool isFloat;
    };
    const Case cases[] = {
        {8000, 8, 1, false},   {22050, 8, 2, false},  {11025, 16, 1, false}, {22050, 16, 2, false},
        {44100, 24, 1, false}, {48000, 24, 2, false}, {32000, 32, 2, false}, {16000, 32, 1, true},
        {44100, 16, 3, false}, {22050, 32, 4, true},
    };
    QTemporaryDir dir;
    const std::int16_t ref = 100;
    for (const Case& c : cases) {
        const QString name = QStringLiteral("%1_%2_%3%4")
                                 .arg(c.rate)
                                 .arg(c.bits)
                                 .arg(c.channels)
                                 .arg(c.isFloat ? "f" : "");
        const QString wav = dir.filePath(name + ".wav");
        const QString raw = dir.filePath(name + ".raw");
        QStringList make = QStringLiteral("-D -n -r %1 -b %2 -c %3")
                               .arg(c.rate)
                               .arg(c.bits)
                               .arg(c.channels)
                               .split(' ');
        if (c.isFloat)
            make << "-e"
                 << "floating-point";
        // A different wave on each channel, so a wrong channel shows.
        make << wav
             << QStringLiteral("synth 0.05 sine 440 square 300 sawtooth 200 sine 90 vol 0.9")
                    .split(' ');
        ASSERT_TRUE(RunSox(make)) << name.toStdString();
        ASSERT_TRUE(RunSox(
            {"-D", wav, "-t", "raw", "-e", "signed-integer", "-b", "32", "-L", raw, "remix", "1"}));

        QFile rf(raw);
        ASSERT_TRUE(rf.open(QIODevice::ReadOnly));
        const QByteArray truth = rf.readAll();
        const WavLoadResult r = LoadWavFile(wav, ref);
        ASSERT_EQ(r.error, WavError::None) << name.toStdString();
        EXPECT_EQ(r.wave.format.channels, c.channels);
        EXPECT_EQ(r.wave.format.bitsPerSample, c.bits);
        EXPECT_EQ(r.wave.format.sampleRate, std::uint32_t(c.rate));
        ASSERT_EQ(r.wave.SampleCount, truth.size() / 4) << name.toStdString();

        double peak = 0;
        for (int i = 0; i < r.wave.SampleCount; ++i) {
            std::int32_t s;
            std::memcpy(&s, truth.constData() + 4 * i, 4);
            const double expected =
                c.bits == 8 ? double((s >> 24) + 128 - ref) : (s / 65536.0 - ref) / 64.0;
            // sox rounds float to integer on its way to the raw file
            const double tolerance = c.isFloat ? 1e-4 : 1e-5 * std::abs(expected);
            ASSERT_NEAR(r.wave.WaveData[std::size_t(i)], expected, tolerance)
                << name.toStdString() << " frame " << i;
            peak = std::max(peak, std::abs(expected));
        }
        EXPECT_NEAR(r.wave.WavePeak, peak, 0.5) << name.toStdString();
    }
}
