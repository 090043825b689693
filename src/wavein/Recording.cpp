#include "wavein/Recording.h"

#include <new>
#include <stdexcept>
#include <utility>

namespace tavrel {

WavError AdoptRecording(AnalysisState& s, LoadedWave&& wave) {
    FloatArray region;
    FloatArray imag;
    try {
        const auto n = static_cast<std::size_t>(wave.SampleCount);
        region = FloatArray(n);
        imag = FloatArray(n);
    } catch (const std::bad_alloc&) {
        return WavError::OutOfMemory;
    } catch (const std::length_error&) {
        return WavError::OutOfMemory;
    }
    s.SampleCount = wave.SampleCount;
    s.WaveData = std::move(wave.WaveData);
    s.RegionData = std::move(region);
    s.FftImag = std::move(imag);
    s.WavePeak = wave.WavePeak;
    s.RegionStartSample = 0;
    s.RegionLength = 0;
    return WavError::None;
}

} // namespace tavrel
