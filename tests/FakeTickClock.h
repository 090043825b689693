#pragma once
// A clock that moves only when the code yields: long playbacks take no real time.

#include "sound/Ticks.h"

#include <QCoreApplication>
#include <algorithm>
#include <functional>
#include <vector>

namespace tavrel::test {

struct FakeTickClock : TickClock {
    std::int64_t Now() override { return now; }
    // Moves on by stepMs, or with stepMs 0 by the whole wait (at least 1 ms).
    void Yield(std::int64_t maxWaitMs) override {
        waits.push_back(maxWaitMs);
        QCoreApplication::processEvents();
        if (onYield)
            onYield();
        now += stepMs > 0 ? stepMs : std::max<std::int64_t>(1, maxWaitMs);
    }
    std::int64_t now = 0, stepMs = 0;
    std::vector<std::int64_t> waits; // maxWaitMs of each yield
    std::function<void()> onYield;
};

} // namespace tavrel::test
