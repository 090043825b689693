#pragma once
// SoundInput through the desktop's audio server (libpulse): a record stream
// on a connection and thread of its own (PulseWorker), delivering pieces of
// a few tens of milliseconds.

#include "sound/PulseWorker.h"
#include "sound/SoundInput.h"

#include <memory>
#include <string>
#include <vector>

namespace tavrel {

class PulseSoundInput final : public SoundInput {
public:
    // `server` as PULSE_SERVER takes it; empty: the desktop's own.
    explicit PulseSoundInput(std::string server = {});
    ~PulseSoundInput() override;

    Failure Start(int sampleRate) override;
    std::vector<std::int16_t> Take() override;
    Failure State() const override;
    void Stop() override;

private:
    class Recorder;

    std::string m_server;
    std::shared_ptr<Recorder> m_recorder; // the running or the last recording
    PulseWorkers m_workers;
    Failure m_refused = Failure::None; // a start refused before any connection
};

} // namespace tavrel
