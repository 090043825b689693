#include "analysis/HarmChart.h"

#include "analysis/HarmonicAnalysis.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"

namespace tavrel {

namespace {

void PaintBar(Canvas& c, const HarmChartGeometry& g, const AnalysisState& s, int n, QColor colour) {
    if (!(s.HarmMax > 0) || n < 0 || n > LastHarmonic)
        return;
    const HarmBarRect r = HarmBarCorners(g, n, s.HarmAmp[static_cast<std::size_t>(n)], s.HarmMax);
    c.FilledBox(r.X1, r.Y1, r.X2, r.Y2, colour);
}

void PrintAt(Canvas& c, QPointF at, const QString& text) {
    c.CurrentX = at.x();
    c.CurrentY = at.y();
    c.Print(text);
}

} // namespace

void PaintHarmBar(Canvas& c, const AnalysisState& s, int n, QColor colour) {
    PaintBar(c, HarmChartLayout(c.Width(), c.Height()), s, n, colour);
}

void DrawHarmChart(Canvas& c, const AnalysisState& s) {
    const HarmChartGeometry g = HarmChartLayout(c.Width(), c.Height());
    for (int j = 1; j <= g.BarCount; ++j)
        PaintBar(c, g, s, j, Colors::LightBlue);

    c.SetForeColor(Colors::Black);
    c.SetFontSize(9);
    for (int j = 5; j <= g.LastLabelledHarmonic; j += 5)
        PrintAt(c, HarmLabelPosition(g, j), QString::number(j));

    c.SetFontSize(11);
    const HarmCaptionPlaces at = HarmCaptionLayout(c.Width(), c.Height());
    PrintAt(c, at.harmonic, HarmAxisCaption);
    PrintAt(c, at.ampTop, AmpCaptionTop);
    PrintAt(c, at.ampBottom, AmpCaptionBottom);
}

} // namespace tavrel
