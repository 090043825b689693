#pragma once
// Writing WAV images: the recorder saves what it heard as a plain 16-bit
// mono file, which every program (this one's reader first) opens.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace tavrel {

// Little-endian fields of a RIFF header.
void PutLE16(std::uint8_t* at, std::uint16_t v);
void PutLE32(std::uint8_t* at, std::uint32_t v);

// A complete WAV image: the 44-byte header of integer PCM, 16-bit mono, then
// the samples.
std::vector<std::uint8_t> Pcm16MonoWav(std::span<const std::int16_t> samples, std::uint32_t rate);

} // namespace tavrel
