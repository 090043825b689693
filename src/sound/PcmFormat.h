#pragma once
// Sample layouts as the sound output sees them, and the conversion between
// them. A WAV file's samples are handed to the audio device as they stand
// where the device takes them; where it does not (24-bit, say, which no
// device format names, or more channels than the device has), they are
// converted piece by piece with ConvertPcm at the file's own sample rate.
// Plain functions over bytes: no Qt, no device.

#include "wavein/WavReader.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>

namespace tavrel {

// Little-endian samples: U8 unsigned with 128 as the zero line, the others
// signed; F32 is IEEE float with full scale at +-1.
enum class PcmEncoding : std::uint8_t { U8, S16, S24, S32, F32 };

struct PcmLayout {
    PcmEncoding encoding = PcmEncoding::S16;
    int channels = 1; // interleaved, one sample of each per frame
    bool operator==(const PcmLayout&) const = default;
};

std::size_t BytesPerSample(PcmEncoding e);
std::size_t FrameBytes(const PcmLayout& l);

// The layout of a recording the WAV reader accepted, by the sample container
// the reader steps by (a 12-bit sample sits in 16 bits, a 20-bit one in 24 or,
// when the header says so, in 32); nullopt for anything else.
std::optional<PcmLayout> PcmLayoutOf(const LoadedWave& w);

// The layout to open the device with: the file's own when `accepts` takes it
// (24-bit counts as 32-bit, its nearest device format), else float, else
// 16-bit; first with the file's channel count, then stereo (for more than
// two), then mono. nullopt when the device takes none of them.
std::optional<PcmLayout> ChooseDeviceLayout(const PcmLayout& file,
                                            const std::function<bool(const PcmLayout&)>& accepts);

// Converts `frames` frames from `in` (layout `from`) to `out` (layout `to`,
// FrameBytes(to) x frames bytes). The same layout is copied as it stands.
// Values are carried at full scale: 24 to 32 bits and back is exact; narrower
// targets round to nearest and clip; float input that is not finite becomes
// silence. Channels: one to many repeats it; many to one is their mean; more
// than two to two keeps channel 1 on the left and 2 on the right, with every
// further channel added to both sides (each side the mean of what it takes),
// so every channel is heard and nothing clips.
void ConvertPcm(const std::uint8_t* in, const PcmLayout& from, std::uint8_t* out,
                const PcmLayout& to, std::size_t frames);

} // namespace tavrel
