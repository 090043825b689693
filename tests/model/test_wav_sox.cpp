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

TEST(WavSox, DecodesWhatSoxWrites) {
    if (QStandardPaths::findExecutable(QStringLiteral("sox")).isEmpty()) {
        if (qEnvironmentVariableIsSet("CI"))
            FAIL() << "sox is not installed";
        GTEST_SKIP() << "sox is not installed";
    }
    const auto sox = [](const QString& args) {
        QProcess p;
        p.start(QStringLiteral("sox"), args.split(' ', Qt::SkipEmptyParts));
        return p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
               p.exitCode() == 0;
    };
    QTemporaryDir dir;
    const QString wav = dir.filePath("a.wav"), raw = dir.filePath("a.raw");
    const std::int16_t ref = 100;
    // Rate, bits, channels and the format tag they are read as.
    for (const char* spec :
         {"8000 8 1 1", "22050 8 2 1", "11025 16 1 1", "22050 16 2 1", "44100 24 1 1",
          "48000 24 2 1", "32000 32 2 1", "16000 32 1 3", "44100 16 3 1", "22050 32 4 3"}) {
        const QStringList f = QString(spec).split(' ');
        // A different wave on each channel, so a wrong channel shows.
        ASSERT_TRUE(sox(QStringLiteral("-D -n -r %1 -b %2 -c %3 %4 %5 synth 0.05 sine 440 square "
                                       "300 sawtooth 200 sine 90 vol 0.9")
                            .arg(f[0], f[1], f[2], f[3] == "3" ? "-e floating-point" : "", wav)));
        ASSERT_TRUE(sox("-D " + wav + " -t raw -e signed-integer -b 32 -L " + raw + " remix 1"));
        QFile rf(raw);
        ASSERT_TRUE(rf.open(QIODevice::ReadOnly));
        const QByteArray truth = rf.readAll();
        const WavLoadResult r = LoadWavFile(wav, ref);
        const WavFormat& got = r.wave.format;
        ASSERT_EQ(QString::asprintf("%u %u %u %u", got.sampleRate, got.bitsPerSample, got.channels,
                                    got.sampleFormat),
                  spec);
        ASSERT_EQ(r.wave.SampleCount, truth.size() / 4) << spec;
        for (int i = 0; i < r.wave.SampleCount; ++i) {
            std::int32_t s;
            std::memcpy(&s, truth.constData() + 4 * i, 4);
            const double expected =
                f[1] == "8" ? double((s >> 24) + 128 - ref) : (s / 65536.0 - ref) / 64.0;
            // sox rounds float to integer on its way to the raw file
            ASSERT_NEAR(r.wave.WaveData[i], expected,
                        f[3] == "3" ? 1e-4 : 1e-5 * std::abs(expected))
                << spec << " frame " << i;
        }
    }
}
