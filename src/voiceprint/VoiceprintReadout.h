#pragma once
// What the pointer points at on the voiceprint: the time and the frequency
// under it, read from the same plan the cells are drawn from, and the other
// way round, where the row of a frequency lies (for lines at the harmonics).
//
// Column of frame j: x from PlotLeft + 1 + j w to PlotLeft + 1 + (j + 1) w,
// w = HZoom x ColWidth, covering samples 512 j ... 512 (j + 1). Row k: y from
// PlotBottom - 1 - k h up to PlotBottom - 1 - (k + 1) h, h = VZoom x
// RowHeight, showing bin k + 1, whose frequency is (k + 1) x rate / 512.

#include "voiceprint/Spectrogram.h"

#include <QString>
#include <optional>
#include <vector>

namespace tavrel {

struct VoiceprintPoint {
    bool inside = false; // over the cells (one pixel in from the frame), on a row that shows a bin
    double seconds = 0;  // time under the pointer, from the start of the recording
    int bin = 0;         // 1 ... 512
    double hz = 0;       // the bin's frequency
};

// The point under the pointer at (x, y) picture pixels, for a recording of
// sampleRate samples per second (0: the design rate, 22050).
VoiceprintPoint ReadVoiceprint(const SpectrogramPlan& plan, double x, double y, double sampleRate);
// The same on a picture of width x height pixels at the given zoom factors.
VoiceprintPoint ReadVoiceprint(int width, int height, float vzoom, float hzoom, double x, double y,
                               double sampleRate);

// "1.23 秒　2003 Hz　シ (B6) -13 セント": seconds with 2 decimals, whole Hz,
// then the note when the frequency has one, parts apart by ideographic
// spaces. Empty outside the plot.
QString VoiceprintReadoutText(const VoiceprintPoint& p);

// The y of the centre of the row showing hz (the bin nearest to it, halves
// to even); none when that bin is not shown, or its centre is not over the
// cells.
std::optional<double> VoiceprintRowY(const SpectrogramPlan& plan, double hz, double sampleRate);

// Row centres for k x fundHz, k = 1, 2, ... as long as they stay over the
// cells; none for a fundamental under half a bin.
std::vector<double> HarmonicLineYs(const SpectrogramPlan& plan, double fundHz, double sampleRate);

} // namespace tavrel
