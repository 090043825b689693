#pragma once
// The samples of a sound as the audio server takes them: interleaved frames
// in the recording's own sample format, rate and channel count, read piece by
// piece while the sound plays, so that an hour of sound costs no more memory
// than a second. The server converts them for its device.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrel {

// Little-endian samples: U8 unsigned with 128 as the zero line, the others
// signed; F32 is IEEE float with full scale at +-1.
enum class PcmEncoding : std::uint8_t { U8, S16, S24, S32, F32 };

std::size_t BytesPerSample(PcmEncoding e);

class PcmSource {
public:
    virtual ~PcmSource() = default;

    virtual int SampleRate() const = 0;
    virtual int Channels() const = 0;
    virtual PcmEncoding Encoding() const = 0;
    // The sound's length in frames, or -1 when it is not known in advance.
    virtual std::int64_t Frames() const = 0;

    // Reads up to `frames` whole frames into `out` (room for frames x
    // FrameBytes() bytes) and returns how many it read; 0 only at the end
    // (a read error ends the sound too). Called from one thread at a time,
    // which need not be the one that opened the source.
    virtual std::size_t Read(std::uint8_t* out, std::size_t frames) = 0;

    std::size_t FrameBytes() const { return BytesPerSample(Encoding()) * std::size_t(Channels()); }
};

// A sound file opened for playing, or nullptr when none of the readers takes
// it (or it cannot be opened): WAV files the program's reader accepts, by
// their sample container (a 12-bit sample plays as S16, a 20-bit one as S24
// or S32, as the file holds it); every other recording the program loads
// (FLAC, MP3, a WAV file in mu-law ...) decoded by FFmpeg as it plays, as F32.
std::unique_ptr<PcmSource> OpenPcmSource(const QString& path);
// The same for a whole WAV image held in memory; the source keeps a copy.
std::unique_ptr<PcmSource> OpenPcmImage(const std::uint8_t* image, std::size_t size);

} // namespace tavrel
