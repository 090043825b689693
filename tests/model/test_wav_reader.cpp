// The WAV reader on files laid out the ways real writers lay them out, on
// every kind of bad input, and on thousands of damaged files.
#include "WavTestFiles.h"
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

Bytes Float32Samples(std::initializer_list<float> v) {
    Bytes b;
    for (float f : v) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        wavtest::Put32(b, u);
    }
    return b;
}

} // namespace

// 8- and 16-bit, mono and stereo: frame counts and values from the raw bytes.
TEST(WavReader, EightAndSixteenBitLayouts) {
    struct Case {
        std::uint16_t channels, bits;
        std::uint32_t rate;
        Bytes data;
        std::int32_t count;
        std::vector<float> values;
    };
    const Bytes mono16 = wavtest::Samples16({{-32768, 0, 32767, 192}});
    const Case cases[] = {
        {1, 8, 22050, {0, 128, 255, 1}, 4, {-128, 0, 127, -127}},
        {2, 8, 8000, {200, 7, 56, 0, 128, 255}, 3, {72, -72, 0}}, // right channel ignored
        {1, 16, 44100, mono16, 4, {-514, -2, 509.984375f, 1}},    // mono as stereo: / 64
        {2, 16, 48000, wavtest::Samples16({{128, -64}, {5000, -5000}}), 2, {0, -3}},
        {1, 4, 11025, {140, 116}, 2, {12, -12}}, // 8 or fewer bits: bytes
        {1, 12, 32000, wavtest::Samples16({{0x7ff0, 0}}), 2, {509.75f, -2}}, // 9 ... 16: words
    };
    for (const Case& c : cases) {
        WavDesc s;
        s.channels = c.channels;
        s.bits = c.bits;
        s.rate = c.rate;
        s.data = c.data;
        const WavLoadResult r = Load(wavtest::MakeWav(s));
        ASSERT_EQ(r.error, WavError::None) << c.channels << "ch " << c.bits << " bit";
        EXPECT_EQ(r.wave.format.channels, c.channels);
        EXPECT_EQ(r.wave.format.bitsPerSample, c.bits);
        EXPECT_EQ(r.wave.format.sampleRate, c.rate);
        EXPECT_EQ(r.wave.SampleCount, c.count);
        EXPECT_EQ(Values(r), c.values) << c.channels << "ch " << c.bits << " bit";
    }
}

TEST(WavReader, FrameCountsOfTwoThousandDataBytes) {
    for (auto [channels, bits, count] : {std::tuple{2, 8, 1000}, std::tuple{1, 16, 1000},
                                         std::tuple{2, 16, 500}, std::tuple{1, 8, 2000}}) {
        WavDesc s;
        s.channels = std::uint16_t(channels);
        s.bits = std::uint16_t(bits);
        s.data.assign(2000, 0);
        EXPECT_EQ(Load(wavtest::MakeWav(s)).wave.SampleCount, count);
    }
    WavDesc ragged; // a tail shorter than a frame is not a frame
    ragged.channels = 2;
    ragged.bits = 16;
    ragged.data.assign(2002, 0);
    EXPECT_EQ(Load(wavtest::MakeWav(ragged)).wave.SampleCount, 500);
}

TEST(WavReader, PlainHeaderReadsDataFromByte44) {
    WavDesc s;
    s.data = {10, 20, 30};
    const Bytes b = wavtest::MakeWav(s);
    ASSERT_EQ(b.size(), 48u); // 44 + 3 + pad
    const WavLoadResult r = Load(b);
    EXPECT_EQ(r.wave.dataOffset, 44u);
    EXPECT_EQ(Values(r), (std::vector<float>{-118, -108, -98}));
}

// Longer format chunks and chunks before "data" change nothing in what loads.
TEST(WavReader, ExtraChunksAndLongFormatChunksLoadAlike) {
    WavDesc plain;
    plain.channels = 2;
    plain.bits = 16;
    plain.data = wavtest::Samples16({{100, -300, 7000, 32767}, {1, 2, 3, 4}});
    const std::vector<float> expected = Values(Load(wavtest::MakeWav(plain)));
    ASSERT_EQ(expected.size(), 4u);

    const Bytes fact = {4, 0, 0, 0};
    const Bytes oddList = {'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 3, 0, 0, 0, 'h', 'i', 0};
    std::vector<WavDesc> variants;
    for (std::uint16_t fmtSize : {18, 40}) {
        WavDesc v = plain;
        v.fmtSize = fmtSize;
        if (fmtSize == 40)
            v.tag = 0xfffe;
        v.before = {{"fact", fact}};
        variants.push_back(v);
    }
    for (bool pad : {true, false}) {
        WavDesc v = plain;
        v.before = {{"LIST", oddList, pad}, {"fact", fact}};
        variants.push_back(v);
        v.before = {{"fact", fact}, {"LIST", oddList, pad}}; // odd chunk right before "data"
        variants.push_back(v);
    }
    for (const WavDesc& v : variants) {
        const WavLoadResult r = Load(wavtest::MakeWav(v));
        ASSERT_EQ(r.error, WavError::None) << v.fmtSize << " " << v.before.size();
        EXPECT_EQ(Values(r), expected);
        EXPECT_EQ(r.wave.format.sampleFormat, 1);
    }
}

// Without its pad byte an odd chunk leaves "ata" and the low size byte where a
// padded header would start; when that byte is printable both positions look
// like chunk ids, and the one that reads "data" must win.
TEST(WavReader, MissingPadBeforeDataWithPrintableSizeByte) {
    for (bool pad : {true, false}) {
        WavDesc s;
        s.before = {{"junk", {1, 2, 3}, pad}};
        s.data.assign(0x241, 128); // low size byte 'A': "ataA" is a plausible id
        s.data[0] = 130;
        const WavLoadResult r = Load(wavtest::MakeWav(s));
        ASSERT_EQ(r.error, WavError::None) << pad;
        EXPECT_EQ(r.wave.SampleCount, 0x241);
        EXPECT_EQ(r.wave.WaveData[0], 2);
    }
}

TEST(WavReader, FormatChunkFoundWhereverItStands) {
    WavDesc s;
    s.data = {120, 136};
    Bytes b = wavtest::MakeWav(s);
    // A "JUNK" chunk ahead of "fmt ", as some recorders reserve room there.
    Bytes junk = {'J', 'U', 'N', 'K', 5, 0, 0, 0, 9, 9, 9, 9, 9, 0};
    Bytes withJunk(b.begin(), b.begin() + 12);
    withJunk.insert(withJunk.end(), junk.begin(), junk.end());
    withJunk.insert(withJunk.end(), b.begin() + 12, b.end());
    EXPECT_EQ(Values(Load(withJunk)), (std::vector<float>{-8, 8}));
    // No chunk named "fmt " at all: the chunk at offset 12 is the format.
    std::memcpy(b.data() + 12, "abcd", 4);
    EXPECT_EQ(Values(Load(b)), (std::vector<float>{-8, 8}));
}

// 24-bit, 32-bit and float samples are brought to 16-bit units first.
TEST(WavReader, WideSamplesScaleToSixteenBitUnits) {
    struct Case {
        std::uint16_t tag, bits, sub;
        Bytes data;
        std::vector<float> values;
    };
    const float nan = std::nanf("");
    const Case cases[] = {
        {1, 24, 1, {0xff, 0xff, 0x7f, 0, 0, 0x80, 0, 0, 0x20}, {509.99994f, -514, 126}},
        // 128 + 2^-16 keeps its last bit: the sum is formed in double
        {1, 32, 1, {0, 0, 0, 0x40, 0, 0, 0, 0x80, 0x01, 0, 0x80, 0}, {254, -514, 0x1p-22f}},
        {3, 32, 3, Float32Samples({0.5f, -1.0f, 2.0f, nan}), {254, -514, 510, -2}},
        {0xfffe, 32, 3, Float32Samples({-INFINITY, 0.25f}), {-2, 126}},
        {0xfffe, 24, 1, {0, 0, 0x80, 0, 0, 0x40}, {-514, 254}},
    };
    for (const Case& c : cases) {
        WavDesc s;
        s.tag = c.tag;
        s.bits = c.bits;
        s.subFormat = c.sub;
        s.fmtSize = c.tag == 0xfffe ? 40 : 18;
        s.data = c.data;
        const WavLoadResult r = Load(wavtest::MakeWav(s));
        ASSERT_EQ(r.error, WavError::None) << c.tag << "/" << c.bits;
        EXPECT_EQ(r.wave.format.sampleFormat, c.sub);
        EXPECT_EQ(Values(r), c.values) << c.tag << "/" << c.bits;
    }
}

TEST(WavReader, ManyChannelsGiveChannelOne) {
    WavDesc s;
    s.channels = 3;
    s.bits = 16;
    s.data = wavtest::Samples16({{640, 1280}, {-9999, -9999}, {32767, 32767}});
    EXPECT_EQ(Values(Load(wavtest::MakeWav(s))), (std::vector<float>{8, 18}));
    s.channels = 6;
    s.bits = 24;
    s.data.clear();
    for (int f = 0; f < 2; ++f)
        for (int ch = 0; ch < 6; ++ch)
            s.data.insert(s.data.end(), {0, 0, std::uint8_t(ch == 0 ? 0x10 * (f + 1) : 0x7f)});
    EXPECT_EQ(Values(Load(wavtest::MakeWav(s))), (std::vector<float>{62, 126}));
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
        {patched(34, {20}), WavError::UnsupportedFormat},
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
    {
        WavDesc a;
        a.before = {{"LIST", {'I', 'N', 'F', 'O', 'x'}, true}, {"fact", {9, 0, 0, 0}}};
        a.data.assign(301, 100);
        seeds.push_back(wavtest::MakeWav(a));
        WavDesc b;
        b.channels = 2;
        b.bits = 16;
        b.fmtSize = 18;
        b.data = wavtest::Samples16({{1, -2, 30000, -32768, 5}, {0, 0, 0, 0, 0}});
        seeds.push_back(wavtest::MakeWav(b));
        WavDesc c;
        c.tag = 0xfffe;
        c.fmtSize = 40;
        c.bits = 32;
        c.subFormat = 3;
        c.channels = 3;
        c.data = Float32Samples({0.1f, 0.2f, 0.3f, -1.5f, 1e30f, -0.f, 0.7f, 0.8f, 0.9f});
        seeds.push_back(wavtest::MakeWav(c));
        WavDesc d;
        d.bits = 24;
        d.before = {{"odd ", {1, 2, 3}, false}};
        d.data.assign(60, 0x55);
        seeds.push_back(wavtest::MakeWav(d));
    }
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
