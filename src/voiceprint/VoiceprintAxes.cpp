#include "voiceprint/VoiceprintAxes.h"

#include "state/Numbers.h"

#include <QSet>

namespace tavrel {

namespace {

std::int16_t Scaled(int size, double design, double value) {
    return static_cast<std::int16_t>(Int(size * value / design));
}

} // namespace

int TimeLabelDecimals(const std::vector<double>& seconds) {
    // At the design rate the steps are whole tenths and one decimal is
    // always enough; other rates give steps like 0.05 or 0.0459 s.
    constexpr int MostDecimals = 4;
    for (int d = 1; d < MostDecimals; ++d) {
        QSet<QString> texts{FormatFixed(0, d)};
        for (double s : seconds)
            texts.insert(FormatFixed(s, d));
        if (texts.size() == qsizetype(seconds.size()) + 1)
            return d;
    }
    return MostDecimals;
}

double VoiceprintRate(double sampleRate) {
    return sampleRate > 0 ? sampleRate : VoiceDesignRate;
}

PlotFrame VoiceprintFrame(int width, int height) {
    PlotFrame f;
    f.PlotLeft = Scaled(width, VoiceDesignWidth, 60);
    f.PlotRight = Scaled(width, VoiceDesignWidth, 490);
    f.PlotBottom = Scaled(height, VoiceDesignHeight, 292);
    f.PlotTop = Scaled(height, VoiceDesignHeight, 15);
    f.FreqStep = static_cast<float>(height * 23 / VoiceDesignHeight);
    f.TimeStep = static_cast<float>(width * 13 / VoiceDesignWidth);
    return f;
}

VoiceprintAxes LayOutVoiceprintAxes(int width, int height, float vzoom, float hzoom,
                                    double sampleRate) {
    VoiceprintAxes a;
    const PlotFrame f = a.frame = VoiceprintFrame(width, height);
    // At the design rate both factors are exactly 1, so the labels are the
    // very figures of a 22050 Hz recording.
    const double rate = VoiceprintRate(sampleRate);
    const double kHzPerDesignKHz = rate / VoiceDesignRate;
    const double secPerDesignSec = VoiceDesignRate / rate;

    // Frequency: a tick every 0.5 kHz at zoom 1 (design rate), long and
    // labelled every other one; none at the origin.
    const double labelX = Int(width * 30 / VoiceDesignWidth);
    const double freqStep = f.FreqStep;
    for (int i = 1; f.PlotBottom - freqStep * i >= f.PlotTop; ++i) {
        const double y = f.PlotBottom - freqStep * i;
        if (i % 2 == 0) {
            a.ticks.push_back({f.PlotLeft - 4.0, y, double(f.PlotLeft), y});
            a.labels.push_back({labelX, y - 5, FormatFixed2(i / 2.0 / vzoom * kHzPerDesignKHz)});
        } else {
            a.ticks.push_back({f.PlotLeft - 2.0, y, double(f.PlotLeft), y});
        }
    }

    // Time: the loop runs over half steps, which the short ticks mark every
    // 0.2 s; long ticks and labels stand at whole steps every 0.4 s, so the
    // later ones fall beyond the plot, most beyond the picture.
    const double half = f.TimeStep / 2.0;
    const double step = f.TimeStep;
    std::vector<double> seconds;
    for (int i = 1; f.PlotLeft + half * i < f.PlotRight; ++i) {
        if (i % 4 != 0)
            continue;
        const double shortX = f.PlotLeft + half * i;
        const double longX = f.PlotLeft + step * i;
        a.ticks.push_back({shortX, double(f.PlotBottom), shortX, f.PlotBottom + 2.0});
        a.ticks.push_back({longX, double(f.PlotBottom), longX, f.PlotBottom + 4.0});
        a.labels.push_back({longX - 4, f.PlotBottom + 5.0, {}});
        seconds.push_back(i / 10.0 / hzoom * secPerDesignSec);
    }
    const int decimals = TimeLabelDecimals(seconds);
    for (std::size_t k = 0; k < seconds.size(); ++k)
        a.labels[a.labels.size() - seconds.size() + k].text = FormatFixed(seconds[k], decimals);

    const auto at = [&](double x, double y, const char* text) {
        a.titles.push_back({Int(width * x / VoiceDesignWidth), Int(height * y / VoiceDesignHeight),
                            QString::fromUtf8(text)});
    };
    at(7, 90, "振");
    at(7, 105, "動");
    at(7, 120, "数");
    at(2, 135, "[kHz]");
    at(240, 308, "時  間 [秒]");
    return a;
}

} // namespace tavrel
