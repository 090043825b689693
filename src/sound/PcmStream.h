#pragma once
// The sample frames of a WAV file or image as a readable device, converted
// to the layout the audio device was opened with, for the device to pull
// from while it plays. Only a piece is held at a time, so a file of an hour
// costs no more memory than one of a second.

#include "sound/PcmFormat.h"

#include <QIODevice>
#include <cstdint>
#include <memory>
#include <vector>

namespace tavrel {

class PcmStream final : public QIODevice {
    Q_OBJECT
public:
    // `source` is open for reading and holds `frames` frames of layout `from`
    // from byte `dataOffset` on. Open the stream with ReadOnly | Unbuffered.
    PcmStream(std::unique_ptr<QIODevice> source, std::uint64_t dataOffset, std::int64_t frames,
              PcmLayout from, PcmLayout to, QObject* parent = nullptr);

    // QIODevice: random access with a known size, so that the audio device
    // can shorten its pre-buffering for a sound shorter than its buffer.
    bool isSequential() const override { return false; }
    qint64 size() const override;

protected:
    // QIODevice. Reads whole frames only; a file that has become shorter
    // than its header said ends the stream early.
    qint64 readData(char* data, qint64 maxSize) override;
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::unique_ptr<QIODevice> m_source;
    std::uint64_t m_dataOffset;
    std::int64_t m_frames;
    PcmLayout m_from, m_to;
    std::vector<std::uint8_t> m_piece; // raw bytes of one piece before conversion
};

} // namespace tavrel
