#pragma once
// Drawing the harmonic bar chart on a picture area.

#include "state/AnalysisState.h"

#include <QColor>
#include <QString>

namespace tavrel {

class Canvas;

// Paints bar n of the chart in the given colour, over whatever the plot shows.
// Nothing is painted while HarmMax is 0 (a silent or constant period), nor for
// n outside 0 ... 512.
void PaintHarmBar(Canvas& c, const AnalysisState& s, int n, QColor colour);

// Bars 1 ... BarCount in light blue, the harmonic numbers every fifth bar and
// the axis captions.
void DrawHarmChart(Canvas& c, const AnalysisState& s);

// Axis captions; the horizontal one is spaced out to stand under the bars.
inline const QString HarmAxisCaption = QStringLiteral("倍　   音");
inline const QString AmpCaptionTop = QStringLiteral("振");
inline const QString AmpCaptionBottom = QStringLiteral("幅");

} // namespace tavrel
