#include "state/NoteNames.h"

#include "state/Numbers.h"

#include <cmath>

namespace tavrel {

namespace {

constexpr int A4Midi = 69;
constexpr double A4Hz = 440;

const char* const Solfege[12] = {"ド",    "ド♯", "レ",  "レ♯", "ミ",  "ファ",
                                 "ファ♯", "ソ",  "ソ♯", "ラ",  "ラ♯", "シ"};
const char* const Letters[12] = {"C", "C♯", "D", "D♯", "E", "F", "F♯", "G", "G♯", "A", "A♯", "B"};

// Pitch class 0 (C) ... 11 (B), also for numbers below 0.
int PitchClass(int midi) {
    return ((midi % 12) + 12) % 12;
}

} // namespace

std::optional<Note> NearestNote(double hz) {
    if (!(hz >= NoteLowestHz && hz <= NoteHighestHz)) // also refuses NaN
        return std::nullopt;
    const int fromA4 = static_cast<int>(RoundHalfEven(1200 * std::log2(hz / A4Hz)));
    // Notes sit every 100 cents; -50 belongs to the upper note, +50 to the next.
    const int steps = static_cast<int>(Int((fromA4 + 50) / 100.0));
    return Note{A4Midi + steps, fromA4 - 100 * steps};
}

QString NoteSolfege(int midi) {
    return QString::fromUtf8(Solfege[PitchClass(midi)]);
}

QString NoteLetter(int midi) {
    const int octave = static_cast<int>(Int(midi / 12.0)) - 1;
    return QString::fromUtf8(Letters[PitchClass(midi)]) + QString::number(octave);
}

QString CentsText(int cents) {
    return (cents < 0 ? QString() : QStringLiteral("+")) + QString::number(cents);
}

QString NoteText(double hz) {
    const std::optional<Note> n = NearestNote(hz);
    if (!n)
        return {};
    return NoteSolfege(n->midi) + QStringLiteral(" (") + NoteLetter(n->midi) +
           QStringLiteral(") ") + CentsText(n->cents) + QString::fromUtf8(" セント");
}

} // namespace tavrel
