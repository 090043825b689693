#pragma once
// The voiceprint window's rules, apart from its widgets: where it and its
// controls go for a given screen, and what each zoom button does to the zoom
// factors and to the buttons.

#include <cstdint>

namespace tavrel {

// The window on a screen of screenW x screenH pixels, and its picture and
// button row inside its client area. Values are not rounded.
struct Form3Layout {
    double left, top, width, height; // outer rectangle on the screen, px
    double clientWidth, clientHeight;
    double pictureLeft, pictureTop, pictureWidth, pictureHeight;
    double startTop; // Cmd_Start, Cmd_tyuusi, Cmd_Play, Cmd_End
    double upperTop; // Cmd_hyouji2, Cmd_yokokakudai
    double lowerTop; // Cmd_tatesyukusyo, Cmd_hyouji3
};

// The outer size and place are fractions of the screen (the window was drawn
// up on a 640 x 480 screen); the client area is the outer size less the frame
// it had there (8 x 28.3 pixels), so that a 640 x 480 screen gives the
// designed 552 x 369 client area and a picture of 505 x 329.
Form3Layout ComputeForm3Layout(double screenW, double screenH);

// The five buttons that start a drawing, as bits.
enum DrawButton : unsigned {
    BtnStart = 1u << 0,    // Cmd_Start
    BtnVZoomIn = 1u << 1,  // Cmd_hyouji2
    BtnVZoomOut = 1u << 2, // Cmd_tatesyukusyo
    BtnHZoomOut = 1u << 3, // Cmd_hyouji3
    BtnHZoomIn = 1u << 4,  // Cmd_yokokakudai
    AllDrawButtons = 0x1fu,
};

enum class ZoomButton { VZoomIn, VZoomOut, HZoomIn, HZoomOut };

// Zoom factors run in powers of two: VZoom 0.5 ... 4, HZoom 0.125 ... 4.
struct ZoomStep {
    float VZoom;
    float HZoom;
    unsigned disable; // DrawButton bits the handler disables
    bool draw;        // false: the step would leave the range; the factor stays
};

// A press of a zoom button. A vertical step disables the four zoom buttons
// and leaves Cmd_Start usable, which then restores everything; a horizontal
// one disables all five. A step out of range draws nothing, and the buttons it
// disabled stay disabled (only a completed drawing enables them again).
ZoomStep StepZoom(ZoomButton button, float vzoom, float hzoom);

} // namespace tavrel
