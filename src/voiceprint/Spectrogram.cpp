#include "voiceprint/Spectrogram.h"

#include "state/Numbers.h"
#include "voiceprint/Fft512.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace tavrel {

namespace {

constexpr double Pi = 3.14159265358979; // the program's own decimal value

const std::array<double, FftSize>& HammingCoefficients() {
    static const std::array<double, FftSize> coefficients = [] {
        std::array<double, FftSize> c{};
        for (int k = 0; k < FftSize; ++k)
            c[k] = 0.54 - 0.46 * std::cos(2 * k * Pi / 511);
        return c;
    }();
    return coefficients;
}

CellRow Row(const CellArea& in, double yBottom, double yTop, int bin, bool yields) {
    return {static_cast<float>(in.Y(yBottom)), static_cast<float>(in.Y(yTop)), bin, yields};
}

} // namespace

CellArea CellAreaOf(const PlotFrame& f) {
    return {f.PlotLeft + 1.0, f.PlotRight - 1.0, f.PlotTop + 1.0, f.PlotBottom - 1.0};
}

void WindowFrame(std::span<const float> wave, std::int32_t frame, std::span<float> re,
                 std::span<float> im) {
    const std::size_t start = static_cast<std::size_t>(frame) * FftSize;
    if (re.size() < FftSize || im.size() < FftSize || frame < 0 || start + FftSize > wave.size())
        return;
    const std::array<double, FftSize>& c = HammingCoefficients();
    const float* x = wave.data() + start;
    for (int k = 0; k < FftSize; ++k) {
        re[k] = static_cast<float>(c[k] * x[k]);
        im[k] = 0;
    }
}

std::uint8_t GreyLevel(float magnitude) {
    const double g = 255 - Int(255 * std::sqrt(magnitude / MagRef));
    if (!(g > 0))
        return 0;
    return static_cast<std::uint8_t>(g);
}

SpectrogramPlan PlanSpectrogram(int width, int height, float vzoom, float hzoom,
                                std::int32_t sampleCount) {
    SpectrogramPlan p;
    p.frame = VoiceprintFrame(width, height);
    p.ColWidth = static_cast<float>(width * 3 / VoiceDesignWidth);
    // Not rounded, like ColWidth: the frequency ticks stand at H x 23 / 329
    // px per 0.5 kHz, so a row must be H x 2 / 329 px for a tone to lie at the
    // tick of its frequency on every size of window, not only on 329 px.
    p.RowHeight = static_cast<float>(height * 2 / VoiceDesignHeight);
    p.VZoom = vzoom;
    p.HZoom = hzoom;
    p.FrameCount = std::max<std::int32_t>(0, sampleCount / FftSize);

    const CellArea in = p.Cells();
    if (in.empty())
        return p; // no room for a single cell
    const double base = in.bottom;
    const double top = p.frame.PlotTop;
    const double rowStep = p.RowStep();

    // A regular column: full rows while they stay below the frame's top
    // edge, then one row cut off at it.
    for (int k = 0; k + 1 <= HighestBin; ++k) {
        const double yb = base - rowStep * k;
        const double yt = base - rowStep * (k + 1);
        if (yt > top) {
            p.rows.push_back(Row(in, yb, yt, k + 1, true));
        } else {
            p.rows.push_back(Row(in, yb, top + 1, k + 1, false));
            break;
        }
    }
    // The closing column looks one row further up before it draws a full
    // row, so its last box, up to the top edge, can be two rows tall.
    for (int i = 0; i + 1 <= HighestBin; ++i) {
        const double yb = base - rowStep * i;
        const double yt = base - rowStep * (i + 1);
        if (base - rowStep * (i + 2) > top) {
            p.closingRows.push_back(Row(in, yb, yt, i + 1, true));
        } else {
            p.closingRows.push_back(Row(in, yb, top + 1, i + 1, false));
            break;
        }
    }
    return p;
}

CellColumn ColumnOf(const SpectrogramPlan& p, std::int32_t frame) {
    const CellArea in = p.Cells();
    const double x0 = in.left;
    const double width = p.ColumnStep();
    const double xl = x0 + width * frame;
    const double xr = x0 + width * (frame + 1.0);
    const bool closing = xr >= p.frame.PlotRight;
    return {static_cast<float>(in.X(xl)), static_cast<float>(closing ? in.right : in.X(xr)),
            closing};
}

} // namespace tavrel
