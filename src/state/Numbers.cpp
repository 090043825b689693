#include "state/Numbers.h"

#include <cfenv>
#include <cmath>
#include <cstdio>
#include <limits>

namespace tavrel {

double Int(double x) {
    return std::floor(x);
}

double RoundHalfEven(double x) {
    // nearbyint follows the current rounding mode, which the program never
    // changes from round-to-nearest-even; rint/round would not say so as plainly.
    return std::nearbyint(x);
}

std::int16_t RoundToInt16(double x) {
    if (std::isnan(x))
        return 0;
    const double r = RoundHalfEven(x);
    if (r >= 32767.0)
        return 32767;
    if (r <= -32768.0)
        return -32768;
    return static_cast<std::int16_t>(r);
}

QString FormatFixed(double x, int decimals) {
    if (!std::isfinite(x))
        return QStringLiteral("0");
    // printf rounds the exact binary value to nearest, ties to even.
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.*f", decimals, x);
    QString s = QString::fromLatin1(buf);
    if (s.startsWith(QLatin1Char('-')) && s.toDouble() == 0.0)
        s.remove(0, 1); // "-0.00" reads oddly; a value that rounds to zero is zero
    return s;
}

QString FormatUpTo5(double x) {
    QString s = FormatFixed(x, 5);
    while (s.endsWith(QLatin1Char('0')))
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
    return s;
}

QString FormatWhole(double x) {
    return FormatFixed(RoundHalfEven(x), 0);
}
QString FormatFixed2(double x) {
    return FormatFixed(x, 2);
}
QString FormatFixed1(double x) {
    return FormatFixed(x, 1);
}

namespace {

QString Normalised(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        const char16_t u = c.unicode();
        if (u == u' ' || u == u'\t' || u == u'\n' || u == u'\r' || u == 0x3000)
            continue;
        if (u >= 0xFF01 && u <= 0xFF5E) // full-width ASCII forms
            out.append(QChar(char16_t(u - 0xFF01 + 0x21)));
        else
            out.append(c);
    }
    return out;
}

int DigitValue(QChar c, int base) {
    const char16_t u = c.unicode();
    int v = -1;
    if (u >= '0' && u <= '9')
        v = u - '0';
    else if (u >= 'a' && u <= 'f')
        v = u - 'a' + 10;
    else if (u >= 'A' && u <= 'F')
        v = u - 'A' + 10;
    return v < base ? v : -1;
}

} // namespace

double LenientNumber(const QString& text) {
    const QString s = Normalised(text);
    const int n = s.size();
    int i = 0;

    if (n >= 2 && s[0] == QLatin1Char('&')) {
        int base = 8;
        i = 1;
        const QChar p = s[1].toUpper();
        if (p == QLatin1Char('H')) {
            base = 16;
            i = 2;
        } else if (p == QLatin1Char('O')) {
            i = 2;
        }
        double v = 0;
        for (; i < n; ++i) {
            const int d = DigitValue(s[i], base);
            if (d < 0)
                break;
            v = v * base + d;
        }
        return v;
    }

    // The leading number as strtod reads it: sign, digits, fraction, and an
    // exponent (E or D) only when it has digits of its own.
    const auto takeSign = [&](std::string& out, int& k) {
        if (k < n && (s[k] == QLatin1Char('+') || s[k] == QLatin1Char('-')))
            out += char(s[k++].unicode());
    };
    const auto takeDigits = [&](std::string& out, int& k) {
        const int from = k;
        for (; k < n && s[k].unicode() >= '0' && s[k].unicode() <= '9'; ++k)
            out += char(s[k].unicode());
        return k > from;
    };
    std::string ascii;
    takeSign(ascii, i);
    bool digits = takeDigits(ascii, i);
    if (i < n && s[i] == QLatin1Char('.')) {
        ascii += '.';
        digits |= takeDigits(ascii, ++i);
    }
    if (!digits)
        return 0.0;
    if (i < n && (s[i].toUpper() == QLatin1Char('E') || s[i].toUpper() == QLatin1Char('D'))) {
        std::string exp = "e";
        int j = i + 1;
        takeSign(exp, j);
        if (takeDigits(exp, j))
            ascii += exp;
    }
    const double v = std::strtod(ascii.c_str(), nullptr);
    return std::isfinite(v) ? v : 0.0;
}

} // namespace tavrel
