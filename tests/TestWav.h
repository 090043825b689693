#pragma once
// Plain PCM WAV files for the window tests: samples are interleaved frames, 8-bit ones raw bytes.

#include "WavTestFiles.h"

#include <QByteArray>

namespace tavrel::test {

inline QByteArray PcmWav(int channels, int bits, int rate, const std::vector<int>& samples) {
    const wavtest::Bytes b =
        wavtest::MakeWav({1, std::uint16_t(channels), std::uint32_t(rate), std::uint16_t(bits),
                          bits == 8 ? wavtest::Bytes(samples.begin(), samples.end())
                                    : wavtest::Samples16({samples})});
    return QByteArray(reinterpret_cast<const char*>(b.data()), qsizetype(b.size()));
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

} // namespace tavrel::test
