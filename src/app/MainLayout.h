#pragma once
// Where the main window's picture areas go for a client area of w × h
// pixels. The button column keeps its designed places; the plots take
// fixed fractions of the window, so the analysis scales with the screen.

#include <QRect>

namespace tavrel {

struct MainLayout {
    QRect picture3; // whole wave
    QRect picture1; // magnified region
    QRect picture2; // harmonics
};

MainLayout ComputeMainLayout(int w, int h);

} // namespace tavrel
