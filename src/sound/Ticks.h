#pragma once
// The millisecond clock the playback loops time their steps by, and the wait
// between two steps. The clock is a seam: the windows take a TickClock, the
// program hands them a SystemTickClock, and tests a clock of their own that
// moves on each yield, so that a ten-second playback takes no real time.

#include <cstdint>

namespace tavrel {

class TickClock {
public:
    virtual ~TickClock() = default;

    // Milliseconds since an arbitrary start. 64 bits: it never wraps, and it
    // never goes back.
    virtual std::int64_t Now() = 0;

    // Lets the user interface handle its pending events; other handlers (the
    // caller's own included) may run to completion inside. When none is
    // pending, waits up to maxWaitMs for one to arrive before returning, so
    // that a wait does not keep a processor core busy. 0: does not wait.
    virtual void Yield(std::int64_t maxWaitMs) = 0;
};

// The system's monotonic clock (milliseconds since the system started) and
// Qt's event loop.
class SystemTickClock final : public TickClock {
public:
    std::int64_t Now() override;
    void Yield(std::int64_t maxWaitMs) override;
};

// Repeats { yield to the user interface; read the clock } until the reading
// is not less than `deadline`. Yields at least once, even for a deadline
// already past. Each yield waits at most for the time still left (and never
// more than MaxYieldMs), so the wait ends within a millisecond or two of the
// deadline while a click is still handled as soon as it comes.
void WaitUntilTick(TickClock& clock, std::int64_t deadline);

inline constexpr std::int64_t MaxYieldMs = 100;

} // namespace tavrel
