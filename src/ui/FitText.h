#pragma once
// Labels keep their designed boxes; where this machine's Japanese font runs
// wider than the one the boxes were drawn for, the text is set a little
// smaller rather than cut off.

class QLabel;

namespace tavrel {

// Shrinks the label's font (down to 6 points at the least) until its text
// fits the label's current size, wrapped when the label wraps.
void FitLabelText(QLabel* label);

} // namespace tavrel
