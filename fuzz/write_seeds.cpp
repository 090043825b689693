// Writes the reader tests' WAV files into a folder, as the fuzzer's first corpus.
#include "WavCases.h"

#include <QString>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const QString dir = QString::fromLocal8Bit(argv[1]);
    int n = 0;
    auto write = [&](const wavtest::Bytes& b) {
        QFile f(QStringLiteral("%1/case%2.wav").arg(dir).arg(n++, 3, 10, QLatin1Char('0')));
        return f.open(QIODevice::WriteOnly) && f.write(reinterpret_cast<const char*>(b.data()),
                                                       qint64(b.size())) == qint64(b.size());
    };
    bool ok = true;
    for (const wavtest::DecodeCase& c : wavtest::DecodeCases())
        ok = write(wavtest::MakeWav(c.desc)) && ok;
    for (const wavtest::LayoutCase& c : wavtest::LayoutCases())
        if (c.file.size() <= 4096) // longer ones only repeat a pattern
            ok = write(c.file) && ok;
    std::printf("%d seed files\n", n);
    return ok ? 0 : 1;
}
