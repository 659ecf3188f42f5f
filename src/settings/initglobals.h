#pragma once

namespace Common {

// Gives every field its default, initialises port I/O and lists the installed
// printers. Called once at start-up.
void InitGlobals();

} // namespace Common
