#include "wavein/MediaDecoder.h"

#include <QFile>
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <mutex>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/mem.h>
#include <libswresample/swresample.h>
}

namespace tavrel {

namespace {

constexpr int IoBufferBytes = 64 * 1024;
constexpr int MaxRate = 768000; // the fastest rate any sound card runs at
constexpr std::int64_t ThreadedBytes = 4 << 20;

} // namespace

struct MediaDecoder::Impl {
    // The bytes: a file, or memory.
    QFile file;
    const std::uint8_t* memory = nullptr;
    std::int64_t memoryPos = 0;
    std::int64_t size = 0;

    AVIOContext* io = nullptr;
    AVFormatContext* format = nullptr;
    AVCodecContext* codec = nullptr;
    SwrContext* swr = nullptr;
    AVPacket* packet = nullptr;
    AVFrame* frame = nullptr;
    int stream = -1;

    Layout layout = Layout::Planar;
    AVChannelLayout outLayout{};
    int outRate = 0;
    // What the converter was last set up for.
    AVChannelLayout inLayout{};
    int inFormat = -1;
    int inRate = 0;

    bool sentEnd = false;   // the decoder has been told the packets are over
    bool haveFrame = false; // `frame` holds a run Convert() has not taken yet
    bool flushing = false;  // the converter's last frames are due

    ~Impl() {
        av_frame_free(&frame);
        av_packet_free(&packet);
        swr_free(&swr);
        avcodec_free_context(&codec);
        avformat_close_input(&format); // custom I/O: leaves `io` alone
        if (io)
            av_freep(&io->buffer); // FFmpeg may have swapped the buffer it was given
        avio_context_free(&io);
        av_channel_layout_uninit(&outLayout);
        av_channel_layout_uninit(&inLayout);
    }

    int Read(std::uint8_t* buf, int n) {
        if (!memory) {
            const qint64 got = file.read(reinterpret_cast<char*>(buf), n);
            return got < 0 ? AVERROR(EIO) : got == 0 ? AVERROR_EOF : int(got);
        }
        const std::int64_t got = std::min<std::int64_t>(n, size - memoryPos);
        if (got <= 0)
            return AVERROR_EOF;
        std::memcpy(buf, memory + memoryPos, std::size_t(got));
        memoryPos += got;
        return int(got);
    }

    std::int64_t Seek(std::int64_t offset, int whence) {
        if (whence & AVSEEK_SIZE)
            return size;
        const std::int64_t here = memory ? memoryPos : file.pos();
        std::int64_t to = offset;
        switch (whence & ~AVSEEK_FORCE) {
        case SEEK_SET:
            break;
        case SEEK_CUR:
            to = here + offset;
            break;
        case SEEK_END:
            to = size + offset;
            break;
        default:
            return AVERROR(EINVAL);
        }
        if (to < 0 || to > size)
            return AVERROR(EINVAL);
        if (memory)
            memoryPos = to;
        else if (!file.seek(to))
            return AVERROR(EIO);
        return to;
    }

    // Sets the converter up for `frame` when it differs from the last one.
    bool Configure() {
        if (swr && frame->format == inFormat && frame->sample_rate == inRate &&
            av_channel_layout_compare(&frame->ch_layout, &inLayout) == 0)
            return true;
        if (frame->sample_rate <= 0 || frame->sample_rate > MaxRate ||
            frame->ch_layout.nb_channels <= 0 || frame->ch_layout.nb_channels > MaxChannels)
            return false;
        const AVSampleFormat out =
            layout == Layout::Planar ? AV_SAMPLE_FMT_FLTP : AV_SAMPLE_FMT_FLT;
        // As many channels as at the start are taken one for one, whatever
        // names they carry: the first stays the first, and nothing is mixed.
        AVChannelLayout* in =
            frame->ch_layout.nb_channels == outLayout.nb_channels ? &outLayout : &frame->ch_layout;
        if (swr_alloc_set_opts2(&swr, &outLayout, out, outRate, in, AVSampleFormat(frame->format),
                                frame->sample_rate, 0, nullptr) < 0 ||
            swr_init(swr) < 0) {
            swr_free(&swr);
            return false;
        }
        av_channel_layout_uninit(&inLayout);
        if (av_channel_layout_copy(&inLayout, &frame->ch_layout) < 0) {
            swr_free(&swr);
            return false;
        }
        inFormat = frame->format;
        inRate = frame->sample_rate;
        return true;
    }
};

namespace {

// Nothing is opened beyond the one file we were given.
int RefuseToOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
    return AVERROR(EPERM);
}

bool IsVideo(const AVStream* st) {
    return st->codecpar->codec_type == AVMEDIA_TYPE_VIDEO &&
           !(st->disposition & AV_DISPOSITION_ATTACHED_PIC); // an album cover is no video
}

} // namespace

MediaDecoder::MediaDecoder(std::unique_ptr<Impl> impl) : m(std::move(impl)) {}
MediaDecoder::~MediaDecoder() = default;

WavError MediaDecoder::OpenFile(const QString& path, Layout layout,
                                std::unique_ptr<MediaDecoder>& decoder) {
    decoder.reset();
    auto impl = std::make_unique<Impl>();
    impl->file.setFileName(path);
    // Unbuffered: FFmpeg keeps a buffer of its own.
    if (!impl->file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return WavError::CannotOpen;
    impl->size = std::max<qint64>(0, impl->file.size());
    return Open(std::move(impl), layout, decoder);
}

WavError MediaDecoder::OpenBytes(const std::uint8_t* data, std::size_t size, Layout layout,
                                 std::unique_ptr<MediaDecoder>& decoder) {
    decoder.reset();
    static const std::uint8_t nothing = 0;
    auto impl = std::make_unique<Impl>();
    impl->memory = data ? data : &nothing;
    impl->size = data ? std::int64_t(size) : 0;
    return Open(std::move(impl), layout, decoder);
}

WavError MediaDecoder::Open(std::unique_ptr<Impl> impl, Layout layout,
                            std::unique_ptr<MediaDecoder>& decoder) {
    // FFmpeg's notes on what it conceals in a damaged file are for its own
    // command line; a refusal reaches the user as a WavError.
    static std::once_flag quiet;
    std::call_once(quiet, [] {
        if (av_log_get_level() > AV_LOG_ERROR)
            av_log_set_level(AV_LOG_ERROR);
    });

    Impl& d = *impl;
    d.layout = layout;
    auto* buffer = static_cast<std::uint8_t*>(av_malloc(IoBufferBytes));
    if (buffer)
        d.io = avio_alloc_context(
            buffer, IoBufferBytes, 0, &d,
            [](void* o, std::uint8_t* b, int n) { return static_cast<Impl*>(o)->Read(b, n); },
            nullptr,
            [](void* o, std::int64_t off, int whence) {
                return static_cast<Impl*>(o)->Seek(off, whence);
            });
    if (!d.io) {
        av_free(buffer);
        return WavError::OutOfMemory;
    }
    d.format = avformat_alloc_context();
    d.packet = av_packet_alloc();
    d.frame = av_frame_alloc();
    if (!d.format || !d.packet || !d.frame)
        return WavError::OutOfMemory;
    d.format->pb = d.io;
    d.format->flags |= AVFMT_FLAG_CUSTOM_IO;
    d.format->io_open = RefuseToOpen;
    // No name: the kind of file is found from its bytes alone. A kind found
    // whose header cannot be read is a broken file of that kind (a phone's
    // recording cut off before its index was written), not an unknown one.
    const AVInputFormat* kind = nullptr;
    if (const int r = av_probe_input_buffer2(d.io, &kind, "", nullptr, 0, 0); r < 0 || !kind)
        return r == AVERROR(ENOMEM) ? WavError::OutOfMemory : WavError::UnrecognisedFormat;
    // Players of music modules and game tunes make their sound from a score:
    // nothing was recorded, and a tune of a few bytes can play for hours.
    for (const char* score : {"libopenmpt", "libgme", "libmodplug"})
        if (std::strcmp(kind->name, score) == 0)
            return WavError::UnrecognisedFormat;
    if (avformat_open_input(&d.format, "", kind, nullptr) < 0)
        return WavError::NoAudio;
    // Some containers name their codecs' parameters only in the packets; a
    // failure here still leaves what the header said.
    avformat_find_stream_info(d.format, nullptr);

    const AVCodec* codec = nullptr;
    d.stream = av_find_best_stream(d.format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (d.stream < 0 || !codec) {
        // A known kind of file with no sound in it: a film without a sound
        // track, or an audio codec FFmpeg does not decode; anything else (a
        // picture, subtitles) is not a recording at all.
        const bool known =
            d.stream == AVERROR_DECODER_NOT_FOUND ||
            std::any_of(d.format->streams, d.format->streams + d.format->nb_streams, IsVideo);
        return known ? WavError::NoAudio : WavError::UnrecognisedFormat;
    }
    for (unsigned i = 0; i < d.format->nb_streams; ++i)
        if (int(i) != d.stream)
            d.format->streams[i]->discard = AVDISCARD_ALL;
    const AVStream* st = d.format->streams[d.stream];
    d.codec = avcodec_alloc_context3(codec);
    if (!d.codec)
        return WavError::OutOfMemory;
    if (avcodec_parameters_to_context(d.codec, st->codecpar) < 0)
        return WavError::NoAudio;
    d.codec->pkt_timebase = st->time_base;
    // Decoders that can share the work among cores do, on a file long
    // enough to repay starting the threads.
    d.codec->thread_count = d.size > ThreadedBytes ? 0 : 1;
    if (avcodec_open2(d.codec, codec, nullptr) < 0)
        return WavError::NoAudio;
    const int channels = d.codec->ch_layout.nb_channels;
    if (d.codec->sample_rate <= 0 || d.codec->sample_rate > MaxRate || channels <= 0 ||
        channels > MaxChannels)
        return WavError::BadHeader;
    d.outRate = d.codec->sample_rate;
    if (av_channel_layout_copy(&d.outLayout, &d.codec->ch_layout) < 0)
        return WavError::OutOfMemory;
    decoder.reset(new MediaDecoder(std::move(impl)));
    return WavError::None;
}

int MediaDecoder::SampleRate() const {
    return m->outRate;
}

int MediaDecoder::Channels() const {
    return m->outLayout.nb_channels;
}

int MediaDecoder::BitsPerSample() const {
    const AVCodecContext* c = m->codec;
    const AVCodecDescriptor* desc = avcodec_descriptor_get(c->codec_id);
    if (!desc || !(desc->props & AV_CODEC_PROP_LOSSLESS))
        return 16;
    if (c->bits_per_raw_sample > 0)
        return c->bits_per_raw_sample;
    if (desc->props & AV_CODEC_PROP_LOSSY)
        return 16;
    if (const int pcm = av_get_bits_per_sample(c->codec_id); pcm > 0)
        return pcm;
    const int width = 8 * av_get_bytes_per_sample(c->sample_fmt);
    return width > 0 ? width : 16;
}

bool MediaDecoder::IsFloat() const {
    const AVSampleFormat f = av_get_packed_sample_fmt(m->codec->sample_fmt);
    return BitsPerSample() >= 32 && (f == AV_SAMPLE_FMT_FLT || f == AV_SAMPLE_FMT_DBL);
}

std::int64_t MediaDecoder::DeclaredFrames(bool* fromBitrate) const {
    const AVStream* st = m->format->streams[m->stream];
    std::int64_t frames = -1;
    if (st->duration > 0)
        frames = av_rescale_q(st->duration, st->time_base, AVRational{1, m->outRate});
    else if (m->format->duration > 0)
        frames = av_rescale_q(m->format->duration, AV_TIME_BASE_Q, AVRational{1, m->outRate});
    if (fromBitrate)
        *fromBitrate = m->format->duration_estimation_method == AVFMT_DURATION_FROM_BITRATE;
    return frames;
}

double MediaDecoder::Position() const {
    const std::int64_t at = avio_tell(m->io);
    return m->size > 0 && at > 0 ? std::min(1.0, double(at) / double(m->size)) : 0.0;
}

std::int64_t MediaDecoder::FileBytes() const {
    return m->size;
}

std::size_t MediaDecoder::Decode() {
    Impl& d = *m;
    if (d.haveFrame) {
        av_frame_unref(d.frame);
        d.haveFrame = false;
    }
    if (d.flushing)
        return 0;
    for (;;) {
        const int r = avcodec_receive_frame(d.codec, d.frame);
        if (r == 0) {
            if (d.frame->nb_samples > 0 && d.Configure()) {
                const int room = swr_get_out_samples(d.swr, d.frame->nb_samples);
                if (room > 0) {
                    d.haveFrame = true;
                    return std::size_t(room);
                }
                // Too few to give anything yet after a change of rate: kept
                // inside the converter for the next run.
                swr_convert(d.swr, nullptr, 0,
                            const_cast<const std::uint8_t**>(d.frame->extended_data),
                            d.frame->nb_samples);
            }
            av_frame_unref(d.frame); // a frame the converter cannot take is passed over
            continue;
        }
        if (r == AVERROR_EOF || d.sentEnd) {
            // What a change of rate left inside the converter comes last.
            d.flushing = true;
            return d.swr ? std::size_t(std::max(0, swr_get_out_samples(d.swr, 0))) : 0;
        }
        // Any other error came from a packet the decoder has dropped: on to the next.
        if (av_read_frame(d.format, d.packet) < 0) {
            // Any error ends the stream where it stands, as in FFmpeg's own
            // player: damage at the end of a file often reads as one. The
            // loader tells a cut file by the length its header gives.
            avcodec_send_packet(d.codec, nullptr);
            d.sentEnd = true;
            continue;
        }
        if (d.packet->stream_index == d.stream)
            avcodec_send_packet(d.codec, d.packet);
        av_packet_unref(d.packet);
    }
}

std::size_t MediaDecoder::Convert(float* const* out) {
    Impl& d = *m;
    if (!d.swr || (!d.haveFrame && !d.flushing))
        return 0;
    std::array<std::uint8_t*, MaxChannels> planes{};
    const int count = d.layout == Layout::Planar ? d.outLayout.nb_channels : 1;
    for (int c = 0; c < count; ++c)
        planes[std::size_t(c)] = reinterpret_cast<std::uint8_t*>(out[c]);
    const int room = swr_get_out_samples(d.swr, d.haveFrame ? d.frame->nb_samples : 0);
    const int n = d.haveFrame
                      ? swr_convert(d.swr, planes.data(), room,
                                    const_cast<const std::uint8_t**>(d.frame->extended_data),
                                    d.frame->nb_samples)
                      : swr_convert(d.swr, planes.data(), room, nullptr, 0);
    return std::size_t(std::max(0, n));
}

} // namespace tavrel
