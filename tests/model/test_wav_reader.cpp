// The WAV reader on every sample format, on the chunk layouts real writers
// make, on every kind of broken file, and on thousands of damaged ones.
#include "WavCases.h"

#include <QDir>
#include <cmath>
#include <gtest/gtest.h>
#include <random>

using namespace tavrel;
using namespace wavtest;

namespace {

WavLoadResult Load(const Bytes& b, std::int16_t ref = 128) {
    return LoadWavBytes(b.data(), b.size(), ref);
}
std::vector<float> Values(const WavLoadResult& r) {
    return {r.wave.WaveData.begin(), r.wave.WaveData.end()};
}

} // namespace

// WavePeak is the largest magnitude rounded half to even and saturated at 16
// bits; dataOffset is where the body of the chunk named "data" begins.
TEST(WavReader, EveryFileGetsItsAnswer) {
    for (const std::vector<WavCase>& cases : {DecodeCases(), LayoutCases(), BrokenCases()})
        for (const WavCase& c : cases) {
            const WavLoadResult r = Load(c.file, c.ref);
            float peak = 0;
            for (float v : c.values)
                peak = std::max(peak, std::fabs(v));
            EXPECT_EQ(r.error, c.error) << c.name;
            EXPECT_EQ(Values(r), c.values) << c.name;
            EXPECT_EQ(r.wave.WavePeak, std::min(32767.0f, std::nearbyint(peak))) << c.name;
            EXPECT_TRUE(c.error != None || (std::equal(&c.file[r.wave.dataOffset - 8],
                                                       &c.file[r.wave.dataOffset - 4], "data") &&
                                            r.wave.SampleCount == int(c.values.size())))
                << c.name;
        }
}

// Read in 256 KiB pieces, which 9-byte frames straddle, a file gives what
// memory gives; the recordings shipped for a first lesson load as they are.
TEST(WavReader, FilesOnDisk) {
    std::mt19937 rng(7);
    Bytes data(9 * 70001 + 4);
    for (auto& b : data)
        b = std::uint8_t(rng());
    const Bytes b = Wav(1, 3, 24, data);
    QTemporaryDir dir;
    const WavLoadResult fromFile = LoadWavFile(WriteFile(dir, "a.wav", b), 100);
    EXPECT_EQ(fromFile.wave.SampleCount, 70001);
    EXPECT_EQ(Values(fromFile), Values(Load(b, 100)));
    EXPECT_EQ(LoadWavFile(WriteFile(dir, "cut.wav", Patched(b, 0, {}, b.size() - 2)), 0).error,
              DataTruncated);
    EXPECT_EQ(LoadWavFile(dir.filePath("missing.wav"), 0).error, CannotOpen);
    EXPECT_EQ(LoadWavFile(dir.path(), 0).error, CannotOpen);

    const QDir examples(QStringLiteral(TAVREL_EXAMPLES_DIR));
    const QStringList files = examples.entryList({QStringLiteral("*.wav")}, QDir::Files);
    EXPECT_GE(files.size(), 5);
    for (const QString& f : files) {
        const WavLoadResult r = LoadWavFile(examples.filePath(f), 128);
        EXPECT_EQ(r.error, None) << f.toStdString();
        EXPECT_EQ(r.wave.SampleCount, 22050) << f.toStdString();
        EXPECT_GT(r.wave.WavePeak, r.wave.format.bitsPerSample == 8 ? 60 : 250) << f.toStdString();
    }
}

// Damaged copies of valid files: random bytes changed (mostly in the headers,
// where the structure is) and random cuts. The reader must answer every one,
// and whatever it accepts must be whole and finite.
TEST(WavFuzz, MutationsAndTruncationsNeverCrash) {
    std::vector<Bytes> seeds;
    for (const std::vector<WavCase>& cases : {DecodeCases(), LayoutCases()})
        for (const WavCase& c : cases)
            if (c.file.size() < 4096)
                seeds.push_back(c.file);
    std::mt19937 rng(20240601);
    int accepted = 0;
    for (int iter = 0; iter < 20000; ++iter) {
        Bytes b = seeds[rng() % seeds.size()];
        for (int edits = 1 + int(rng() % 6); edits > 0; --edits) {
            const std::size_t at =
                rng() % 3 ? rng() % std::min<std::size_t>(b.size(), 96) : rng() % b.size();
            b[at] = rng() % 4 ? std::uint8_t(rng()) : std::uint8_t(rng() % 2 ? 0xff : 0);
        }
        if (rng() % 2)
            b.resize(rng() % (b.size() + 1));
        const WavLoadResult r = Load(b, std::int16_t(rng()));
        if (r.error != None)
            continue;
        ++accepted;
        ASSERT_GE(r.wave.SampleCount, 2);
        ASSERT_EQ(r.wave.WaveData.size(), std::size_t(r.wave.SampleCount));
        ASSERT_GE(r.wave.WavePeak, 0);
        for (float v : r.wave.WaveData)
            ASSERT_TRUE(std::isfinite(v));
    }
    EXPECT_GT(accepted, 1000); // the damage must not be so heavy that nothing loads
}
