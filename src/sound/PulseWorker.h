#pragma once
// One connection of its own to the desktop's audio server (PulseAudio, or
// PipeWire speaking its protocol) carrying one stream, run by libpulse's
// plain main loop on a thread of its own. A connection per sound: a server
// that went away and came back is simply connected to again by the next one.
//
// The thread that starts a worker never calls into libpulse: it reads the
// worker's phase under a mutex, waits for it with a bound, and asks it to
// stop, which wakes the worker's loop. The worker never waits without a
// deadline either (connecting, a server that stops answering, letting go of
// the stream), so it ends on its own whatever the server does.

#include <pulse/pulseaudio.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace tavrel {

class PulseWorker {
public:
    enum class Phase {
        Connecting, // to the server, then the stream
        Running,    // the server accepted the stream
        Ended,      // its work is done (a sound heard to its end)
        NoServer,   // no server answered in time, or it went away or stopped answering
        NoDevice,   // the server has no sink or source to take the stream
        Broken,     // the server refused or failed the stream
    };

    // How long connecting may take before the server counts as absent: a
    // local server answers in milliseconds, a stopped one never.
    static constexpr int ConnectMs = 1500;
    // How long a running stream may go without a word from the server.
    static constexpr int StallMs = 2000;
    // How long the server may take to acknowledge that a stream is gone.
    static constexpr int ReleaseMs = 250;

    virtual ~PulseWorker() = default;
    PulseWorker(const PulseWorker&) = delete;
    PulseWorker& operator=(const PulseWorker&) = delete;

    // --- From the thread that started it.
    Phase PhaseNow() const;
    // The phase once connecting is over, waiting at most boundMs for it.
    Phase WaitConnected(int boundMs);
    // Ends the stream and the connection soon; returns at once. A phase
    // reached later (a failure while letting go) is not recorded.
    void Stop();
    // Waits at most boundMs until the server has let go of the stream (or
    // the worker gave up waiting for that).
    void WaitReleased(int boundMs);
    bool WaitFinished(int boundMs); // the thread has let go of everything

protected:
    // `server` as PULSE_SERVER takes it ("unix:/path/native"); empty: the desktop's own.
    explicit PulseWorker(std::string server) : m_server(std::move(server)) {}

    // --- On the worker's thread, from libpulse's callbacks.
    // Makes the stream and connects it; nullptr when that fails at once.
    virtual pa_stream* NewStream(pa_context* context) = 0;
    // The stream's work is over, with phase `p`; the first word counts.
    void End(Phase p);
    // The server was heard from: the stall watch starts over.
    void Alive() { m_aliveAt = std::chrono::steady_clock::now(); }
    // Letting go has begun: write or read nothing more.
    bool Releasing() const { return m_releasing; }

    mutable std::mutex m_mutex; // guards what both threads see, the subclasses' too
    bool m_stopAsked = false;   // by the starting thread

private:
    friend class PulseWorkers;
    using Clock = std::chrono::steady_clock;

    void Run();
    void SetLoop(pa_mainloop* loop);
    void Loop(pa_mainloop* loop);
    static void OnContext(pa_context* c, void* self);
    static void OnStream(pa_stream* s, void* self);
    static int Poll(pollfd* fds, unsigned long n, int timeoutMs, void* self);
    template <class Done> bool WaitFor(int boundMs, Done done);

    const std::string m_server;
    std::condition_variable m_changed;
    // Guarded by m_mutex:
    Phase m_phase = Phase::Connecting;
    pa_mainloop* m_loop = nullptr; // while the loop runs, for waking it
    bool m_wake = false;           // a wake-up the loop has not seen yet
    bool m_released = false, m_finished = false;
    // The worker's own:
    pa_stream* m_stream = nullptr;
    bool m_releasing = false;
    Clock::time_point m_aliveAt;
};

// The worker running now, each on a thread of its own, and those stopped that
// have not ended yet. Destroying them stops them all, waits a bounded time
// for each thread, and lets one that has not ended by then go on alone (it
// holds its worker, and ends by the worker's own deadlines).
class PulseWorkers {
public:
    static constexpr int JoinMs = 500;

    PulseWorkers() = default;
    ~PulseWorkers();
    PulseWorkers(const PulseWorkers&) = delete;
    PulseWorkers& operator=(const PulseWorkers&) = delete;

    // Stops the current worker, then starts `w` as the current one; false when
    // no thread could be made for it.
    bool Start(std::shared_ptr<PulseWorker> w);
    // Stops the current worker, if any, waiting at most untilGoneMs for the
    // server to drop its stream.
    void StopCurrent(int untilGoneMs = 0);

private:
    struct Running {
        std::shared_ptr<PulseWorker> worker;
        std::thread thread;
    };
    std::optional<Running> m_current;
    std::vector<Running> m_leaving;
};

} // namespace tavrel
