#pragma once
// Drawing the voiceprint on a picture area: the axes, then one column of
// grey cells per 512-sample frame of the recording, from the left, each
// column from the bottom up, as far as the plot reaches at the zoom factors.

#include "state/AnalysisState.h"

#include <functional>

namespace tavrel {

class Canvas;

// Clears the picture and draws the plot's frame, ticks, labels and titles for
// the state's zoom factors and the recording's sample rate.
void DrawVoiceprintAxes(Canvas& c, const AnalysisState& s);

enum class DrawingEnd { Completed, Stopped };

// Draws the axes and the cells, transforming each frame with Fft512 into
// SpecRe, SpecIm and SpecMag. Clears VoiceStop first. After every full cell
// it calls yieldToUi, which lets the user interface run and returns true
// when the drawing is to end at once (its window has gone, or a newer drawing
// waits); a stop request found in VoiceStop then ends it too. After an end
// asked for in either way nothing more is touched, the canvas included.
DrawingEnd DrawVoiceprint(Canvas& c, AnalysisState& s, const std::function<bool()>& yieldToUi);

} // namespace tavrel
