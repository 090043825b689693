#include "voiceprint/VoiceprintDrawing.h"

#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "voiceprint/Fft512.h"
#include "voiceprint/Spectrogram.h"
#include "voiceprint/VoiceprintAxes.h"

#include <array>

namespace tavrel {

namespace {

void PrintAt(Canvas& c, const AxisText& t) {
    c.CurrentX = t.x;
    c.CurrentY = t.y;
    c.Print(t.text);
}

} // namespace

void DrawVoiceprintAxes(Canvas& c, const AnalysisState& s) {
    const VoiceprintAxes a =
        LayOutVoiceprintAxes(c.Width(), c.Height(), s.VZoom, s.HZoom, s.SampleRate);
    const PlotFrame& f = a.frame;
    c.Cls();
    c.Box(f.PlotLeft, f.PlotBottom, f.PlotRight, f.PlotTop, Colors::Black);
    c.SetForeColor(Colors::Black);
    for (const AxisLine& t : a.ticks)
        c.Line(t.x1, t.y1, t.x2, t.y2, Colors::Black);
    c.SetFontSize(9);
    for (const AxisText& t : a.labels)
        PrintAt(c, t);
    c.SetFontSize(11);
    for (const AxisText& t : a.titles)
        PrintAt(c, t);
}

DrawingEnd DrawVoiceprint(Canvas& c, AnalysisState& s, const std::function<bool()>& yieldToUi) {
    s.VoiceStop = 0;
    DrawVoiceprintAxes(c, s);
    const SpectrogramPlan plan =
        PlanSpectrogram(c.Width(), c.Height(), s.VZoom, s.HZoom, s.SampleCount);
    if (plan.rows.empty())
        return DrawingEnd::Completed;

    // Work arrays of 513 entries, of which the transform uses 512.
    std::array<float, SpecSize> re{};
    std::array<float, SpecSize> im{};
    const SpectrumOut out{s.SpecRe, s.SpecIm, s.SpecMag};
    for (std::int32_t j = 0; j < plan.FrameCount; ++j) {
        WindowFrame(s.WaveData, j, re, im);
        Fft512(re, im, out);
        const CellColumn col = ColumnOf(plan, j);
        for (const CellRow& r : col.closing ? plan.closingRows : plan.rows) {
            const int g = GreyLevel(s.SpecMag[static_cast<std::size_t>(r.bin)]);
            c.FilledBox(col.xLeft, r.yBottom, col.xRight, r.yTop, QColor(g, g, g));
            if (r.yields && (yieldToUi() || s.VoiceStop == 1))
                return DrawingEnd::Stopped;
        }
        if (col.closing)
            return DrawingEnd::Completed;
    }
    return DrawingEnd::Completed;
}

} // namespace tavrel
