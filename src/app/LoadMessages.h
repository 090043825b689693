#pragma once
// The words the main window shows when a load or a period mark is refused.

#include "wavein/WavReader.h"

#include <QString>

namespace tavrel {

QString LoadErrorMessage(WavError error);

extern const char* const TooCloseMessage;
extern const char* const OutsideSamplesMessage;
extern const char* const TooLongMessage;
extern const char* const BadRateMessage;

} // namespace tavrel
