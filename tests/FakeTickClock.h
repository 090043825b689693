#pragma once
// A millisecond clock that moves only when the code under test yields, so a
// playback of many seconds runs in no real time and always the same way.

#include "sound/Ticks.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace tavrel::test {

class FakeTickClock : public TickClock {
public:
    std::int64_t Now() override { return now; }

    // Handles pending events as the real clock does, runs the test's own
    // step, then moves the clock on: by stepMs, or with stepMs 0 by the whole
    // wait asked for (at least 1 ms), as if nothing had come meanwhile.
    void Yield(std::int64_t maxWaitMs) override {
        waits.push_back(maxWaitMs);
        QCoreApplication::processEvents();
        if (onYield)
            onYield();
        now += stepMs > 0 ? stepMs : std::max<std::int64_t>(1, maxWaitMs);
    }

    std::int64_t now = 0;
    std::int64_t stepMs = 0;
    std::vector<std::int64_t> waits; // maxWaitMs of each yield, in order
    std::function<void()> onYield;
};

} // namespace tavrel::test
