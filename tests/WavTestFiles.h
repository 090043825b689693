#pragma once
// Builds WAV images byte by byte for the reader's tests: any format chunk,
// any chunks in any order, odd-sized ones with or without their pad byte.

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <vector>

namespace wavtest {

using Bytes = std::vector<std::uint8_t>;

inline void Put16(Bytes& b, unsigned v) {
    b.push_back(std::uint8_t(v));
    b.push_back(std::uint8_t(v >> 8));
}
inline void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v & 0xffff);
    Put16(b, v >> 16);
}
inline void PutId(Bytes& b, const char* id) {
    for (int k = 0; k < 4; ++k)
        b.push_back(std::uint8_t(id[k]));
}

struct Chunk {
    std::string id; // four characters
    Bytes body;
    bool pad = true; // write RIFF's pad byte after an odd-sized body
};

struct WavDesc {
    std::uint16_t tag = 1;
    std::uint16_t channels = 1;
    std::uint32_t rate = 22050;
    std::uint16_t bits = 8;
    int blockAlign = -1;        // -1: channels x whole bytes of the bits
    std::int64_t byteRate = -1; // -1: rate x block align
    std::uint16_t fmtSize = 16; // 16, 18 or 40 (40 with tag 0xfffe gets a sub-format)
    std::uint16_t subFormat = 1;
    Bytes data;
};

inline void PutChunk(Bytes& b, const Chunk& c) {
    PutId(b, c.id.c_str());
    Put32(b, std::uint32_t(c.body.size()));
    b.insert(b.end(), c.body.begin(), c.body.end());
    if (c.body.size() % 2 && c.pad)
        b.push_back(0);
}

// The body of the format chunk that `s` describes.
inline Bytes FormatBody(const WavDesc& s) {
    const unsigned align =
        s.blockAlign >= 0 ? unsigned(s.blockAlign) : s.channels * ((s.bits + 7) / 8);
    Bytes f;
    Put16(f, s.tag);
    Put16(f, s.channels);
    Put32(f, s.rate);
    Put32(f, s.byteRate >= 0 ? std::uint32_t(s.byteRate) : s.rate * align);
    Put16(f, align);
    Put16(f, s.bits);
    if (s.fmtSize >= 18)
        Put16(f, s.fmtSize - 18);
    if (s.fmtSize >= 40) {
        Put16(f, s.bits);                  // valid bits
        Put32(f, s.channels == 2 ? 3 : 4); // channel mask
        Put32(f, s.subFormat);             // GUID: tag, then the fixed tail
        for (unsigned v : {0x00, 0x00, 0x10, 0x00, 0x80, 0x00, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71})
            f.push_back(std::uint8_t(v));
    }
    f.resize(s.fmtSize, 0);
    return f;
}

// "RIFF", its size, "WAVE" and the chunks as given.
inline Bytes Riff(const std::vector<Chunk>& chunks) {
    Bytes b;
    PutId(b, "RIFF");
    Put32(b, 0); // filled in below
    PutId(b, "WAVE");
    for (const Chunk& c : chunks)
        PutChunk(b, c);
    const std::uint32_t riff = std::uint32_t(b.size() - 8);
    for (int k = 0; k < 4; ++k)
        b[4 + k] = std::uint8_t(riff >> (8 * k));
    return b;
}

inline Bytes MakeWav(const WavDesc& s) {
    return Riff({{"fmt ", FormatBody(s)}, {"data", s.data}});
}

// Interleaved 16-bit frames from per-channel sample lists of equal length.
inline Bytes Samples16(const std::vector<std::vector<int>>& channels) {
    Bytes b;
    for (std::size_t i = 0; i < channels[0].size(); ++i)
        for (const auto& ch : channels)
            Put16(b, std::uint16_t(ch[i]));
    return b;
}

inline QString WriteFile(const QTemporaryDir& dir, const QString& name, const Bytes& bytes) {
    const QString path = dir.filePath(name);
    QFile f(path);
    if (f.open(QIODevice::WriteOnly))
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
    return path;
}

} // namespace wavtest
