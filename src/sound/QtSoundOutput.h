#pragma once
// SoundOutput through Qt Multimedia's QAudioSink, that is through the
// desktop's audio server (PulseAudio or PipeWire on Linux). WAV data are
// parsed by the program's own reader, so whatever it loads also plays.

#include "sound/SoundOutput.h"

#include <QTimer>
#include <cstdint>
#include <memory>
#include <vector>

class QAudioSink;

namespace tavrel {

struct LoadedWave;

class QtSoundOutput final : public SoundOutput {
public:
    QtSoundOutput();
    ~QtSoundOutput() override; // cuts off a sound still playing

    bool PlayImageAndWait(const std::uint8_t* image, std::size_t size) override;
    bool StartPlayingFile(const QString& path) override;

private:
    struct Playback;
    struct CachedSink;
    // Starts `source` (a WAV file or image) playing as the current sound.
    bool Start(std::unique_ptr<QIODevice> source, const LoadedWave& wave);
    void StopCurrent();

    std::unique_ptr<Playback> m_current;
    // Counts the requests, so that a wait notices when a request made from
    // inside it (by a timer, say) has replaced its sound.
    std::uint64_t m_requests = 0;
    // Releases the device once a file started without waiting has been heard.
    QTimer m_watch;
    // One sink per device format, kept for the whole run: Qt's sink handles
    // pending events (user input included) in its destructor, which must not
    // happen in the middle of a request.
    std::vector<std::unique_ptr<CachedSink>> m_sinks;
};

} // namespace tavrel
