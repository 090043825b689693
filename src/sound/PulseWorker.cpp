#include "sound/PulseWorker.h"

#include <algorithm>
#include <poll.h>
#include <system_error>
#include <utility>

namespace tavrel {

namespace {
bool IsOver(PulseWorker::Phase p) {
    return p != PulseWorker::Phase::Connecting && p != PulseWorker::Phase::Running;
}
} // namespace

PulseWorker::Phase PulseWorker::PhaseNow() const {
    std::lock_guard lock(m_mutex);
    return m_phase;
}

template <class Done> bool PulseWorker::WaitFor(int boundMs, Done done) {
    std::unique_lock lock(m_mutex);
    return m_changed.wait_for(lock, std::chrono::milliseconds(boundMs), done);
}

PulseWorker::Phase PulseWorker::WaitConnected(int boundMs) {
    WaitFor(boundMs, [this] { return m_phase != Phase::Connecting || m_finished; });
    return PhaseNow();
}

void PulseWorker::WaitReleased(int boundMs) {
    WaitFor(boundMs, [this] { return m_released; });
}

bool PulseWorker::WaitFinished(int boundMs) {
    return WaitFor(boundMs, [this] { return m_finished; });
}

void PulseWorker::Stop() {
    std::lock_guard lock(m_mutex);
    m_stopAsked = m_wake = true;
    if (m_loop)
        pa_mainloop_wakeup(m_loop);
}

void PulseWorker::End(Phase p) {
    {
        std::lock_guard lock(m_mutex);
        if (m_stopAsked || IsOver(m_phase))
            return;
        m_phase = p;
    }
    m_changed.notify_all();
}

void PulseWorker::OnContext(pa_context* c, void* self) {
    auto* w = static_cast<PulseWorker*>(self);
    switch (pa_context_get_state(c)) {
    case PA_CONTEXT_READY:
        if (!(w->m_stream = w->NewStream(c))) {
            w->End(Phase::Broken);
            return;
        }
        pa_stream_set_state_callback(w->m_stream, OnStream, w);
        return;
    case PA_CONTEXT_FAILED:
    case PA_CONTEXT_TERMINATED:
        w->End(Phase::NoServer);
        return;
    default:
        return;
    }
}

void PulseWorker::OnStream(pa_stream* s, void* self) {
    auto* w = static_cast<PulseWorker*>(self);
    switch (pa_stream_get_state(s)) {
    case PA_STREAM_READY: {
        w->Alive();
        {
            std::lock_guard lock(w->m_mutex);
            if (w->m_phase == Phase::Connecting)
                w->m_phase = Phase::Running;
        }
        w->m_changed.notify_all();
        return;
    }
    case PA_STREAM_FAILED:
    case PA_STREAM_TERMINATED:
        w->End(pa_context_errno(pa_stream_get_context(s)) == PA_ERR_NOENTITY ? Phase::NoDevice
                                                                             : Phase::Broken);
        return;
    default:
        return;
    }
}

// Runs after the loop has drained its wake-up pipe: a wake-up asked for
// before that would be lost but for the flag, which makes this poll a glance.
int PulseWorker::Poll(pollfd* fds, unsigned long n, int timeoutMs, void* self) {
    auto* w = static_cast<PulseWorker*>(self);
    {
        std::lock_guard lock(w->m_mutex);
        if (std::exchange(w->m_wake, false))
            timeoutMs = 0;
    }
    return ::poll(fds, n, timeoutMs);
}

void PulseWorker::Run() {
    if (pa_mainloop* loop = pa_mainloop_new()) {
        pa_mainloop_set_poll_func(loop, Poll, this);
        SetLoop(loop);
        Loop(loop);
        SetLoop(nullptr); // no wake-up may reach it any more
        pa_mainloop_free(loop);
    } else {
        End(Phase::Broken);
    }
    {
        std::lock_guard lock(m_mutex);
        m_released = m_finished = true;
    }
    m_changed.notify_all();
}

void PulseWorker::SetLoop(pa_mainloop* loop) {
    std::lock_guard lock(m_mutex);
    m_loop = loop;
}

void PulseWorker::Loop(pa_mainloop* loop) {
    pa_context* context = pa_context_new(pa_mainloop_get_api(loop), "Tavrel");
    if (!context) {
        End(Phase::Broken);
        return;
    }
    pa_context_set_state_callback(context, OnContext, this);
    // No autospawn: a desktop without a server gets none started behind its back.
    if (pa_context_connect(context, m_server.empty() ? nullptr : m_server.c_str(),
                           PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0)
        End(Phase::NoServer);

    const Clock::time_point connectBy = Clock::now() + std::chrono::milliseconds(ConnectMs);
    Clock::time_point releaseBy;
    for (;;) {
        const Clock::time_point now = Clock::now();
        Phase phase;
        bool stop;
        {
            std::lock_guard lock(m_mutex);
            phase = m_phase;
            stop = m_stopAsked;
        }
        if (!m_releasing && (stop || IsOver(phase))) {
            m_releasing = true;
            releaseBy = now + std::chrono::milliseconds(ReleaseMs);
            // Taking the stream away drops whatever the server still holds of
            // it; its answer says that no more of it will be heard.
            if (!m_stream || pa_stream_get_state(m_stream) != PA_STREAM_READY ||
                pa_stream_disconnect(m_stream) < 0)
                break;
        }
        Clock::time_point deadline;
        if (m_releasing) {
            if (pa_stream_get_state(m_stream) != PA_STREAM_READY || now >= releaseBy)
                break;
            deadline = releaseBy;
        } else if (phase == Phase::Connecting) {
            if (now >= connectBy) {
                End(Phase::NoServer);
                continue;
            }
            deadline = connectBy;
        } else {
            deadline = m_aliveAt + std::chrono::milliseconds(StallMs);
            if (now >= deadline) {
                End(Phase::NoServer);
                continue;
            }
        }
        const auto waitUs = std::chrono::duration_cast<std::chrono::microseconds>(deadline - now);
        if (pa_mainloop_prepare(loop, int(std::clamp<std::int64_t>(waitUs.count(), 0, 1000000))) <
                0 ||
            pa_mainloop_poll(loop) < 0 || pa_mainloop_dispatch(loop) < 0)
            break;
    }

    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_changed.notify_all();
    // Quietly: what the callbacks would say now is no news to anyone.
    if (m_stream) {
        pa_stream_set_state_callback(m_stream, nullptr, nullptr);
        pa_stream_set_write_callback(m_stream, nullptr, nullptr);
        pa_stream_set_read_callback(m_stream, nullptr, nullptr);
        pa_stream_unref(m_stream);
        m_stream = nullptr;
    }
    pa_context_set_state_callback(context, nullptr, nullptr);
    pa_context_disconnect(context);
    pa_context_unref(context);
}

bool PulseWorkers::Start(std::shared_ptr<PulseWorker> w) {
    StopCurrent();
    try {
        std::thread t([w] { w->Run(); });
        m_current = Running{std::move(w), std::move(t)};
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

void PulseWorkers::StopCurrent(int untilGoneMs) {
    if (m_current) {
        m_current->worker->Stop();
        m_current->worker->WaitReleased(untilGoneMs);
        m_leaving.push_back(std::move(*m_current));
        m_current.reset();
    }
    std::erase_if(m_leaving, [](Running& r) {
        if (!r.worker->WaitFinished(0))
            return false;
        r.thread.join();
        return true;
    });
}

PulseWorkers::~PulseWorkers() {
    StopCurrent();
    for (Running& r : m_leaving) {
        if (r.worker->WaitFinished(JoinMs))
            r.thread.join();
        else
            r.thread.detach();
    }
}

} // namespace tavrel
