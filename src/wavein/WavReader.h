#pragma once
// Reads a RIFF/WAVE recording and turns one channel of it into WaveData: one
// zero-centred float per sample frame, in the units of 16-bit data divided by
// 64 (8-bit data keeps its raw units). The reader knows nothing of windows or
// message boxes: every failure comes back as a WavError, and the main window
// words it for the user.

#include "state/FloatArray.h"
#include "wavein/LoadProgress.h"

#include <QString>
#include <algorithm>
#include <cfloat>
#include <cmath>
#include <cstddef>
#include <cstdint>

namespace tavrel {

enum class WavError {
    None,
    CannotOpen,        // the file could not be opened for reading
    NotRiffWave,       // no "RIFF" ... "WAVE" at the start (also: fewer than 12 bytes)
    BadChunkSize,      // a chunk before "data" runs past the end of the file
    NoDataChunk,       // the chunks end without a "data" chunk
    UnsupportedFormat, // a format tag, sub-format or bit depth that is not decoded
    BadHeader,         // no usable format chunk, 0 channels, 0 samples per second, 0 bits
    DataTruncated,     // the "data" chunk is declared longer than the file holds
    TooFewFrames,      // fewer than two whole frames
    TooLarge,          // more frames than a 32-bit count holds
    OutOfMemory,       // WaveData could not be allocated
    // Recordings of other kinds (AudioFile.h):
    UnrecognisedFormat, // neither a WAV file nor anything FFmpeg knows
    NoAudio,            // a known kind of file, but no sound in it could be decoded
    Cancelled,          // the LoadProgress asked to stop
};

// Of a recording decoded by FFmpeg only channels, sampleRate, bitsPerSample
// and sampleFormat are known; the rest stays 0.
struct WavFormat {
    std::uint16_t formatTag = 0; // as written in the file (1, 3 or 0xFFFE)
    std::uint16_t channels = 0;
    std::uint32_t sampleRate = 0;
    std::uint32_t avgBytesPerSec = 0;
    std::uint16_t blockAlign = 0;
    std::uint16_t bitsPerSample = 0;
    std::uint16_t sampleFormat = 0; // 1 integer PCM or 3 float, with 0xFFFE resolved
};

struct LoadedWave {
    WavFormat format;
    std::int32_t SampleCount = 0;
    FloatArray WaveData;
    std::int16_t WavePeak = 0;
    std::uint64_t dataOffset = 0; // first byte of the "data" body in the file
    std::uint32_t dataBytes = 0;  // its declared size
    std::uint32_t frameBytes = 0; // channels x bytes per sample container
};

// On failure only `error` and, once the format chunk was read, `wave.format`
// carry meaning; WaveData stays empty.
struct WavLoadResult {
    WavError error = WavError::None;
    LoadedWave wave;
};

// Reads the file in pieces of PieceBytes; the raw file is never held whole.
// `progress` hears of the pieces read, and may cancel.
WavLoadResult LoadWavFile(const QString& path, std::int16_t refLevel,
                          const LoadProgress& progress = {});
// The same reader over bytes already in memory.
WavLoadResult LoadWavBytes(const std::uint8_t* data, std::size_t size, std::int16_t refLevel,
                           const LoadProgress& progress = {});

// The header alone: the same checks and errors as the loaders, with the
// format, SampleCount and the place of the sample bytes filled in and
// WaveData left empty. For handing the samples on as they stand (playing
// them) without decoding a whole file into memory.
WavLoadResult ProbeWavFile(const QString& path);
WavLoadResult ProbeWavBytes(const std::uint8_t* data, std::size_t size);

inline constexpr std::size_t WavPieceBytes = 256 * 1024;

// Sample converters, one call per run of whole frames. `frameBytes` is the
// distance from one frame to the next; channel 1 is the first sample of a frame.
// Integer PCM of any depth up to 32 bits is read by the container it fills
// (1 to 4 bytes), its bits left-justified. 1 byte: b - refLevel. 2 bytes:
// (v - refLevel) / 64. Wider samples are first scaled to a 16-bit value v
// (3 bytes: s / 256, 4 bytes: s / 65536, float: clamp(f, -1, 1) x 32768 with
// non-finite values as 0), then (v - refLevel) / 64.
void DecodeMono8(const std::uint8_t* raw, std::size_t frames, std::int16_t refLevel, float* out);
void DecodeMono16(const std::uint8_t* raw, std::size_t frames, std::int16_t refLevel, float* out);
void DecodeStereo8(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                   std::int16_t refLevel, float* out);
void DecodeStereo16(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                    std::int16_t refLevel, float* out);
void DecodeInt24(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                 std::int16_t refLevel, float* out);
void DecodeInt32(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                 std::int16_t refLevel, float* out);
void DecodeFloat32(const std::uint8_t* raw, std::size_t frames, std::size_t frameBytes,
                   std::int16_t refLevel, float* out);

// The largest magnitude in a run of WaveData.
float MaxAbs(const float* p, std::size_t n);

// A float sample of full scale +-1 as every player of the program takes it:
// clamped into full scale, so a lossy codec's overshoot cannot wrap around,
// and non-finite values as 0. With no branch, loops over it can be vectorised.
inline float ClampFullScale(float f) {
    return std::fabs(f) <= FLT_MAX ? std::clamp(f, -1.0f, 1.0f) : 0.0f;
}

// One float sample of full scale +-1 as DecodeFloat32 turns it into WaveData:
// every decoder that gives floats shares it, so one sound gives one wave.
// Float arithmetic alone gives what the exact value rounds to, since x 32768
// and / 64 are exact and the one subtraction rounds once.
inline float FloatSampleToWave(float f, std::int16_t refLevel) {
    return (ClampFullScale(f) * 32768.0f - float(refLevel)) * (1.0f / 64.0f);
}

} // namespace tavrel
