#pragma once
// Where the voiceprint's frame, ticks, labels and titles go on a picture of
// W x H pixels. Every position is a fixed fraction of the picture, written as
// a ratio to the 505 x 329 pixels it was designed on, where all of them are
// whole pixels.

#include <QString>
#include <cstdint>
#include <vector>

namespace tavrel {

inline constexpr double VoiceDesignWidth = 505;  // px
inline constexpr double VoiceDesignHeight = 329; // px

// The rate the picture's scales were drawn up for: at 22050 Hz a tick step
// of the frequency axis is 0.5 kHz and a step of the time axis 0.1 s (at
// zoom 1). Other rates keep the ticks where they are and relabel them.
inline constexpr double VoiceDesignRate = 22050; // Hz

// The plot rectangle (y grows downwards) and the tick steps.
struct PlotFrame {
    std::int16_t PlotLeft = 0;   // px
    std::int16_t PlotRight = 0;  // px
    std::int16_t PlotBottom = 0; // px
    std::int16_t PlotTop = 0;    // px
    float FreqStep = 0;          // px between two frequency ticks
    float TimeStep = 0;          // px between two long time ticks
};
PlotFrame VoiceprintFrame(int width, int height);

struct AxisLine {
    double x1, y1, x2, y2;
};
struct AxisText {
    double x, y; // top-left corner of the text
    QString text;
};

struct VoiceprintAxes {
    PlotFrame frame;
    std::vector<AxisLine> ticks;  // black
    std::vector<AxisText> labels; // font size 9: kHz at the left, seconds below
    std::vector<AxisText> titles; // font size 11
};

// Ticks, labels and titles for the zoom factors and the recording's sample
// rate (Hz; 0 when none is known counts as the design rate). Labels of long
// time ticks beyond the plot are listed too: they stand outside the picture,
// which clips them.
VoiceprintAxes LayOutVoiceprintAxes(int width, int height, float vzoom, float hzoom,
                                    double sampleRate);

// The fewest decimals, at least one, that give every time label a text of
// its own, the origin's 0 included (it stands unlabelled at the corner).
int TimeLabelDecimals(const std::vector<double>& seconds);

// The rate labels and progress bars are computed for: the recording's own,
// or the design rate while none is known.
double VoiceprintRate(double sampleRate);

} // namespace tavrel
