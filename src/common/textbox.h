#pragma once
// Text the program puts into a text box, as opposed to what the operator types.

#include <QString>

class QLineEdit;

namespace Common {

// Shows text whole: the box's length limit governs typing only, so it is
// raised to the text's length where the text is longer (a model name read
// from the printer), never cut. The box's change handler runs also when the
// text is the one it already holds, since every text the program sets counts
// as a change.
void SetBoxText(QLineEdit* box, const QString& text, int typingLimit);

} // namespace Common
