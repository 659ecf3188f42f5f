// What the production record costs. Per operation, on this machine: the
// claim and the outcome of a "Set S/No." and the one entry of the other
// operations, with SQLite in a file (target under 5 ms) and with PostgreSQL
// (target under 10 ms; a private server started here, fsync on as in
// production). Then a line: eight stations, each on its own connection and
// thread, write 10,000 codes into one PostgreSQL database as the program
// does (claim, outcome, next free code when taken); it prints the time taken
// and counts in the database that no code was written twice.

#include "benchsupport.h"
#include "tempserver.h"

#include "record/recordstore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <atomic>
#include <cstdio>
#include <thread>
#include <vector>

using namespace Record;
using Common::Outcome;

namespace {

constexpr int kRuns = 300;
constexpr int kStations = 8;
constexpr int kLineCodes = 10000;

QString Code(int n)
{
    return QStringLiteral("Printer%1").arg(n, 5, 10, QLatin1Char('0'));
}

Entry CodeEntry(const QString& code, Outcome outcome = Outcome::Written)
{
    return Entry{Operation::SetSNo,
                 QStringLiteral("Virtual-Serial I/F (COM16:)"),
                 0x51,
                 QStringLiteral("ZX-Q51"),
                 code,
                 outcome};
}

bool Report(const char* store, RecordStore& record)
{
    if (const std::optional<StoreError> error = record.open()) {
        std::printf("%s: %s\n", store, qPrintable(error->text()));
        return false;
    }
    std::vector<double> writes;
    std::vector<double> reads;
    QElapsedTimer timer;
    for (int i = 0; i < kRuns; ++i) {
        timer.start();
        const ClaimResult claim = record.claim(CodeEntry(Code(i)));
        const bool ok = std::holds_alternative<Claimed>(claim) &&
                        !record.finish(std::get<Claimed>(claim).claim, Outcome::Written);
        writes.push_back(timer.nsecsElapsed() / 1e6);
        timer.start();
        const bool added = !record.add(CodeEntry(Code(i), Outcome::Read));
        reads.push_back(timer.nsecsElapsed() / 1e6);
        if (!ok || !added) {
            std::printf("%s: run %d failed\n", store, i);
            return false;
        }
    }
    std::printf("%s: Set S/No. (claim + outcome): median %.2f ms, worst %.2f ms over %d\n", store,
                Bench::Median(writes), Bench::Worst(writes), kRuns);
    std::printf("%s: other operations (one entry): median %.2f ms, worst %.2f ms over %d\n", store,
                Bench::Median(reads), Bench::Worst(reads), kRuns);
    return true;
}

// One station of the line: writes the code it shows, or moves on to the next
// free one when another station got there first.
void Station(const RecordSettings& settings, std::atomic<int>& won, std::atomic<int>& lost,
             std::atomic<int>& errors)
{
    RecordStore record(settings);
    for (int n = 0; n < kLineCodes;) {
        const ClaimResult claim = record.claim(CodeEntry(Code(n)));
        if (const auto* claimed = std::get_if<Claimed>(&claim)) {
            errors += record.finish(claimed->claim, Outcome::Written).has_value();
            ++won;
            ++n;
            continue;
        }
        if (std::holds_alternative<StoreError>(claim)) {
            ++errors;
            return;
        }
        ++lost;
        while (++n < kLineCodes) {
            const auto held = record.isHeld(Code(n));
            if (!std::holds_alternative<bool>(held) || !std::get<bool>(held))
                break;
        }
    }
}

qint64 Count(RecordStore& record, const QString& sql)
{
    QSqlQuery query(record.database());
    return query.exec(sql) && query.next() ? query.value(0).toLongLong() : -1;
}

bool RunLine(const RecordSettings& base)
{
    std::atomic<int> won{0}, lost{0}, errors{0};
    std::vector<std::thread> stations;
    QElapsedTimer timer;
    timer.start();
    for (int s = 0; s < kStations; ++s) {
        RecordSettings settings = base;
        settings.station = QStringLiteral("station-%1").arg(s + 1);
        stations.emplace_back(Station, settings, std::ref(won), std::ref(lost), std::ref(errors));
    }
    for (std::thread& t : stations)
        t.join();
    const double seconds = timer.nsecsElapsed() / 1e9;

    RecordStore check(base);
    if (check.open())
        return false;
    const QString written = QStringLiteral("FROM entries WHERE outcome = 'written' "
                                           "AND value LIKE 'Printer%'");
    const qint64 writes = Count(check, QStringLiteral("SELECT COUNT(*) ") + written);
    const qint64 codes = Count(check, QStringLiteral("SELECT COUNT(DISTINCT value) ") + written);
    std::printf("line: %d stations wrote %lld codes in %.1f s (%.0f codes/s); "
                "claims lost to another station %d, store errors %d\n",
                kStations, static_cast<long long>(writes), seconds, writes / seconds, lost.load(),
                errors.load());
    std::printf("line: codes written twice: %lld (distinct codes %lld)\n",
                static_cast<long long>(writes - codes), static_cast<long long>(codes));
    return errors == 0 && writes == kLineCodes && codes == kLineCodes;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    RecordSettings sqlite;
    sqlite.sqliteFile = dir.filePath(QStringLiteral("Record.sqlite"));
    sqlite.station = QStringLiteral("bench");
    RecordStore local(sqlite);
    bool ok = Report("SQLite", local);

    if (!TestSupport::TempPostgres::Installed()) {
        std::printf("PostgreSQL: no server installed, skipped\n");
        return ok ? 0 : 1;
    }
    TestSupport::TempPostgres server(true);
    if (!server.start()) {
        std::printf("PostgreSQL: %s\n", qPrintable(server.failure()));
        return 1;
    }
    RecordSettings line = sqlite;
    line.store = StoreKind::PostgreSQL;
    line.host = server.host();
    line.port = server.port();
    line.database = server.database();
    line.user = server.user();
    {
        RecordStore shared(line);
        ok = Report("PostgreSQL", shared) && ok;
        // The line starts on an empty record.
        QSqlQuery clear(shared.database());
        clear.exec(QStringLiteral("DELETE FROM claims"));
        clear.exec(QStringLiteral("DELETE FROM entries"));
    }
    ok = RunLine(line) && ok;
    return ok ? 0 : 1;
}
