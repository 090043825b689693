// Sample layouts for the audio device: which the reader's formats map to,
// which the device is opened with, the conversion, and the stream the device
// pulls from.
#include "WavTestFiles.h"
#include "sound/PcmFormat.h"
#include "sound/PcmStream.h"

#include <QBuffer>
#include <QFile>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

using namespace tavrel;

namespace {

using Bytes = std::vector<std::uint8_t>;
constexpr PcmEncoding U8 = PcmEncoding::U8, S16 = PcmEncoding::S16, S24 = PcmEncoding::S24,
                      S32 = PcmEncoding::S32, F32 = PcmEncoding::F32;

// Little-endian samples of `bytes` bytes each.
Bytes Le(std::initializer_list<std::int64_t> values, int bytes) {
    Bytes b;
    for (std::int64_t v : values)
        for (int k = 0; k < bytes; ++k)
            b.push_back(std::uint8_t(std::uint64_t(v) >> (8 * k)));
    return b;
}
Bytes Floats(std::initializer_list<float> values) {
    Bytes b;
    for (float f : values) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        const Bytes one = Le({u}, 4);
        b.insert(b.end(), one.begin(), one.end());
    }
    return b;
}

} // namespace

// Every layout the reader accepts maps to one whose frame is the reader's.
TEST(PcmFormat, LayoutOfWhatTheReaderAccepts) {
    struct Case {
        std::uint16_t tag, bits, channels;
        std::optional<PcmLayout> want;
    };
    const Case cases[] = {
        {1, 8, 1, PcmLayout{U8, 1}},   {1, 4, 2, PcmLayout{U8, 2}},   {1, 12, 1, PcmLayout{S16, 1}},
        {1, 16, 2, PcmLayout{S16, 2}}, {1, 24, 6, PcmLayout{S24, 6}}, {1, 32, 1, PcmLayout{S32, 1}},
        {3, 32, 2, PcmLayout{F32, 2}}, {3, 64, 1, std::nullopt},      {1, 20, 1, PcmLayout{S24, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tag << "/" << c.bits << "/" << c.channels);
        wavtest::WavDesc d;
        d.tag = c.tag;
        d.bits = c.bits;
        d.channels = c.channels;
        d.data.assign(std::size_t(4 * c.channels * ((c.bits + 7) / 8)), 0);
        const wavtest::Bytes file = wavtest::MakeWav(d);
        const WavLoadResult probe = ProbeWavBytes(file.data(), file.size());
        const std::optional<PcmLayout> got = PcmLayoutOf(probe.wave);
        EXPECT_EQ(got, c.want);
        EXPECT_EQ(probe.error == WavError::None, c.want.has_value());
        if (got && probe.error == WavError::None) {
            EXPECT_EQ(FrameBytes(*got), probe.wave.frameBytes);
            EXPECT_EQ(probe.wave.SampleCount, 4);
            EXPECT_TRUE(probe.wave.WaveData.empty());
        }
    }
}

TEST(PcmFormat, DeviceLayoutKeepsWhatTheDeviceTakes) {
    auto any = [](const PcmLayout&) { return true; };
    auto stereo16 = [](const PcmLayout& l) { return l.encoding == S16 && l.channels <= 2; };
    auto monoFloat = [](const PcmLayout& l) { return l.encoding == F32 && l.channels == 1; };
    auto none = [](const PcmLayout&) { return false; };
    struct Case {
        PcmLayout file;
        std::function<bool(const PcmLayout&)> accepts;
        std::optional<PcmLayout> want;
    };
    const Case cases[] = {
        {{U8, 1}, any, PcmLayout{U8, 1}},       {{S24, 2}, any, PcmLayout{S32, 2}},
        {{F32, 6}, any, PcmLayout{F32, 6}},     {{S24, 6}, stereo16, PcmLayout{S16, 2}},
        {{U8, 1}, stereo16, PcmLayout{S16, 1}}, {{S16, 2}, monoFloat, PcmLayout{F32, 1}},
        {{S16, 2}, none, std::nullopt},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ChooseDeviceLayout(c.file, c.accepts), c.want)
            << int(c.file.encoding) << "/" << c.file.channels;
}

TEST(PcmFormat, ConvertsSamplesAndChannels) {
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        const char* what;
        PcmLayout from;
        Bytes in;
        PcmLayout to;
        Bytes want;
    };
    const Case cases[] = {
        {"same layout as it stands",
         {S24, 1},
         Le({0x123456, -2}, 3),
         {S24, 1},
         Le({0x123456, -2}, 3)},
        {"24 to 32 bits exact",
         {S24, 1},
         Le({0x123456, -1, -0x800000}, 3),
         {S32, 1},
         Le({0x12345600, -256, -0x80000000LL}, 4)},
        {"32 to 16 bits rounds and clips",
         {S32, 1},
         Le({0x7fffffff, -0x80000000LL, 0x00018000, 0x00017fff}, 4),
         {S16, 1},
         Le({32767, -32768, 2, 1}, 2)},
        {"8-bit unsigned to 16", {U8, 1}, {0, 128, 255}, {S16, 1}, Le({-32768, 0, 32512}, 2)},
        {"16 to 8-bit unsigned",
         {S16, 1},
         Le({32767, -32768, 0, 256}, 2),
         {U8, 1},
         {255, 0, 128, 129}},
        {"float to 16, clipped, not finite is silence",
         {F32, 1},
         Floats({0.5f, 2.0f, -1.0f, float(nan)}),
         {S16, 1},
         Le({16384, 32767, -32768, 0}, 2)},
        {"16 to float", {S16, 1}, Le({16384, -32768}, 2), {F32, 1}, Floats({0.5f, -1.0f})},
        {"stereo to mono is the mean",
         {S16, 2},
         Le({1000, 3000, -5, -6}, 2),
         {S16, 1},
         Le({2000, -6}, 2)},
        {"mono to stereo repeats", {U8, 1}, {200}, {S16, 2}, Le({18432, 18432}, 2)},
        {"three to two shares the third",
         {S16, 3},
         Le({300, 600, 900}, 2),
         {S16, 2},
         Le({600, 750}, 2)},
        {"four to two",
         {S32, 4},
         Le({100 << 16, 200 << 16, 300 << 16, 500 << 16}, 4),
         {S16, 2},
         Le({300, 333}, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const std::size_t frames = c.in.size() / FrameBytes(c.from);
        ASSERT_EQ(c.want.size(), frames * FrameBytes(c.to));
        Bytes out(c.want.size(), 0xee);
        ConvertPcm(c.in.data(), c.from, out.data(), c.to, frames);
        EXPECT_EQ(out, c.want);
    }
}

// The device reads in pieces of any size; together they are the whole
// conversion, in order, and a file cut short after its header was read ends
// the stream where the data end.
TEST(PcmStream, ReadsConvertedPiecesToTheEnd) {
    wavtest::WavDesc d;
    d.channels = 2;
    d.bits = 24;
    d.rate = 48000;
    const int frames = 20000; // more than one piece
    for (int i = 0; i < frames * 2; ++i)
        for (int k = 0; k < 3; ++k)
            d.data.push_back(std::uint8_t((i * 7919 + k * 31) >> (k * 3)));
    const wavtest::Bytes file = wavtest::MakeWav(d);
    const WavLoadResult probe = ProbeWavBytes(file.data(), file.size());
    ASSERT_EQ(probe.error, WavError::None);
    const PcmLayout from{S24, 2}, to{S16, 1};
    Bytes whole(std::size_t(frames) * FrameBytes(to));
    ConvertPcm(file.data() + probe.wave.dataOffset, from, whole.data(), to, std::size_t(frames));

    QTemporaryDir dir;
    const QString path = wavtest::WriteFile(dir, "cut.wav", file);
    struct Case {
        const char* what;
        std::unique_ptr<QIODevice> source;
        std::size_t wantFrames;
    };
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(reinterpret_cast<const char*>(file.data()), qsizetype(file.size()));
    buffer->open(QIODevice::ReadOnly);
    auto cut = std::make_unique<QFile>(path);
    ASSERT_TRUE(cut->resize(qint64(probe.wave.dataOffset) + 1000 * 6 + 4)); // 1000 frames and a bit
    cut->open(QIODevice::ReadOnly);
    Case cases[] = {{"whole, from memory", std::move(buffer), std::size_t(frames)},
                    {"file cut short", std::move(cut), 1000}};
    for (Case& c : cases) {
        SCOPED_TRACE(c.what);
        PcmStream stream(std::move(c.source), probe.wave.dataOffset, frames, from, to);
        ASSERT_TRUE(stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        EXPECT_EQ(stream.size(), qint64(frames) * 2);
        Bytes got;
        char piece[999]; // not a whole number of frames
        for (qint64 n; (n = stream.read(piece, sizeof piece)) > 0;)
            got.insert(got.end(), piece, piece + n);
        EXPECT_EQ(got, Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(c.wantFrames * 2)));
        EXPECT_TRUE(stream.atEnd());
    }
}
