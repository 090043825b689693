#include "sound/PcmStream.h"

#include <algorithm>

namespace tavrel {

namespace {
// Frames converted per read: a few hundred milliseconds at the usual rates,
// far more than the audio device asks for at once.
constexpr std::int64_t PieceFrames = 8192;
} // namespace

PcmStream::PcmStream(std::unique_ptr<QIODevice> source, std::uint64_t dataOffset,
                     std::int64_t frames, PcmLayout from, PcmLayout to, QObject* parent)
    : QIODevice(parent), m_source(std::move(source)), m_dataOffset(dataOffset),
      m_frames(std::max<std::int64_t>(0, frames)), m_from(from), m_to(to) {}

qint64 PcmStream::size() const {
    return m_frames * qint64(FrameBytes(m_to));
}

qint64 PcmStream::readData(char* data, qint64 maxSize) {
    const qint64 outFrame = qint64(FrameBytes(m_to));
    const qint64 inFrame = qint64(FrameBytes(m_from));
    const std::int64_t first = pos() / outFrame;
    const std::int64_t want = std::min<std::int64_t>(
        {maxSize / outFrame, m_frames - std::min(first, m_frames), PieceFrames});
    if (want <= 0)
        return 0;
    const qint64 at = qint64(m_dataOffset) + first * inFrame;
    if (m_source->pos() != at && !m_source->seek(at))
        return -1;

    // Same layout: straight into the caller's buffer; otherwise through the piece.
    const bool same = m_from == m_to;
    if (!same)
        m_piece.resize(std::size_t(want * inFrame));
    char* raw = same ? data : reinterpret_cast<char*>(m_piece.data());
    qint64 got = 0;
    while (got < want * inFrame) {
        const qint64 r = m_source->read(raw + got, want * inFrame - got);
        if (r <= 0)
            break;
        got += r;
    }
    const std::int64_t frames = got / inFrame;
    if (frames < want) // the file ended early: nothing is played past what it holds
        m_frames = first + frames;
    if (!same)
        ConvertPcm(m_piece.data(), m_from, reinterpret_cast<std::uint8_t*>(data), m_to,
                   std::size_t(frames));
    return frames * outFrame;
}

} // namespace tavrel
