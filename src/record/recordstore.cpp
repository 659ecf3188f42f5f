#include "record/recordstore.h"

#include <QDateTime>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <atomic>

namespace Record {

namespace {

// Qt SQL names each connection; every store has its own, so two stores (two
// stations in a test, eight in a benchmark) never share one.
QString NewConnectionName()
{
    static std::atomic<int> next{0};
    return QStringLiteral("zentab-record-%1").arg(++next);
}

QString Reason(const QSqlError& error)
{
    QString text = error.databaseText().trimmed();
    if (text.isEmpty())
        text = error.driverText().trimmed();
    // libpq adds hints on further lines; the first says what happened.
    return text.section(QLatin1Char('\n'), 0, 0).trimmed();
}

struct Stamp {
    QString local;
    QString utc;
};

Stamp Now()
{
    const QDateTime now = QDateTime::currentDateTime();
    return {now.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")),
            now.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ssZ"))};
}

// Every text column is NOT NULL; a null QString would bind as NULL.
QVariant Text(const QString& text)
{
    return text.isNull() ? QVariant(QStringLiteral("")) : QVariant(text);
}

const QString Writing = QStringLiteral("writing");
const QString Written = QStringLiteral("written");

} // namespace

QString StoreError::text() const
{
    return QStringLiteral("The record (%1) cannot be used: %2").arg(where, reason);
}

QString OutcomeWord(Common::Outcome outcome)
{
    switch (outcome) {
    case Common::Outcome::Written:
        return QStringLiteral("written");
    case Common::Outcome::PrinterNotConfirmed:
        return QStringLiteral("printer not confirmed");
    case Common::Outcome::RegistrationFailed:
        return QStringLiteral("registration failed");
    case Common::Outcome::Read:
        return QStringLiteral("read");
    case Common::Outcome::ReadFailed:
        return QStringLiteral("read failed");
    }
    return {};
}

QString OperationName(Operation operation)
{
    switch (operation) {
    case Operation::SetSNo:
        return QStringLiteral("Set S/No.");
    case Operation::GetSNo:
        return QStringLiteral("Get S/No.");
    case Operation::SetModelName:
        return QStringLiteral("Set Model Name");
    case Operation::GetModelName:
        return QStringLiteral("Get Model name");
    }
    return {};
}

RecordStore::RecordStore(const RecordSettings& settings)
    : settings_(settings), connectionName_(NewConnectionName())
{
}

RecordStore::~RecordStore()
{
    {
        QSqlDatabase db = QSqlDatabase::database(connectionName_, false);
        if (db.isValid())
            db.close();
    } // the last handle goes before the connection is removed
    if (QSqlDatabase::contains(connectionName_))
        QSqlDatabase::removeDatabase(connectionName_);
}

QSqlDatabase RecordStore::database() const
{
    return QSqlDatabase::database(connectionName_, false);
}

QString RecordStore::statusText() const
{
    return isPostgres() ? QStringLiteral("Record: line ") + settings_.host
                        : QStringLiteral("Record: this station");
}

QString RecordStore::where() const
{
    if (!isPostgres())
        return QStringLiteral("file ") + settings_.sqliteFile;
    return QStringLiteral("server %1:%2, database %3")
        .arg(settings_.host)
        .arg(settings_.port)
        .arg(settings_.database);
}

StoreError RecordStore::failure(const QString& reason)
{
    // A connection that failed once is not trusted again: a server that went
    // away leaves it looking open. The next call connects afresh.
    database().close();
    return {where(), reason};
}

StoreError RecordStore::failure(const QSqlQuery& query)
{
    return failure(Reason(query.lastError()));
}

std::optional<StoreError> RecordStore::open()
{
    if (database().isOpen())
        return std::nullopt;
    return connect();
}

std::optional<StoreError> RecordStore::connect()
{
    const QString driver = isPostgres() ? QStringLiteral("QPSQL") : QStringLiteral("QSQLITE");
    QSqlDatabase db = QSqlDatabase::contains(connectionName_)
                          ? QSqlDatabase::database(connectionName_, false)
                          : QSqlDatabase::addDatabase(driver, connectionName_);
    if (!db.isValid())
        return failure(QStringLiteral("the Qt SQL driver %1 is not installed").arg(driver));
    if (isPostgres()) {
        db.setHostName(settings_.host);
        db.setPort(settings_.port);
        db.setDatabaseName(settings_.database);
        db.setUserName(settings_.user);
        // No password: libpq looks it up in ~/.pgpass. A line whose server is
        // down must not hold the operator for long.
        db.setConnectOptions(QStringLiteral("connect_timeout=3"));
    } else {
        db.setDatabaseName(settings_.sqliteFile);
        // Another connection writing the file (a second program, a test) is
        // waited for rather than failed.
        db.setConnectOptions(QStringLiteral("QSQLITE_BUSY_TIMEOUT=10000"));
    }
    if (!db.open())
        return failure(Reason(db.lastError()));
    return createSchema();
}

bool RecordStore::begin(QSqlQuery& query)
{
    // SQLite takes the write lock at once, so two connections on one file
    // queue instead of both reading and one failing on its write.
    return query.exec(isPostgres() ? QStringLiteral("BEGIN") : QStringLiteral("BEGIN IMMEDIATE"));
}

std::variant<qint64, StoreError> RecordStore::insertEntry(QSqlQuery& query, const Entry& entry,
                                                          const QString& outcome, bool again)
{
    const Stamp now = Now();
    query.prepare(QStringLiteral(
        "INSERT INTO entries (local_time, utc_time, station, interface_line, model_id, "
        "model_name, operation, value, outcome, again) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) "
        "RETURNING id"));
    const QString modelId = QStringLiteral("%1").arg(entry.modelId, 2, 16, QLatin1Char('0'));
    for (const QVariant& v :
         {Text(now.local), Text(now.utc), Text(settings_.station), Text(entry.interfaceLine),
          Text(modelId.toUpper()), Text(entry.modelName), Text(OperationName(entry.operation)),
          Text(entry.value), Text(outcome), QVariant(again ? 1 : 0)})
        query.addBindValue(v);
    if (!query.exec() || !query.next())
        return failure(query);
    return query.value(0).toLongLong();
}

std::optional<StoreError> RecordStore::add(const Entry& entry)
{
    if (std::optional<StoreError> e = open())
        return e;
    QSqlQuery query(database());
    const auto id = insertEntry(query, entry, OutcomeWord(entry.outcome), false);
    if (const StoreError* e = std::get_if<StoreError>(&id))
        return *e;
    return std::nullopt;
}

ClaimResult RecordStore::claim(const Entry& entry)
{
    if (std::optional<StoreError> e = open())
        return *e;
    QSqlQuery query(database());
    if (!begin(query))
        return failure(query);
    ClaimResult result = claimIn(query, entry);
    if (std::holds_alternative<Claimed>(result)) {
        if (!query.exec(QStringLiteral("COMMIT")))
            return failure(query);
    } else if (!std::holds_alternative<StoreError>(result)) {
        query.exec(QStringLiteral("ROLLBACK"));
    }
    auto* taken = std::get_if<TakenByOther>(&result);
    if (taken && taken->station.isEmpty()) {
        query.prepare(QStringLiteral("SELECT station FROM claims WHERE code = ?"));
        query.addBindValue(entry.value);
        taken->station =
            query.exec() && query.next() ? query.value(0).toString() : QStringLiteral("(unknown)");
    }
    return result;
}

ClaimResult RecordStore::claimIn(QSqlQuery& query, const Entry& entry)
{
    query.prepare(QStringLiteral("SELECT station, state, local_time FROM claims WHERE code = ?"));
    query.addBindValue(entry.value);
    if (!query.exec())
        return failure(query);
    if (query.next()) {
        const QString station = query.value(0).toString();
        if (query.value(1).toString() == Written || station == settings_.station)
            return AlreadyWritten{query.value(2).toString(), station};
        return TakenByOther{station};
    }
    const auto id = insertEntry(query, entry, QStringLiteral("claimed"), false);
    if (const StoreError* e = std::get_if<StoreError>(&id))
        return *e;
    const Stamp now = Now();
    // The unique key decides a race: a second station's insert waits for the
    // first one's commit and then inserts nothing.
    query.prepare(QStringLiteral("INSERT INTO claims (code, station, state, entry_id, local_time, "
                                 "utc_time) VALUES (?, ?, ?, ?, ?, ?) "
                                 "ON CONFLICT (code) DO NOTHING RETURNING code"));
    for (const QVariant& v :
         {Text(entry.value), Text(settings_.station), QVariant(Writing),
          QVariant(std::get<qint64>(id)), QVariant(now.local), QVariant(now.utc)})
        query.addBindValue(v);
    if (!query.exec())
        return failure(query);
    if (!query.next())
        return TakenByOther{}; // the station is looked up after the rollback
    return Claimed{Claim{std::get<qint64>(id), entry.value, false}};
}

std::variant<Claimed, StoreError> RecordStore::claimAgain(const Entry& entry)
{
    if (std::optional<StoreError> e = open())
        return *e;
    QSqlQuery query(database());
    const auto id = insertEntry(query, entry, QStringLiteral("claimed"), true);
    if (const StoreError* e = std::get_if<StoreError>(&id))
        return *e;
    return Claimed{Claim{std::get<qint64>(id), entry.value, true}};
}

std::optional<StoreError> RecordStore::finish(const Claim& claim, Common::Outcome outcome)
{
    if (std::optional<StoreError> e = open())
        return e;
    QSqlQuery query(database());
    if (!begin(query))
        return failure(query);
    query.prepare(QStringLiteral("UPDATE entries SET outcome = ? WHERE id = ?"));
    query.addBindValue(OutcomeWord(outcome));
    query.addBindValue(claim.entryId);
    if (!query.exec())
        return failure(query);
    const Stamp now = Now();
    if (outcome == Common::Outcome::Written) {
        // The code now belongs to this station's latest write of it.
        query.prepare(QStringLiteral(
            "INSERT INTO claims (code, station, state, entry_id, local_time, utc_time) "
            "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (code) DO UPDATE SET "
            "station = excluded.station, state = excluded.state, entry_id = excluded.entry_id, "
            "local_time = excluded.local_time, utc_time = excluded.utc_time"));
        for (const QVariant& v : {Text(claim.code), Text(settings_.station), QVariant(Written),
                                  QVariant(claim.entryId), QVariant(now.local), QVariant(now.utc)})
            query.addBindValue(v);
    } else {
        // Not written: the code is free again, unless a printer already
        // carries it from before.
        query.prepare(QStringLiteral("DELETE FROM claims WHERE code = ? AND entry_id = ?"));
        query.addBindValue(claim.code);
        query.addBindValue(claim.entryId);
    }
    if (!query.exec() || !query.exec(QStringLiteral("COMMIT")))
        return failure(query);
    return std::nullopt;
}

std::variant<bool, StoreError> RecordStore::isHeld(const QString& code)
{
    if (std::optional<StoreError> e = open())
        return *e;
    QSqlQuery query(database());
    query.prepare(QStringLiteral("SELECT 1 FROM claims WHERE code = ?"));
    query.addBindValue(code);
    if (!query.exec())
        return failure(query);
    return query.next();
}

QStringList RecordStore::ColumnTitles()
{
    return {QStringLiteral("No."),     QStringLiteral("Local time"), QStringLiteral("UTC"),
            QStringLiteral("Station"), QStringLiteral("Interface"),  QStringLiteral("Model ID"),
            QStringLiteral("Model"),   QStringLiteral("Operation"),  QStringLiteral("Code or name"),
            QStringLiteral("Outcome"), QStringLiteral("Again")};
}

QString RecordStore::LatestQuery(int limit)
{
    const QString query = QStringLiteral(
        "SELECT id, local_time, utc_time, station, interface_line, model_id, model_name, "
        "operation, value, outcome, again FROM entries ORDER BY id DESC");
    return limit > 0 ? query + QStringLiteral(" LIMIT %1").arg(limit) : query;
}

std::variant<QList<QStringList>, StoreError> RecordStore::latest(int limit)
{
    if (std::optional<StoreError> e = open())
        return *e;
    QSqlQuery query(database());
    if (!query.exec(LatestQuery(limit)))
        return failure(query);
    QList<QStringList> rows{ColumnTitles()};
    const int columns = int(rows.first().size());
    while (query.next()) {
        QStringList row;
        for (int c = 0; c < columns; ++c)
            row << query.value(c).toString();
        rows << row;
    }
    return rows;
}

} // namespace Record
