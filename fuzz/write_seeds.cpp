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
    bool ok = true;
    for (const wavtest::WavCase& c : wavtest::WavCases()) {
        if (c.file.size() > 4096) // longer ones only repeat a pattern
            continue;
        QFile f(QStringLiteral("%1/case%2.wav").arg(dir).arg(n++, 3, 10, QLatin1Char('0')));
        ok = f.open(QIODevice::WriteOnly) &&
             f.write(reinterpret_cast<const char*>(c.file.data()), qint64(c.file.size())) ==
                 qint64(c.file.size()) &&
             ok;
    }
    std::printf("%d seed files\n", n);
    return ok ? 0 : 1;
}
