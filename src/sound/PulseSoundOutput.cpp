#include "sound/PulseSoundOutput.h"

#include "sound/PcmSource.h"
#include "sound/PulseWorker.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>
#include <algorithm>
#include <optional>

namespace tavrel {

namespace {

// How far past its own length a sound may run before it counts as ended all
// the same: only a server that stalls comes near it.
constexpr qint64 EndMarginMs = 1500;
// How often a wait looks whether its sound has ended.
constexpr int WaitPollMs = 5;
// How long a new sound waits for the server to drop the one it cuts off.
constexpr int CutOffMs = 300;
// The server's buffer for the stream: short, so that a sound starts and
// stops promptly, long enough to ride out a busy machine (the worker thread
// refills it, not the user interface).
constexpr pa_usec_t BufferUs = 100000;
// The longest the device's own buffer is waited for after the last sample
// left the stream.
constexpr pa_usec_t MaxTailUs = 1000000;

std::optional<pa_sample_spec> SpecOf(const PcmSource& s) {
    static constexpr pa_sample_format_t formats[] = {PA_SAMPLE_U8, PA_SAMPLE_S16LE, PA_SAMPLE_S24LE,
                                                     PA_SAMPLE_S32LE, PA_SAMPLE_FLOAT32LE};
    const pa_sample_spec spec{formats[int(s.Encoding())], std::uint32_t(s.SampleRate()),
                              std::uint8_t(std::clamp(s.Channels(), 0, 255))};
    if (s.SampleRate() <= 0 || s.Channels() != spec.channels || !pa_sample_spec_valid(&spec))
        return std::nullopt;
    return spec;
}

// Plays one sound from its source to its end, heard: the stream is drained,
// then the device's own latency is waited out.
class Playback final : public PulseWorker {
public:
    Playback(std::string server, std::unique_ptr<PcmSource> source, pa_sample_spec spec)
        : PulseWorker(std::move(server)), m_source(std::move(source)), m_spec(spec) {}

private:
    pa_stream* NewStream(pa_context* context) override {
        pa_channel_map map;
        pa_channel_map_init_extend(&map, m_spec.channels, PA_CHANNEL_MAP_DEFAULT);
        pa_stream* s = pa_stream_new(context, "再生", &m_spec, &map);
        if (!s)
            return nullptr;
        const std::uint32_t any = std::uint32_t(-1);
        const pa_buffer_attr attr{any, std::uint32_t(pa_usec_to_bytes(BufferUs, &m_spec)), any, any,
                                  any};
        pa_stream_set_write_callback(s, OnWrite, this);
        if (pa_stream_connect_playback(s, nullptr, &attr, PA_STREAM_ADJUST_LATENCY, nullptr,
                                       nullptr) < 0) {
            pa_stream_unref(s);
            return nullptr;
        }
        return s;
    }

    static void OnWrite(pa_stream* s, std::size_t bytes, void* self) {
        static_cast<Playback*>(self)->Write(s, bytes);
    }

    void Write(pa_stream* s, std::size_t bytes) {
        Alive();
        if (m_draining || Releasing())
            return;
        const std::size_t frameBytes = m_source->FrameBytes(), want = bytes / frameBytes;
        m_piece.resize(want * frameBytes);
        std::size_t frames = 0;
        bool atEnd = false;
        while (frames < want && !atEnd) {
            const std::size_t got =
                m_source->Read(m_piece.data() + frames * frameBytes, want - frames);
            frames += got;
            atEnd = got == 0;
        }
        if (frames > 0 && pa_stream_write(s, m_piece.data(), frames * frameBytes, nullptr, 0,
                                          PA_SEEK_RELATIVE) < 0)
            return End(Phase::Broken);
        if (atEnd) {
            m_draining = true;
            Then(pa_stream_drain(s, OnDrained, this));
        }
    }

    // The server has played the last sample into its device; what the device
    // still holds is heard within the stream's latency.
    static void OnDrained(pa_stream* s, int success, void* self) {
        auto* p = static_cast<Playback*>(self);
        p->Alive();
        if (!success)
            return p->End(Phase::Broken);
        p->Then(pa_stream_update_timing_info(s, OnTiming, self));
    }

    static void OnTiming(pa_stream* s, int success, void* self) {
        pa_usec_t left = 0;
        int negative = 0;
        if (!success || pa_stream_get_latency(s, &left, &negative) < 0 || negative)
            left = 0;
        if (!pa_context_rttime_new(pa_stream_get_context(s),
                                   pa_rtclock_now() + std::min(left, MaxTailUs), OnHeard, self))
            static_cast<Playback*>(self)->End(Phase::Ended);
    }

    static void OnHeard(pa_mainloop_api* api, pa_time_event* e, const timeval*, void* self) {
        api->time_free(e);
        static_cast<Playback*>(self)->End(Phase::Ended);
    }

    void Then(pa_operation* o) {
        if (!o)
            return End(Phase::Broken);
        pa_operation_unref(o);
    }

    std::unique_ptr<PcmSource> m_source;
    pa_sample_spec m_spec;
    std::vector<std::uint8_t> m_piece;
    bool m_draining = false;
};

} // namespace

PulseSoundOutput::PulseSoundOutput(std::string server) : m_server(std::move(server)) {}

PulseSoundOutput::~PulseSoundOutput() = default;

std::shared_ptr<PulseWorker> PulseSoundOutput::Start(std::unique_ptr<PcmSource> source) {
    m_workers.StopCurrent(CutOffMs);
    const std::optional<pa_sample_spec> spec = source ? SpecOf(*source) : std::nullopt;
    if (!spec)
        return nullptr;
    auto w = std::make_shared<Playback>(m_server, std::move(source), *spec);
    if (m_workers.Start(w) &&
        w->WaitConnected(PulseWorker::ConnectMs) == PulseWorker::Phase::Running)
        return w;
    m_workers.StopCurrent();
    return nullptr;
}

bool PulseSoundOutput::PlayImageAndWait(const std::uint8_t* image, std::size_t size) {
    const std::uint64_t mine = ++m_requests;
    std::unique_ptr<PcmSource> source = OpenPcmImage(image, size);
    const qint64 lengthMs =
        source ? source->Frames() * 1000 / std::max(1, source->SampleRate()) : 0;
    const std::shared_ptr<PulseWorker> worker = Start(std::move(source));
    if (!worker)
        return false;

    // A local loop that leaves out user input: windows repaint, clicks and
    // keys wait until the sound is over. The program's end (QCoreApplication::
    // exit) ends every running loop, this one too, and cuts the sound off.
    QElapsedTimer since;
    since.start();
    QEventLoop loop;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        if (m_requests != mine || worker->PhaseNow() != PulseWorker::Phase::Running ||
            since.elapsed() > lengthMs + EndMarginMs)
            loop.quit();
    });
    poll.start(WaitPollMs);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    if (m_requests == mine)
        m_workers.StopCurrent();
    return true;
}

bool PulseSoundOutput::StartPlayingFile(const QString& path) {
    ++m_requests;
    return Start(OpenPcmSource(path)) != nullptr;
}

void PulseSoundOutput::StopSound() {
    ++m_requests;
    m_workers.StopCurrent();
}

} // namespace tavrel
