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

// Window sizes of the designs are kept in twips: 15 to a pixel on the
// 96-dpi screens they were drawn for.
constexpr int TwipsPerPixel = 15;

} // namespace tavrel
