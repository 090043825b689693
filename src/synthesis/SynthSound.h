#pragma once
// The synthesised sound as a WAV image in memory: 8-bit mono at 22050
// samples per second, the rebuilt period repeated for 60550 samples.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace tavrel {

inline constexpr std::int32_t SynthSampleBytes = 60550;
inline constexpr std::size_t SynthHeaderBytes = 58;
// The image is bytes 0 ... 60607; the array keeps one spare zero byte after it.
inline constexpr std::size_t SynthImageBytes = SynthHeaderBytes + SynthSampleBytes;
inline constexpr std::size_t SynthArrayBytes = SynthImageBytes + 1;
inline constexpr std::uint32_t SynthRate = 22050; // samples per second

// A fresh all-zero array with the 58-byte header written into it. The
// format chunk is 18 bytes long and its last field reads 1157 although no
// extra bytes follow: players take the next chunk from the chunk size, so
// the image plays as it stands.
std::vector<std::uint8_t> NewSynthImage();

// Writes the sample area from one period RestoredWave(0 ... L - 1), L >= 1:
// each sample scaled so that the period's peak reaches 100 on either side of
// the zero line 128, then the period repeated until the area is full. A
// period that is silent throughout gives the zero line: silence, not a
// division by zero.
void WriteSynthSamples(std::vector<std::uint8_t>& image, const float* restoredWave, int L);

} // namespace tavrel
