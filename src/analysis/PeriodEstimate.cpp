#include "analysis/PeriodEstimate.h"

#include "analysis/Magnify.h"
#include "state/Numbers.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <tuple>
#include <vector>

namespace tavrel {

namespace {

using Samples = std::vector<double>;

// The refinement looks at the region smoothed over this share of the
// period: white noise loses most of its power, the lower harmonics that
// shape the peak keep theirs, and a smoothed periodic wave keeps its period.
constexpr double SmoothShare = 1.0 / 8;

// Four running sums: a single one would be bound by the additions' latency.
double Dot(const double* a, const double* b, int count) {
    double r[4] = {0, 0, 0, 0};
    int j = 0;
    for (; j + 4 <= count; j += 4)
        for (int u = 0; u < 4; ++u)
            r[u] += a[j + u] * b[j + u];
    for (; j < count; ++j)
        r[0] += a[j] * b[j];
    return (r[0] + r[1]) + (r[2] + r[3]);
}

// The normalised square difference for lags 0 ... maxLag.
Samples Nsdf(const Samples& y, int maxLag) {
    const int n = int(y.size());
    Samples out(std::size_t(maxLag) + 1);
    double m = 2 * Dot(y.data(), y.data(), n);
    for (int lag = 0; lag <= maxLag; ++lag) {
        const int count = n - lag;
        out[std::size_t(lag)] = m > 0 ? 2 * Dot(y.data(), y.data() + lag, count) / m : 0;
        // The next overlap loses the last sample of the first copy and the
        // first of the second.
        m -= y[std::size_t(count - 1)] * y[std::size_t(count - 1)] +
             y[std::size_t(lag)] * y[std::size_t(lag)];
    }
    return out;
}

double NsdfAt(const Samples& y, int lag) {
    const int count = int(y.size()) - lag;
    const double m = Dot(y.data(), y.data(), count) + Dot(y.data() + lag, y.data() + lag, count);
    return m > 0 ? 2 * Dot(y.data(), y.data() + lag, count) / m : 0;
}

struct Peak {
    int lag;
    double value;
};

// The highest point of each positive lobe after the first negative stretch;
// a lobe cut off at the last lag counts only when it already turned down.
std::vector<Peak> KeyMaxima(const Samples& d) {
    std::vector<Peak> peaks;
    const int last = int(d.size()) - 1;
    int lag = 1;
    while (lag <= last && d[std::size_t(lag)] > 0)
        ++lag;
    Peak best{-1, 0};
    for (; lag <= last; ++lag) {
        const double v = d[std::size_t(lag)];
        if (v > 0 && (best.lag < 0 || v > best.value))
            best = {lag, v};
        if (v <= 0 && best.lag >= 0) {
            peaks.push_back(best);
            best = {-1, 0};
        }
    }
    if (best.lag >= 0 && best.lag < last)
        peaks.push_back(best);
    return peaks;
}

// The period near lag, between samples: the peak followed uphill on the
// smoothed region, then the vertex of the parabola through it and its
// neighbours. Noise moves a broad peak (a low voice) by more than a sample
// on the raw region.
double Refined(const Samples& y, int lag) {
    const int width = std::max(1, int(lag * SmoothShare));
    Samples z = y;
    if (int(y.size()) - width > lag + 2) {
        z.resize(y.size() - std::size_t(width) + 1);
        double sum = std::accumulate(y.begin(), y.begin() + width, 0.0);
        for (std::size_t j = 0; j < z.size(); ++j) {
            z[j] = sum / width;
            if (j + std::size_t(width) < y.size())
                sum += y[j + std::size_t(width)] - y[j];
        }
    }
    int at = lag;
    double a = NsdfAt(z, at - 1), b = NsdfAt(z, at), c = NsdfAt(z, at + 1);
    for (int step = 0; step < std::max(2, lag / 8); ++step) {
        if (a > b && a >= c && at - 2 >= 1) {
            --at;
            std::tie(a, b, c) = std::tuple(NsdfAt(z, at - 1), a, b);
        } else if (c > b && c > a && at + 2 < int(z.size())) {
            ++at;
            std::tie(a, b, c) = std::tuple(b, c, NsdfAt(z, at + 1));
        } else {
            break;
        }
    }
    const double curve = a - 2 * b + c;
    return at + (curve < 0 ? std::clamp(0.5 * (a - c) / curve, -0.5, 0.5) : 0.0);
}

// A crossing of the mean between samples i and i + 1, as a place for x1.
struct Crossing {
    int x1 = -1;          // the nearer sample; -1: none found
    bool matched = false; // a like crossing lies one period on
    bool clean = false;   // no other crossing within an eighth of a period
    double slope = 0;     // per sample, in the crossing's direction
};

bool Crosses(const Samples& y, int i, double dir) {
    return dir * y[std::size_t(i)] < 0 && dir * y[std::size_t(i) + 1] >= 0;
}

double CrossingAt(const Samples& y, int i) {
    return i + y[std::size_t(i)] / (y[std::size_t(i)] - y[std::size_t(i) + 1]);
}

// The best crossing in direction dir (+1 up, -1 down) within the first period
// that leaves room for x2 = x1 + P.
Crossing BestCrossing(const Samples& y, double period, int P, double dir) {
    const int n = int(y.size());
    const int guard = std::max(1, P / 8);
    Crossing best;
    for (int i = 0; i < P && i + P <= n - 1; ++i) {
        if (!Crosses(y, i, dir))
            continue;
        Crossing c;
        const double at = CrossingAt(y, i);
        c.x1 = std::min(int(RoundHalfEven(at)), n - 1 - P);
        for (int j = std::max(0, i + P - 2); j <= std::min(n - 2, i + P + 1); ++j)
            c.matched |= Crosses(y, j, dir) && std::fabs(CrossingAt(y, j) - at - period) <= 1;
        c.clean = true;
        for (int j = std::max(0, i - guard); j <= std::min(n - 2, i + guard); ++j)
            c.clean &= j == i || (y[std::size_t(j)] < 0) == (y[std::size_t(j) + 1] < 0);
        c.slope = dir * (y[std::size_t(i) + 1] - y[std::size_t(i)]);
        if (best.x1 < 0 || std::tuple(c.matched, c.clean, c.slope) >
                               std::tuple(best.matched, best.clean, best.slope))
            best = c;
    }
    return best;
}

} // namespace

PeriodSuggestion SuggestPeriod(std::span<const float> region) {
    PeriodSuggestion out;
    const int n = int(region.size());
    Samples y(region.begin(), region.end());
    double mean = 0;
    for (double v : y) {
        if (!std::isfinite(v))
            return out;
        mean += v;
    }
    mean /= std::max(n, 1);
    double level = 0;
    for (double& v : y) {
        v -= mean;
        level = std::max(level, std::fabs(v));
    }
    if (level < SilentLevel) {
        out.verdict = PeriodVerdict::Silent;
        return out;
    }

    const Samples d = Nsdf(y, std::min({n - 1, int(n / RegionPeriods), MaxPeriodSamples}));
    const std::vector<Peak> peaks = KeyMaxima(d);
    double highest = 0;
    for (const Peak& p : peaks)
        highest = std::max(highest, p.value);
    const auto pick = std::find_if(peaks.begin(), peaks.end(),
                                   [&](const Peak& p) { return p.value >= PeakPick * highest; });
    if (pick == peaks.end() || pick->value < ClearPeriod)
        return out;

    const double period = Refined(y, pick->lag);
    const int P = int(RoundHalfEven(period));
    if (P < ShortestPeriod || P > n - 1)
        return out;
    Crossing x = BestCrossing(y, period, P, 1);
    if (x.x1 < 0) // no upward crossing in reach: a downward one marks a period as well
        x = BestCrossing(y, period, P, -1);
    out.verdict = PeriodVerdict::Found;
    out.period = float(period);
    out.x1 = std::max(x.x1, 0);
    out.x2 = out.x1 + P;
    return out;
}

PeriodSuggestion SuggestPeriod(const AnalysisState& s) {
    const std::size_t n =
        std::min<std::size_t>(std::size_t(std::max(s.RegionLength, 0)), s.RegionData.size());
    return SuggestPeriod(std::span<const float>(s.RegionData.data(), n));
}

} // namespace tavrel
