#include "voiceprint/Form3Rules.h"

namespace tavrel {

namespace {

constexpr double TwipsPerPixel = 15;       // on the design screen
constexpr double DesignClientWidth = 552;  // px
constexpr double DesignClientHeight = 369; // px
// The window's frame on the design screen: its outer size of 8400 x 5960
// twips less its client area.
constexpr double DesignFrameWidth = 8400 / TwipsPerPixel - DesignClientWidth;
constexpr double DesignFrameHeight = 5960 / TwipsPerPixel - DesignClientHeight;
constexpr double ButtonRowHeight = 25;

constexpr unsigned FourZoomButtons = BtnVZoomIn | BtnVZoomOut | BtnHZoomOut | BtnHZoomIn;

} // namespace

Form3Layout ComputeForm3Layout(double screenW, double screenH) {
    // The design's fractions are of a screen of 9600 x 7200 twips.
    Form3Layout l{};
    l.width = screenW * 8400 / 9600;
    l.height = screenH * 5960 / 7200;
    l.left = screenW * 1155 / 9600;
    l.top = screenH * 1115 / 7200;
    l.clientWidth = l.width - DesignFrameWidth;
    l.clientHeight = l.height - DesignFrameHeight;
    const double sw = l.clientWidth;
    const double sh = l.clientHeight;
    l.pictureWidth = sw * 505 / DesignClientWidth;
    l.pictureHeight = sh * 329 / DesignClientHeight;
    l.pictureLeft = sw * 32 / DesignClientWidth;
    l.pictureTop = sh * 2 / DesignClientHeight;
    // The row of 25-pixel buttons stands in the middle of the strip under the picture.
    const double below = l.pictureTop + l.pictureHeight;
    l.startTop = (sh - below - ButtonRowHeight) / 2 + below;
    l.upperTop = l.startTop - 5;
    l.lowerTop = l.startTop - 5 + 18;
    return l;
}

ZoomStep StepZoom(ZoomButton button, float vzoom, float hzoom) {
    const bool vertical = button == ZoomButton::VZoomIn || button == ZoomButton::VZoomOut;
    const bool in = button == ZoomButton::VZoomIn || button == ZoomButton::HZoomIn;
    ZoomStep s{vzoom, hzoom, vertical ? FourZoomButtons : AllDrawButtons, true};
    float& zoom = vertical ? s.VZoom : s.HZoom;
    zoom *= in ? 2.0f : 0.5f;
    const float lowest = vertical ? 0.5f : 0.125f;
    if (zoom > 4 || zoom < lowest) {
        zoom = vertical ? vzoom : hzoom;
        s.draw = false;
    }
    return s;
}

} // namespace tavrel
