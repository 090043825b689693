#include "voiceprint/VoiceprintReadout.h"

#include "state/NoteNames.h"
#include "state/Numbers.h"
#include "voiceprint/Fft512.h"

namespace tavrel {

VoiceprintPoint ReadVoiceprint(const SpectrogramPlan& plan, double x, double y, double sampleRate) {
    VoiceprintPoint p;
    const CellArea cells = plan.Cells();
    const double colStep = plan.ColumnStep();
    const double rowStep = plan.RowStep();
    if (!cells.Contains(x, y) || !(colStep > 0 && rowStep > 0))
        return p;
    const double row = Int((cells.bottom - y) / rowStep);
    if (row >= HighestBin)
        return p; // above the last bin: left white
    const double rate = VoiceprintRate(sampleRate);
    p.bin = int(row) + 1;
    p.hz = p.bin * rate / FftSize;
    p.seconds = (x - cells.left) / colStep * FftSize / rate;
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
    const CellArea cells = plan.Cells();
    const double bin = RoundHalfEven(hz * FftSize / VoiceprintRate(sampleRate));
    const double y = cells.bottom - plan.RowStep() * (bin - 0.5);
    // Bins from 0 down would lie under the cells; those above HighestBin have no row.
    if (!(bin <= HighestBin) || !cells.Contains(cells.left, y))
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
