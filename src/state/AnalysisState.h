#pragma once
// The one body of state that every window reads and writes. It is plain data:
// the step flags say how far the user has come, and each handler checks the
// flag of the step before it.

#include "state/Extras.h"
#include "state/FloatArray.h"

#include <array>
#include <cstdint>
#include <optional>
#include <QString>
#include <vector>

namespace tavrel {

constexpr int SpecSize = 513;      // index 0 ... 512
constexpr int PeriodCapacity = 1501; // index 0 ... 1500

struct AnalysisState {
    // Program-wide state.
    std::int16_t RefLevel = 128;
    std::int16_t AmpNormalize = 1;
    float HarmMax = 0;
    float PeriodSamples = 0;
    std::vector<std::uint8_t> SynthWav;
    std::int32_t SynthDataLen = 0;
    FloatArray WaveData;
    // Full path of the recording in WaveData, as accepted in the open-file
    // dialog; empty before any recording was loaded.
    QString FileName;
    // Samples per second of the recording in WaveData, from its header; 0
    // before any recording was loaded.
    std::uint32_t SampleRate = 0;
    std::array<float, SpecSize> SpecMag{};
    std::array<float, SpecSize> HarmAmp{};
    std::int32_t SampleCount = 0;
    std::array<float, SpecSize> SpecRe{};
    std::array<float, SpecSize> HarmRe{};
    std::array<float, SpecSize> SpecIm{};
    std::array<float, SpecSize> HarmIm{};
    std::int16_t VoiceStop = 0;
    float VZoom = 0;
    float HZoom = 0;
    // Loaded by the main window as it opens, saved by the window whose menu
    // changes one; every window reads its own.
    ExtraSwitches Extras;

    // Main-window state.
    float AmpRatio = 0.7f;
    std::int16_t WavePeak = 0;
    std::int16_t WaveLoaded = 0;
    std::int16_t RegionChosen = 0;
    std::int16_t MarkPhase = 2;
    std::int16_t FftDone = 0;
    std::int16_t PeriodReady = 0;
    std::optional<float> MarkX1; // empty until first set; reads as 0
    std::optional<float> MarkX2;
    std::optional<float> RegionX;
    // Where the magnified region starts in WaveData and how many samples of it
    // RegionData holds (the magnified plot's width + 1, or fewer at the end
    // of a short recording). The plots are drawn again from these when the
    // window changes size.
    std::int32_t RegionStartSample = 0;
    std::int32_t RegionLength = 0;
    float PeriodSec = 0;
    float FundFreq = 0;
    FloatArray FftImag;
    FloatArray RegionData;
    std::array<float, PeriodCapacity> PeriodData{}; // an empty entry reads as 0
    std::array<float, SpecSize> FftReal{};
};

} // namespace tavrel
