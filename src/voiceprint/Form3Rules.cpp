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
    ZoomStep s{vzoom, hzoom, 0, true};
    switch (button) {
    case ZoomButton::VZoomIn:
        s.disable = FourZoomButtons;
        s.VZoom = vzoom * 2;
        if (s.VZoom > 4)
            s = {vzoom, hzoom, FourZoomButtons, false};
        break;
    case ZoomButton::VZoomOut:
        s.disable = FourZoomButtons;
        s.VZoom = vzoom * 0.5f;
        if (s.VZoom < 0.5f)
            s = {vzoom, hzoom, FourZoomButtons, false};
        break;
    case ZoomButton::HZoomIn:
        s.disable = AllDrawButtons;
        s.HZoom = hzoom * 2;
        if (s.HZoom > 4)
            s = {vzoom, hzoom, AllDrawButtons, false};
        break;
    case ZoomButton::HZoomOut:
        s.disable = AllDrawButtons;
        s.HZoom = hzoom * 0.5f;
        if (s.HZoom < 0.125f)
            s = {vzoom, hzoom, AllDrawButtons, false};
        break;
    }
    return s;
}

} // namespace tavrel
