#pragma once
// Number conversions and display formats shared by every window.

#include <QString>
#include <cstdint>
#include <string>

namespace tavrel {

// Largest whole number not above x (floor, also for negative x).
double Int(double x);

// Nearest whole number, halves to the even neighbour (0.5 -> 0, 2.5 -> 2).
double RoundHalfEven(double x);

// RoundHalfEven clamped into a 16-bit integer.
std::int16_t RoundToInt16(double x);

// "0.#####": at least one integer digit, up to five decimals, no trailing zeros.
QString FormatUpTo5(double x);
// "####": rounded to a whole number (halves to even), no leading zeros.
QString FormatWhole(double x);
// Fixed decimals, rounded to nearest (ties to even); "-0.0" reads "0.0".
QString FormatFixed(double x, int decimals);
// "0.00" and "0.0".
QString FormatFixed2(double x);
QString FormatFixed1(double x);

// Reads a typed number leniently: blanks, tabs and line feeds anywhere are
// skipped, the longest leading part that forms a number (sign, digits,
// decimal point, exponent, or &H / &O prefix) is taken and the rest ignored;
// a text without such a part reads as 0. Full-width digits and signs, as a
// Japanese input method types them, count as their ASCII forms.
double LenientNumber(const QString& text);

} // namespace tavrel
