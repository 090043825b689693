// Sample layouts for the audio device, their conversion, and the stream it reads.
#include "WavTestFiles.h"
#include "sound/PcmFormat.h"
#include "sound/PcmStream.h"

#include <QBuffer>
#include <bit>
#include <cmath>
#include <gtest/gtest.h>

using namespace tavrel;

using wavtest::Bytes;
using enum PcmEncoding;

// Samples in encoding `e`; U8 values are the bytes themselves.
static Bytes Pcm(PcmEncoding e, const std::vector<double>& values) {
    Bytes b;
    for (double v : values)
        wavtest::Put(
            b, e == F32 ? std::bit_cast<std::uint32_t>(float(v)) : std::uint32_t(std::int64_t(v)),
            int(BytesPerSample(e)));
    return b;
}

// Every layout the reader accepts maps to one of its container, and the
// device gets that, 24 bits as 32, else float, else 16-bit; stereo, else mono.
TEST(PcmFormat, LayoutOfTheFileAndOfTheDevice) {
    auto any = [](const PcmLayout&) { return true; };
    auto stereo16 = [](const PcmLayout& l) { return l.encoding == S16 && l.channels <= 2; };
    auto mono = [](const PcmLayout& l) { return l.channels == 1 && l.encoding != U8; };
    struct Case {
        std::uint16_t tag, bits, channels;
        std::function<bool(const PcmLayout&)> accepts;
        std::optional<PcmLayout> file, device;
    };
    const Case cases[] = {
        {1, 8, 1, any, PcmLayout{U8, 1}, PcmLayout{U8, 1}},
        {1, 4, 2, stereo16, PcmLayout{U8, 2}, PcmLayout{S16, 2}},
        {1, 8, 2, mono, PcmLayout{U8, 2}, PcmLayout{F32, 1}},
        {1, 16, 2, [](const PcmLayout&) { return false; }, PcmLayout{S16, 2}, std::nullopt},
        {1, 20, 1, any, PcmLayout{S24, 1}, PcmLayout{S32, 1}},
        {1, 24, 6, stereo16, PcmLayout{S24, 6}, PcmLayout{S16, 2}},
        {1, 32, 1, any, PcmLayout{S32, 1}, PcmLayout{S32, 1}},
        {3, 32, 6, any, PcmLayout{F32, 6}, PcmLayout{F32, 6}},
        {3, 64, 1, any, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.tag << "/" << c.bits << "/" << c.channels);
        const wavtest::Bytes file = wavtest::MakeWav(
            {.tag = c.tag, .channels = c.channels, .bits = c.bits, .data = Bytes(96)});
        const WavLoadResult probe = ProbeWavBytes(file.data(), file.size());
        EXPECT_EQ(probe.error == WavError::None, c.file.has_value());
        const std::optional<PcmLayout> got = PcmLayoutOf(probe.wave);
        EXPECT_EQ(got, c.file);
        EXPECT_EQ(got ? ChooseDeviceLayout(*got, c.accepts) : std::nullopt, c.device);
    }
}

// Round to nearest, clip, NaN as silence; many channels to one is the mean,
// to two shares the further ones between both sides.
TEST(PcmFormat, ConvertsSamplesAndChannels) {
    // From, values in (8-bit ones are the bytes themselves), to, values out.
    const std::tuple<PcmLayout, std::vector<double>, PcmLayout, std::vector<double>> cases[] = {
        {{S24, 1}, {0x123456, -2}, {S24, 1}, {0x123456, -2}},
        {{S24, 1}, {0x123456, -1, -0x800000}, {S32, 1}, {0x12345600, -256, -0x1p31}},
        {{S32, 1}, {0x1p31 - 1, -0x1p31, 0x18000, 0x17fff}, {S16, 1}, {32767, -32768, 2, 1}},
        {{U8, 1}, {0, 128, 255}, {S16, 1}, {-32768, 0, 32512}},
        {{S16, 1}, {32767, -32768, 0, 256}, {U8, 1}, {255, 0, 128, 129}},
        {{F32, 1}, {0.5, 2, -1, NAN}, {S16, 1}, {16384, 32767, -32768, 0}},
        {{S16, 1}, {16384, -32768}, {F32, 1}, {0.5, -1}},
        {{S16, 2}, {1000, 3000, -5, -6}, {S16, 1}, {2000, -6}},
        {{U8, 1}, {200}, {S16, 2}, {18432, 18432}},
        {{S16, 3}, {300, 600, 900}, {S16, 2}, {600, 750}},
        {{S32, 4}, {100 << 16, 200 << 16, 300 << 16, 500 << 16}, {S16, 2}, {300, 333}},
    };
    for (const auto& [from, values, to, wantValues] : cases) {
        const Bytes in = Pcm(from.encoding, values), want = Pcm(to.encoding, wantValues);
        Bytes out(in.size() / FrameBytes(from) * FrameBytes(to), 0xee);
        ConvertPcm(in.data(), from, out.data(), to, out.size() / FrameBytes(to));
        EXPECT_EQ(out, want) << int(from.encoding) << "x" << from.channels << " to "
                             << int(to.encoding) << "x" << to.channels;
    }
}

// Pieces of any size make the whole conversion; a file cut short ends it early.
TEST(PcmStream, ReadsConvertedPiecesToTheEnd) {
    const std::size_t frames = 20000, header = 44; // more than one piece
    Bytes file(header + frames * 6);               // 24-bit stereo
    for (std::size_t i = 0; i < file.size(); ++i)
        file[i] = std::uint8_t(i * 7919 >> (i % 3));
    const PcmLayout from{S24, 2}, to{S16, 1};
    Bytes whole(frames * 2);
    ConvertPcm(file.data() + header, from, whole.data(), to, frames);
    for (const std::size_t keep : {file.size(), header + 1000 * 6 + 4}) {
        auto source = std::make_unique<QBuffer>();
        source->setData(reinterpret_cast<const char*>(file.data()), qsizetype(keep));
        source->open(QIODevice::ReadOnly);
        PcmStream stream(std::move(source), header, frames, from, to);
        ASSERT_TRUE(stream.open(QIODevice::ReadOnly | QIODevice::Unbuffered));
        EXPECT_EQ(stream.size(), qint64(frames * 2));
        Bytes got;
        char piece[999]; // not a whole number of frames
        for (qint64 n; (n = stream.read(piece, sizeof piece)) > 0;)
            got.insert(got.end(), piece, piece + n);
        const std::size_t wantFrames = std::min(frames, (keep - header) / 6);
        EXPECT_EQ(got, Bytes(whole.begin(), whole.begin() + std::ptrdiff_t(wantFrames * 2)));
        EXPECT_TRUE(stream.atEnd());
    }
}
