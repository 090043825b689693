#include "sound/Ticks.h"

#include <QCoreApplication>
#include <QTimer>
#include <algorithm>
#include <chrono>

namespace tavrel {

std::int64_t SystemTickClock::Now() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

void SystemTickClock::Yield(std::int64_t maxWaitMs) {
    if (maxWaitMs <= 0) {
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    // Waiting for more events blocks until one is handled; the timer is the
    // event that comes when nothing else does.
    QTimer wake;
    wake.setSingleShot(true);
    wake.setTimerType(Qt::PreciseTimer);
    wake.start(int(std::min<std::int64_t>(maxWaitMs, MaxYieldMs)));
    QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
}

void WaitUntilTick(TickClock& clock, std::int64_t deadline) {
    do {
        clock.Yield(std::clamp<std::int64_t>(deadline - clock.Now(), 0, MaxYieldMs));
    } while (clock.Now() < deadline);
}

} // namespace tavrel
