#pragma once
// Note names for a frequency: the nearest note of equal temperament with A4 =
// 440 Hz (MIDI 69) and how far the frequency lies from it, in cents. One text
// form serves every place that names a note, so the table, the voiceprint's
// pointer and the rebuild all read alike.

#include <QString>
#include <optional>

namespace tavrel {

// Frequencies a note is named for (Hz). Below and above lies what nobody hears
// as a pitch, and a name there would only mislead.
inline constexpr double NoteLowestHz = 16;
inline constexpr double NoteHighestHz = 20000;

struct Note {
    int midi = 0;  // MIDI note number: A4 = 69, C4 = 60
    int cents = 0; // whole cents above (+) or below (-) it: -50 ... +49
};

// The note nearest to hz. The offset from A4 is rounded to whole cents (halves
// to even) first and the note chosen from that, so the cents shown are always
// -50 ... +49 and a frequency on the boundary goes to the upper note's -50.
// Empty for hz <= 0, non-finite, or outside NoteLowestHz ... NoteHighestHz.
std::optional<Note> NearestNote(double hz);

// "ラ♯": the Japanese (fixed-do) name, sharps written with ♯.
QString NoteSolfege(int midi);
// "A♯4": the letter name with its octave, which changes between B and C (C4 = MIDI 60).
QString NoteLetter(int midi);
// "+0", "-12", "+49": the offset with an ASCII sign always written.
QString CentsText(int cents);

// "ラ♯ (A♯4) +0 セント" for 466.16 Hz; empty when NearestNote names nothing.
QString NoteText(double hz);

} // namespace tavrel
