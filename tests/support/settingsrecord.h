#pragma once
// The settings record as text, so that tests name fields and values compactly
// and a failed comparison shows which field differs.

#include "common/appsettings.h"

#include <QString>

namespace TestSupport {

// Every field, one "name=value" a line; LANIPOctets as "a,b,c,d".
QString Describe(const Common::AppSettingsRecord& s);
// Sets fields from "name=value" words ("COMPort=3 LANIP=10.0.0.5"); LANIP
// sets the octets too. Returns false for a name that is not a field.
bool Apply(Common::AppSettingsRecord& s, const QString& assignments);
// A default record with the assignments applied.
Common::AppSettingsRecord SettingsWith(const QString& assignments);

} // namespace TestSupport
