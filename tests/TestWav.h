#pragma once
// Plain PCM WAV files for the window tests, built by the reader tests' writer.

#include "WavTestFiles.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <vector>

namespace tavrel::test {

// samples are interleaved frames; 8-bit values are the raw unsigned bytes.
inline QByteArray PcmWav(int channels, int bits, int rate, const std::vector<int>& samples) {
    wavtest::WavDesc desc;
    desc.channels = static_cast<std::uint16_t>(channels);
    desc.bits = static_cast<std::uint16_t>(bits);
    desc.rate = static_cast<std::uint32_t>(rate);
    for (int v : samples) {
        if (bits == 8)
            desc.data.push_back(static_cast<std::uint8_t>(v));
        else
            wavtest::Put16(desc.data, static_cast<std::uint16_t>(v));
    }
    const wavtest::Bytes bytes = wavtest::MakeWav(desc);
    return QByteArray(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace tavrel::test
