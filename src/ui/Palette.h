#pragma once
// The 16-colour palette the plots are described in.

#include <QColor>

namespace tavrel {

QColor PaletteColor(int index); // 0 ... 15; anything else gives black

namespace Colors {
inline const QColor Black = PaletteColor(0);
inline const QColor LightBlue = PaletteColor(9);
inline const QColor LightRed = PaletteColor(12);
inline const QColor BrightWhite = PaletteColor(15);
inline const QColor PaleCyan{192, 255, 255}; // rubs out an old marker on white; not in the palette
} // namespace Colors

} // namespace tavrel
