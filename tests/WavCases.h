#pragma once
// WAV files the reader must decode, with what it must make of them: one table
// of sample formats and channel counts, one of chunk layouts. The reader tests
// check them; the fuzzer starts its corpus from them.

#include "WavTestFiles.h"
#include "wavein/WavReader.h"

namespace wavtest {

using tavrel::WavError;

inline WavDesc Desc(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits, Bytes data,
                    std::uint32_t rate = 22050, int blockAlign = -1, std::int64_t byteRate = -1) {
    WavDesc s;
    s.blockAlign = blockAlign;
    s.byteRate = byteRate;
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
    Bytes six; // 6 channels of 24 bits: channel 1 carries 0x100000 and 0x200000
    for (int f = 0; f < 2; ++f)
        for (int ch = 0; ch < 6; ++ch)
            six.insert(six.end(), {0, 0, std::uint8_t(ch == 0 ? 0x10 * (f + 1) : 0x7f)});
    const Bytes in4 = {0, 0, 0, 0x40, 1, 2, 3, 4, 0, 0x80, 0xff, 0xff, 5, 6, 7, 8};
    const Bytes b24 = {0xff, 0xff, 0x7f, 0, 0, 0x80, 0, 0, 0x20};
    const Bytes b20 = {0xf0, 0xff, 0x7f, 0, 0, 0x80, 0x10, 0, 0x20};
    const Bytes b32 = {0, 0, 0, 0x40, 0, 0, 0, 0x80, 0x01, 0, 0x80, 0};
    const Bytes f32 = {0, 0, 0, 0x3f, 0, 0, 0x80, 0xbf,
                       0, 0, 0, 0x40, 0, 0, 0xc0, 0x7f};      // .5 -1 2 NaN
    const Bytes ext32 = {0, 0, 0x80, 0xff, 0, 0, 0x80, 0x3e}; // -infinity, 0.25
    return {
        {"8-bit", Desc(1, 1, 8, {0, 128, 255, 1}), {-128, 0, 127, -127}},
        {"8-bit stereo", Desc(1, 2, 8, {200, 7, 56, 0, 128, 255}, 8000), {72, -72, 0}},
        {"16-bit",
         Desc(1, 1, 16, Samples16({{-32768, 0, 32767, 192}}), 44100),
         {-514, -2, 509.984375f, 1}},
        {"16-bit stereo", Desc(1, 2, 16, Samples16({{128, -64}, {5000, -5000}}), 48000), {0, -3}},
        {"4 bits in bytes", Desc(1, 1, 4, {140, 116}), {12, -12}},
        {"12 bits in words", Desc(1, 1, 12, Samples16({{0x7ff0, 0}})), {509.75f, -2}},
        {"20 bits in 3 bytes", Desc(1, 1, 20, b20), {509.9990234375f, -514, 126.0009765625f}},
        {"24-bit", Desc(1, 1, 24, b24), {509.99994f, -514, 126}},
        {"28 bits in 4 bytes", Desc(1, 1, 28, {0, 0, 0, 0x40, 0, 0, 0, 0x80}), {254, -514}},
        // 128 + 2^-16 keeps its last bit: the sum is formed in double
        {"32-bit", Desc(1, 1, 32, b32), {254, -514, 0x1p-22f}},
        {"float", Desc(3, 1, 32, f32), {254, -514, 510, -2}},
        {"extensible float", Desc(0xfffe, 1, 32, ext32), {-2, 126}},
        {"extensible 24-bit", Desc(0xfffe, 1, 24, {0, 0, 0x80, 0, 0, 0x40}), {-514, 254}},
        {"3 channels", Desc(1, 3, 16, Samples16({{640, 1280}, {-99, -99}, {327, 327}})), {8, 18}},
        {"6 channels", Desc(1, 6, 24, six), {62, 126}},
        // Block align names a wider container only when the byte rate agrees.
        {"20 bits in 4 bytes", Desc(1, 2, 20, in4, 22050, 8, 22050 * 8), {254, -2.0078125f}},
        {"block align alone says 4 bytes",
         Desc(1, 1, 16, in4, 22050, 4, 22050 * 2),
         {-2, 254, 6.015625f, 14.046875f, -514, -2.015625f, 22.078125f, 30.109375f}},
        {"block align 0", Desc(1, 1, 16, Samples16({{192, 64}}), 22050, 0, 0), {1, -1}},
        {"8 bits in 2 bytes", Desc(1, 1, 8, {129, 127, 128, 130}, 22050, 2, 44100), {1, -1, 0, 2}},
        {"2000 bytes, 8-bit stereo", Desc(1, 2, 8, Bytes(2000)), std::vector<float>(1000, -128)},
        {"2000 bytes, 16-bit", Desc(1, 1, 16, Bytes(2000)), std::vector<float>(1000, -2)},
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

// The data of the layout files: 0x244 mono 8-bit frames, so that the low
// size byte is 'D', and a first sample that makes "ataD" read as a chunk far
// too long for the file.
inline Bytes LayoutData() {
    Bytes b(0x244);
    for (std::size_t i = 0; i < b.size(); ++i)
        b[i] = std::uint8_t(7 * i + 1);
    return b;
}
inline std::vector<float> LayoutValues() {
    std::vector<float> v;
    for (std::uint8_t b : LayoutData())
        v.push_back(float(b) - 128);
    return v;
}

inline std::vector<LayoutCase> LayoutCases() {
    WavDesc d = Desc(1, 1, 8, LayoutData());
    const Chunk fmt{"fmt ", FormatBody(d)};
    const Chunk data{"data", d.data};
    d.fmtSize = 18;
    const Chunk fmt18{"fmt ", FormatBody(d)};
    d.tag = 0xfffe;
    d.fmtSize = 40;
    const Chunk fmt40{"fmt ", FormatBody(d)};
    const Chunk fact{"fact", {0x44, 2, 0, 0}};
    const Bytes info = {'I', 'N', 'F', 'O', 'I', 'C', 'M', 'T', 3, 0, 0, 0, 'h', 'i', 0};
    const Chunk list{"LIST", info}, bareList{"LIST", info, false};
    const Chunk list5{"LIST", {'I', 'N', 'F', 'O', 'x'}}, bareList5{"LIST", list5.body, false};
    const Chunk junk41{"JUNK", Bytes(0x41, 'x'), false};

    // Unpadded, "data" holds at its second byte a header of its own, which is
    // where the padded position leads: both chains reach a "data", and the
    // inner one lies inside the file when its size is 2.
    auto twoData = [&fmt](std::uint8_t innerSize) {
        const Bytes b = {0, 'd', 'a', 't', 'a', innerSize, 0, 0, 0, 129, 127};
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
        {"both chains reach data: the padded wins", twoData(2), WavError::None, {1, -1}},
        {"the padded chain's data is cut short",
         twoData(0xff),
         WavError::None,
         {-128, -28, -31, -12, -31, 127, -128, -128, -128, 1, -1}},
        {"many chains fail before the one that reaches data", lattice},
        {"the padded chain ends, the unpadded overruns",
         Riff({fmt, {"LIST", {0}}, {"JUNK", Bytes(0x40)}}), WavError::NoDataChunk},
        {"the padded chain overruns, the unpadded ends", Riff({fmt, bareList5, junk41}),
         WavError::BadChunkSize},
        {"70000 chunks before the data", Riff(manyChunks), WavError::NoDataChunk},
    };
}

} // namespace wavtest
