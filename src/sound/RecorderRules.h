#pragma once
// The recorder's fixed choices and what its window shows, without a window:
// the rate it records at, how long it may run, the level meter's reading and
// the name a recording is saved under.

#include <QString>
#include <cstddef>
#include <cstdint>
#include <span>

class QDateTime;

namespace tavrel {

// The rate the voiceprint's scales were drawn up for, mono, 16-bit.
inline constexpr int RecorderRate = 22050;          // samples per second
inline constexpr int RecorderLongestSeconds = 60;   // recording stops by itself here
inline constexpr std::size_t RecorderLongestSamples =
    std::size_t(RecorderRate) * RecorderLongestSeconds;
inline constexpr int RecorderLevelFloorDb = -60;    // the meter's empty end, dB of full scale

// The meter's reading for a fragment of samples, 0 ... 100: the fragment's
// peak on a decibel scale from RecorderLevelFloorDb (0) to full scale (100),
// so that a quiet voice still moves it.
int LevelPercent(std::span<const std::int16_t> fragment);

// "録音 2026-12-07 09.41.05.wav": sortable, free of characters that some file
// systems refuse, and shown whole by the file-name label, which breaks it at
// its spaces.
QString RecordingFileName(const QDateTime& at);

// "12.3 秒 / 60 秒" for the samples recorded so far.
QString ElapsedText(std::int64_t samples);

// The folder as the window names it: "~/Music/Tavrel" inside the home folder
// (and only there: "/home/anna2" is not inside "/home/anna"), else whole.
QString ShortFolderName(const QString& folder, const QString& home);

} // namespace tavrel
