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

using namespace Record;
using Common::Outcome;

namespace {

// What a claim of code says: "won" (and written), "written by <station>",
// "taken by <station>", or the error.
QString Claiming(RecordStore& store, const QString& code)
{
    const ClaimResult r = store.claim({Operation::SetSNo, {}, 0x51, {}, code});
    if (const auto* won = std::get_if<Claimed>(&r))
        return store.finish(won->claim, Outcome::Written) ? "finish failed" : "won";
    if (const auto* written = std::get_if<AlreadyWritten>(&r))
        return "written by " + written->station;
    if (const auto* taken = std::get_if<TakenByOther>(&r))
        return "taken by " + taken->station;
    return std::get<StoreError>(r).text();
}

bool WriteAgain(RecordStore& store, const QString& code, Outcome outcome)
{
    const auto r = store.claimAgain({Operation::SetSNo, {}, 0x51, {}, code});
    return std::holds_alternative<Claimed>(r) && !store.finish(std::get<Claimed>(r).claim, outcome);
}

} // namespace

class TestRecordStore : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;

private Q_SLOTS:
    void unusableFile_data()
    {
        QTest::addColumn<QByteArray>("contents"); // "record"/"newer": a valid/newer record
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged") << QByteArray(4096, '\x5A') << "file is not a database";
        QTest::newRow("no folder") << QByteArray() << "unable to open database file";
        QTest::newRow("read-only")
            << QByteArray("record") << "attempt to write a readonly database";
        QTest::newRow("newer schema")
            << QByteArray("newer") << "newer version of this program (schema version 9)";
    }
    // The entry is refused with the file and the reason named.
    void unusableFile()
    {
        QFETCH(QByteArray, contents);
        QFETCH(QString, reason);
        RecordSettings s;
        s.sqliteFile = dir_.filePath(QTest::currentDataTag() +
                                     QString(contents.isEmpty() ? "/gone/x" : ".sqlite"));
        if (contents == "record" || contents == "newer") {
            RecordStore maker(s);
            QVERIFY(!maker.add({Operation::SetSNo, {}, 0x51, {}, QStringLiteral("Printer001")}));
            QVERIFY(contents == "record" ||
                    QSqlQuery(maker.database())
                        .exec(QStringLiteral("UPDATE schema_version SET version = 9")));
        } else if (!contents.isEmpty()) {
            QVERIFY(TestSupport::WriteFile(s.sqliteFile, contents));
        }
        const bool readOnly = contents == "record";
        QVERIFY(!readOnly || (::chmod(QFile::encodeName(s.sqliteFile), 0444) == 0 &&
                              ::chmod(QFile::encodeName(dir_.path()), 0755) == 0));
        auto refused = [&] {
            const auto error = RecordStore(s).add({Operation::GetSNo, {}, 0x51, {}, "X"});
            return error && error->text().contains(s.sqliteFile) && error->text().contains(reason);
        };
        // Root writes any file: the read-only case runs as a user it refuses.
        if (readOnly && ::geteuid() == 0)
            QCOMPARE(RunUnprivileged([&] { return refused() ? 0 : 1; }), 0);
        else
            QVERIFY(refused());
    }

    void claimsAndRace_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }
    // Written once, a code is written for every station; while one station
    // writes it, it is taken for the others; a write that did not go out
    // gives it up; written again on purpose, it goes with the latest write,
    // and a rewrite that failed still holds it.
    void claimsAndRace()
    {
        QFETCH(bool, postgres);
        if (postgres && TestSupport::TempPostgres::BinDir().isEmpty())
            QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
        TestSupport::TempPostgres server;
        QVERIFY2(!postgres || server.start(), qPrintable(server.failure()));
        auto station = [&](const QString& name) {
            RecordSettings s;
            s.station = name;
            s.sqliteFile = dir_.filePath(QStringLiteral("claims.sqlite"));
            if (postgres) {
                s.store = StoreKind::PostgreSQL;
                s.host = server.host();
                s.port = server.port();
                s.database = server.database();
                s.user = server.user();
            }
            return s;
        };
        RecordStore a(station(QStringLiteral("ws-a")));
        RecordStore b(station(QStringLiteral("ws-b")));
        const QString one = QStringLiteral("Printer001");
        const QString two = QStringLiteral("Printer002");
        QCOMPARE(Claiming(a, one), "won");
        QCOMPARE(Claiming(a, one) + ", " + Claiming(b, one), "written by ws-a, written by ws-a");
        const ClaimResult pending = a.claim({Operation::SetSNo, {}, 0x51, {}, two});
        QCOMPARE(Claiming(b, two), "taken by ws-a");
        QCOMPARE(std::get<bool>(b.isHeld(two)), true);
        QVERIFY(!a.finish(std::get<Claimed>(pending).claim, Outcome::PrinterNotConfirmed));
        QCOMPARE(std::get<bool>(b.isHeld(two)), false);
        QCOMPARE(Claiming(b, two), "won");
        QVERIFY(WriteAgain(a, two, Outcome::Written));
        QCOMPARE(Claiming(b, two), "written by ws-a");
        QVERIFY(WriteAgain(b, two, Outcome::RegistrationFailed));
        QCOMPARE(std::get<bool>(a.isHeld(two)), true);
        // Code, outcome, station and whether written again; newest first.
        QStringList entries;
        for (const QStringList& row : std::get<QList<QStringList>>(b.latest(9)).mid(1))
            entries << QStringList{row[8], row[9], row[3], row[10]}.join(QLatin1Char('/'));
        QCOMPARE(entries, QStringList({"Printer002/registration failed/ws-b/1",
                                       "Printer002/written/ws-a/1", "Printer002/written/ws-b/0",
                                       "Printer002/printer not confirmed/ws-a/0",
                                       "Printer001/written/ws-a/0"}));
        // Two stations, each on its own connection and thread, claim the
        // same codes at the same moment: every code is won exactly once.
        std::atomic<int> ready{0};
        QStringList results[2];
        auto race = [&](int n) {
            RecordStore s(station(QStringLiteral("ws-%1").arg(n)));
            const bool opened = !s.open();
            for (++ready; ready < 2;)
                std::this_thread::yield();
            for (int i = 0; i < 40; ++i)
                results[n] << (opened ? Claiming(s, QStringLiteral("Race%1").arg(i)) : "not open");
        };
        std::thread first(race, 0);
        std::thread second(race, 1);
        first.join();
        second.join();
        for (int i = 0; i < 40; ++i) {
            const QStringList pair{results[0].value(i), results[1].value(i)};
            QVERIFY2(pair.count("won") == 1 && pair.filter(" by ws-").size() == 1,
                     qPrintable(pair.join(", ")));
        }
    }
};

QTEST_GUILESS_MAIN(TestRecordStore)
#include "tst_recordstore.moc"
