#pragma once
// How far a load has come, told to whoever waits for it (a progress dialog on
// another thread), and its way to call the load off.

#include <chrono>
#include <functional>

namespace tavrel {

// Called on the loading thread with the fraction of the file done (0 ... 1);
// returning false cancels the load, which then ends with WavError::Cancelled.
// It is called when a load starts, about every 20 ms while it runs and once
// with 1 before a load that succeeds returns; never once per sample.
using LoadProgress = std::function<bool(double fraction)>;

// Calls a LoadProgress no more often than every 20 ms, so that a reader can
// offer it every piece it reads: asking the clock costs far less than a piece.
class ProgressTicker {
public:
    explicit ProgressTicker(const LoadProgress& progress) : m_progress(progress) {}

    // False once the load is to stop.
    bool Tick(double fraction) {
        if (!m_progress)
            return true;
        if (m_called && std::chrono::steady_clock::now() - m_last < Interval)
            return true;
        return Tell(fraction);
    }
    // Tells the fraction whatever the clock says: the first and the last word.
    bool Tell(double fraction) {
        if (!m_progress)
            return true;
        m_called = true;
        m_last = std::chrono::steady_clock::now();
        return m_progress(fraction < 0 ? 0 : fraction > 1 ? 1 : fraction);
    }

private:
    static constexpr std::chrono::milliseconds Interval{20};
    const LoadProgress& m_progress;
    std::chrono::steady_clock::time_point m_last;
    bool m_called = false;
};

} // namespace tavrel
