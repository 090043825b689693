#include "synthesis/Restoration.h"

#include "state/Numbers.h"
#include "state/VectorState.h"
#include "synthesis/RebuildExtras.h"

#include <algorithm>
#include <cmath>

namespace tavrel {

void RebuildWave(const AnalysisState& s, int N, Restoration& r, PhaseChoice phases) {
    ClearUpperVectorState(); // up to 32,832 sine and cosine pairs follow
    const float P = s.PeriodSamples;
    N = std::clamp(N, 0, MaxSynthHarmonics);
    // Rounded and held in range before it becomes an int, NaN included.
    const double rounded = RoundHalfEven(P);
    const int T = rounded >= 0 ? int(std::min(rounded, double(MaxSynthPeriod))) : 0;
    r.T = T;
    std::fill(r.HarmWave.begin(), r.HarmWave.end(), 0.0f);
    r.RestoredWave.fill(0.0f);

    // The angle is formed exactly as written, (2 pi / P) n t in double
    // precision, so every value is what a student could work out by hand.
    const double radiansPerSample = 6.28318530717958 / double(P);
    for (int n = 1; n <= N; ++n) {
        double re = s.HarmRe[std::size_t(n)];
        double im = s.HarmIm[std::size_t(n)];
        if (phases.mode != PhaseSetting::Measured) {
            const double size = std::hypot(re, im);
            const double p = phases.mode == PhaseSetting::Random ? RandomPhase(phases.seed, n) : 0;
            re = size * std::cos(p);
            im = size * std::sin(p);
        }
        float* wave = r.Harmonic(n);
        for (int t = 0; t <= T; ++t) {
            const double a = radiansPerSample * n * t;
            wave[t] = static_cast<float>(re * std::cos(a) - im * std::sin(a));
        }
    }

    // Row by row: each sample still takes its harmonics in increasing n.
    for (int n = 1; n <= N; ++n) {
        const float* wave = r.Harmonic(n);
        for (int t = 0; t <= T; ++t)
            r.RestoredWave[std::size_t(t)] += wave[t];
    }

    float peak = 0;
    for (int t = 0; t <= T; ++t)
        if (std::fabs(r.RestoredWave[std::size_t(t)]) > peak)
            peak = std::fabs(r.RestoredWave[std::size_t(t)]);
    r.RestoredPeak = peak;
}

PeriodCurveGeometry PeriodCurveLayout(int width, int height) {
    PeriodCurveGeometry g;
    g.yc = int(Int(height / 2.0));
    g.x0 = int(Int(width * 30.0 / 250.0));
    g.span = int(Int(width * 190.0 / 250.0));
    g.amp = int(Int(height * 70.0 / 170.0));
    return g;
}

void PeriodCurveXs(const PeriodCurveGeometry& g, int T, float P, std::vector<double>& xs) {
    T = std::clamp(T, 0, MaxSynthPeriod);
    xs.resize(std::size_t(T) + 1);
    for (int t = 0; t <= T; ++t)
        xs[std::size_t(t)] = g.x0 + double(g.span) * t / double(P);
}

void PeriodCurvePoints(const PeriodCurveGeometry& g, const std::vector<double>& xs,
                       const float* values, float scale, std::vector<QPointF>& out) {
    out.resize(xs.size());
    const bool flat = scale == 0 || !std::isfinite(scale);
    for (std::size_t t = 0; t < xs.size(); ++t) {
        const double y = flat ? double(g.yc) : g.yc - g.amp * double(values[t]) / double(scale);
        out[t] = QPointF(xs[t], y);
    }
}

QString HarmCountText(int value) {
    const QString digits = QString::number(value);
    return value < 0 ? digits : QLatin1Char(' ') + digits;
}

int HarmCountFromText(const QString& text) {
    return std::clamp(int(RoundToInt16(LenientNumber(text))), 1, MaxSynthHarmonics);
}

} // namespace tavrel
