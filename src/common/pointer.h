#pragma once
// The screen's mouse pointer and one pass of the event loop, as the
// operations use them around their message boxes.

namespace Common {

enum class Pointer { Default, Hourglass };

void SetPointer(Pointer pointer);
Pointer CurrentPointer();
// Processes the pending window events once.
void DoEvents();

} // namespace Common
