#pragma once
// The 16-colour palette the plots are described in.

#include <QColor>

namespace tavrel {

QColor PaletteColor(int index); // 0 ... 15; anything else gives black

namespace Colors {
inline const QColor Black{0, 0, 0};
inline const QColor LightBlue{0, 0, 255};
inline const QColor LightRed{255, 0, 0};
inline const QColor BrightWhite{255, 255, 255};
inline const QColor PaleCyan{192, 255, 255}; // rubs out an old marker on white
} // namespace Colors

} // namespace tavrel
