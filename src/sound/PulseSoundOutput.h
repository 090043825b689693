#pragma once
// SoundOutput through the desktop's audio server, on its own client library
// (libpulse; PipeWire serves the same protocol). Each sound gets a connection
// and a thread of its own (PulseWorker), so a server that restarted is
// simply connected to again, and no call waits on the server without a
// bound: a sound starts within PulseWorker::ConnectMs or the call says false.
// The stream takes the sound's own sample format, rate and channel count;
// the server converts them for its device.

#include "sound/PulseWorker.h"
#include "sound/SoundOutput.h"

#include <memory>
#include <string>

namespace tavrel {

class PcmSource;

class PulseSoundOutput final : public SoundOutput {
public:
    // `server` as PULSE_SERVER takes it; empty: the desktop's own.
    explicit PulseSoundOutput(std::string server = {});
    ~PulseSoundOutput() override; // cuts off the sound; waits for no stuck thread

    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override;
    bool StartPlayingFile(const QString& path) override;
    void StopSound() override;

private:
    // Cuts off the sound before, waiting (bounded) until the server has
    // dropped it, so that the two never mix; then starts `source` as the
    // current sound. Its worker, or nullptr when it did not start.
    std::shared_ptr<PulseWorker> Start(std::unique_ptr<PcmSource> source);

    std::string m_server;
    PulseWorkers m_workers;
    // Counts the requests, so that a wait notices when a request made from
    // inside it (by a timer, say) has replaced its sound.
    std::uint64_t m_requests = 0;
};

} // namespace tavrel
