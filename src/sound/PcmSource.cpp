#include "sound/PcmSource.h"

#include "wavein/MediaDecoder.h"
#include "wavein/WavReader.h"

#include <QBuffer>
#include <QFile>
#include <algorithm>
#include <array>
#include <new>
#include <optional>
#include <vector>

namespace tavrel {

namespace {

// The encoding the reader's sample container stands for; nullopt for none.
std::optional<PcmEncoding> EncodingOf(const LoadedWave& w) {
    const WavFormat& f = w.format;
    if (f.channels == 0 || w.frameBytes % f.channels != 0)
        return std::nullopt;
    const std::uint32_t container = w.frameBytes / f.channels;
    if (f.sampleFormat == 3)
        return container == 4 ? std::optional(PcmEncoding::F32) : std::nullopt;
    if (f.sampleFormat != 1 || container < 1 || container > 4)
        return std::nullopt;
    return std::array{PcmEncoding::U8, PcmEncoding::S16, PcmEncoding::S24,
                      PcmEncoding::S32}[container - 1];
}

// The "data" chunk of a WAV file or image, through a device open for reading.
class WavSource final : public PcmSource {
public:
    WavSource(std::unique_ptr<QIODevice> device, const LoadedWave& w, PcmEncoding e)
        : m_device(std::move(device)), m_rate(int(w.format.sampleRate)),
          m_channels(w.format.channels), m_encoding(e), m_frames(w.SampleCount),
          m_offset(qint64(w.dataOffset)) {}

    int SampleRate() const override { return m_rate; }
    int Channels() const override { return m_channels; }
    PcmEncoding Encoding() const override { return m_encoding; }
    std::int64_t Frames() const override { return m_frames; }

    std::size_t Read(std::uint8_t* out, std::size_t frames) override {
        const qint64 frameBytes = qint64(FrameBytes());
        const std::int64_t want = std::min(std::int64_t(frames), m_frames - m_done);
        const qint64 at = m_offset + m_done * frameBytes;
        if (want <= 0 || (m_device->pos() != at && !m_device->seek(at)))
            return 0;
        // A file that has become shorter than its header said ends early.
        qint64 got = 0;
        while (got < want * frameBytes) {
            const qint64 r =
                m_device->read(reinterpret_cast<char*>(out) + got, want * frameBytes - got);
            if (r <= 0)
                break;
            got += r;
        }
        m_done += got / frameBytes;
        return std::size_t(got / frameBytes);
    }

private:
    std::unique_ptr<QIODevice> m_device;
    int m_rate, m_channels;
    PcmEncoding m_encoding;
    const std::int64_t m_frames;
    std::int64_t m_done = 0;
    qint64 m_offset;
};

// Any other recording, decoded by FFmpeg as it plays: every channel,
// interleaved, at full scale +-1; one decoded packet at a time, never the
// whole sound.
class DecodedSource final : public PcmSource {
public:
    explicit DecodedSource(std::unique_ptr<MediaDecoder> decoder) : m_decoder(std::move(decoder)) {}

    int SampleRate() const override { return m_decoder->SampleRate(); }
    int Channels() const override { return m_decoder->Channels(); }
    PcmEncoding Encoding() const override { return PcmEncoding::F32; }
    std::int64_t Frames() const override { return -1; }

    std::size_t Read(std::uint8_t* out, std::size_t frames) override {
        float* interleaved = reinterpret_cast<float*>(out);
        const std::size_t channels = std::size_t(Channels());
        std::size_t done = 0;
        while (done < frames) {
            if (m_pendingAt == m_pendingFrames && !DecodeNext())
                break;
            const std::size_t k = std::min(frames - done, m_pendingFrames - m_pendingAt);
            std::copy_n(m_pending.data() + m_pendingAt * channels, k * channels,
                        interleaved + done * channels);
            m_pendingAt += k;
            done += k;
        }
        return done;
    }

private:
    // The next packet into m_pending; false at the end (or where the rest of
    // the file cannot be decoded).
    bool DecodeNext() {
        const std::size_t channels = std::size_t(Channels());
        const std::size_t room = m_decoder->Decode();
        if (room == 0)
            return false;
        try {
            if (m_pending.size() < room * channels)
                m_pending.resize(room * channels);
        } catch (const std::bad_alloc&) {
            return false;
        }
        float* p = m_pending.data();
        m_pendingFrames = m_decoder->Convert(&p);
        m_pendingAt = 0;
        std::transform(p, p + m_pendingFrames * channels, p, ClampFullScale);
        return true;
    }

    std::unique_ptr<MediaDecoder> m_decoder;
    std::vector<float> m_pending; // a decoded packet, interleaved
    std::size_t m_pendingFrames = 0;
    std::size_t m_pendingAt = 0; // frames of it already read
};

std::unique_ptr<PcmSource> OpenWav(std::unique_ptr<QIODevice> device, const WavLoadResult& probe) {
    const std::optional<PcmEncoding> e = EncodingOf(probe.wave);
    if (probe.error != WavError::None || !e || !device->open(QIODevice::ReadOnly))
        return nullptr;
    return std::make_unique<WavSource>(std::move(device), probe.wave, *e);
}

} // namespace

std::size_t BytesPerSample(PcmEncoding e) {
    switch (e) {
    case PcmEncoding::U8:
        return 1;
    case PcmEncoding::S16:
        return 2;
    case PcmEncoding::S24:
        return 3;
    case PcmEncoding::S32:
    case PcmEncoding::F32:
        return 4;
    }
    return 1;
}

std::unique_ptr<PcmSource> OpenPcmSource(const QString& path) {
    if (std::unique_ptr<PcmSource> wav = OpenWav(std::make_unique<QFile>(path), ProbeWavFile(path)))
        return wav;
    std::unique_ptr<MediaDecoder> decoder;
    if (MediaDecoder::OpenFile(path, MediaDecoder::Layout::Interleaved, decoder) != WavError::None)
        return nullptr;
    return std::make_unique<DecodedSource>(std::move(decoder));
}

std::unique_ptr<PcmSource> OpenPcmImage(const std::uint8_t* image, std::size_t size) {
    auto buffer = std::make_unique<QBuffer>();
    buffer->setData(reinterpret_cast<const char*>(image), qsizetype(image ? size : 0));
    const QByteArray& bytes = buffer->data();
    return OpenWav(std::move(buffer),
                   ProbeWavBytes(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                 std::size_t(bytes.size())));
}

} // namespace tavrel
