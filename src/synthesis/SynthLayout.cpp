#include "synthesis/SynthLayout.h"

#include "state/Numbers.h"

#include <algorithm>

namespace tavrel {

namespace {

int Px(double v) {
    return static_cast<int>(RoundHalfEven(v));
}

// A fraction of the screen, worked in twips and given back in pixels.
int TwipsFraction(int screenPixels, double part, double whole) {
    const double screenTwips = double(screenPixels) * TwipsPerPixel;
    return Px(screenTwips * part / whole / TwipsPerPixel);
}

// The highest harmonic a bar of the chart stands for.
constexpr int LastMarkedBar = 256;

} // namespace

SynthWindowPlaces SynthWindowLayout(const QRect& screenArea) {
    const int sw = screenArea.width(), sh = screenArea.height();
    SynthWindowPlaces p;
    p.outer = QSize(TwipsFraction(sw, 7920, 9600), TwipsFraction(sh, 3720, 7200));
    p.client = (p.outer - SynthDesignFrame).expandedTo(QSize(1, 1));
    const int left = screenArea.left() + TwipsFraction(sw, 1575, 9600);
    p.upper = QPoint(left, screenArea.top() + TwipsFraction(sh, 30, 7200));
    p.lower = QPoint(left, screenArea.top() + TwipsFraction(sh, 3375, 7200));
    return p;
}

SynthControlPlaces SynthControlLayout(int cw, int ch) {
    SynthControlPlaces c;
    const int w = Px(cw * 250.0 / 520), h = Px(ch * 169.0 / 221), top = Px(ch * 40.0 / 221);
    c.picture1 = QRect(Px(cw * 8.0 / 520), top, w, h);
    c.picture2 = QRect(Px(cw * 264.0 / 520), top, w, h);
    c.label1Left = Px((w - 65) / 2.0 + c.picture2.left());
    c.cmdEndLeft = Px(cw * 464.0 / 520);
    return c;
}

std::vector<BarMark> HarmCountMarks(int N, int barCount) {
    barCount = std::min(barCount, LastMarkedBar);
    std::vector<BarMark> marks;
    marks.reserve(std::size_t(std::max(0, 2 * barCount + 1)));
    for (int n = 1; n <= barCount; ++n)
        marks.push_back({n, BarColour::LightBlue});
    for (int n = 1; n <= std::min(N - 1, barCount); ++n)
        marks.push_back({n, BarColour::Cyan});
    if (N >= 1 && N <= barCount)
        marks.push_back({N, BarColour::LightMagenta});
    return marks;
}

} // namespace tavrel
