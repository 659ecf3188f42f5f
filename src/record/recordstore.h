#pragma once
// The production record: one entry per identification operation, and a claim
// per written code that keeps it out of a second printer. The store is an
// SQLite file on one station or a PostgreSQL database shared by a line; each
// call commits before it returns. Functions return their result; nothing
// here shows anything. A store is used on the thread that created it.

#include "common/outcome.h"
#include "record/recordsettings.h"

#include <QSqlDatabase>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <variant>

class QSqlQuery;

namespace Record {

enum class Operation { SetSNo, GetSNo, SetModelName, GetModelName };

// What the caller knows of an operation; the store adds time and station.
struct Entry {
    Operation operation = Operation::SetSNo;
    QString interfaceLine; // the interface and port, as the interface line names them
    std::uint8_t modelId = 0;
    QString modelName;
    QString value; // the code or the model name
    Common::Outcome outcome = Common::Outcome::Written;
};

// The store could not be used: where (the file, or the server) and why.
struct StoreError {
    QString where;
    QString reason;
    QString text() const; // one sentence for the operator
};

// A code held for this station until the write's outcome is known.
struct Claim {
    qint64 entryId = 0;
    QString code;
    bool again = false; // written before; the operator chose to write it again
};

struct Claimed {
    Claim claim;
};
// The record holds the code as written (by any station), or as being written
// by this one.
struct AlreadyWritten {
    QString when; // local time of the station that wrote it
    QString station;
};
// Another station holds the code: it is writing it now.
struct TakenByOther {
    QString station;
};
using ClaimResult = std::variant<Claimed, AlreadyWritten, TakenByOther, StoreError>;

QString OutcomeWord(Common::Outcome outcome);
QString OperationName(Operation operation);

class RecordStore {
public:
    // settings.store must not be Off.
    explicit RecordStore(const RecordSettings& settings);
    ~RecordStore();
    RecordStore(const RecordStore&) = delete;
    RecordStore& operator=(const RecordStore&) = delete;

    // Connects (if not connected) and creates the schema on first use. Every
    // call below does this itself; a failed call drops the connection, so
    // the next one tries afresh.
    std::optional<StoreError> open();

    // Before "Set S/No." sends anything: entry.value is the code. The claim
    // and its entry are committed in one transaction; a unique key on the
    // code makes sure only one station gets it.
    ClaimResult claim(const Entry& entry);
    // The operator chose to write a code again: its entry, no new claim.
    std::variant<Claimed, StoreError> claimAgain(const Entry& entry);
    // The outcome of a claimed write. A write that did not go out gives a new
    // claim up, so the code can be written later.
    std::optional<StoreError> finish(const Claim& claim, Common::Outcome outcome);
    // An operation that claims nothing.
    std::optional<StoreError> add(const Entry& entry);
    // Whether a station holds the code.
    std::variant<bool, StoreError> isHeld(const QString& code);

    // The latest entries, newest first: column titles, then one row each.
    // A limit of 0 takes every entry.
    std::variant<QList<QStringList>, StoreError> latest(int limit);
    static QStringList ColumnTitles();
    static QString LatestQuery(int limit);
    // The open connection, for the viewer's models; invalid when not open.
    QSqlDatabase database() const;

    const RecordSettings& settings() const { return settings_; }
    // The status line's text: "Record: this station", "Record: line db01".
    QString statusText() const;
    // The file or the server, as messages name it.
    QString where() const;

private:
    bool isPostgres() const { return settings_.store == StoreKind::PostgreSQL; }
    std::optional<StoreError> connect();
    std::optional<StoreError> createSchema();
    StoreError failure(const QSqlQuery& query);
    StoreError failure(const QString& reason);
    bool begin(QSqlQuery& query);
    std::variant<qint64, StoreError> insertEntry(QSqlQuery& query, const Entry& entry,
                                                 const QString& outcome, bool again);
    ClaimResult claimIn(QSqlQuery& query, const Entry& entry);

    RecordSettings settings_;
    QString connectionName_;
};

} // namespace Record
