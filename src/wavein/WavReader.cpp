#include "wavein/WavReader.h"

#include "state/Numbers.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <memory>
#include <new>
#include <optional>
#include <unordered_set>
#include <vector>

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
    std::uint64_t Head() const { return body - 8; }
    std::uint64_t End() const { return body + size; } // first byte after the body, pad excluded
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

// How a chain of chunks stopped short of the chunk it was looking for.
enum class ChainEnd {
    RanOut,    // no room for another chunk header: the chunks ended
    Overrun,   // a chunk's declared body runs past the end of the file
    TargetCut, // the chunk looked for, but its body runs past the end of the file
    TooLong,   // more chunk headers than any real file has
};

// No real recording has more than a few dozen chunks; the bound keeps the
// memory of a search small on any input.
constexpr std::size_t MaxChunkHeaders = 1 << 16;

struct ChainSearch {
    bool found = false;
    // When found: the chunks of the winning chain, the one looked for last.
    // Otherwise: the chunks of the padded chain as far as it got.
    std::vector<Chunk> chain;
    ChainEnd end = ChainEnd::RanOut; // how the padded chain ended, when nothing was found
};

// RIFF pads an odd-sized body with one byte, and most writers write it; some
// leave it out. Nothing in a file says which, so after an odd-sized chunk both
// positions are followed: the chain that reaches a chunk named `target` whose
// body lies inside the file wins, the padded one when both do.
//
// Depth first, padded position first. Where a chunk header stands decides all
// that follows it, so a position that failed once fails on every path that
// reaches it again; remembering those keeps the search linear in the number of
// positions it visits. Each step moves at least 8 bytes on and positions are
// 64-bit, so every chain ends and no declared size can wrap them.
ChainSearch SearchChains(ByteSource& src, std::uint64_t start, const char* target) {
    struct Step {
        Chunk chunk;
        std::uint64_t next[2] = {};
        int count = 0, tried = 0;
    };
    std::vector<Step> path;
    std::unordered_set<std::uint64_t> failed;
    ChainSearch result;
    bool paddedChainDone = false;
    auto chunksOfPath = [&path] {
        std::vector<Chunk> chain;
        chain.reserve(path.size() + 1);
        for (const Step& s : path)
            chain.push_back(s.chunk);
        return chain;
    };

    std::uint64_t at = start;
    for (std::size_t headers = 0;; ++headers) {
        Chunk c;
        bool haveHeader = false;
        std::optional<ChainEnd> end;
        if (headers == MaxChunkHeaders)
            end = ChainEnd::TooLong;
        else if (failed.count(at))
            end = ChainEnd::RanOut; // only ever met after the padded chain has ended
        else if (!(haveHeader = ReadChunkHeader(src, at, c)))
            end = ChainEnd::RanOut;
        else if (c.End() > src.Size())
            end = c.Is(target) ? ChainEnd::TargetCut : ChainEnd::Overrun;

        if (!end) {
            path.push_back({c});
            if (c.Is(target)) {
                result.found = true;
                result.chain = chunksOfPath();
                return result;
            }
            Step& s = path.back();
            if (c.size % 2)
                s.next[s.count++] = c.End() + 1;
            s.next[s.count++] = c.End();
        } else {
            // The first chain to end is the all-padded one: nothing had failed before.
            if (!paddedChainDone) {
                paddedChainDone = true;
                result.end = *end;
                result.chain = chunksOfPath();
                if (haveHeader)
                    result.chain.push_back(c);
            }
            if (*end == ChainEnd::TooLong)
                return result;
            failed.insert(at);
            while (!path.empty() && path.back().tried == path.back().count) {
                failed.insert(path.back().chunk.Head());
                path.pop_back();
            }
            if (path.empty())
                return result;
        }
        Step& s = path.back();
        at = s.next[s.tried++];
    }
}

// The tail of the KSDATAFORMAT_SUBTYPE GUIDs; the first four bytes carry the
// format tag the extensible header stands for.
constexpr std::uint8_t SubtypeGuidTail[12] = {0x00, 0x00, 0x10, 0x00, 0x80, 0x00,
                                              0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71};

// How one sample is stored: integer PCM sits left-justified in whole bytes,
// so any depth decodes as the container it fills.
struct SampleLayout {
    bool isFloat = false;
    unsigned bytes = 1; // container size
};

// `f` holds `len` (>= 16) bytes of the format chunk's body.
WavError ReadFormat(const std::uint8_t* f, std::size_t len, WavFormat& fmt, SampleLayout& layout) {
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
    if (sub == 1 && bits <= 32)
        layout = {false, (bits + 7) / 8};
    else if (sub == 3 && bits == 32)
        layout = {true, 4};
    else
        return WavError::UnsupportedFormat;

    // Block align may name a wider container than the bits need, as for 20 or
    // 24 bits in 4 bytes; the samples then sit left-justified in it. It is
    // believed only when the byte rate says the same, since writers often get
    // one of the two wrong; otherwise the container follows the bits. 8 bits
    // and fewer are unsigned and keep their one byte.
    const unsigned declared = fmt.blockAlign / fmt.channels;
    if (!layout.isFloat && bits > 8 && fmt.blockAlign % fmt.channels == 0 &&
        declared > layout.bytes && declared <= 4 &&
        std::uint64_t(fmt.avgBytesPerSec) == std::uint64_t(fmt.sampleRate) * fmt.blockAlign)
        layout.bytes = declared;
    fmt.sampleFormat = std::uint16_t(sub);
    return WavError::None;
}

using Converter = void (*)(const std::uint8_t*, std::size_t, std::size_t, std::int16_t, float*);

Converter ConverterFor(SampleLayout l, unsigned channels) {
    if (l.isFloat)
        return DecodeFloat32;
    switch (l.bytes) {
    case 1:
        if (channels == 1)
            return [](const std::uint8_t* r, std::size_t n, std::size_t, std::int16_t ref,
                      float* o) { DecodeMono8(r, n, ref, o); };
        return DecodeStereo8;
    case 2:
        if (channels == 1)
            return [](const std::uint8_t* r, std::size_t n, std::size_t, std::int16_t ref,
                      float* o) { DecodeMono16(r, n, ref, o); };
        return DecodeStereo16;
    case 3:
        return DecodeInt24;
    default:
        return DecodeInt32;
    }
}

std::optional<Chunk> FirstNamed(const std::vector<Chunk>& chunks, const char* name) {
    for (const Chunk& c : chunks)
        if (c.Is(name))
            return c;
    return std::nullopt;
}

// With decode false, stops once the header is read and the frames counted,
// leaving WaveData empty.
WavLoadResult Load(ByteSource& src, std::int16_t refLevel, bool decode,
                   const LoadProgress& progress = {}) {
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

    const ChainSearch toData = SearchChains(src, 12, "data");
    // The format chunk is the one named "fmt " on the way to "data", or failing
    // that behind it. A file without one is read the old way, taking the chunk
    // at offset 12 for it.
    std::optional<Chunk> fmtChunk = FirstNamed(toData.chain, "fmt ");
    if (!fmtChunk && toData.found) {
        const ChainSearch behind = SearchChains(src, toData.chain.back().Head(), "fmt ");
        if (behind.found)
            fmtChunk = behind.chain.back();
    }
    if (!fmtChunk) {
        Chunk first;
        if (!ReadChunkHeader(src, 12, first) || first.Is("data"))
            return fail(WavError::BadHeader);
        fmtChunk = first;
    }
    if (fmtChunk->size < 16 || fmtChunk->body > src.Size())
        return fail(WavError::BadHeader);
    const std::size_t fmtLen =
        std::size_t(std::min<std::uint64_t>({fmtChunk->size, 40, src.Size() - fmtChunk->body}));
    if (fmtLen < 16)
        return fail(WavError::BadHeader);
    const std::uint8_t* fmtRaw = src.Fetch(fmtChunk->body, fmtLen);
    if (!fmtRaw)
        return fail(WavError::BadHeader);
    std::uint8_t fmtBytes[40] = {};
    std::memcpy(fmtBytes, fmtRaw, fmtLen);

    LoadedWave& wave = result.wave;
    SampleLayout layout;
    if (const WavError e = ReadFormat(fmtBytes, fmtLen, wave.format, layout); e != WavError::None)
        return fail(e);

    if (!toData.found && toData.end != ChainEnd::TargetCut)
        return fail(toData.end == ChainEnd::Overrun ? WavError::BadChunkSize
                                                    : WavError::NoDataChunk);
    const Chunk& data = toData.chain.back();

    // Frames are stepped by the file's own frame size, so files of more than
    // two channels still give channel 1. The count is the number of whole
    // frames: rounding the quotient to nearest would count a tail of more
    // than half a frame and read past the end of the chunk.
    const std::uint64_t frameBytes = std::uint64_t(wave.format.channels) * layout.bytes;
    const std::uint64_t frames = data.size / frameBytes;
    wave.dataOffset = data.body;
    wave.dataBytes = data.size;
    wave.frameBytes = std::uint32_t(frameBytes);
    if (frames > std::uint64_t(std::numeric_limits<std::int32_t>::max()))
        return fail(WavError::TooLarge);
    if (!toData.found)
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
    ProgressTicker ticker(progress);
    if (!ticker.Tell(0))
        return fail(WavError::Cancelled);
    for (std::uint64_t done = 0; done < frames;) {
        if (!ticker.Tick(double(done) / double(frames)))
            return fail(WavError::Cancelled);
        const std::uint64_t k = std::min(framesPerPiece, frames - done);
        const std::uint8_t* raw =
            src.Fetch(data.body + done * frameBytes, std::size_t(k * frameBytes));
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
    if (!ticker.Tell(1))
        return fail(WavError::Cancelled);
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

// Eight lanes, so that the compiler can keep them in one vector register.
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
        return FloatSampleToWave(f, refLevel);
    });
}

WavLoadResult LoadWavBytes(const std::uint8_t* data, std::size_t size, std::int16_t refLevel,
                           const LoadProgress& progress) {
    MemorySource src(data, data ? size : 0);
    return Load(src, refLevel, true, progress);
}

WavLoadResult LoadWavFile(const QString& path, std::int16_t refLevel,
                          const LoadProgress& progress) {
    FileSource src(path);
    if (!src.Open()) {
        WavLoadResult r;
        r.error = WavError::CannotOpen;
        return r;
    }
    return Load(src, refLevel, true, progress);
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
