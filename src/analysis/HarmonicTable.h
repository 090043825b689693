#pragma once
// The harmonics of the analysed period as a table: one row per harmonic with
// its frequency, note, level, phase and the share of the period's energy the
// harmonics up to it carry; written out as text for the clipboard and as CSV.
//
// Figures as shown (the text and the CSV show the very same ones): frequency
// in Hz with 2 decimals, cents whole, level in dB with 1 decimal, phase in
// degrees with 1 decimal, cumulative energy in % with 2 decimals; rounded
// from the binary value, halves to even, and a value that rounds to zero
// written without a minus sign.

#include "state/AnalysisState.h"
#include "state/NoteNames.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace tavrel {

inline constexpr int TableHarmonics = 41; // rows 1 ... 41, as many as the chart has bars

// The energy of harmonic k (1 ... 256) in the 512-point transform, by
// Parseval: 2 |X_k|^2 below the Nyquist bin, |X_256|^2 at it; 0 outside.
double HarmonicEnergy(const AnalysisState& s, int k);

// Share (%) of the period's varying part (bins 1 ... 256; the DC term says
// where the wave sits, not how it sounds) carried by harmonics 1 ... n. A
// silent period carries no energy and gives 0, not NaN.
double EnergyShare(const AnalysisState& s, int n);

struct HarmonicRow {
    int n = 0;                     // harmonic number
    double hz = 0;                 // n x FundFreq; 0 when no frequency is known
    std::optional<Note> note;      // nearest note of hz, when it has one
    std::optional<double> levelDb; // 20 log10(HarmAmp(n) / strongest of 1 ... 256); none for 0
    double phaseDeg = 0;           // atan2(HarmIm, HarmRe) in degrees, (-180, 180]
    double cumulativePercent = 0;  // EnergyShare(s, n)
};

// Rows for harmonics 1 ... TableHarmonics from HarmRe, HarmIm, HarmAmp and
// FundFreq. The phase is the one the rebuild uses: HarmRe cos a - HarmIm sin
// a = |H| cos(a + phase).
std::vector<HarmonicRow> HarmonicTableRows(const AnalysisState& s);

// The header and each row as the cells shown, numbers rounded as above; cells
// without a value (no note, no level) are empty.
QStringList HarmonicTableHeader();
QStringList HarmonicTableCells(const HarmonicRow& row);

// For the clipboard: header line and one line per row, cells separated by tabs,
// lines ended by "\n".
QString HarmonicTableText(const std::vector<HarmonicRow>& rows);

// For a file: UTF-8 with a byte-order mark, comma-separated, header line,
// lines ended by CR LF. No cell holds a comma, quote or line break, so none
// needs quoting.
QByteArray HarmonicTableCsv(const std::vector<HarmonicRow>& rows);

} // namespace tavrel
