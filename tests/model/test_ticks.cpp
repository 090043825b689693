// The millisecond wait of the playback loops.
#include "Fakes.h"

#include <QTimer>
#include <gtest/gtest.h>

using namespace tavrel;

TEST(Ticks, WaitYieldsUntilTheClockReachesTheDeadline) {
    struct Case {
        const char* what;
        std::int64_t start, step, deadline, end;
        std::vector<std::int64_t> waits; // what each yield was allowed to wait
    };
    const std::int64_t wrap32 = std::int64_t(1) << 32;
    const Case cases[] = {
        {"deadline passed: one yield all the same", 500, 1, 400, 501, {0}},
        {"1 ms steps, each yield told what is left", 0, 1, 4, 4, {4, 3, 2, 1}},
        {"long waits in pieces of at most 100 ms", 0, 0, 250, 250, {100, 100, 50}},
        {"across the 32-bit mark, no wrap", wrap32 - 2, 1, wrap32 + 2, wrap32 + 2, {4, 3, 2, 1}},
    };
    for (const Case& c : cases) {
        test::FakeTickClock clock;
        clock.now = c.start;
        clock.stepMs = c.step;
        WaitUntilTick(clock, c.deadline);
        EXPECT_EQ(std::pair(clock.waits, clock.now), std::pair(c.waits, c.end)) << c.what;
    }
}

// Handles events meanwhile, and sleeps between them instead of polling.
TEST(Ticks, SystemClockWaitsWithoutSpinning) {
    struct Counting : TickClock {
        SystemTickClock real;
        int yields = 0;
        std::int64_t Now() override { return real.Now(); }
        void Yield(std::int64_t ms) override {
            ++yields;
            real.Yield(ms);
        }
    } clock;
    bool handled = false;
    QTimer::singleShot(20, [&] { handled = true; });
    const std::int64_t deadline = clock.Now() + 60;
    WaitUntilTick(clock, deadline);
    EXPECT_GE(clock.Now(), deadline);
    EXPECT_TRUE(handled);
    EXPECT_LT(clock.yields, 30) << "the wait polls instead of sleeping";
}
