#pragma once
// The extras a user can switch on from the pictures' right-button menus. With
// every one off (the default) each window looks as it always has; one switched
// on stays on in the next run, so a teacher sets a room's machines up once.

#include <cstdint>

namespace tavrel {

// Which phases the synthesis window rebuilds the period with.
enum class PhaseSetting : std::uint8_t { Measured, Zero, Random };

struct ExtraSwitches {
    bool NoteNames = false;       // the magnified plot names the fundamental's note
    bool OverlayOriginal = false; // the synthesis window shows the marked period under the sum
    PhaseSetting Phases = PhaseSetting::Measured;
    // The random phases' seed, kept so that a reopened window shows the same.
    std::uint32_t PhaseSeed = 0;
    bool PointerReadout = false; // the voiceprint says what lies under the pointer
    bool HarmonicLines = false;  // the voiceprint marks the harmonics of the marked period

    bool operator==(const ExtraSwitches&) const = default;
};

// The user's settings (QSettings, organisation and application "Tavrel").
// A value that is missing or not one the program writes reads as its default.
ExtraSwitches LoadExtras();
void SaveExtras(const ExtraSwitches& extras);

} // namespace tavrel
