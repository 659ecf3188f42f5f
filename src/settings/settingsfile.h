#pragma once
// The settings file Zentab.ini in DataFolder: the operator's choices from one
// run to the next. Read once during the start-up loading, rewritten whole at
// exit and after each code written into a printer; only values that differ
// from their defaults are written.

#include "common/appsettings.h"
#include "settings/datafile.h"

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <functional>
#include <optional>

namespace Common {

inline const QString SettingsFileName = QStringLiteral("Zentab.ini");

// --- Reading -------------------------------------------------------------

// Applies the lines of a settings file, given as its bytes, to the record.
// WrongHeader leaves the record untouched; Failed (no first line at all)
// likewise. Keys and words are compared without regard to case; a value that
// is not accepted leaves its field as it was.
LoadResult ParseSettings(const QByteArray& bytes, AppSettingsRecord& settings);

// Reads DataFolder/Zentab.ini into AppSettings. Shows no message itself.
LoadResult LoadSettings();

// Asks the file system for the settings file. False when there is none: the
// first start.
bool CheckSettingsFile();

// --- Writing -------------------------------------------------------------

// The whole file as it is written: header with the time of writing, then the
// settings that differ from their defaults, Latin-1, CR LF. The
// identification code is taken from the code box text, not from SerialNo.
QByteArray FormatSettings(const AppSettingsRecord& settings, const QString& codeBoxText,
                          const QDateTime& writtenAt);

// The header's date and time: "DD.MMM.YY  hh:mm" with English month names.
QString SettingsHeaderTime(const QDateTime& writtenAt);

// Writes AppSettings to DataFolder/Zentab.ini, with the text of the main
// window's code box as the identification code. The old file is replaced only once the new
// one is completely on disk, so a failure part-way leaves it whole; a failure
// is shown under "ERROR!" with the system's description. True when written.
bool SaveSettings(const QString& codeBoxText);
// The same without a message: the failure's description, or nothing when the
// file was written.
std::optional<QString> WriteSettingsFile(const QString& codeBoxText);

// Test hook: the clock that dates the header (nullptr restores the real one).
void SetSettingsClockForTests(std::function<QDateTime()> clock);

} // namespace Common
