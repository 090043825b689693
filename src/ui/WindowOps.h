#pragma once
// Window-level operations every window shares.

#include <QElapsedTimer>
#include <QRect>
#include <initializer_list>

class QWidget;

namespace tavrel {

// Lets the toolkit handle pending events of all windows, then returns; other
// handlers may run to completion inside it. Long loops call it so the program
// stays responsive without threads.
void Yield();

// Yield for a loop that would yield far more often than anyone clicks: a call
// that comes less than a millisecond after the last one that yielded returns
// at once. Clicks are still answered within about a millisecond, and the
// loop does not spend its time looking for events that are not there. The
// clock is read only every few calls, as reading it costs more than a call.
class PacedYield {
public:
    void operator()() {
        if (--m_untilClockRead > 0)
            return;
        m_untilClockRead = CallsPerClockRead;
        if (m_last.isValid() && m_last.nsecsElapsed() < 1'000'000)
            return;
        Yield();
        m_last.start();
    }

private:
    static constexpr int CallsPerClockRead = 16;
    int m_untilClockRead = 1; // the first call yields
    QElapsedTimer m_last;
};

// Tab moves through these controls in this order.
void SetTabChain(std::initializer_list<QWidget*> chain);

// The screen area a full-screen window may take, in pixels.
QRect ScreenArea();

} // namespace tavrel
