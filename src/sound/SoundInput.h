#pragma once
// The program's sound input: the one seam through which Tavrel's own
// recorder takes sound from the desktop's default input. The program uses
// PulseSoundInput; tests put in a scripted double, so no test needs a
// microphone.

#include <cstdint>
#include <vector>

namespace tavrel {

class SoundInput {
public:
    enum class Failure {
        None,          // recording, or stopped when asked to
        NoServer,      // no audio server answered, or it went away or stopped answering
        NoInputDevice, // the server has no input to record from
        Broken,        // anything else: the recording could not start or broke off
    };

    virtual ~SoundInput() = default;

    // Starts recording 16-bit mono at `sampleRate` samples per second from
    // the desktop's default input, after stopping a recording still running
    // (what it recorded and was not taken is dropped). Returns within a
    // bound (about two seconds at worst) with None once samples are on their
    // way, else why not.
    virtual Failure Start(int sampleRate) = 0;
    // The samples recorded since the last call, in order.
    virtual std::vector<std::int16_t> Take() = 0;
    // None while recording goes well (or after Stop), else why it stopped.
    virtual Failure State() const = 0;
    // Stops recording and returns at once; Take() still yields what was
    // recorded up to here.
    virtual void Stop() = 0;
};

} // namespace tavrel
