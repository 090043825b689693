#pragma once
// WAV files with what the reader must make of them: sample formats and channel
// counts, real writers' chunk layouts, broken files. The fuzzer starts from them.

#include "WavTestFiles.h"
#include "wavein/WavReader.h"

namespace wavtest {

using enum tavrel::WavError;

struct WavCase {
    const char* name;
    Bytes file;
    tavrel::FloatArray values; // WaveData; none when refused
    tavrel::WavError error = None;
    std::int16_t ref = 128; // the zero level
};

inline Bytes Wav(std::uint16_t tag, std::uint16_t channels, std::uint16_t bits, Bytes data,
                 std::uint32_t rate = 22050, int blockAlign = -1, std::int64_t byteRate = -1) {
    return MakeWav({tag, channels, rate, bits, std::move(data), blockAlign, byteRate});
}

inline std::vector<WavCase> WavCases() {
    Bytes six; // 6 channels of 24 bits: channel 1 carries 0x100000 and 0x200000
    for (int f = 0; f < 2; ++f)
        for (int ch = 0; ch < 6; ++ch)
            six.insert(six.end(), {0, 0, std::uint8_t(ch == 0 ? 0x10 * (f + 1) : 0x7f)});
    const Bytes in4 = {0, 0, 0, 0x40, 1, 2, 3, 4, 0, 0x80, 0xff, 0xff, 5, 6, 7, 8};
    const Bytes b20 = {0xf0, 0xff, 0x7f, 0, 0, 0x80, 0x10, 0, 0x20};
    const Bytes b32 = {0, 0, 0, 0x40, 0, 0, 0, 0x80, 0x01, 0, 0x80, 0};
    const Bytes f32 = {0, 0, 0, 0x3f, 0, 0, 0x80, 0xbf, 0, 0, 0, 0x40, 0, 0, 0xc0, 0x7f};

    // The layouts hold 0x244 mono 8-bit frames, so that the low size byte is
    // 'D', and a first sample that makes "ataD" a chunk far too long.
    Bytes frames(0x244);
    tavrel::FloatArray values;
    for (std::size_t i = 0; i < frames.size(); ++i) {
        frames[i] = std::uint8_t(7 * i + 1);
        values.push_back(float(frames[i]) - 128);
    }
    const Chunk fmt{"fmt ", FormatBody({})}, data{"data", frames};
    const Chunk list5{"LIST", {'I', 'N', 'F', 'O', 'x'}}, bareList5{"LIST", list5.body, false};
    const Chunk junk41{"JUNK", Bytes(0x41, 'x'), false};
    // Unpadded, "data" holds at its second byte a header of its own, where the padded
    // position leads: both chains reach a "data", inside the file if its size is 2.
    auto twoData = [&fmt](std::uint8_t size) {
        const Bytes inner = {0, 'd', 'a', 't', 'a', size, 0, 0, 0, 129, 127};
        return Riff({fmt, {"LIST", {'x'}, false}, {"data", inner}});
    };
    // Padded, 30 levels of a 1-byte chunk that branches again over a 0-byte one: Fibonacci-many
    // chains, none to "data". Unpadded, the same bytes are a chunk that jumps to "data".
    Bytes lattice = Riff({fmt, {"LIST", {0}}});
    const std::size_t jumpFrom = lattice.size() - 1;
    for (int level = 0; level < 30; ++level)
        lattice.insert(lattice.end(), {'J', 'U', 'N', 'L', 1, 0, 0, 0, 0});
    lattice.insert(lattice.end(), {'E', 'N', 'D', '!', 0xff, 0xff, 0xff, 0xff});
    lattice.resize(jumpFrom + 8 + 332, 0);
    PutChunk(lattice, data);
    const Bytes good = Wav(1, 1, 8, {1, 2, 3, 4}); // "fmt " at 12, "data" at 36, 48 bytes

    return {
        {"8-bit", Wav(1, 1, 8, {0, 128, 255, 1}), {-128, 0, 127, -127}},
        {"8-bit stereo", Wav(1, 2, 8, {200, 7, 56, 0, 128, 255}, 8000), {72, -72, 0}},
        {"16-bit", Wav(1, 1, 16, Samples16({{-32768, 0, 32767, 192}})), {-514, -2, 509.984375f, 1}},
        // WavePeak rounds halves to even; no zero level overflows a sample,
        // and the peak saturates at 16 bits.
        {"peak 2.5", Wav(1, 1, 16, Samples16({{288, 32}})), {2.5f, -1.5f}},
        {"peak 3.5", Wav(1, 1, 16, Samples16({{-96, 128}})), {-3.5f, 0}},
        {"lowest zero level", Wav(1, 1, 8, {105, 255}), {32873, 33023}, None, -32768},
        {"20 bits in 3 bytes", Wav(1, 1, 20, b20), {509.9990234375f, -514, 126.0009765625f}},
        // 128 + 2^-16 keeps its last bit: the sum is formed in double
        {"32-bit", Wav(1, 1, 32, b32), {254, -514, 0x1p-22f}},
        {"float .5 -1 2 NaN", Wav(3, 1, 32, f32), {254, -514, 510, -2}},
        {"extensible float -inf .25",
         Wav(0xfffe, 1, 32, {0, 0, 0x80, 0xff, 0, 0, 0x80, 0x3e}),
         {-2, 126}},
        {"6 channels", Wav(1, 6, 24, six), {62, 126}},
        // Block align names a wider container only when the byte rate agrees.
        {"20 bits in 4 bytes", Wav(1, 2, 20, in4, 22050, 8, 22050 * 8), {254, -2.0078125f}},
        {"block align alone says 4 bytes",
         Wav(1, 1, 16, in4, 22050, 4, 22050 * 2),
         {-2, 254, 6.015625f, 14.046875f, -514, -2.015625f, 22.078125f, 30.109375f}},
        {"block align 0", Wav(1, 2, 16, Samples16({{192, 64}, {9, 9}}), 22050, 0, 0), {1, -1}},
        {"8 bits in 2 bytes", Wav(1, 1, 8, {129, 127, 128, 130}, 22050, 2, 44100), {1, -1, 0, 2}},
        // Whole frames only: rounding 500.75 frames up would read past the chunk.
        {"a tail short of a frame", Wav(1, 2, 16, Bytes(2003)), tavrel::FloatArray(500, -2)},
        // Real writers' chunk layouts: an odd-sized chunk's pad byte may be missing.
        {"5-byte LIST with pad, JUNK", Riff({fmt, list5, junk41, data}), values},
        {"5-byte LIST without pad, JUNK", Riff({fmt, bareList5, junk41, data}), values},
        {"JUNK before the format", Riff({{"JUNK", Bytes(28)}, fmt, data}), values},
        {"no chunk named fmt", Riff({{"abcd", fmt.body}, data}), values},
        {"format behind the data", Riff({data, {"fact", {0x44, 2, 0, 0}}, fmt}), values},
        {"both reach data: the padded wins", twoData(2), {1, -1}},
        {"the padded chain's data is cut short",
         twoData(0xff),
         {-128, -28, -31, -12, -31, 127, -128, -128, -128, 1, -1}},
        {"many chains fail, one reaches data", lattice, values},
        {"padded ends, unpadded overruns",
         Riff({fmt, {"LIST", {0}}, {"JUNK", Bytes(64)}}),
         {},
         NoDataChunk},
        {"padded overruns, unpadded ends", Riff({fmt, bareList5, junk41}), {}, BadChunkSize},
        // Broken files.
        {"empty", {}, {}, NotRiffWave},
        {"RIFX", Patched(good, 0, {'R', 'I', 'F', 'X'}), {}, NotRiffWave},
        {"AVI", Patched(good, 8, {'A', 'V', 'I', ' '}), {}, NotRiffWave},
        {"no chunks", Patched(good, 0, {}, 12), {}, BadHeader},
        {"format of 14 bytes", Patched(good, 16, {14}), {}, BadHeader},
        {"0 channels", Patched(good, 22, {0}), {}, BadHeader},
        {"0 samples per second", Patched(good, 24, {0, 0, 0, 0}), {}, BadHeader},
        {"0 bits", Patched(good, 34, {0}), {}, BadHeader},
        // What the refusal message names is all that loads: 1 to 32 integer
        // bits and 32-bit float, nothing compressed.
        {"33 bits", Patched(good, 34, {33}), {}, UnsupportedFormat},
        {"8-bit float", Patched(good, 20, {3}), {}, UnsupportedFormat},
        {"ADPCM", Patched(good, 20, {2}), {}, UnsupportedFormat},
        {"extensible without its fields", Patched(good, 20, {0xfe, 0xff}), {}, UnsupportedFormat},
        {"no data", Patched(good, 0, {}, 36), {}, NoDataChunk},
        {"data past the end", Patched(good, 40, {5}), {}, DataTruncated},
        {"one frame", Patched(good, 40, {1}), {}, TooFewFrames},
        {"4 G frames", Patched(good, 40, {0xff, 0xff, 0xff, 0xff}), {}, TooLarge},
    };
}

} // namespace wavtest
