#pragma once

namespace Common {

// Closes the port of the interface last in effect, describes the selected one
// in the main window, records it as active and, in keep-open mode, opens it.
void BuildInterfaceInfo();

} // namespace Common
