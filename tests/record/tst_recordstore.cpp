// The record's stores on real files and on a real PostgreSQL server: files
// that cannot be used, the claims that keep a code out of a second printer,
// and two stations racing for the same codes.
#include "files.h"
#include "temppostgres.h"
#include "unprivileged.h"

#include "record/recordstore.h"

#include <QSqlQuery>
#include <QtTest>
#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Record;
using Common::Outcome;

namespace {

enum class Store { SQLite, PostgreSQL };

Entry CodeEntry(const QString& code)
{
    return Entry{Operation::SetSNo,
                 QStringLiteral("Virtual-Serial I/F (COM16:)"),
                 0x51,
                 QStringLiteral("ZX-Q51"),
                 code,
                 Outcome::Written};
}

Claim Ticket(const ClaimResult& result)
{
    return std::get<Claimed>(result).claim;
}

// Operation, code, outcome, station and whether written again; newest first.
QStringList Entries(RecordStore& store)
{
    const auto rows = store.latest(100);
    if (const auto* error = std::get_if<StoreError>(&rows))
        return {error->text()};
    QStringList out;
    for (const QStringList& row : std::get<QList<QStringList>>(rows).mid(1))
        out << QStringList{row[7], row[8], row[9], row[3], row[10]}.join(QLatin1Char('/'));
    return out;
}

} // namespace

class TestRecordStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    std::unique_ptr<TestSupport::TempPostgres> server_;

    // A station's settings on the store of the row; the server starts on
    // first use, and each row begins with an empty record.
    RecordSettings station(Store store, const QString& name)
    {
        RecordSettings s;
        s.station = name;
        s.sqliteFile = dir_.filePath(QTest::currentTestFunction() + QStringLiteral(".sqlite"));
        if (store == Store::PostgreSQL) {
            s.store = StoreKind::PostgreSQL;
            s.host = server_->host();
            s.port = server_->port();
            s.database = server_->database();
            s.user = server_->user();
        }
        return s;
    }

    void prepare(Store store)
    {
        if (store == Store::PostgreSQL) {
            if (TestSupport::TempPostgres::BinDir().isEmpty())
                QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
            if (!server_)
                server_ = std::make_unique<TestSupport::TempPostgres>();
            QVERIFY2(server_->start(), qPrintable(server_->failure()));
        }
        RecordStore cleaner(station(store, QStringLiteral("cleaner")));
        QVERIFY(!cleaner.open());
        QSqlQuery query(cleaner.database());
        QVERIFY(query.exec(QStringLiteral("DELETE FROM claims")));
        QVERIFY(query.exec(QStringLiteral("DELETE FROM entries")));
    }

private Q_SLOTS:
    void unusableFile_data()
    {
        QTest::addColumn<QByteArray>("contents"); // "-": no file; "record": a valid one
        QTest::addColumn<QString>("folder");
        QTest::addColumn<bool>("readOnly");
        QTest::addColumn<QString>("reason"); // empty: the entry is recorded
        QTest::newRow("new file") << QByteArray("-") << "" << false << "";
        QTest::newRow("damaged") << QByteArray(4096, '\x5A') << "" << false
                                 << "file is not a database";
        QTest::newRow("no folder")
            << QByteArray("-") << "gone/" << false << "unable to open database file";
        QTest::newRow("read-only")
            << QByteArray("record") << "" << true << "attempt to write a readonly database";
        QTest::newRow("newer schema") << QByteArray("newer") << "" << false
                                      << "newer version of this program (schema version 9)";
    }
    void unusableFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, folder);
        QFETCH(bool, readOnly);
        QFETCH(QString, reason);
        RecordSettings s = station(Store::SQLite, QStringLiteral("ws-a"));
        s.sqliteFile = dir_.filePath(folder + QTest::currentDataTag() + QStringLiteral(".sqlite"));
        if (contents == "record" || contents == "newer") {
            RecordStore maker(s);
            QVERIFY(!maker.add(CodeEntry(QStringLiteral("Printer001"))));
            if (contents == "newer")
                QVERIFY(QSqlQuery(maker.database())
                            .exec(QStringLiteral("UPDATE schema_version SET version = 9")));
        } else if (contents != "-") {
            QVERIFY(TestSupport::WriteFile(s.sqliteFile, contents));
        }
        if (readOnly) {
            QVERIFY(::chmod(QFile::encodeName(s.sqliteFile), 0444) == 0);
            QVERIFY(::chmod(QFile::encodeName(dir_.path()), 0755) == 0);
        }
        // An entry goes in, or the error names the file and the reason.
        auto attempt = [&] {
            RecordStore store(s);
            const std::optional<StoreError> error = store.add(CodeEntry(QStringLiteral("X")));
            if (!error)
                return reason.isEmpty() && Entries(store).size() == (contents == "-" ? 1 : 2);
            return !reason.isEmpty() && error->text().contains(s.sqliteFile) &&
                   error->text().contains(reason);
        };
        // Root writes any file: the read-only case runs as a user the file
        // refuses.
        if (readOnly && ::geteuid() == 0)
            QCOMPARE(RunUnprivileged([&] { return attempt() ? 0 : 1; }), 0);
        else
            QVERIFY(attempt());
    }

    void claims_data()
    {
        QTest::addColumn<Store>("store");
        QTest::newRow("SQLite") << Store::SQLite;
        QTest::newRow("PostgreSQL") << Store::PostgreSQL;
    }
    void claims()
    {
        QFETCH(Store, store);
        prepare(store);
        RecordStore a(station(store, QStringLiteral("ws-a")));
        RecordStore b(station(store, QStringLiteral("ws-b")));
        const QString one = QStringLiteral("Printer001");
        const QString two = QStringLiteral("Printer002");

        // Written once, the code is written for every station of the store.
        const ClaimResult first = a.claim(CodeEntry(one));
        QVERIFY(std::holds_alternative<Claimed>(first));
        QVERIFY(!a.finish(Ticket(first), Outcome::Written));
        for (RecordStore* s : {&a, &b}) {
            const ClaimResult again = s->claim(CodeEntry(one));
            QVERIFY(std::holds_alternative<AlreadyWritten>(again));
            QCOMPARE(std::get<AlreadyWritten>(again).station, QStringLiteral("ws-a"));
        }
        // While one station writes a code, another is told it is taken; a
        // write that did not go out gives the code up.
        const ClaimResult pending = a.claim(CodeEntry(two));
        const ClaimResult taken = b.claim(CodeEntry(two));
        QVERIFY(std::holds_alternative<TakenByOther>(taken));
        QCOMPARE(std::get<TakenByOther>(taken).station, QStringLiteral("ws-a"));
        QCOMPARE(std::get<bool>(b.isHeld(two)), true);
        QVERIFY(!a.finish(Ticket(pending), Outcome::PrinterNotConfirmed));
        QCOMPARE(std::get<bool>(b.isHeld(two)), false);
        const ClaimResult second = b.claim(CodeEntry(two));
        QVERIFY(!b.finish(Ticket(second), Outcome::Written));
        // Written again on purpose: the code goes with its latest write; a
        // rewrite that failed still leaves it held.
        const auto repeat = a.claimAgain(CodeEntry(two));
        QVERIFY(!a.finish(std::get<Claimed>(repeat).claim, Outcome::Written));
        QCOMPARE(std::get<AlreadyWritten>(b.claim(CodeEntry(two))).station, QStringLiteral("ws-a"));
        const auto failed = b.claimAgain(CodeEntry(two));
        QVERIFY(!b.finish(std::get<Claimed>(failed).claim, Outcome::RegistrationFailed));
        QCOMPARE(std::get<bool>(a.isHeld(two)), true);

        QCOMPARE(Entries(b), QStringList({"Set S/No./Printer002/registration failed/ws-b/1",
                                          "Set S/No./Printer002/written/ws-a/1",
                                          "Set S/No./Printer002/written/ws-b/0",
                                          "Set S/No./Printer002/printer not confirmed/ws-a/0",
                                          "Set S/No./Printer001/written/ws-a/0"}));
    }

    // Two stations, each on its own connection and thread, claim the same
    // codes at the same moment: every code is won exactly once.
    void race_data() { claims_data(); }
    void race()
    {
        QFETCH(Store, store);
        prepare(store);
        constexpr int Codes = 40;
        std::atomic<int> ready{0};
        std::atomic<int> errors{0};
        std::vector<char> won[2] = {std::vector<char>(Codes), std::vector<char>(Codes)};
        auto run = [&](int n) {
            RecordStore s(station(store, QStringLiteral("ws-%1").arg(n)));
            errors += s.open().has_value();
            for (++ready; ready < 2;)
                std::this_thread::yield();
            for (int i = 0; i < Codes; ++i) {
                const ClaimResult r =
                    s.claim(CodeEntry(QStringLiteral("Race%1").arg(i, 6, 10, QLatin1Char('0'))));
                errors += std::holds_alternative<StoreError>(r);
                won[n][i] = std::holds_alternative<Claimed>(r);
                if (won[n][i])
                    errors += s.finish(Ticket(r), Outcome::Written).has_value();
            }
        };
        std::thread first(run, 0);
        std::thread second(run, 1);
        first.join();
        second.join();
        QCOMPARE(errors.load(), 0);
        for (int i = 0; i < Codes; ++i)
            QVERIFY2(won[0][i] + won[1][i] == 1, qPrintable(QString::number(i)));
    }
};

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
