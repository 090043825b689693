#pragma once
// FFmpeg's demuxers, decoders and sample converter behind one small class,
// for the loader and the playback stream of recordings that are not plain
// WAV files. FFmpeg's own types stay inside MediaDecoder.cpp.
//
// The bytes reach FFmpeg through a reader of our own (a file read through
// QFile, or memory), so the kind of file is found from its content alone,
// and a file that names others (a playlist, a list of files to join) cannot
// make FFmpeg open anything else.

#include "wavein/WavReader.h"

#include <QString>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace tavrel {

class MediaDecoder {
public:
    enum class Layout { Planar, Interleaved };
    static constexpr int MaxChannels = 64; // the most the sample converter takes

    // The first audio stream of the file, ready to decode into 32-bit
    // floats of full scale +-1 in the given layout, at the stream's first
    // sample rate and channel count whatever later frames bring. On failure
    // `decoder` stays empty and the error tells why: CannotOpen,
    // UnrecognisedFormat, NoAudio, BadHeader (absurd rate or channel count)
    // or OutOfMemory.
    static WavError OpenFile(const QString& path, Layout layout,
                             std::unique_ptr<MediaDecoder>& decoder);
    static WavError OpenBytes(const std::uint8_t* data, std::size_t size, Layout layout,
                              std::unique_ptr<MediaDecoder>& decoder);
    ~MediaDecoder();
    MediaDecoder(const MediaDecoder&) = delete;
    MediaDecoder& operator=(const MediaDecoder&) = delete;

    int SampleRate() const;
    int Channels() const;
    // The depth the format stores (lossless codecs, PCM), else 16: the scale
    // a lossy codec's samples are given on.
    int BitsPerSample() const;
    // Lossless floating-point samples (as PCM float in AIFF or CAF).
    bool IsFloat() const;
    // Frames the container says the stream holds, or -1 when it does not
    // say; `fromBitrate` when the figure is only the bitrate's guess.
    std::int64_t DeclaredFrames(bool* fromBitrate = nullptr) const;
    // Fraction of the file's bytes read so far (0 ... 1).
    double Position() const;

    // Bytes in the whole file.
    std::int64_t FileBytes() const;

    // Decodes the next run of frames: at most how many frames it gives, 0
    // once the stream has ended. Frames that cannot be decoded are passed
    // over, as a player would.
    std::size_t Decode();
    // Converts the run Decode() gave into `out` (a pointer per channel, or
    // one for all of them interleaved), which holds the frames Decode() told;
    // returns the frames written.
    std::size_t Convert(float* const* out);

private:
    struct Impl;
    explicit MediaDecoder(std::unique_ptr<Impl> impl);
    static WavError Open(std::unique_ptr<Impl> impl, Layout layout,
                         std::unique_ptr<MediaDecoder>& decoder);
    std::unique_ptr<Impl> m;
};

} // namespace tavrel
