#include "sound/PlaybackProgress.h"

#include "state/Numbers.h"

namespace tavrel {

namespace {

constexpr double StepSeconds = PlaybackStepMs / 1000.0;
// The time the plot's width spans at HZoom 1 for a 22050 Hz recording: 430
// pixels of 3 pixels per 512-sample frame.
constexpr double VoiceprintSpanSeconds = 3.328;
constexpr double DesignRate = 22050; // Hz

} // namespace

WholeWaveBar PlanWholeWaveBar(std::int32_t sampleCount, double sampleRate, int width) {
    WholeWaveBar bar;
    bar.maximum = width;
    // With fewer than two samples there is no playing time to spread over
    // the bar, and the steps would never reach its end.
    if (sampleCount < 2 || !(sampleRate > 0) || width <= 0)
        return bar;
    bar.secPerPixel = (sampleCount - 1.0) / sampleRate / width;
    bar.moves = true;
    return bar;
}

std::optional<int> WholeWaveBarAt(const WholeWaveBar& bar, int step) {
    if (!bar.moves)
        return std::nullopt;
    const double pos = Int(StepSeconds * step / bar.secPerPixel);
    if (pos > bar.maximum)
        return std::nullopt;
    return static_cast<int>(pos);
}

VoiceprintBar PlanVoiceprintBar(std::int32_t sampleCount, double sampleRate, float hzoom, int x0,
                                int x1, int maximum) {
    VoiceprintBar bar;
    bar.maximum = maximum;
    if (!(sampleRate > 0) || !(hzoom > 0) || x1 <= x0)
        return bar; // seconds 0: no step
    // The span is that of a 22050 Hz recording; at another rate the same
    // columns hold 22050 / rate times as many seconds.
    bar.secPerPixel =
        static_cast<float>(VoiceprintSpanSeconds / hzoom * (DesignRate / sampleRate) / (x1 - x0));
    bar.seconds = (sampleCount - 1.0) / sampleRate;
    return bar;
}

std::optional<int> VoiceprintBarAt(const VoiceprintBar& bar, int step) {
    if (!(bar.seconds > StepSeconds * (step - 1)) || !(bar.secPerPixel > 0))
        return std::nullopt;
    const double v = Int(StepSeconds * step / bar.secPerPixel);
    if (bar.maximum < v)
        return std::nullopt;
    return static_cast<int>(v);
}

} // namespace tavrel
