#pragma once
// Window-level operations every window shares.

#include <QRect>

namespace tavrel {

// Lets the toolkit handle pending events of all windows, then returns; other
// handlers may run to completion inside it. Long loops call it so the program
// stays responsive without threads.
void Yield();

// The screen area a full-screen window may take, in pixels.
QRect ScreenArea();

} // namespace tavrel
