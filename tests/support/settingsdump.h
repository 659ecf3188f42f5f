#pragma once
// The settings record as text, one field a line, so that a test comparing two
// records shows which field differs.

#include "settings/appsettings.h"

#include <QString>

namespace TestSupport {

QString DumpSettings(const Common::AppSettingsRecord& s);
// The record plus the model list's selection.
QString DumpSettingsAndModel();

} // namespace TestSupport
