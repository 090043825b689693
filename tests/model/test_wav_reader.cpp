// The WAV reader on every sample format, real writers' chunk layouts, broken
// files, and on what another tool (sox) writes. Damaged files are the fuzzer's
// (fuzz/, run by the test script), which starts from the same cases.
#include "Tools.h"
#include "WavCases.h"

#include <QDir>
#include <QProcess>
#include <QtEndian>
#include <random>

using namespace tavrel;
using namespace wavtest;

// WavePeak is the largest magnitude rounded half to even and saturated at 16
// bits; dataOffset is where the body of the chunk named "data" begins.
TEST(WavReader, EveryFileGetsItsAnswer) {
    for (const WavCase& c : WavCases()) {
        const WavLoadResult r = LoadWavBytes(c.file.data(), c.file.size(), c.ref);
        float peak = 0;
        for (float v : c.values)
            peak = std::max(peak, std::fabs(v));
        EXPECT_EQ(r.error, c.error) << c.name;
        EXPECT_EQ(r.wave.WaveData, c.values) << c.name;
        EXPECT_EQ(r.wave.WavePeak, std::min(32767.0f, std::nearbyint(peak))) << c.name;
        EXPECT_TRUE(c.error != None || (std::equal(&c.file[r.wave.dataOffset - 8],
                                                   &c.file[r.wave.dataOffset - 4], "data") &&
                                        r.wave.SampleCount == int(c.values.size())))
            << c.name;
    }
    EXPECT_EQ(LoadWavBytes(nullptr, 100, 128).error, NotRiffWave);
}

// Read in 256 KiB pieces, which 9-byte frames straddle, a file gives what memory gives.
TEST(WavReader, FilesOnDisk) {
    std::mt19937 rng(7);
    Bytes data(9 * 70001 + 4);
    std::generate(data.begin(), data.end(), [&rng] { return std::uint8_t(rng()); });
    const Bytes b = Wav(1, 3, 24, data);
    QTemporaryDir dir;
    const WavLoadResult fromFile = LoadWavFile(WriteFile(dir, "a.wav", b), 100);
    EXPECT_EQ(fromFile.wave.SampleCount, 70001);
    EXPECT_EQ(fromFile.wave.WaveData, LoadWavBytes(b.data(), b.size(), 100).wave.WaveData);
    const QString cut = WriteFile(dir, "cut.wav", Patched(b, 0, {}, b.size() - 2));
    EXPECT_EQ(LoadWavFile(cut, 0).error, DataTruncated);
    EXPECT_EQ(LoadWavFile(dir.filePath("missing.wav"), 0).error, CannotOpen);
    EXPECT_EQ(LoadWavFile(dir.path(), 0).error, CannotOpen); // a folder

    // The recordings shipped for a first lesson load as they are.
    const QDir examples(TAVREL_EXAMPLES_DIR);
    EXPECT_GE(examples.entryList({"*.wav"}).size(), 5);
    for (const QString& f : examples.entryList({"*.wav"}))
        EXPECT_EQ(LoadWavFile(examples.filePath(f), 128).wave.SampleCount, 22050)
            << f.toStdString();
}

// Channel 1 of what sox writes, converted by sox itself to raw 32-bit integers,
// is the truth that WaveData must match.
TEST(WavSox, DecodesWhatSoxWrites) {
    REQUIRE_TOOL("sox");
    const auto sox = [](const QString& args) { // what it prints
        QProcess p;
        p.start("sox", ("-D " + args).split(' ', Qt::SkipEmptyParts));
        EXPECT_TRUE(p.waitForFinished(30000) && p.exitStatus() == QProcess::NormalExit &&
                    !p.exitCode())
            << args.toStdString();
        return p.readAllStandardOutput();
    };
    QTemporaryDir dir;
    const QString wav = dir.filePath("a.wav");
    // Rate, bits, channels and the sample format they are read as.
    for (const char* layout :
         {"8000 8 1 1", "22050 8 2 1", "11025 16 1 1", "22050 16 2 1", "44100 24 1 1",
          "48000 24 2 1", "32000 32 2 1", "16000 32 1 3", "44100 16 3 1", "22050 32 4 3"}) {
        const QStringList f = QString(layout).split(' ');
        // A different wave on each channel, so a wrong channel shows.
        sox(QString(
                "-n -r %1 -b %2 -c %3 %4 %5 synth 0.05 sine 440 square 300 sawtooth 200 sine 90 "
                "vol 0.9")
                .arg(f[0], f[1], f[2], f[3] == "3" ? "-e floating-point" : "", wav));
        const QByteArray truth = sox(wav + " -t raw -e signed-integer -b 32 -L - remix 1");
        const WavLoadResult r = LoadWavFile(wav, 100);
        const WavFormat& got = r.wave.format;
        ASSERT_EQ(QString::asprintf("%u %u %u %u", got.sampleRate, got.bitsPerSample, got.channels,
                                    got.sampleFormat),
                  layout);
        ASSERT_EQ(r.wave.SampleCount, truth.size() / 4) << layout;
        for (int i = 0; i < r.wave.SampleCount; ++i) {
            const std::int32_t s = qFromLittleEndian<std::int32_t>(truth.constData() + 4 * i);
            const double expected = f[1] == "8" ? (s >> 24) + 128.0 - 100
                                                : (s / 65536.0 - 100) / 64.0; // zero level 100
            // sox rounds float to integer on its way to the raw file
            ASSERT_NEAR(r.wave.WaveData[i], expected,
                        f[3] == "3" ? 1e-4 : 1e-5 * std::abs(expected))
                << layout << " frame " << i;
        }
    }
}
