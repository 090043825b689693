// The playback loops' millisecond wait: how much processor it takes while it
// waits, and how soon an event that arrives meanwhile (a click) is handled,
// against a wait that polls without pause.
//
//   bench_wait    per 100 ms wait: real and CPU time (goal: CPU under 5 % of
//                 real), and the delay before an event posted from another
//                 thread 30 ms into the wait is handled (goal: under 2 ms)
#include "sound/Ticks.h"

#include <QCoreApplication>
#include <QObject>
#include <atomic>
#include <benchmark/benchmark.h>
#include <chrono>
#include <thread>

using namespace tavrel;

namespace {

// The same clock, but each yield only handles what is pending and returns.
struct PollingClock : TickClock {
    SystemTickClock real;
    std::int64_t Now() override { return real.Now(); }
    void Yield(std::int64_t) override { real.Yield(0); }
};

double NowUs() {
    using namespace std::chrono;
    return double(duration_cast<microseconds>(steady_clock::now().time_since_epoch()).count());
}

template <typename Clock> void BM_Wait100ms(benchmark::State& state) {
    Clock clock;
    QObject receiver;
    double latencyUs = 0;
    for (auto _ : state) {
        std::atomic<double> postedUs{0};
        double handledUs = 0;
        std::thread clicker([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(30));
            postedUs = NowUs();
            QMetaObject::invokeMethod(
                &receiver, [&] { handledUs = NowUs(); }, Qt::QueuedConnection);
        });
        WaitUntilTick(clock, clock.Now() + 100);
        clicker.join();
        latencyUs += handledUs - postedUs;
    }
    state.counters["event_delay_us"] = benchmark::Counter(latencyUs / double(state.iterations()));
}

BENCHMARK_TEMPLATE(BM_Wait100ms, SystemTickClock)->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK_TEMPLATE(BM_Wait100ms, PollingClock)->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
