// The record's tables, created on first use, and the schema version they
// carry.
#include "record/recordstore.h"

#include <QSqlQuery>
#include <QVariant>

namespace Record {

namespace {

// Raised when the tables change; a program finds out whether it may use a
// record that a newer one has made.
constexpr int SchemaVersion = 1;

// Any number that no other user of the database locks on: two stations that
// start on an empty database create the tables one after the other.
constexpr qint64 SchemaLockKey = 0x5A454E544142; // "ZENTAB"

QStringList SchemaStatements(bool postgres)
{
    const QString id = postgres ? QStringLiteral("BIGSERIAL PRIMARY KEY")
                                : QStringLiteral("INTEGER PRIMARY KEY AUTOINCREMENT");
    return {
        QStringLiteral("CREATE TABLE IF NOT EXISTS schema_version (version INTEGER NOT NULL)"),
        QStringLiteral("CREATE TABLE IF NOT EXISTS entries (id %1, local_time TEXT NOT NULL, "
                       "utc_time TEXT NOT NULL, station TEXT NOT NULL, "
                       "interface_line TEXT NOT NULL, model_id TEXT NOT NULL, "
                       "model_name TEXT NOT NULL, operation TEXT NOT NULL, value TEXT NOT NULL, "
                       "outcome TEXT NOT NULL, again INTEGER NOT NULL DEFAULT 0)")
            .arg(id),
        // One row per code a station holds: the primary key is what keeps a
        // code out of a second printer.
        QStringLiteral("CREATE TABLE IF NOT EXISTS claims (code TEXT PRIMARY KEY, "
                       "station TEXT NOT NULL, state TEXT NOT NULL, entry_id BIGINT NOT NULL, "
                       "local_time TEXT NOT NULL, utc_time TEXT NOT NULL)"),
        QStringLiteral("CREATE INDEX IF NOT EXISTS entries_value ON entries (value)"),
    };
}

} // namespace

std::optional<StoreError> RecordStore::createSchema()
{
    QSqlQuery query(database());
    if (!begin(query))
        return failure(query);
    if (isPostgres()) {
        // "already exists, skipping" on every connection is no news.
        if (!query.exec(QStringLiteral("SET client_min_messages = warning")))
            return failure(query);
        query.prepare(QStringLiteral("SELECT pg_advisory_xact_lock(?)"));
        query.addBindValue(SchemaLockKey);
        if (!query.exec())
            return failure(query);
    }
    for (const QString& statement : SchemaStatements(isPostgres()))
        if (!query.exec(statement))
            return failure(query);
    if (!query.exec(QStringLiteral("SELECT MAX(version) FROM schema_version")) || !query.next())
        return failure(query);
    const QVariant version = query.value(0);
    if (!version.isNull() && version.toInt() > SchemaVersion)
        return failure(QStringLiteral("it was made by a newer version of this program "
                                      "(schema version %1)")
                           .arg(version.toInt()));
    if (version.isNull()) {
        query.prepare(QStringLiteral("INSERT INTO schema_version (version) VALUES (?)"));
        query.addBindValue(SchemaVersion);
        if (!query.exec())
            return failure(query);
    }
    if (!query.exec(QStringLiteral("COMMIT")))
        return failure(query);
    return std::nullopt;
}

} // namespace Record
