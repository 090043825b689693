#pragma once
// Taking a freshly read recording into the shared state.

#include "state/AnalysisState.h"
#include "wavein/WavReader.h"

namespace tavrel {

// Moves the recording into WaveData and gives RegionData and FftImag its
// length (FftImag all zeros). Every array is allocated before anything is
// replaced, so a recording too big for memory leaves the previous one whole:
// then OutOfMemory comes back and the state is untouched. Step flags are the
// caller's.
WavError AdoptRecording(AnalysisState& s, LoadedWave&& wave);

} // namespace tavrel
