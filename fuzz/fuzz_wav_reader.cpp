// libFuzzer target for the WAV reader over bytes in memory, built with
// AddressSanitizer and UndefinedBehaviorSanitizer by scripts/fuzz.sh.
//
// Beyond not crashing, every answer is checked: a loaded wave is whole,
// finite and within the range its formats allow, and the chunk chain the
// reader chose is compared with the same rule worked out the slow way.
#include "FuzzCheck.h"
#include "wavein/WavReader.h"

#include <cstring>
#include <optional>

using namespace tavrel;

namespace {

std::uint32_t Le32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 |
           std::uint32_t(p[3]) << 24;
}

// The chunk rule without any cleverness: every chain from offset 12, the
// padded position first after an odd size, until a "data" chunk whose body
// lies inside the file. The number of chains can grow exponentially, so it
// gives up after a budget of steps.
struct SlowWalk {
    const std::uint8_t* d;
    std::uint64_t n;
    int budget = 4000;
    bool gaveUp = false;

    std::optional<std::uint64_t> DataBody(std::uint64_t at) {
        if (--budget < 0) {
            gaveUp = true;
            return std::nullopt;
        }
        if (at > n || n - at < 8)
            return std::nullopt;
        const std::uint32_t size = Le32(d + at + 4);
        const std::uint64_t end = at + 8 + size;
        if (end > n)
            return std::nullopt;
        if (std::memcmp(d + at, "data", 4) == 0)
            return at + 8;
        if (size % 2)
            if (auto found = DataBody(end + 1); found || gaveUp)
                return found;
        return DataBody(end);
    }

    // The error the padded chain alone ends with.
    WavError PaddedChainError() const {
        std::uint64_t at = 12;
        for (;;) {
            if (at > n || n - at < 8)
                return WavError::NoDataChunk;
            const std::uint32_t size = Le32(d + at + 4);
            const bool isData = std::memcmp(d + at, "data", 4) == 0;
            if (at + 8 + size > n)
                return isData ? WavError::DataTruncated : WavError::BadChunkSize;
            at += 8 + size + size % 2;
        }
    }
};

bool FromTheWalk(WavError e) {
    return e == WavError::NoDataChunk || e == WavError::BadChunkSize ||
           e == WavError::DataTruncated || e == WavError::TooLarge;
}

} // namespace

// Bytes 4 and 5, the low half of the RIFF size that the reader never reads,
// choose the zero level: every level gets tried without disturbing the layout.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int16_t ref = size >= 6 ? std::int16_t(data[4] | data[5] << 8) : 128;
    const WavLoadResult r = LoadWavBytes(data, size, ref);
    const LoadedWave& w = r.wave;

    RequireAnswer(r);
    if (r.error == WavError::None) {
        Require(w.frameBytes >= w.format.channels && w.frameBytes <= 4u * w.format.channels,
                "frame size not channels x 1 ... 4 bytes");
        Require(w.dataOffset + w.dataBytes <= size, "data chunk beyond the file");
        Require(std::uint64_t(w.SampleCount) * w.frameBytes <= w.dataBytes,
                "frames beyond the data chunk");
    }

    SlowWalk slow{data, size};
    const std::optional<std::uint64_t> body = size >= 12 ? slow.DataBody(12) : std::nullopt;
    if (size < 12 || slow.gaveUp || r.error == WavError::NotRiffWave)
        return 0;
    if (body) {
        Require(!FromTheWalk(r.error), "a data chunk was there to find");
        Require(r.error != WavError::None || w.dataOffset == *body, "another chain won");
    } else {
        Require(r.error != WavError::None, "loaded without a data chunk");
        if (FromTheWalk(r.error)) {
            const WavError e = slow.PaddedChainError();
            Require(r.error == e || (r.error == WavError::TooLarge && e == WavError::DataTruncated),
                    "not the padded chain's error");
        }
    }
    return 0;
}
