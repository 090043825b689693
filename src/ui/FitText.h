#pragma once
// Labels keep their designed boxes; where this machine's Japanese font runs
// wider than the one the boxes were drawn for, the text is set a little
// smaller rather than cut off.

class QLabel;
class QString;

namespace tavrel {

// Shrinks the label's font (down to 6 points at the least) until its text
// fits the label's current size, wrapped when the label wraps.
void FitLabelText(QLabel* label);

// Shows a name, which may have no spaces at all (a recording's file name), in
// a label too small to hold it on one line: broken at spaces where it can be
// and anywhere where it cannot, set smaller while it needs more lines than the
// label holds, and at the smallest size cut in the middle, so that both its
// start and its extension stay in view.
void ShowNameInLabel(QLabel* label, const QString& name);

} // namespace tavrel
