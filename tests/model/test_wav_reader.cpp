// The WAV reader on files laid out the ways real writers lay them out, on
// every kind of bad input, and on thousands of damaged files.
#include "WavCases.h"
#include "wavein/WavReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <cmath>
#include <cstring>
#include <gtest/gtest.h>
#include <random>

using namespace tavrel;
using wavtest::Bytes;
using wavtest::WavDesc;

namespace {

WavLoadResult Load(const Bytes& b, std::int16_t ref = 128) {
    return LoadWavBytes(b.data(), b.size(), ref);
}

std::vector<float> Values(const WavLoadResult& r) {
    return {r.wave.WaveData.begin(), r.wave.WaveData.end()};
}

} // namespace

TEST(WavReader, DecodesEverySampleFormat) {
    for (const wavtest::DecodeCase& c : wavtest::DecodeCases()) {
        const WavLoadResult r = Load(wavtest::MakeWav(c.desc));
        ASSERT_EQ(r.error, WavError::None) << c.name;
        EXPECT_EQ(r.wave.format.channels, c.desc.channels) << c.name;
        EXPECT_EQ(r.wave.format.bitsPerSample, c.desc.bits) << c.name;
        EXPECT_EQ(r.wave.format.sampleRate, c.desc.rate) << c.name;
        EXPECT_EQ(r.wave.format.sampleFormat, c.desc.tag == 0xfffe ? c.desc.subFormat : c.desc.tag);
        EXPECT_EQ(r.wave.dataOffset, 28u + c.desc.fmtSize) << c.name; // 44 for a plain header
        EXPECT_EQ(r.wave.SampleCount, std::int32_t(c.values.size())) << c.name;
        EXPECT_EQ(Values(r), c.values) << c.name;
    }
}

// Real writers' layouts: long format chunks, chunks before "data" or before
// "fmt ", odd-sized chunks with and without their pad byte.
TEST(WavReader, ChunkLayouts) {
    for (const wavtest::LayoutCase& c : wavtest::LayoutCases()) {
        const WavLoadResult r = Load(c.file);
        ASSERT_EQ(r.error, c.error) << c.name;
        if (c.error == WavError::None) {
            EXPECT_EQ(Values(r), c.values.empty() ? wavtest::LayoutValues() : c.values) << c.name;
        }
    }
}

// WavePeak rounds halves to even; no zero level overflows a sample, and the
// peak saturates at 16 bits.
TEST(WavReader, PeakAndZeroLevel) {
    struct Case {
        std::uint16_t bits;
        Bytes data;
        std::int16_t ref;
        float last;
        std::int16_t peak;
    };
    const Case cases[] = {
        {16, wavtest::Samples16({{288, 32}}), 128, -1.5f, 2}, // 2.5 and -1.5
        {16, wavtest::Samples16({{-96, 128}}), 128, 0, 4},    // -3.5
        {16, wavtest::Samples16({{159, 97}}), 128, -0.484375f, 0},
        {8, {105, 128, 255}, 105, 150, 150},
        {8, {105, 128, 255}, -32768, 33023, 32767},
    };
    for (const Case& c : cases) {
        const WavLoadResult r = Load(wavtest::MakeWav(wavtest::Desc(1, 1, c.bits, c.data)), c.ref);
        EXPECT_EQ(r.wave.WaveData.back(), c.last) << c.ref;
        EXPECT_EQ(r.wave.WavePeak, c.peak) << c.ref;
    }
}

TEST(WavReader, FileAndMemoryAgreeAcrossPieces) {
    WavDesc s; // 9-byte frames over several 256 KiB pieces
    s.channels = 3;
    s.bits = 24;
    std::mt19937 rng(7);
    s.data.resize(9 * 70001 + 4);
    for (auto& b : s.data)
        b = std::uint8_t(rng());
    const Bytes b = wavtest::MakeWav(s);
    QTemporaryDir dir;
    const WavLoadResult fromFile = LoadWavFile(wavtest::WriteFile(dir, "a.wav", b), 100);
    const WavLoadResult fromMemory = Load(b, 100);
    ASSERT_EQ(fromFile.error, WavError::None);
    EXPECT_EQ(fromFile.wave.SampleCount, 70001);
    EXPECT_EQ(Values(fromFile), Values(fromMemory));
    EXPECT_EQ(fromFile.wave.WavePeak, fromMemory.wave.WavePeak);
}

// The recordings shipped for a first lesson must load as they are.
TEST(WavReader, ExampleRecordingsLoad) {
    const QDir dir(QStringLiteral(TAVREL_EXAMPLES_DIR));
    const QStringList files = dir.entryList({QStringLiteral("*.wav")}, QDir::Files);
    EXPECT_GE(files.size(), 5);
    for (const QString& f : files) {
        const WavLoadResult r = LoadWavFile(dir.filePath(f), 128);
        ASSERT_EQ(r.error, WavError::None) << f.toStdString();
        EXPECT_EQ(r.wave.SampleCount, 22050) << f.toStdString();
        EXPECT_GT(r.wave.WavePeak, r.wave.format.bitsPerSample == 8 ? 60 : 250) << f.toStdString();
    }
}

TEST(WavErrors, EachBadInputGetsItsError) {
    WavDesc s;
    s.data = {1, 2, 3, 4};
    const Bytes good = wavtest::MakeWav(s); // "fmt " at 12, "data" at 36, 48 bytes
    struct Case {
        std::size_t at; // where `bytes` overwrite the good file
        Bytes bytes;
        std::size_t keep; // bytes kept of the result
        WavError error;
    };
    const Case cases[] = {
        {0, {}, 0, WavError::NotRiffWave},
        {0,
         {'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '\n'},
         12,
         WavError::NotRiffWave},
        {0, {'R', 'I', 'F', 'X'}, 48, WavError::NotRiffWave},
        {8, {'A', 'V', 'I', ' '}, 48, WavError::NotRiffWave},
        {0, {}, 12, WavError::BadHeader},
        {0, {}, 30, WavError::BadHeader}, // cut inside the format chunk
        {16, {14}, 48, WavError::BadHeader},
        {22, {0}, 48, WavError::BadHeader},          // 0 channels
        {24, {0, 0, 0, 0}, 48, WavError::BadHeader}, // 0 samples per second
        {34, {0}, 48, WavError::BadHeader},          // 0 bits
        // What the refusal message names is all that loads: 1 to 32 integer
        // bits and 32-bit float, nothing compressed.
        {34, {33}, 48, WavError::UnsupportedFormat},
        {20, {3}, 48, WavError::UnsupportedFormat},          // 8-bit float
        {20, {2}, 48, WavError::UnsupportedFormat},          // ADPCM
        {20, {7}, 48, WavError::UnsupportedFormat},          // mu-law
        {20, {0xfe, 0xff}, 48, WavError::UnsupportedFormat}, // extensible without its fields
        {0, {}, 36, WavError::NoDataChunk},
        {36, {'t', 'a', 'd', 'a'}, 48, WavError::NoDataChunk},
        {40, {5}, 48, WavError::DataTruncated},
        {0, {}, 46, WavError::DataTruncated},
        {40, {1}, 48, WavError::TooFewFrames},
        {40, {0}, 48, WavError::TooFewFrames},
        {40, {0xff, 0xff, 0xff, 0xff}, 48, WavError::TooLarge}, // 8-bit mono, 4 G frames
    };
    for (const Case& c : cases) {
        Bytes b = good;
        std::copy(c.bytes.begin(), c.bytes.end(), b.begin() + long(c.at));
        b.resize(c.keep);
        const WavLoadResult r = Load(b);
        EXPECT_EQ(int(r.error), int(c.error)) << "at " << c.at << ", " << c.keep << " bytes";
        EXPECT_TRUE(r.wave.WaveData.empty());
    }
    EXPECT_EQ(LoadWavBytes(nullptr, 100, 128).error, WavError::NotRiffWave);

    QTemporaryDir dir;
    EXPECT_EQ(LoadWavFile(dir.filePath("missing.wav"), 128).error, WavError::CannotOpen);
    EXPECT_EQ(LoadWavFile(dir.path(), 128).error, WavError::CannotOpen);
    const QString cut = wavtest::WriteFile(dir, "t.wav", Bytes(good.begin(), good.end() - 2));
    EXPECT_EQ(LoadWavFile(cut, 128).error, WavError::DataTruncated);
}

// Damaged copies of valid files: random bytes changed (mostly in the headers,
// where the structure is) and random cuts. The reader must answer every one,
// and whatever it accepts must be whole and finite.
TEST(WavFuzz, MutationsAndTruncationsNeverCrash) {
    std::vector<Bytes> seeds;
    for (const wavtest::DecodeCase& c : wavtest::DecodeCases())
        seeds.push_back(wavtest::MakeWav(c.desc));
    for (const wavtest::LayoutCase& c : wavtest::LayoutCases())
        if (c.file.size() < 4096)
            seeds.push_back(c.file);
    std::mt19937 rng(20240601);
    int accepted = 0;
    for (int iter = 0; iter < 20000; ++iter) {
        Bytes b = seeds[rng() % seeds.size()];
        const int edits = 1 + int(rng() % 6);
        for (int e = 0; e < edits; ++e) {
            const std::size_t at =
                rng() % 3 ? rng() % std::min<std::size_t>(b.size(), 96) : rng() % b.size();
            b[at] = rng() % 4 ? std::uint8_t(rng()) : std::uint8_t(rng() % 2 ? 0xff : 0);
        }
        if (rng() % 2)
            b.resize(rng() % (b.size() + 1));
        const WavLoadResult r = Load(b, std::int16_t(rng()));
        if (r.error != WavError::None)
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
