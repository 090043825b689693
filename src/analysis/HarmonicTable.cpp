#include "analysis/HarmonicTable.h"

#include "analysis/HarmonicAnalysis.h"
#include "state/Numbers.h"
#include "voiceprint/Fft512.h"

#include <cmath>
#include <numbers>

namespace tavrel {

namespace {

constexpr int NyquistBin = FftSize / 2; // the highest harmonic the transform tells apart

} // namespace

double HarmonicEnergy(const AnalysisState& s, int k) {
    if (k < 1 || k > NyquistBin)
        return 0;
    const double re = s.HarmRe[std::size_t(k)];
    const double im = s.HarmIm[std::size_t(k)];
    const double e = re * re + im * im;
    return std::isfinite(e) ? (k < NyquistBin ? 2 * e : e) : 0;
}

double EnergyShare(const AnalysisState& s, int n) {
    double part = 0, total = 0;
    for (int k = 1; k <= NyquistBin; ++k) {
        const double e = HarmonicEnergy(s, k);
        total += e;
        if (k <= n)
            part += e;
    }
    return total > 0 ? 100 * part / total : 0;
}

std::vector<HarmonicRow> HarmonicTableRows(const AnalysisState& s) {
    const double fund = std::isfinite(s.FundFreq) && s.FundFreq > 0 ? double(s.FundFreq) : 0;
    const double strongest = LargestHarmonic(s);
    std::vector<HarmonicRow> rows(TableHarmonics);
    for (int n = 1; n <= TableHarmonics; ++n) {
        HarmonicRow& r = rows[std::size_t(n - 1)];
        r.n = n;
        r.hz = n * fund;
        r.note = NearestNote(r.hz);
        const double amp = s.HarmAmp[std::size_t(n)];
        if (amp > 0 && strongest > 0 && std::isfinite(amp / strongest))
            r.levelDb = 20 * std::log10(amp / strongest);
        const double re = s.HarmRe[std::size_t(n)], im = s.HarmIm[std::size_t(n)];
        // atan2 of two zeros may be -180 by the signs of zero; a silent
        // harmonic has no phase to speak of, so 0.
        const double phase = re == 0 && im == 0 ? 0 : std::atan2(im, re) * 180 / std::numbers::pi;
        r.phaseDeg = std::isfinite(phase) ? phase : 0;
        r.cumulativePercent = EnergyShare(s, n);
    }
    return rows;
}

QStringList HarmonicTableHeader() {
    return {QString::fromUtf8("倍音"),      QString::fromUtf8("周波数 (Hz)"),
            QString::fromUtf8("音名"),      QString::fromUtf8("音名 (英)"),
            QString::fromUtf8("セント"),    QString::fromUtf8("振幅 (dB)"),
            QString::fromUtf8("位相 (度)"), QString::fromUtf8("累積エネルギー (%)")};
}

QStringList HarmonicTableCells(const HarmonicRow& r) {
    return {QString::number(r.n),
            FormatFixed2(r.hz),
            r.note ? NoteSolfege(r.note->midi) : QString(),
            r.note ? NoteLetter(r.note->midi) : QString(),
            r.note ? QString::number(r.note->cents) : QString(),
            r.levelDb ? FormatFixed1(*r.levelDb) : QString(),
            FormatFixed1(r.phaseDeg),
            FormatFixed2(r.cumulativePercent)};
}

QString HarmonicTableText(const std::vector<HarmonicRow>& rows) {
    QString text = HarmonicTableHeader().join(QLatin1Char('\t')) + QLatin1Char('\n');
    for (const HarmonicRow& r : rows)
        text += HarmonicTableCells(r).join(QLatin1Char('\t')) + QLatin1Char('\n');
    return text;
}

QByteArray HarmonicTableCsv(const std::vector<HarmonicRow>& rows) {
    QByteArray out("\xEF\xBB\xBF");
    out += HarmonicTableHeader().join(QLatin1Char(',')).toUtf8() + "\r\n";
    for (const HarmonicRow& r : rows)
        out += HarmonicTableCells(r).join(QLatin1Char(',')).toUtf8() + "\r\n";
    return out;
}

} // namespace tavrel
