#include "synthesis/SynthSound.h"

#include "wavein/WavWriter.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace tavrel {

std::vector<std::uint8_t> NewSynthImage() {
    std::vector<std::uint8_t> w(SynthArrayBytes, 0);
    std::uint8_t* h = w.data();
    std::memcpy(h + 0, "RIFF", 4);
    PutLE32(h + 4, std::uint32_t(SynthImageBytes - 8));
    std::memcpy(h + 8, "WAVE", 4);
    std::memcpy(h + 12, "fmt ", 4);
    PutLE32(h + 16, 18);
    PutLE16(h + 20, 1); // PCM
    PutLE16(h + 22, 1); // mono
    PutLE32(h + 24, SynthRate);
    PutLE32(h + 28, SynthRate); // bytes per second at one byte a sample
    PutLE16(h + 32, 1);         // block alignment
    PutLE16(h + 34, 8);         // bits per sample
    PutLE16(h + 36, 1157);
    std::memcpy(h + 38, "fact", 4);
    PutLE32(h + 42, 4);
    PutLE32(h + 46, std::uint32_t(SynthSampleBytes));
    std::memcpy(h + 50, "data", 4);
    PutLE32(h + 54, std::uint32_t(SynthSampleBytes));
    return w;
}

void WriteSynthSamples(std::vector<std::uint8_t>& image, const float* restoredWave, int L) {
    if (image.size() < SynthImageBytes || L < 1)
        return;
    L = std::min(L, int(SynthSampleBytes));
    float pk = 0;
    for (int t = 0; t < L; ++t)
        if (std::fabs(restoredWave[t]) > pk)
            pk = std::fabs(restoredWave[t]);

    // Every value lies within the peak, so the levels stay within -100 ... 100.
    const bool silent = !(pk > 0 && std::isfinite(pk));
    std::uint8_t* data = image.data() + SynthHeaderBytes;
    for (int j = 0; j < L; ++j) {
        const double level =
            silent ? 0.0 : std::floor(double(restoredWave[j]) / double(pk) * 100 + 0.5);
        data[j] = std::uint8_t(int(level) + 128);
    }
    for (int k = L; k < SynthSampleBytes; ++k)
        data[k] = data[k % L];
}

} // namespace tavrel
