#include "wavein/DecodedAudioStream.h"

#include "wavein/MediaDecoder.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace tavrel {

DecodedAudioStream::DecodedAudioStream(std::unique_ptr<MediaDecoder> decoder)
    : m_decoder(std::move(decoder)) {}

DecodedAudioStream::~DecodedAudioStream() = default;

std::unique_ptr<DecodedAudioStream> DecodedAudioStream::Open(const QString& path) {
    std::unique_ptr<MediaDecoder> decoder;
    if (MediaDecoder::OpenFile(path, MediaDecoder::Layout::Interleaved, decoder) != WavError::None)
        return nullptr;
    return std::unique_ptr<DecodedAudioStream>(new DecodedAudioStream(std::move(decoder)));
}

int DecodedAudioStream::SampleRate() const {
    return m_decoder->SampleRate();
}

int DecodedAudioStream::Channels() const {
    return m_decoder->Channels();
}

std::size_t DecodedAudioStream::Read(float* interleaved, std::size_t frames) {
    const std::size_t channels = std::size_t(Channels());
    std::size_t done = 0;
    while (done < frames) {
        if (m_pendingAt == m_pendingFrames) {
            const std::size_t room = m_decoder->Decode();
            if (room == 0)
                break;
            try {
                if (m_pending.size() < room * channels)
                    m_pending.resize(room * channels);
            } catch (const std::bad_alloc&) {
                break;
            }
            float* out = m_pending.data();
            m_pendingFrames = m_decoder->Convert(&out);
            m_pendingAt = 0;
            std::for_each_n(out, m_pendingFrames * channels, [](float& v) {
                v = std::isfinite(v) ? std::clamp(v, -1.0f, 1.0f) : 0.0f;
            });
        }
        const std::size_t k = std::min(frames - done, m_pendingFrames - m_pendingAt);
        std::copy_n(m_pending.data() + m_pendingAt * channels, k * channels,
                    interleaved + done * channels);
        m_pendingAt += k;
        done += k;
    }
    return done;
}

} // namespace tavrel
