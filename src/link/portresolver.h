#pragma once
// Maps a port name as the operator sees it to a device path.
//   COMn   -> /dev/ttyS(n-1)
//   LPTn   -> /dev/parport(n-1)
//   USBnnn -> /dev/usb/lp(nnn-1)
// An entry of exactly that name in the data folder (normally a symbolic link
// such as COM16 -> /dev/ttyACM0) overrides the default.

#include <QString>

namespace Common {

// The device path for a port name, or an empty string for a name that is
// none of the forms above and has no entry in the data folder.
QString ResolvePortDevice(const QString& portName);

} // namespace Common
