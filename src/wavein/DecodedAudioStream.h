#pragma once
// A recording decoded piece by piece, for playing a file that is not a plain
// WAV file (the sound layer plays those from their bytes as they stand).

#include <QString>
#include <cstddef>
#include <memory>
#include <vector>

namespace tavrel {

class MediaDecoder;

// Every channel of the file's first audio stream, interleaved, as 32-bit
// floats of full scale +-1 (clamped into it, so a lossy codec's overshoot
// cannot wrap around), at the stream's sample rate. It holds one decoded
// packet at a time, never the whole sound. Open it on any thread; one thread
// at a time reads it.
class DecodedAudioStream {
public:
    // nullptr when the file cannot be opened or holds no sound FFmpeg decodes.
    static std::unique_ptr<DecodedAudioStream> Open(const QString& path);
    ~DecodedAudioStream();
    DecodedAudioStream(const DecodedAudioStream&) = delete;
    DecodedAudioStream& operator=(const DecodedAudioStream&) = delete;

    int SampleRate() const;
    int Channels() const;
    // Writes up to `frames` frames (frames x Channels() floats) and returns
    // how many it wrote: fewer only at the end, 0 once the sound has ended
    // (or the rest of the file cannot be decoded).
    std::size_t Read(float* interleaved, std::size_t frames);

private:
    explicit DecodedAudioStream(std::unique_ptr<MediaDecoder> decoder);
    std::unique_ptr<MediaDecoder> m_decoder;
    std::vector<float> m_pending; // a decoded run, interleaved
    std::size_t m_pendingFrames = 0;
    std::size_t m_pendingAt = 0; // frames of it already read
};

} // namespace tavrel
