#pragma once
// The words the main window shows when a load or a period mark is refused.

#include "analysis/Magnify.h"
#include "wavein/WavReader.h"

#include <QString>

namespace tavrel {

QString LoadErrorMessage(WavError error);

// Empty for a captured period.
QString MarkRefusalMessage(CaptureResult result);

} // namespace tavrel
