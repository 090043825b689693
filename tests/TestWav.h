#pragma once
// Writes small PCM WAV files for tests, with the plain 44-byte header.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <vector>

namespace tavrel::test {

inline void PutLe(QByteArray& b, std::uint32_t v, int bytes) {
    for (int i = 0; i < bytes; ++i)
        b.append(static_cast<char>((v >> (8 * i)) & 0xff));
}

// samples are interleaved frames; 8-bit values are the raw unsigned bytes.
inline QByteArray PcmWav(int channels, int bits, int rate, const std::vector<int>& samples) {
    QByteArray data;
    for (int v : samples)
        PutLe(data, static_cast<std::uint32_t>(v), bits / 8);
    const int blockAlign = channels * bits / 8;
    QByteArray b("RIFF");
    PutLe(b, 36 + data.size(), 4);
    b.append("WAVEfmt ");
    PutLe(b, 16, 4);
    PutLe(b, 1, 2);
    PutLe(b, channels, 2);
    PutLe(b, rate, 4);
    PutLe(b, rate * blockAlign, 4);
    PutLe(b, blockAlign, 2);
    PutLe(b, bits, 2);
    b.append("data");
    PutLe(b, data.size(), 4);
    b.append(data);
    return b;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace tavrel::test
