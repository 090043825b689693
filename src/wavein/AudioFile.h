#pragma once
// Opening a recording of any common kind: WAV, FLAC, MP3, Ogg Vorbis and
// Opus, M4A (AAC, ALAC), AIFF, and the sound of WebM, MKV and MP4 videos.
// The kind is told by the file's content, never by its name.
//
// A file that begins "RIFF" ... "WAVE" is read by the program's own WAV
// reader (WavReader.h), with its words for what is wrong with a broken one;
// only an encoding that reader does not decode (mu-law, A-law, ADPCM, ...)
// goes on to FFmpeg, as does every other file.
//
// Of a recording decoded by FFmpeg the first channel enters WaveData on the
// scale of 16-bit data: a sample s of full scale +-1 becomes
// (s x 32768 - refLevel) / 64, as in a 32-bit float WAV file; WavePeak is
// the largest magnitude rounded as the WAV reader rounds it. The format
// gives the stream's channels and sample rate and the depth the format
// stores (FLAC, ALAC, PCM), or 16 for a lossy codec; its other fields are 0.

#include "wavein/LoadProgress.h"
#include "wavein/WavReader.h"

#include <QString>
#include <cstddef>
#include <cstdint>

namespace tavrel {

// Loads a whole recording: the result is ready for AdoptRecording. Safe to
// call on a worker thread (one load per call; nothing is shared between
// calls), with `progress` called on that thread. Memory: WaveData and a few
// hundred kilobytes, never the whole decoded sound of every channel.
//
// Besides the WAV reader's errors: CannotOpen (unreadable), UnrecognisedFormat
// (neither a WAV nor anything FFmpeg knows), NoAudio (a known kind of file,
// a video without a sound track for instance, from which no sound could be
// decoded), BadHeader (an absurd sample rate or channel count), DataTruncated
// (a WAV file's sound ends well before its header says; a recording of
// another kind cut short loads what it holds, as players play it), TooFewFrames,
// TooLarge, OutOfMemory, Cancelled. A WAV file whose encoding FFmpeg does not
// know either keeps the WAV reader's UnsupportedFormat.
WavLoadResult LoadRecordingFile(const QString& path, std::int16_t refLevel,
                                const LoadProgress& progress = {});
// The same over bytes in memory (tests, fuzzing).
WavLoadResult LoadRecordingBytes(const std::uint8_t* data, std::size_t size, std::int16_t refLevel,
                                 const LoadProgress& progress = {});

} // namespace tavrel
