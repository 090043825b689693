// libFuzzer target for the entry that opens recordings of every kind (WAV
// through our reader, all else through FFmpeg) over bytes in memory, built
// with AddressSanitizer and UndefinedBehaviorSanitizer by scripts/fuzz.sh.
//
// Beyond not crashing, hanging or leaking: an accepted wave is whole, finite
// and on the 16-bit scale, with the peak the reader would give it; a refusal
// leaves no wave; a WAV file the reader takes gets the reader's answer; a
// load told to stop says it was cancelled.
#include "FuzzCheck.h"
#include "wavein/AudioFile.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

extern "C" {
#include <libavutil/log.h>
}

using namespace tavrel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET); // what FFmpeg conceals is no finding
    return 0;
}

// Bytes 4 and 5 choose the zero level; the length chooses whether, and at
// which call, the progress callback asks to stop.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int16_t ref = size >= 6 ? std::int16_t(data[4] | data[5] << 8) : 128;
    const int stopAt = size % 4 == 3 ? int(size / 4 % 3) : -1;
    int calls = 0;
    bool stopped = false;
    double last = 0;
    const WavLoadResult r = LoadRecordingBytes(data, size, ref, [&](double fraction) {
        Require(fraction >= last && fraction <= 1, "progress went back or past the end");
        last = fraction;
        stopped = calls++ == stopAt;
        return !stopped;
    });
    const LoadedWave& w = r.wave;
    Require(!stopped || r.error == WavError::Cancelled, "a load told to stop went on");

    if (r.error == WavError::None) {
        const WavFormat& f = w.format;
        Require(w.SampleCount >= 2, "fewer than two frames accepted");
        Require(w.WaveData.size() == std::size_t(w.SampleCount), "WaveData not SampleCount long");
        Require(f.channels >= 1 && f.sampleRate >= 1 && f.bitsPerSample >= 1, "format empty");
        Require(last == 1, "no word that the load was done");
        float peak = 0;
        for (float v : w.WaveData) {
            Require(std::isfinite(v) && v >= -32767 && v <= 33023, "sample out of range");
            peak = std::max(peak, std::fabs(v));
        }
        Require(std::fabs(w.WavePeak - std::min(peak, 32767.0f)) <= 0.5f, "WavePeak off");
    } else {
        Require(w.WaveData.empty(), "WaveData kept after a refusal");
    }

    if (size >= 12 && std::memcmp(data, "RIFF", 4) == 0 && std::memcmp(data + 8, "WAVE", 4) == 0 &&
        !stopped) {
        const WavLoadResult wav = LoadWavBytes(data, size, ref);
        if (wav.error != WavError::UnsupportedFormat)
            Require(wav.error == r.error && wav.wave.WaveData == w.WaveData,
                    "a WAV file the reader takes answered otherwise");
    }
    return 0;
}
