#include "wavein/WholeWavePlot.h"

#include "ui/Canvas.h"
#include "ui/Palette.h"
#include "wavein/WholeWaveGeometry.h"

#include <QPointF>
#include <vector>

namespace tavrel {

void DrawWholeWavePolyline(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                           float ampRatio) {
    canvas.SetForeColor(Colors::LightRed);
    const std::vector<WavePoint> points =
        WholeWavePoints(wave.data(), std::int64_t(wave.size()), wavePeak, canvas.Width(),
                        canvas.Height(), ampRatio);
    std::vector<QPointF> line;
    line.reserve(points.size());
    for (const WavePoint& p : points)
        line.emplace_back(p.x, p.y);
    // One point alone is set as a single pixel; more are joined.
    canvas.Polyline(line.data(), line.size(), Colors::LightRed);
}

void DrawWholeWaveColumns(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak,
                          float ampRatio) {
    canvas.SetForeColor(Colors::LightRed);
    const WholeWaveColumns c = ReduceWholeWave(wave.data(), std::int64_t(wave.size()), wavePeak,
                                               canvas.Width(), canvas.Height(), ampRatio);
    std::vector<ColumnSpan> spans;
    spans.reserve(c.spans.size());
    for (const WaveColumn& s : c.spans)
        spans.push_back({s.x, s.yTop, s.yBottom});
    canvas.VerticalSpans(spans.data(), spans.size(), Colors::LightRed);
    // The segments between columns are few (about one per column) and drawn
    // by the same line rasteriser as the polyline, so their slanted steps
    // land on the very same pixels.
    for (std::size_t k = 0; k + 1 < c.joins.size(); k += 2)
        canvas.Line(c.joins[k].x, c.joins[k].y, c.joins[k + 1].x, c.joins[k + 1].y,
                    Colors::LightRed);
}

void DrawWholeWave(Canvas& canvas, const FloatArray& wave, std::int16_t wavePeak, float ampRatio) {
    if (WholeWaveByColumns(std::int64_t(wave.size()), canvas.Width()))
        DrawWholeWaveColumns(canvas, wave, wavePeak, ampRatio);
    else
        DrawWholeWavePolyline(canvas, wave, wavePeak, ampRatio);
}

} // namespace tavrel
