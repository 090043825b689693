#include "sound/PulseSoundInput.h"

#include "sound/PulseWorker.h"

#include <algorithm>
#include <utility>

namespace tavrel {

namespace {
// The server hands recorded sound over in pieces of about this length.
constexpr pa_usec_t PieceUs = 30000;
} // namespace

class PulseSoundInput::Recorder final : public PulseWorker {
public:
    Recorder(std::string server, const pa_sample_spec& spec)
        : PulseWorker(std::move(server)), m_spec(spec) {}

    std::vector<std::int16_t> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_samples, {});
    }

private:
    pa_stream* NewStream(pa_context* context) override {
        pa_stream* s = pa_stream_new(context, "録音", &m_spec, nullptr);
        if (!s)
            return nullptr;
        const std::uint32_t any = std::uint32_t(-1);
        const pa_buffer_attr attr{any, any, any, any,
                                  std::uint32_t(pa_usec_to_bytes(PieceUs, &m_spec))};
        pa_stream_set_read_callback(s, OnRead, this);
        if (pa_stream_connect_record(s, nullptr, &attr, PA_STREAM_ADJUST_LATENCY) < 0) {
            pa_stream_unref(s);
            return nullptr;
        }
        return s;
    }

    static void OnRead(pa_stream* s, std::size_t, void* self) {
        auto* r = static_cast<Recorder*>(self);
        r->Alive();
        const void* data;
        std::size_t bytes;
        while (!r->Releasing() && pa_stream_readable_size(s) > 0) {
            if (pa_stream_peek(s, &data, &bytes) < 0)
                return r->End(Phase::Broken);
            if (bytes == 0)
                return;
            {
                std::lock_guard lock(r->m_mutex);
                // What comes after the stop is not the recording's; a hole in it is silence.
                const auto* v = static_cast<const std::int16_t*>(data);
                std::vector<std::int16_t>& to = r->m_samples;
                if (!r->m_stopAsked && v)
                    to.insert(to.end(), v, v + bytes / 2);
                else if (!r->m_stopAsked)
                    to.insert(to.end(), bytes / 2, 0);
            }
            pa_stream_drop(s);
        }
    }

    pa_sample_spec m_spec;
    std::vector<std::int16_t> m_samples; // guarded by m_mutex
};

namespace {
SoundInput::Failure FailureOf(PulseWorker::Phase p) {
    switch (p) {
    case PulseWorker::Phase::Connecting:
    case PulseWorker::Phase::NoServer:
        return SoundInput::Failure::NoServer;
    case PulseWorker::Phase::NoDevice:
        return SoundInput::Failure::NoInputDevice;
    case PulseWorker::Phase::Running:
        return SoundInput::Failure::None;
    case PulseWorker::Phase::Ended:
    case PulseWorker::Phase::Broken:
        break;
    }
    return SoundInput::Failure::Broken;
}
} // namespace

PulseSoundInput::PulseSoundInput(std::string server) : m_server(std::move(server)) {}

PulseSoundInput::~PulseSoundInput() = default;

SoundInput::Failure PulseSoundInput::Start(int sampleRate) {
    Stop();
    m_recorder.reset();
    const pa_sample_spec spec{PA_SAMPLE_S16LE, std::uint32_t(sampleRate), 1};
    m_refused = sampleRate > 0 && pa_sample_spec_valid(&spec) ? Failure::None : Failure::Broken;
    if (m_refused != Failure::None)
        return m_refused;
    m_recorder = std::make_shared<Recorder>(m_server, spec);
    const Failure f = m_workers.Start(m_recorder)
                          ? FailureOf(m_recorder->WaitConnected(PulseWorker::ConnectMs))
                          : Failure::Broken;
    if (f != Failure::None) {
        Stop();
        m_refused = f;
    }
    return f;
}

std::vector<std::int16_t> PulseSoundInput::Take() {
    return m_recorder ? m_recorder->Take() : std::vector<std::int16_t>{};
}

SoundInput::Failure PulseSoundInput::State() const {
    if (m_refused != Failure::None || !m_recorder)
        return m_refused;
    const PulseWorker::Phase p = m_recorder->PhaseNow();
    return p == PulseWorker::Phase::Connecting ? Failure::None : FailureOf(p);
}

void PulseSoundInput::Stop() {
    m_workers.StopCurrent();
}

} // namespace tavrel
