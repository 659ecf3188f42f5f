#pragma once
// The interface line: puts the chosen interface into effect and tells the
// operator, in the main window, which link is in use.

#include "settings/appsettings.h"

#include <QString>
#include <optional>

namespace Common {

// What the main window shows and allows for an interface.
struct InterfaceEffects {
    bool ledShown;      // the port-condition LED
    bool getSNoEnabled; // "Get S/No.": replies can be read back
    bool twoWayLink;    // the link carries the printer's replies
};

// The two-line description of settings.Interface (CR LF between the lines);
// empty for a value that names no interface.
QString InterfaceInfoText(const AppSettingsRecord& settings);

// The effects for settings.Interface; none for a value that names no
// interface, which leaves the main window as it is.
std::optional<InterfaceEffects> InterfaceEffectsFor(const AppSettingsRecord& settings);

// Closes the port of the interface last in effect, describes the selected one
// in the main window, records it as active and, in keep-open mode, opens it.
void BuildInterfaceInfo();

} // namespace Common
