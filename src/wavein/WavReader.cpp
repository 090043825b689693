#include "wavein/WavReader.h"

#include "app/state/Numbers.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>

namespace tavrel {

namespace {

std::uint16_t Le16(const std::uint8_t* p) {
    return std::uint16_t(p[0] | (p[1] << 8));
}
std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | (std::uint32_t(p[1]) << 8) | (std::uint32_t(p[2]) << 16) |
           (std::uint32_t(p[3]) << 24);
}

// Where the bytes come from: a file read piece by piece, or memory.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    virtual std::uint64_t Size() const = 0;
    // Points at n bytes (n <= WavPieceBytes) from offset `at`, valid until the
    // next call; nullptr when they cannot all be had.
    virtual const std::uint8_t* Fetch(std::uint64_t at, std::size_t n) = 0;
};

class MemorySource final : public ByteSource {
public:
    MemorySource(const std::uint8_t* data, std::size_t size) : m_data(data), m_size(size) {}
    std::uint64_t Size() const override { return m_size; }
    const std::uint8_t* Fetch(std::uint64_t at, std::size_t n) override {
        if (at > m_size || m_size - at < n)
            return nullptr;
        return m_data + at;
    }

private:
    const std::uint8_t* m_data;
    std::size_t m_size;
};

class FileSource final : public ByteSource {
public:
    explicit FileSource(const QString& path) : m_file(path) {}
    // Unbuffered: the pieces are large, and a second copy through Qt's own
    // buffer would only cost time.
    bool Open() {
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return false;
        m_size = std::uint64_t(std::max<qint64>(0, m_file.size()));
        m_buffer.reset(new (std::nothrow) std::uint8_t[WavPieceBytes]);
        return m_buffer != nullptr;
    }
    std::uint64_t Size() const override { return m_size; }
    const std::uint8_t* Fetch(std::uint64_t at, std::size_t n) override {
        if (n > WavPieceBytes || at > m_size || m_size - at < n)
            return nullptr;
        if (m_file.pos() != qint64(at) && !m_file.seek(qint64(at)))
            return nullptr;
        std::size_t got = 0;
        while (got < n) {
            const qint64 r =
                m_file.read(reinterpret_cast<char*>(m_buffer.get()) + got, qint64(n - got));
            if (r <= 0)
                return nullptr; // read error, or the file shrank under us
            got += std::size_t(r);
        }
        return m_buffer.get();
    }

private:
    QFile m_file;
    std::uint64_t m_size = 0;
    std::unique_ptr<std::uint8_t[]> m_buffer;
};

struct Chunk {
    char id[4] = {};
    std::uint32_t size = 0;
    std::uint64_t body = 0; // offset of the first body byte
    bool Is(const char* name) const { return std::memcmp(id, name, 4) == 0; }
};

bool ReadChunkHeader(ByteSource& src, std::uint64_t at, Chunk& c) {
    const std::uint8_t* p = src.Fetch(at, 8);
    if (!p)
        return false;
    std::memcpy(c.id, p, 4);
    c.size = Le32(p + 4);
    c.body = at + 8;
    return true;
}

// A chunk header can stand here: 8 bytes left, and an id of printable ASCII.
bool PlausibleChunkAt(ByteSource& src, std::uint64_t at) {
    const std::uint8_t* p = src.Fetch(at, 8);
    return p && std::all_of(p, p + 4, [](std::uint8_t b) { return b >= 0x20 && b <= 0x7e; });
}

bool WantedChunkAt(ByteSource& src, std::uint64_t at) {
    const std::uint8_t* p = src.Fetch(at, 8);
    return p && (std::memcmp(p, "data", 4) == 0 || std::memcmp(p, "fmt ", 4) == 0);
}

// RIFF pads an odd-sized body with one byte, and most writers write it; some
// leave it out. The padded position wins unless only the bare one holds a
// plausible header, or both do and only the bare one names a chunk the reader
// needs (a missing pad before "data" leaves "ata" plus a size byte at the
// padded position, which is printable often enough to matter).
std::uint64_t NextChunkPosition(ByteSource& src, const Chunk& c) {
    const std::uint64_t bare = c.body + c.size;
    if (c.size % 2 == 0)
        return bare;
    const std::uint64_t padded = bare + 1;
    const bool paddedOk = PlausibleChunkAt(src, padded);
    const bool bareOk = PlausibleChunkAt(src, bare);
    if (bareOk && !paddedOk)
        return bare;
    if (bareOk && paddedOk && WantedChunkAt(src, bare) && !WantedChunkAt(src, padded))
        return bare;
    return padded;
}

struct ChunkWalk {
    Chunk first, fmt, data;
    bool haveFirst = false, haveFmt = false, haveData = false;
    bool overrun = false; // a chunk ran past the end of the file and stopped the walk
};

// Visits the chunks from offset 12 in file order until both "fmt " and "data"
// are known. Each step moves at least 8 bytes on, so the walk ends on any
// input; positions are 64-bit, so no declared size can wrap them.
ChunkWalk WalkChunks(ByteSource& src) {
    ChunkWalk w;
    std::uint64_t at = 12;
    Chunk c;
    while (ReadChunkHeader(src, at, c)) {
        if (!w.haveFirst) {
            w.first = c;
            w.haveFirst = true;
        }
        if (!w.haveFmt && c.Is("fmt ")) {
            w.fmt = c;
            w.haveFmt = true;
        } else if (!w.haveData && c.Is("data")) {
            w.data = c;
            w.haveData = true;
        }
        if (w.haveFmt && w.haveData)
            break;
        if (c.body + c.size > src.Size()) {
            w.overrun = true;
            break;
        }
        at = NextChunkPosition(src, c);
    }
    return w;
}

// The tail of the KSDATAFORMAT_SUBTYPE GUIDs; the first four bytes carry the
// format tag the extensible header stands for.
constexpr std::uint8_t SubtypeGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                              0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

enum class Layout { Int8, Int16, Int24, Int32, Float32 };

// `f` holds `len` (>= 16) bytes of the format chunk's body.
WavError ReadFormat(const std::uint8_t* f, std::size_t len, WavFormat& fmt, Layout& layout) {
    fmt.formatTag = Le16(f);
    fmt.channels = Le16(f + 2);
    fmt.sampleRate = Le32(f + 4);
    fmt.avgBytesPerSec = Le32(f + 8);
    fmt.blockAlign = Le16(f + 12);
    fmt.bitsPerSample = Le16(f + 14);
    if (fmt.channels == 0 || fmt.sampleRate == 0 || fmt.bitsPerSample == 0)
        return WavError::BadHeader;

    std::uint32_t sub = fmt.formatTag;
    if (fmt.formatTag == 0xfffe) {
        if (len < 40 || Le16(f + 16) < 22 || std::memcmp(f + 28, SubtypeGuidTail, 12) != 0)
            return WavError::UnsupportedFormat;
        sub = Le32(f + 24);
    }
    const unsigned bits = fmt.bitsPerSample;
    if (sub == 1 && bits <= 8)
        layout = Layout::Int8;
    else if (sub == 1 && bits <= 16)
        layout = Layout::Int16;
    else if (sub == 1 && bits == 24)
        layout = Layout::Int24;
    else if (sub == 1 && bits == 32)
        layout = Layout::Int32;
    else if (sub == 3 && bits == 32)
        layout = Layout::Float32;
    else
        return WavError::UnsupportedFormat;
    fmt.sampleFormat = std::uint16_t(sub);
    return WavError::None;
}

unsigned ContainerBytes(Layout l) {
    switch (l) {
    case Layout::Int8:
        return 1;
    case Layout::Int16:
        return 2;
    case Layout::Int24:
        return 3;
    case Layout::Int32:
    case Layout::Float32:
        return 4;
    }
    return 1;
}

using Converter = void (*)(const std::uint8_t*, std::size_t, std::size_t, std::int16_t, float*);

Converter ConverterFor(Layout l, unsigned channels) {
    switch (l) {
    case Layout::Int8:
        if (channels == 1)
            return [](const std::uint8_t* r, std::size_t n, std::size_t, std::int16_t ref,
                      float* o) { DecodeMono8(r, n, ref, o); };
        return DecodeStereo8;
    case Layout::Int16:
        if (channels == 1)
            return [](const std::uint8_t* r, std::size_t n, std::size_t, std::int16_t ref,
                      float* o) { DecodeMono16(r, n, ref, o); };
        return DecodeStereo16;
    case Layout::Int24:
        return DecodeInt24;
    case Layout::Int32:
        return DecodeInt32;
    case Layout::Float32:
        return DecodeFloat32;
    }
    return DecodeStereo8;
}

// Largest magnitude in a run; eight lanes so that the compiler can keep them
// in one vector register.
float MaxAbs(const float* p, std::size_t n) {
    float lane[8] = {};
    std::size_t i = 0;
    for (; i + 8 <= n; i += 8)
        for (int k = 0; k < 8; ++k) {
            const float a = std::fabs(p[i + k]);
            lane[k] = lane[k] < a ? a : lane[k];
        }
    float m = 0;
    for (float v : lane)
        m = std::max(m, v);
    for (; i < n; ++i)
        m = std::max(m, std::fabs(p[i]));
    return m;
}

// With decode false, stops once the header is read and the frames counted,
// leaving WaveData empty.
WavLoadResult Load(ByteSource& src, std::int16_t refLevel, bool decode) {
    WavLoadResult result;
    auto fail = [&result](WavError e) {
        result.error = e;
        result.wave.WaveData = FloatArray();
        return result;
    };

    const std::uint8_t* head = src.Fetch(0, 12);
    if (!head || std::memcmp(head, "RIFF", 4) != 0 || std::memcmp(head + 8, "WAVE", 4) != 0)
        return fail(WavError::NotRiffWave);
    // The RIFF size (bytes 4 ... 7) is not used: writers that stream often
    // leave it wrong, and the chunk sizes say all that is needed.

    const ChunkWalk walk = WalkChunks(src);
    // The format chunk is the one named "fmt ", wherever it stands. A file
    // without one is read the old way, taking the chunk at offset 12 for it.
    Chunk fmtChunk = walk.fmt;
    if (!walk.haveFmt) {
        if (!walk.haveFirst || walk.first.Is("data"))
            return fail(WavError::BadHeader);
        fmtChunk = walk.first;
    }
    if (fmtChunk.size < 16)
        return fail(WavError::BadHeader);
    const std::size_t fmtLen =
        std::size_t(std::min<std::uint64_t>({fmtChunk.size, 40, src.Size() - fmtChunk.body}));
    if (fmtLen < 16)
        return fail(WavError::BadHeader);
    const std::uint8_t* fmtRaw = src.Fetch(fmtChunk.body, fmtLen);
    if (!fmtRaw)
        return fail(WavError::BadHeader);
    std::uint8_t fmtBytes[40] = {};
    std::memcpy(fmtBytes, fmtRaw, fmtLen);

    LoadedWave& wave = result.wave;
    Layout layout = Layout::Int8;
    if (const WavError e = ReadFormat(fmtBytes, fmtLen, wave.format, layout); e != WavError::None)
        return fail(e);

    if (!walk.haveData)
        return fail(walk.overrun ? WavError::BadChunkSize : WavError::NoDataChunk);

    // Frames are stepped by the file's own frame size, so files of more than
    // two channels still give channel 1. The count is the number of whole
    // frames: rounding the quotient to nearest would count a tail of more
    // than half a frame and read past the end of the chunk.
    const std::uint64_t frameBytes = std::uint64_t(wave.format.channels) * ContainerBytes(layout);
    const std::uint64_t frames = walk.data.size / frameBytes;
    wave.dataOffset = walk.data.body;
    wave.dataBytes = walk.data.size;
    wave.frameBytes = std::uint32_t(frameBytes);
    if (frames > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
        return fail(WavError::TooLarge);
    if (walk.data.body + walk.data.size > src.Size())
        return fail(WavError::DataTruncated);
    if (frames < 2)
        return fail(WavError::TooFewFrames);
    wave.SampleCount = std::int32_t(frames);
    if (!decode)
        return result;

    try {
        wave.WaveData = FloatArray(std::size_t(frames));
    } catch (const std::bad_alloc&) {
        return fail(WavError::OutOfMemory);
    } catch (const std::length_error&) {
        return fail(WavError::OutOfMemory);
    }

    const Converter convert = ConverterFor(layout, wave.format.channels);
    const std::uint64_t framesPerPiece = WavPieceBytes / frameBytes; // frames are < 256 KiB
    float* out = wave.WaveData.data();
    float peak = 0;
    for (std::uint64_t done = 0; done < frames;) {
        const std::uint64_t k = std::min(framesPerPiece, frames - done);
        const std::uint8_t* raw =
            src.Fetch(walk.data.body + done * frameBytes, std::size_t(k * frameBytes));
        if (!raw)
            return fail(WavError::DataTruncated);
        convert(raw, std::size_t(k), std::size_t(frameBytes), refLevel, out + done);
        peak = std::max(peak, MaxAbs(out + done, std::size_t(k)));
        done += k;
    }
    // Raising the peak to RoundHalfEven(|w|) whenever |w| exceeds it, sample by
    // sample, ends at RoundHalfEven of the largest |w|, since rounding is
    // monotonic; so the largest magnitude is found first and rounded once.
    wave.WavePeak = RoundToInt16(peak);
    return result;
}

template <typename Read>
void ConvertFrames(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes, float* out,
                   Read read) {
    for (std::size_t i = 0; i < frames; ++i)
        out[i] = read(raw + i * frameBytes);
}

// Wide samples go through double: a 32-bit value scaled to 16 bits keeps 16
// fraction bits, which with the level subtracted no longer fit a float exactly.
float FromScaled16(double v, std::int16_t refLevel) {
    return float((v - double(refLevel)) / 64.0);
}

} // namespace

void DecodeMono8(const std::uint8_t* raw, std::size_t frames, std::int16_t refLevel, float* out) {
    DecodeStereo8(raw, frames, 1, refLevel, out);
}

void DecodeMono16(const std::uint8_t* raw, std::size_t frames, std::int16_t refLevel, float* out) {
    DecodeStereo16(raw, frames, 2, refLevel, out);
}

void DecodeStereo8(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                   std::int16_t refLevel, float* out) {
    const int ref = refLevel;
    ConvertFrames(raw, frames, frameBytes, out,
                  [ref](const std::uint8_t* p) { return float(int(p[0]) - ref); });
}

void DecodeStereo16(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                    std::int16_t refLevel, float* out) {
    // v - refLevel fits 17 bits and 1/64 is a power of two: float is exact here.
    const int ref = refLevel;
    ConvertFrames(raw, frames, frameBytes, out, [ref](const std::uint8_t* p) {
        return float(int(std::int16_t(Le16(p))) - ref) * (1.0f / 64.0f);
    });
}

void DecodeInt24(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                 std::int16_t refLevel, float* out) {
    ConvertFrames(raw, frames, frameBytes, out, [refLevel](const std::uint8_t* p) {
        const std::int32_t s = std::int32_t(std::uint32_t(p[0]) << 8 | std::uint32_t(p[1]) << 16 |
                                            std::uint32_t(p[2]) << 24) /
                               256;
        return FromScaled16(s / 256.0, refLevel);
    });
}

void DecodeInt32(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                 std::int16_t refLevel, float* out) {
    ConvertFrames(raw, frames, frameBytes, out, [refLevel](const std::uint8_t* p) {
        return FromScaled16(std::int32_t(Le32(p)) / 65536.0, refLevel);
    });
}

void DecodeFloat32(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                   std::int16_t refLevel, float* out) {
    ConvertFrames(raw, frames, frameBytes, out, [refLevel](const std::uint8_t* p) {
        const std::uint32_t bits = Le32(p);
        float f;
        std::memcpy(&f, &bits, sizeof f);
        const double v = std::isfinite(f) ? std::clamp(double(f), -1.0, 1.0) * 32768.0 : 0.0;
        return FromScaled16(v, refLevel);
    });
}

WavLoadResult LoadWavBytes(const std::uint8_t* data, std::size_t size, std::int16_t refLevel) {
    MemorySource src(data, data ? size : 0);
    return Load(src, refLevel, true);
}

WavLoadResult LoadWavFile(const QString& path, std::int16_t refLevel) {
    FileSource src(path);
    if (!src.Open()) {
        WavLoadResult r;
        r.error = WavError::CannotOpen;
        return r;
    }
    return Load(src, refLevel, true);
}

WavLoadResult ProbeWavBytes(const std::uint8_t* data, std::size_t size) {
    MemorySource src(data, data ? size : 0);
    return Load(src, 0, false);
}

WavLoadResult ProbeWavFile(const QString& path) {
    FileSource src(path);
    if (!src.Open()) {
        WavLoadResult r;
        r.error = WavError::CannotOpen;
        return r;
    }
    return Load(src, 0, false);
}

} // namespace tavrel
