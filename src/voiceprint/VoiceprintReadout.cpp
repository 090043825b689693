#include "voiceprint/VoiceprintReadout.h"

#include "state/NoteNames.h"
#include "state/Numbers.h"
#include "voiceprint/Fft512.h"


namespace tavrel {

namespace {

double RowStep(const SpectrogramPlan& p) {
    return double(p.VZoom) * double(p.RowHeight);
}

// The cells' area: inside the frame, one pixel in from each of its lines.
bool InCells(const PlotFrame& f, double x, double y) {
    return x >= f.PlotLeft + 1 && x <= f.PlotRight - 1 && y >= f.PlotTop + 1 &&
           y <= f.PlotBottom - 1;
}

double Base(const SpectrogramPlan& p) {
    return p.frame.PlotBottom - 1.0;
}

} // namespace

VoiceprintPoint ReadVoiceprint(const SpectrogramPlan& plan, double x, double y, double sampleRate) {
    VoiceprintPoint p;
    const PlotFrame& f = plan.frame;
    const double colStep = double(plan.HZoom) * double(plan.ColWidth);
    const double rowStep = RowStep(plan);
    if (!InCells(f, x, y) || !(colStep > 0 && rowStep > 0))
        return p;
    const double row = Int((Base(plan) - y) / rowStep);
    if (row >= HighestBin)
        return p; // above the last bin: left white
    const double rate = VoiceprintRate(sampleRate);
    p.bin = int(row) + 1;
    p.hz = p.bin * rate / FftSize;
    p.seconds = (x - (f.PlotLeft + 1.0)) / colStep * FftSize / rate;
    p.inside = true;
    return p;
}

VoiceprintPoint ReadVoiceprint(int width, int height, float vzoom, float hzoom, double x, double y,
                               double sampleRate) {
    return ReadVoiceprint(PlanSpectrogram(width, height, vzoom, hzoom, 0), x, y, sampleRate);
}

QString VoiceprintReadoutText(const VoiceprintPoint& p) {
    if (!p.inside)
        return {};
    const QString gap = QString::fromUtf8("　");
    QString text = FormatFixed2(p.seconds) + QString::fromUtf8(" 秒") + gap + FormatWhole(p.hz) +
                   QStringLiteral(" Hz");
    const QString note = NoteText(p.hz);
    return note.isEmpty() ? text : text + gap + note;
}

std::optional<double> VoiceprintRowY(const SpectrogramPlan& plan, double hz, double sampleRate) {
    const double bin = RoundHalfEven(hz * FftSize / VoiceprintRate(sampleRate));
    const double y = Base(plan) - RowStep(plan) * (bin - 0.5);
    // Bins from 0 down would lie under the cells; those above HighestBin have no row.
    if (!(bin <= HighestBin) || !InCells(plan.frame, plan.frame.PlotLeft + 1, y))
        return std::nullopt;
    return y;
}

std::vector<double> HarmonicLineYs(const SpectrogramPlan& plan, double fundHz, double sampleRate) {
    // Ends at the first line off the cells, so at once for a fundamental
    // whose bin rounds to 0 or none at all.
    std::vector<double> ys;
    for (int k = 1;; ++k) {
        const std::optional<double> y = VoiceprintRowY(plan, k * fundHz, sampleRate);
        if (!y)
            return ys;
        ys.push_back(*y);
    }
}

} // namespace tavrel
