#pragma once
// Drawing the whole recording in its strip, in light red.

#include "state/FloatArray.h"

#include <cstdint>

namespace tavrel {

class Canvas;

// Draws the wave on top of what the canvas holds (the caller clears it
// first); the foreground colour is left light red. Picks the column reduction
// when points far outnumber columns, the plain polyline otherwise; both cover
// the same pixels.
void DrawWholeWave(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak, float ampRatio);

// The two ways of drawing, each usable on its own.
void DrawWholeWavePolyline(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                           float ampRatio);
void DrawWholeWaveColumns(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                          float ampRatio);

} // namespace tavrel
