// libFuzzer target for the entry that opens recordings of every kind (WAV
// through our reader, all else through FFmpeg) over bytes in memory, built
// with AddressSanitizer and UndefinedBehaviorSanitizer by scripts/fuzz.sh.
//
// Beyond not crashing, hanging or leaking: every answer is checked as the WAV
// reader's are (RequireAnswer); an accepted one has a format and its progress
// reached 1; a load told to stop says it was cancelled and asks nothing more.
#include "FuzzCheck.h"
#include "wavein/AudioFile.h"

extern "C" {
#include <libavutil/log.h>
}

using namespace tavrel;

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    av_log_set_level(AV_LOG_QUIET); // what FFmpeg conceals is no finding
    return 0;
}

// Bytes 4 and 5 choose the zero level; the length chooses whether the
// progress callback asks to stop at its first call or its second. A fast load
// makes no more than two (at 0 and at 1), so a later one would never come.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::int16_t ref = size >= 6 ? std::int16_t(data[4] | data[5] << 8) : 128;
    const int stopAt = size % 4 == 3 ? int(size / 4 % 2) : -1;
    int calls = 0;
    bool stopped = false;
    double last = 0;
    const WavLoadResult r = LoadRecordingBytes(data, size, ref, [&](double fraction) {
        Require(!stopped, "progress asked after a stop");
        Require(fraction >= last && fraction <= 1, "progress went back or past the end");
        last = fraction;
        if (calls++ == stopAt)
            stopped = true;
        return !stopped;
    });
    Require(!stopped || r.error == WavError::Cancelled, "a load told to stop went on");

    RequireAnswer(r);
    if (r.error == WavError::None) {
        const WavFormat& f = r.wave.format;
        Require(f.channels >= 1 && f.sampleRate >= 1 && f.bitsPerSample >= 1, "format empty");
        Require(last == 1, "no word that the load was done");
    }
    return 0;
}
