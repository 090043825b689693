#pragma once
// Reading plots back pixel by pixel, the way the tests check what a user sees.

#include <QImage>

namespace tavrel::test {

inline const QRgb Red = qRgb(255, 0, 0), Blue = qRgb(0, 0, 255), Black = qRgb(0, 0, 0),
                  White = qRgb(255, 255, 255), PaleCyan = qRgb(192, 255, 255);

// Pixels whose colour `is` accepts, in an area of the image or, if it is null, in all of it.
inline int Count(const QImage& img, QRect area, auto is) {
    area = (area.isNull() ? img.rect() : area).intersected(img.rect());
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += bool(is(img.pixel(x, y) | 0xff000000u));
    return n;
}

inline int CountColour(const QImage& img, QRgb colour, QRect area = QRect()) {
    return Count(img, area, [colour](QRgb c) { return c == (colour | 0xff000000u); });
}

// Highest row of column x in this colour, or -1.
inline int TopmostOf(const QImage& img, QRgb colour, int x) {
    for (int y = 0; y < img.height(); ++y)
        if (CountColour(img, colour, QRect(x, y, 1, 1)) == 1)
            return y;
    return -1;
}

} // namespace tavrel::test
