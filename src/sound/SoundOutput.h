#pragma once
// The program's sound output: the one seam through which every window plays
// sound. The program uses PulseSoundOutput; tests put in a recording double,
// so no test needs a sound card.
//
// One sound at a time: each request, of either kind, first cuts off any
// sound still playing. A sound plays at its own sample rate, sample format
// and channel count (the audio server converts them for its device),
// whatever recording is loaded. No call waits without a bound, whatever the
// audio server does.

#include <QString>
#include <cstddef>
#include <cstdint>

namespace tavrel {

// What the windows say when a sound cannot be started: a silent playback
// would let a teacher believe the recording is silent.
inline const QString NoSoundMessage =
    QStringLiteral("音を再生できません。\nスピーカー（ヘッドホン）がつながっているか、"
                   "サウンドの設定で出力が有効になっているかを確かめてください。");

class SoundOutput {
public:
    virtual ~SoundOutput() = default;

    // Plays a whole WAV image held in memory (the bytes a .wav file would
    // hold) and returns once it has been heard to its end. Meanwhile windows
    // keep painting but take no clicks or keys; those wait and are handled
    // after the call returns. The bytes are copied: the caller may change
    // them as soon as the call has returned. Returns false, at once, when
    // nothing could be played (bytes the WAV reader refuses, no audio device
    // or server, a format the server cannot take); the wait is bounded by the
    // sound's length plus a margin even if the server stalls, and ends at
    // once, cutting the sound off, when the program is told to quit.
    virtual bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) = 0;

    // Starts playing a WAV file and returns at once, while it plays on; the
    // caller never learns when it ends. The file is read piece by piece as it
    // plays, so it must stay in place meanwhile. Returns true only once the
    // server has taken the sound; false when it could not be started (for
    // the same reasons as above).
    virtual bool StartPlayingFile(const QString& path) = 0;

    // Cuts off whatever plays and returns at once.
    virtual void StopSound() = 0;
};

} // namespace tavrel
