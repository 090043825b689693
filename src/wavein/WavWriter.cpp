#include "wavein/WavWriter.h"

#include <cstring>

namespace tavrel {

void PutLE16(std::uint8_t* at, std::uint16_t v) {
    at[0] = std::uint8_t(v);
    at[1] = std::uint8_t(v >> 8);
}

void PutLE32(std::uint8_t* at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(v >> (8 * i));
}

std::vector<std::uint8_t> Pcm16MonoWav(std::span<const std::int16_t> samples, std::uint32_t rate) {
    constexpr std::size_t HeaderBytes = 44;
    const auto dataBytes = std::uint32_t(samples.size() * 2);
    std::vector<std::uint8_t> w(HeaderBytes + dataBytes);
    std::uint8_t* h = w.data();
    std::memcpy(h, "RIFF", 4);
    PutLE32(h + 4, std::uint32_t(36 + dataBytes));
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLE32(h + 16, 16);
    PutLE16(h + 20, 1); // integer PCM
    PutLE16(h + 22, 1); // mono
    PutLE32(h + 24, rate);
    PutLE32(h + 28, rate * 2); // bytes per second
    PutLE16(h + 32, 2);        // block alignment
    PutLE16(h + 34, 16);       // bits per sample
    std::memcpy(h + 36, "data", 4);
    PutLE32(h + 40, dataBytes);
    for (std::size_t i = 0; i < samples.size(); ++i)
        PutLE16(h + HeaderBytes + 2 * i, std::uint16_t(samples[i]));
    return w;
}

} // namespace tavrel
