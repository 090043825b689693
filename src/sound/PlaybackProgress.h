#pragma once
// Where the two playback progress bars stand at each 100 ms step. The sound
// plays beside the program, which never learns where it is: the bars are
// moved by the clock, from the recording's length and sample rate.

#include <cstdint>
#include <optional>

namespace tavrel {

inline constexpr std::int64_t PlaybackStepMs = 100;

// The main window's bar over the whole-wave plot: it runs from 0 to its
// width (its maximum) in the recording's playing time.
struct WholeWaveBar {
    double secPerPixel = 0; // seconds of sound one pixel of the bar stands for
    int maximum = 0;        // px
    // False when there is nothing to time (fewer than two samples, or a bar
    // without width): the file is played and the bar stays where it is.
    bool moves = false;
};
WholeWaveBar PlanWholeWaveBar(std::int32_t sampleCount, double sampleRate, int width);

// The bar's value at step i (1, 2, ...), or nothing once it has passed the
// maximum: the loop ends there.
std::optional<int> WholeWaveBarAt(const WholeWaveBar& bar, int step);

// The voiceprint window's bar over the plot, from x0 to x1. It runs as fast
// as the columns do at the zoom factor HZoom, and ends when the recording does
// or when it would pass the plot's right edge, whichever comes first.
struct VoiceprintBar {
    float secPerPixel = 0; // seconds of sound per pixel of the plot
    double seconds = 0;    // playing time of the recording
    int maximum = 0;       // px
};
VoiceprintBar PlanVoiceprintBar(std::int32_t sampleCount, double sampleRate, float hzoom, int x0,
                                int x1, int maximum);
std::optional<int> VoiceprintBarAt(const VoiceprintBar& bar, int step);

} // namespace tavrel
