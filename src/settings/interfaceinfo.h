#pragma once
// The interface line: the description of the chosen interface and what it
// allows in the main window.

#include "common/appsettings.h"

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

} // namespace Common
