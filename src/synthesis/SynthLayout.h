#pragma once
// Where the synthesis window and its pictures go, and which bars of the main
// window's harmonic chart it marks in which colour.
//
// The window's size and places are fractions of the screen in twips. Here a
// twip is 1/15 of a logical pixel (96 dpi), and "the screen" is the area a
// window may take (the screen less its panels), whose top-left corner is the
// origin of the places.

#include <QPoint>
#include <QRect>
#include <QSize>
#include <vector>

namespace tavrel {

inline constexpr int TwipsPerPixel = 15;

// The frame a window has around its client area on the design screen: the
// window's outer size less this is the client area it is given.
inline constexpr QSize SynthDesignFrame{8, 27}; // px: 528 x 248 outside, 520 x 221 inside

struct SynthWindowPlaces {
    QSize outer;  // px, frame included
    QSize client; // px
    QPoint upper; // px, outer top-left where it opens
    QPoint lower; // px, outer top-left after an odd number of moves
};
SynthWindowPlaces SynthWindowLayout(const QRect& screenArea);

// Controls that follow the client area of CW x CH pixels; the others keep
// their designed places.
struct SynthControlPlaces {
    QRect picture1;
    QRect picture2;
    int label1Left = 0;
    int cmdEndLeft = 0;
};
SynthControlPlaces SynthControlLayout(int clientWidth, int clientHeight);

// Palette indexes of the bar colours.
enum class BarColour { LightBlue = 9, Cyan = 3, LightMagenta = 13 };

struct BarMark {
    int n;
    BarColour colour;
    bool operator==(const BarMark&) const = default;
};

// The marks for N harmonics in painting order, on a chart that draws bars
// 1 ... barCount: every bar light blue (which wipes earlier marks), then
// 1 ... N - 1 cyan, then N light magenta. Bars the chart does not draw are
// left alone: the first of them may still stand partly inside the picture,
// and a mark there would show a bar the chart never had, and stay behind
// when the window closes and gives the drawn bars their colour back.
std::vector<BarMark> HarmCountMarks(int N, int barCount);

} // namespace tavrel
