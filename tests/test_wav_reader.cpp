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

// What loads is what the refusal message names: integer PCM of 1 to 32 bits
// and 32-bit float.
TEST(WavReader, SampleFormatsAcceptedAreTheOnesNamed) {
    for (std::uint16_t tag : {1, 3})
        for (std::uint16_t bits = 1; bits <= 64; ++bits) {
            const WavLoadResult r = Load(wavtest::MakeWav(wavtest::Desc(tag, 1, bits, Bytes(96))));
            const bool named = tag == 1 ? bits <= 32 : bits == 32;
            ASSERT_EQ(r.error, named ? WavError::None : WavError::UnsupportedFormat)
                << tag << "/" << bits;
            if (named) {
                EXPECT_EQ(r.wave.SampleCount, 96 / ((bits + 7) / 8)) << bits;
            }
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

TEST(WavReader, PeakAndZeroLevel) {
    WavDesc s;
    s.bits = 16;
    s.data = wavtest::Samples16({{128 + 160, 128 - 96}});  // 2.5 and -1.5
    EXPECT_EQ(Load(wavtest::MakeWav(s)).wave.WavePeak, 2); // halves to even
    s.data = wavtest::Samples16({{128 - 224, 128}});       // -3.5
    EXPECT_EQ(Load(wavtest::MakeWav(s)).wave.WavePeak, 4);
    s.data = wavtest::Samples16({{128 + 31, 128 - 31}}); // every |w| below 0.5
    EXPECT_EQ(Load(wavtest::MakeWav(s)).wave.WavePeak, 0);

    WavDesc b8;
    b8.data = {105, 128, 255};
    const WavLoadResult shifted = Load(wavtest::MakeWav(b8), 105);
    EXPECT_EQ(Values(shifted), (std::vector<float>{0, 23, 150}));
    EXPECT_EQ(shifted.wave.WavePeak, 150);
    // No zero level overflows: 255 - (-32768) is beyond 16 bits, the peak saturates.
    const WavLoadResult extreme = Load(wavtest::MakeWav(b8), -32768);
    EXPECT_EQ(extreme.wave.WaveData[2], 33023);
    EXPECT_EQ(extreme.wave.WavePeak, 32767);
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
    auto build = [](auto change) {
        WavDesc s;
        s.data = {1, 2, 3, 4};
        change(s);
        return wavtest::MakeWav(s);
    };
    const Bytes good = build([](WavDesc&) {});
    auto patched = [&good](std::size_t at, Bytes bytes) {
        Bytes b = good;
        std::copy(bytes.begin(), bytes.end(), b.begin() + long(at));
        return b;
    };
    auto cut = [&good](std::size_t n) { return Bytes(good.begin(), good.begin() + long(n)); };
    Bytes noData = good; // "data" renamed: the chunks end without one
    std::memcpy(noData.data() + 36, "tada", 4);

    const std::pair<Bytes, WavError> cases[] = {
        {{}, WavError::NotRiffWave},
        {cut(11), WavError::NotRiffWave},
        {Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '\n'},
         WavError::NotRiffWave},
        {patched(0, {'R', 'I', 'F', 'X'}), WavError::NotRiffWave},
        {patched(8, {'A', 'V', 'I', ' '}), WavError::NotRiffWave},
        {cut(12), WavError::BadHeader},
        {cut(30), WavError::BadHeader}, // cut inside the format chunk
        {patched(16, {14}), WavError::BadHeader},
        {patched(22, {0}), WavError::BadHeader},          // 0 channels
        {patched(24, {0, 0, 0, 0}), WavError::BadHeader}, // 0 samples per second
        {patched(34, {0}), WavError::BadHeader},          // 0 bits
        {patched(20, {2}), WavError::UnsupportedFormat},  // ADPCM
        {patched(20, {7}), WavError::UnsupportedFormat},  // mu-law
        {patched(34, {33}), WavError::UnsupportedFormat},
        {build([](WavDesc& s) { s.tag = 3, s.bits = 64; }), WavError::UnsupportedFormat},
        {build([](WavDesc& s) { s.tag = 0xfffe, s.fmtSize = 18; }), WavError::UnsupportedFormat},
        {build([](WavDesc& s) { s.tag = 0xfffe, s.fmtSize = 40, s.subFormat = 2; }),
         WavError::UnsupportedFormat},
        {cut(36), WavError::NoDataChunk},
        {noData, WavError::NoDataChunk},
        {build([](WavDesc& s) {
             s.before = {{"LIST", Bytes(10)}};
         }) /* size patched below */,
         WavError::BadChunkSize},
        {patched(40, {5}), WavError::DataTruncated},
        {cut(46), WavError::DataTruncated},
        {build([](WavDesc& s) { s.data = {7}; }), WavError::TooFewFrames},
        {build([](WavDesc& s) { s.data = {}; }), WavError::TooFewFrames},
        {build([](WavDesc& s) { s.bits = 16, s.channels = 2, s.data = Bytes(7); }),
         WavError::TooFewFrames},
        {patched(40, {0xff, 0xff, 0xff, 0xff}), WavError::TooLarge}, // 8-bit mono, 4 G frames
    };
    int k = 0;
    for (auto [bytes, error] : cases) {
        if (error == WavError::BadChunkSize) // the LIST chunk claims most of 4 GiB
            std::memcpy(bytes.data() + 40, "\xf0\xff\xff\xff", 4);
        const WavLoadResult r = Load(bytes);
        EXPECT_EQ(int(r.error), int(error)) << "case " << k;
        EXPECT_TRUE(r.wave.WaveData.empty()) << "case " << k;
        ++k;
    }
    EXPECT_EQ(LoadWavBytes(nullptr, 100, 128).error, WavError::NotRiffWave);

    QTemporaryDir dir;
    EXPECT_EQ(LoadWavFile(dir.filePath("missing.wav"), 128).error, WavError::CannotOpen);
    EXPECT_EQ(LoadWavFile(dir.path(), 128).error, WavError::CannotOpen);
    EXPECT_EQ(LoadWavFile(wavtest::WriteFile(dir, "t.wav", cut(46)), 128).error,
              WavError::DataTruncated);
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
