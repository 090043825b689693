#include "analysis/MagnifiedPlot.h"

#include "analysis/Magnify.h"
#include "state/NoteNames.h"
#include "state/Numbers.h"
#include "ui/Canvas.h"
#include "ui/Palette.h"

namespace tavrel {

void DrawMagnifiedWave(Canvas& c, const AnalysisState& s, bool startOver) {
    c.SetForeColor(Colors::LightRed);
    const std::vector<QPointF> points = MagnifiedPoints(s, s.RegionLength, c.Height(), startOver);
    c.Polyline(points.data(), points.size(), Colors::LightRed);
}

void DrawPeriodMark(Canvas& c, float x) { c.Line(x, 0, x, c.Height(), Colors::Black); }

void DrawPeriodTexts(Canvas& c, const AnalysisState& s) {
    c.SetForeColor(Colors::LightBlue);
    c.SetFontSize(11);
    c.CurrentX = 5;
    c.CurrentY = 5;
    c.Print(QStringLiteral("周期　　") + FormatUpTo5(s.PeriodSec) + QStringLiteral("秒"));
    c.CurrentX = 5;
    c.CurrentY = 25;
    c.Print(QStringLiteral("基本振動数 ") + FormatWhole(s.FundFreq) + QStringLiteral("Hz"));
    if (s.Extras.NoteNames) {
        // On the next line, smaller: the lesson's own figures stay the largest.
        c.SetFontSize(9);
        c.CurrentX = 5;
        c.Print(NoteText(s.FundFreq));
    }
}

} // namespace tavrel
