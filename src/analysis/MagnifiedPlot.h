#pragma once
// Drawing on the magnified plot: the region's wave, the period marks and the
// period texts.

#include "state/AnalysisState.h"

namespace tavrel {

class Canvas;

// The RegionLength samples of RegionData at one sample per pixel, in light
// red, the plot's foreground colour from then on. startOver: the redraw
// after a third click (always normalised, y left fractional).
void DrawMagnifiedWave(Canvas& c, const AnalysisState& s, bool startOver);

// A period mark: a black line down the whole plot at x.
void DrawPeriodMark(Canvas& c, float x);

// The period's length in seconds and its fundamental frequency, in light blue
// at the top-left corner; with the note names switched on, the nearest note
// on a small line under them.
void DrawPeriodTexts(Canvas& c, const AnalysisState& s);

} // namespace tavrel
