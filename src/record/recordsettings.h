#pragma once
// The record's own settings, in Record.ini in the data folder (the settings
// file Zentab.ini keeps its format). "Key = Value" lines, keys in any case:
//
//   Store = sqlite | postgresql | off     (sqlite when the file is missing)
//   Host, Port, Database, User            the shared store of a line
//   Station                               this station's name (the host name)
//
// The password of the shared store never lives here: libpq finds it in the
// user's ~/.pgpass (or the file PGPASSFILE names).

#include <QString>

namespace Record {

enum class StoreKind { SQLite, PostgreSQL, Off };

struct RecordSettings {
    StoreKind store = StoreKind::SQLite;
    QString sqliteFile; // the SQLite store: Record.sqlite in the data folder
    QString host = QStringLiteral("localhost");
    int port = 5432;
    QString database = QStringLiteral("zentab");
    QString user; // empty: libpq takes the system user's name
    QString station;
};

constexpr const char* RecordSettingsFileName = "Record.ini";
constexpr const char* RecordFileName = "Record.sqlite";

// The settings read from dataFolder/Record.ini. A missing file gives the
// defaults; values that are not accepted leave their default in place.
RecordSettings ReadRecordSettings(const QString& dataFolder);

// The host name, when no station name is configured.
QString DefaultStationName();

} // namespace Record
