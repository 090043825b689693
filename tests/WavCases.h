#pragma once
// WAV files the reader must decode, with what it must make of them: one table
// of sample formats and channel counts, one of chunk layouts. The reader tests
// check them; the fuzzer starts its corpus from them.

#include "WavTestFiles.h"
#include "wavein/WavReader.h"

#include <cmath>
#include <cstring>
#include <initializer_list>

namespace wavtest {

using tavrel::WavError;

inline Bytes Float32Samples(std::initializer_list<float> v) {
    Bytes b;
    for (float f : v) {
        std::uint32_t u;
        std::memcpy(&u, &f, 4);
        Put32(b, u);
    }
    return b;
}

inline WavDesc Desc(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits, Bytes data,
                    std::uint32_t rate = 22050) {
    WavDesc s;
    s.tag = tag;
    s.channels = channels;
    s.bits = bits;
    s.rate = rate;
    s.data = std::move(data);
    if (tag != 1)
        s.fmtSize = tag == 0xfffe ? 40 : 18;
    if (tag == 0xfffe && bits == 32) // extensible 32-bit stands for float here
        s.subFormat = 3;
    return s;
}

struct DecodeCase {
    const char* name;
    WavDesc desc;
    std::vector<float> values; // WaveData with the zero level at 128
};

inline std::vector<DecodeCase> DecodeCases() {
    auto with = [](WavDesc s, int blockAlign, std::int64_t byteRate) {
        s.blockAlign = blockAlign;
        s.byteRate = byteRate;
        return s;
    };
    Bytes sixChannels; // channel 1 carries 0x100000 and 0x200000, the others 0x7f0000
    for (int f = 0; f < 2; ++f)
        for (int ch = 0; ch < 6; ++ch)
            sixChannels.insert(sixChannels.end(),
                               {0, 0, std::uint8_t(ch == 0 ? 0x10 * (f + 1) : 0x7f)});
    const Bytes in4 = {0, 0, 0, 0x40, 1, 2, 3, 4, 0, 0x80, 0xff, 0xff, 5, 6, 7, 8};
    return {
        {"8-bit mono", Desc(1, 1, 8, {0, 128, 255, 1}), {-128, 0, 127, -127}},
        {"8-bit stereo, right ignored",
         Desc(1, 2, 8, {200, 7, 56, 0, 128, 255}, 8000),
         {72, -72, 0}},
        {"16-bit mono",
         Desc(1, 1, 16, Samples16({{-32768, 0, 32767, 192}}), 44100),
         {-514, -2, 509.984375f, 1}},
        {"16-bit stereo", Desc(1, 2, 16, Samples16({{128, -64}, {5000, -5000}}), 48000), {0, -3}},
        {"4 bits in bytes", Desc(1, 1, 4, {140, 116}), {12, -12}},
        {"12 bits in words", Desc(1, 1, 12, Samples16({{0x7ff0, 0}})), {509.75f, -2}},
        {"20 bits in 3 bytes",
         Desc(1, 1, 20, {0xf0, 0xff, 0x7f, 0, 0, 0x80, 0x10, 0, 0x20}),
         {509.9990234375f, -514, 126.0009765625f}},
        {"24-bit",
         Desc(1, 1, 24, {0xff, 0xff, 0x7f, 0, 0, 0x80, 0, 0, 0x20}),
         {509.99994f, -514, 126}},
        {"28 bits in 4 bytes", Desc(1, 1, 28, {0, 0, 0, 0x40, 0, 0, 0, 0x80}), {254, -514}},
        // 128 + 2^-16 keeps its last bit: the sum is formed in double
        {"32-bit integer",
         Desc(1, 1, 32, {0, 0, 0, 0x40, 0, 0, 0, 0x80, 0x01, 0, 0x80, 0}),
         {254, -514, 0x1p-22f}},
        {"32-bit float",
         Desc(3, 1, 32, Float32Samples({0.5f, -1.0f, 2.0f, std::nanf("")})),
         {254, -514, 510, -2}},
        {"extensible float", Desc(0xfffe, 1, 32, Float32Samples({-INFINITY, 0.25f})), {-2, 126}},
        {"extensible 24-bit", Desc(0xfffe, 1, 24, {0, 0, 0x80, 0, 0, 0x40}), {-514, 254}},
        {"3 channels",
         Desc(1, 3, 16, Samples16({{640, 1280}, {-9999, -9999}, {32767, 32767}})),
         {8, 18}},
        {"6 channels, 24-bit", Desc(1, 6, 24, sixChannels), {62, 126}},
        {"20 bits in 4-byte containers",
         with(Desc(1, 2, 20, in4), 8, 22050 * 8),
         {254, -2.0078125f}},
        {"block align alone claims 4 bytes",
         with(Desc(1, 1, 16, in4), 4, 22050 * 2),
         {-2, 254, 6.015625f, 14.046875f, -514, -2.015625f, 22.078125f, 30.109375f}},
        {"block align 0", with(Desc(1, 1, 16, Samples16({{192, 64}})), 0, 0), {1, -1}},
        {"8 bits keep their byte",
         with(Desc(1, 1, 8, {129, 127, 128, 130}), 2, 22050 * 2),
         {1, -1, 0, 2}},
        {"2000 bytes, 8-bit mono", Desc(1, 1, 8, Bytes(2000)), std::vector<float>(2000, -128)},
        {"2000 bytes, 8-bit stereo", Desc(1, 2, 8, Bytes(2000)), std::vector<float>(1000, -128)},
        {"2000 bytes, 16-bit mono", Desc(1, 1, 16, Bytes(2000)), std::vector<float>(1000, -2)},
        {"2000 bytes, 16-bit stereo", Desc(1, 2, 16, Bytes(2000)), std::vector<float>(500, -2)},
        {"a tail short of a frame", Desc(1, 2, 16, Bytes(2002)), std::vector<float>(500, -2)},
    };
}

struct LayoutCase {
    LayoutCase(const char* n, Bytes f, WavError e = WavError::None, std::vector<float> v = {})
        : name(n), file(std::move(f)), error(e), values(std::move(v)) {}
    const char* name;
    Bytes file;
    WavError error;
    std::vector<float> values; // when loaded; empty: those of LayoutValues()
};

// The data of the layout files: 145 stereo 16-bit frames, so that the low
// size byte is 'D', and a first sample byte that makes "ataD" read as a chunk
// far too long for the file.
inline Bytes LayoutData() {
    std::vector<int> left, right;
    for (int i = 0; i < 145; ++i) {
        left.push_back(64 * (i - 70) + 129);
        right.push_back(7 * i);
    }
    return Samples16({left, right});
}
inline std::vector<float> LayoutValues() {
    std::vector<float> v;
    for (int i = 0; i < 145; ++i)
        v.push_back(float(i - 70) + 1.0f / 64);
    return v;
}

inline std::vector<LayoutCase> LayoutCases() {
    WavDesc d = Desc(1, 2, 16, LayoutData());
    const Chunk fmt{"fmt ", FormatBody(d)};
    const Chunk data{"data", d.data};
    d.fmtSize = 18;
    const Chunk fmt18{"fmt ", FormatBody(d)};
    d.tag = 0xfffe;
    d.fmtSize = 40;
    const Chunk fmt40{"fmt ", FormatBody(d)};
    const Chunk fact{"fact", {145, 0, 0, 0}};
    const Bytes info = {'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 3, 0, 0, 0, 'h', 'i', 0};
    const Chunk list{"LIST", info}, bareList{"LIST", info, false};
    const Chunk list5{"LIST", {'I', 'N', 'F', 'O', 'x'}}, bareList5{"LIST", list5.body, false};
    const Chunk junk41{"JUNK", Bytes(0x41, 'x'), false};

    // Unpadded, "data" holds at its second byte a header of its own, which is
    // where the padded position leads: both chains reach a "data", and the
    // inner one lies inside the file when its size is 8.
    auto twoData = [&fmt](std::uint8_t innerSize) {
        Bytes b = {0, 'd', 'a', 't', 'a', innerSize, 0, 0, 0};
        const Bytes inner = Samples16({{192, 64}, {0, 0}});
        b.insert(b.end(), inner.begin(), inner.end());
        return Riff({fmt, {"LIST", {'x'}, false}, {"data", b}});
    };

    // Padded, a 1-byte chunk opens a lattice: 30 levels of a 1-byte chunk
    // that branches again, overlapping a 0-byte one that does not, so the
    // number of chains grows like the Fibonacci numbers, and none reaches
    // "data". Unpadded, the same bytes read as a chunk of 332 bytes that jumps
    // over the lattice to "data".
    Bytes lattice = Riff({fmt, {"LIST", {0}}});
    const std::size_t jumpFrom = lattice.size() - 1;
    for (int level = 0; level < 30; ++level)
        lattice.insert(lattice.end(), {'J', 'U', 'N', 'L', 1, 0, 0, 0, 0});
    lattice.insert(lattice.end(), {'E', 'N', 'D', '!', 0xff, 0xff, 0xff, 0xff});
    lattice.resize(jumpFrom + 8 + 332, 0);
    PutChunk(lattice, data);

    std::vector<Chunk> manyChunks(70000, Chunk{"JUNK", {}});
    manyChunks.front() = fmt;
    manyChunks.push_back(data);

    return {
        {"plain", Riff({fmt, data})},
        {"18-byte format, fact", Riff({fmt18, fact, data})},
        {"extensible format, fact", Riff({fmt40, fact, data})},
        {"odd LIST with pad, fact", Riff({fmt, list, fact, data})},
        {"odd LIST without pad, fact", Riff({fmt, bareList, fact, data})},
        {"fact, odd LIST with pad", Riff({fmt, fact, list, data})},
        {"fact, odd LIST without pad", Riff({fmt, fact, bareList, data})},
        {"5-byte LIST with pad, JUNK", Riff({fmt, list5, junk41, data})},
        {"5-byte LIST without pad, JUNK", Riff({fmt, bareList5, junk41, data})},
        {"JUNK before the format", Riff({{"JUNK", Bytes(28)}, fmt, data})},
        {"odd JUNK without pad before the format", Riff({junk41, fmt, data})},
        {"no chunk named fmt", Riff({{"abcd", fmt.body}, data})},
        {"format behind the data", Riff({data, fact, fmt})},
        {"both chains reach data: the padded wins", twoData(8), WavError::None, {1, -1}},
        {"the padded chain's data is cut short",
         twoData(0xff),
         WavError::None,
         {398, -4.484375f, -258, 254}},
        {"many chains fail before the one that reaches data", lattice},
        {"the padded chain ends, the unpadded overruns",
         Riff({fmt, {"LIST", {0}}, {"JUNK", Bytes(0x40)}}), WavError::NoDataChunk},
        {"the padded chain overruns, the unpadded ends", Riff({fmt, bareList5, junk41}),
         WavError::BadChunkSize},
        {"70000 chunks before the data", Riff(manyChunks), WavError::NoDataChunk},
    };
}

} // namespace wavtest
