#pragma once
// WAV images byte by byte: any chunks in any order, odd-sized ones with or without their pad.

#include <QFile>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdint>
#include <vector>

namespace wavtest {

using Bytes = std::vector<std::uint8_t>;

// `v` little-endian in `bytes` bytes.
inline void Put(Bytes& b, std::uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k)
        b.push_back(std::uint8_t(v >> 8 * k));
}

struct Chunk {
    const char* id;
    Bytes body;
    bool pad = true; // write RIFF's pad byte after an odd-sized body
};

inline void PutChunk(Bytes& b, const Chunk& c) {
    b.insert(b.end(), c.id, c.id + 4);
    Put(b, std::uint32_t(c.body.size()), 4);
    b.insert(b.end(), c.body.begin(), c.body.end());
    if (c.body.size() % 2 && c.pad)
        b.push_back(0);
}

inline Bytes Riff(const std::vector<Chunk>& chunks) {
    Chunk riff{"RIFF", {'W', 'A', 'V', 'E'}, false}; // a chunk itself, holding the others
    for (const Chunk& c : chunks)
        PutChunk(riff.body, c);
    Bytes b;
    PutChunk(b, riff);
    return b;
}

// Tag 1 gets a 16-byte format chunk, 0xfffe a 40-byte one (32 bits: float), others 18.
struct WavDesc {
    std::uint16_t tag = 1, channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 8;
    Bytes data;
    int blockAlign = -1;        // -1: channels x whole bytes of the bits
    std::int64_t byteRate = -1; // -1: rate x block align
};

inline Bytes FormatBody(const WavDesc& s) {
    const unsigned align = s.blockAlign >= 0 ? s.blockAlign : s.channels * ((s.bits + 7) / 8);
    const unsigned byteRate = s.byteRate >= 0 ? unsigned(s.byteRate) : s.rate * align;
    const unsigned size = s.tag == 1 ? 16 : s.tag == 0xfffe ? 40 : 18, extra = size - 18;
    const unsigned mask = s.channels == 2 ? 3 : 4, sub = s.bits == 32 ? 3 : 1;
    // The bits again are the valid bits; sub begins the sub-format GUID, the tail ends it.
    const unsigned values[] = {s.tag,  s.channels, s.rate, byteRate, align,
                               s.bits, extra,      s.bits, mask,     sub};
    const int widths[] = {2, 2, 4, 4, 2, 2, 2, 2, 4, 4};
    Bytes f;
    for (int i = 0; i < 10; ++i)
        Put(f, values[i], widths[i]);
    f.insert(f.end(), {0, 0, 0x10, 0, 0x80, 0, 0, 0xaa, 0, 0x38, 0x9b, 0x71});
    f.resize(size);
    return f;
}

inline Bytes MakeWav(const WavDesc& s) {
    return Riff({{"fmt ", FormatBody(s)}, {"data", s.data}});
}

// 16-bit samples, the channels' i-th values making frame i.
inline Bytes Samples16(const std::vector<std::vector<int>>& channels) {
    Bytes b;
    for (std::size_t i = 0; i < channels[0].size(); ++i)
        for (const auto& ch : channels)
            Put(b, std::uint16_t(ch[i]), 2);
    return b;
}

// `file` with `bytes` written from `at` on, cut to `keep` bytes.
inline Bytes Patched(Bytes file, std::size_t at, Bytes bytes, std::size_t keep = 1 << 30) {
    std::copy(bytes.begin(), bytes.end(), file.begin() + long(at));
    file.resize(std::min(file.size(), keep));
    return file;
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes) {
    QFile f(dir.filePath(name));
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return f.fileName();
}

} // namespace wavtest
