#pragma once
// Reading plots back pixel by pixel, the way the tests check what a user sees.

#include <QImage>
#include <QRect>
#include <QRgb>

namespace tavrel::test {

inline const QRgb Red = qRgb(255, 0, 0);
inline const QRgb Blue = qRgb(0, 0, 255);
inline const QRgb Black = qRgb(0, 0, 0);
inline const QRgb White = qRgb(255, 255, 255);
inline const QRgb PaleCyan = qRgb(192, 255, 255);

inline bool SameColour(QRgb a, QRgb b) { return (a | 0xff000000u) == (b | 0xff000000u); }

// Pixels of exactly this colour, in the whole image or in an area of it.
inline int CountColour(const QImage& img, QRgb colour, QRect area = QRect()) {
    area = (area.isNull() ? img.rect() : area).intersected(img.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += SameColour(img.pixel(x, y), colour);
    return n;
}

// Highest row of column x in this colour, or -1.
inline int TopmostOf(const QImage& img, QRgb colour, int x) {
    for (int y = 0; y < img.height(); ++y)
        if (SameColour(img.pixel(x, y), colour))
            return y;
    return -1;
}

} // namespace tavrel::test
