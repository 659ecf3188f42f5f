// The production record: its stores on real files and a real PostgreSQL server, and the
// record as the operator meets it in the real main window on the simulated printer.
#include "environment.h"
#include "files.h"
#include "tempserver.h"
#include "unprivileged.h"

#include "common/msgbox.h"
#include "dialogs/frmrecord.h"
#include "record/recordstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QSqlQuery>
#include <QStatusBar>
#include <QtTest>
#include <atomic>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Common;
using namespace Record;
using namespace TestSupport;

class TestRecord : public QObject {
    Q_OBJECT
    QTemporaryDir dir_;
    TempPostgres pg_; // the line's server, started by the first test that needs it
    std::unique_ptr<Environment> fx_;

    static Entry SetSNo(const QString& code) { return {Operation::SetSNo, {}, 0x51, {}, code}; }

    // "won" (and written), "written by <station>", "taken by <station>", or the error.
    static QString Claiming(RecordStore& store, const QString& code)
    {
        const ClaimResult r = store.claim(SetSNo(code));
        if (const auto* won = std::get_if<Claimed>(&r))
            return store.finish(won->claim, Outcome::Written) ? "finish failed" : "won";
        if (const auto* written = std::get_if<AlreadyWritten>(&r))
            return "written by " + written->station;
        if (const auto* taken = std::get_if<TakenByOther>(&r))
            return "taken by " + taken->station;
        return std::get<StoreError>(r).text();
    }

    static bool WriteAgain(RecordStore& store, const QString& code, Outcome outcome)
    {
        const auto r = store.claimAgain(SetSNo(code));
        return std::holds_alternative<Claimed>(r) &&
               !store.finish(std::get<Claimed>(r).claim, outcome);
    }

    // Newest first, as another connection reads them: the fields from firstField on, joined
    // by '/' ("Set S/No./Printer001/written/0" from the operation on).
    static QStringList Entries(const RecordSettings& s, int limit = 100, int firstField = 7)
    {
        RecordStore reader(s);
        QStringList out;
        for (const QStringList& row : std::get<QList<QStringList>>(reader.latest(limit)).mid(1))
            out << row.mid(firstField).join('/');
        return out;
    }

    RecordSettings station(const QString& name, const QString& file, bool postgres = false) const
    {
        const StoreKind kind = postgres ? StoreKind::PostgreSQL : StoreKind::SQLite;
        return {kind, file, pg_.host(), pg_.port(), pg_.database(), pg_.user(), name};
    }

    // The window on a printer of model 51h; Record.ini says recordIni (empty: the defaults).
    void start(const QByteArray& recordIni = "\r\n")
    {
        fx_ = std::make_unique<Environment>();
        QVERIFY(fx_->write("Record.ini", recordIni));
        fx_->startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
    }

    QStringList entries() const { return Entries(ReadRecordSettings(DataFolder)); }
    void clickSet() { fx_->click(fx_->form->CmdSetSNo); }

private Q_SLOTS:
    void cleanup() { fx_.reset(); }

    void unusableFile_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged") << "file is not a database";
        QTest::newRow("no folder") << "unable to open database file";
        QTest::newRow("read-only") << "attempt to write a readonly database";
        QTest::newRow("newer schema") << "newer version of this program (schema version 9)";
    }
    // The entry is refused with the file and the reason named.
    void unusableFile()
    {
        QFETCH(QString, reason);
        const QString kind = QTest::currentDataTag();
        const bool readOnly = kind == "read-only";
        const RecordSettings s =
            station({}, dir_.filePath(kind == "no folder" ? "gone/x" : kind + ".sqlite"));
        if (kind == "damaged") {
            QVERIFY(WriteFile(s.sqliteFile, QByteArray(4096, '\x5A')));
        } else if (kind != "no folder") {
            RecordStore maker(s);
            QVERIFY(!maker.add(SetSNo("Printer001")));
            QVERIFY(readOnly ||
                    QSqlQuery(maker.database()).exec("UPDATE schema_version SET version = 9"));
        }
        QVERIFY(!readOnly || (::chmod(QFile::encodeName(s.sqliteFile), 0444) == 0 &&
                              ::chmod(QFile::encodeName(dir_.path()), 0755) == 0));
        auto refused = [&] { // 0 when refused, as an exit code
            const QString text = RecordStore(s).add(SetSNo("X")).value_or(StoreError{}).text();
            return text.contains("file " + s.sqliteFile) && text.contains(reason) ? 0 : 1;
        };
        // Root writes any file: the read-only case runs as a user it refuses.
        QCOMPARE(readOnly && ::geteuid() == 0 ? RunUnprivileged(refused) : refused(), 0);
    }

    void claimsAndRace_data()
    {
        QTest::addColumn<bool>("postgres");
        QTest::newRow("SQLite") << false;
        QTest::newRow("PostgreSQL") << true;
    }
    // Written once, a code is written for every station; while one writes it, it is taken
    // for the others; a failed write gives it up; written again on purpose, it goes with the
    // latest write, and a failed rewrite still holds it.
    void claimsAndRace()
    {
        QFETCH(bool, postgres);
        if (postgres && !TempPostgres::Installed())
            QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
        QVERIFY2(!postgres || pg_.start(), qPrintable(pg_.failure()));
        const QString claims = dir_.filePath("claims.sqlite");
        RecordStore a(station("ws-a", claims, postgres));
        RecordStore b(station("ws-b", claims, postgres));
        QCOMPARE(QStringList({Claiming(a, "Code1"), Claiming(a, "Code1"), Claiming(b, "Code1")}),
                 QStringList({"won", "written by ws-a", "written by ws-a"}));
        const ClaimResult pending = a.claim(SetSNo("Code2"));
        QCOMPARE(Claiming(b, "Code2"), "taken by ws-a");
        QVERIFY(!a.finish(std::get<Claimed>(pending).claim, Outcome::PrinterNotConfirmed));
        QCOMPARE(Claiming(b, "Code2"), "won");
        QVERIFY(WriteAgain(a, "Code2", Outcome::Written));
        QCOMPARE(Claiming(b, "Code2"), "written by ws-a");
        QVERIFY(WriteAgain(b, "Code2", Outcome::RegistrationFailed));
        QCOMPARE(std::get<bool>(a.isHeld("Code2")), true);
        // Code, outcome and whether written again.
        QCOMPARE(Entries(station("ws-c", claims, postgres), 5, 8),
                 QStringList({"Code2/registration failed/1", "Code2/written/1", "Code2/written/0",
                              "Code2/printer not confirmed/0", "Code1/written/0"}));
        // Two stations, each on its own connection and thread, claim the same codes at once.
        std::atomic<int> ready{0};
        QStringList results[2];
        auto race = [&](int n) {
            RecordStore s(station(QStringLiteral("ws-%1").arg(n), claims, postgres));
            const bool opened = !s.open();
            for (++ready; ready < 2;)
                std::this_thread::yield();
            for (int i = 0; i < 40; ++i)
                results[n] << (opened ? Claiming(s, QStringLiteral("Race%1").arg(i)) : "not open");
        };
        std::thread other(race, 0);
        race(1);
        other.join();
        for (int i = 0; i < 40; ++i) {
            const QStringList pair{results[0].value(i), results[1].value(i)};
            QVERIFY2(pair.count("won") == 1 && pair.filter(" by ws-").size() == 1,
                     qPrintable(pair.join(", ")));
        }
    }

    // The real box: Enter and Escape answer No, a click on Yes answers Yes.
    void questionDefaultsToNo_data()
    {
        QTest::addColumn<int>("key"); // 0: a click on Yes
        QTest::newRow("Enter") << int(Qt::Key_Return);
        QTest::newRow("Escape") << int(Qt::Key_Escape);
        QTest::newRow("Yes") << 0;
    }
    void questionDefaultsToNo()
    {
        QFETCH(int, key);
        AnswerModal<QMessageBox>([key](QMessageBox& box) {
            key ? QTest::keyClick(&box, Qt::Key(key)) : box.button(QMessageBox::Yes)->click();
        });
        QCOMPARE(MsgBoxYesNo("Write it again?", "Duplicate code"), key == 0);
    }

    // Every operation's entry is committed before its result shows. A code written before is
    // asked about (Enter: No): No sends nothing and keeps it, Yes writes it again and records
    // that. A code another station holds moves the box to the next free one.
    void operationsRecorded_data()
    {
        QTest::addColumn<bool>("yes"); // the answer to the duplicate question
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void operationsRecorded()
    {
        QFETCH(bool, yes);
        start();
        FrmMain& form = *fx_->form;
        QCOMPARE(form.LblRecord->text(), QStringLiteral("Record: this station"));
        RecordStore b(station("ws-b", fx_->path("Record.sqlite")));
        for (const char* code : {"Printer002", "Printer003"})
            QVERIFY(std::holds_alternative<Claimed>(b.claim(SetSNo(code))));
        clickSet();
        fx_->click(form.CmdSNoBack);
        fx_->seams.messages().answerQuestions(yes);
        clickSet();
        QCOMPARE(form.TxtSNo->text(), yes ? "Printer002" : "Printer001");
        form.TxtSNo->setText(QStringLiteral("Printer002"));
        clickSet();
        QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer004"));
        const QStringList shown = fx_->shown();
        QVERIFY2(fx_->titles() == QStringList(2, "Duplicate code") &&
                     shown[0].contains("Printer001") && shown[0].contains(DefaultStationName()) &&
                     shown[1].contains("ws-b") && shown[1].contains("Printer004"),
                 qPrintable(shown.join('\n')));
        clickSet(); // the operator presses Enter again
        QCOMPARE(fx_->wire(),
                 (ModelQuery + SerialNoTransmission("Printer001")).repeated(yes ? 2 : 1) +
                     ModelQuery + SerialNoTransmission("Printer004"));
        QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer005"));
        for (QPushButton* button : {form.CmdGetSNo, form.CmdRegModel, form.CmdGetModel})
            fx_->click(button);
        // A failure's box comes after its entry; a read that failed has no value.
        QStringList atBox;
        const MsgBoxHandler capture =
            SetMsgBoxHandler([&](const QString&, const QString&) { atBox << entries().value(0); });
        fx_->printer->faults().otherModelId = 0x42;
        form.TxtSNo->setText(QStringLiteral("Printer006"));
        clickSet();
        fx_->click(form.CmdGetSNo);
        SetMsgBoxHandler(capture);
        QCOMPARE(atBox, QStringList({"Set S/No./Printer006/printer not confirmed/0",
                                     "Get S/No.//printer not confirmed/0"}));
        QStringList expected{"Get Model name/ZX-Q51/read/0",   "Set Model Name/ZX-Q51/written/0",
                             "Get S/No./Printer004/read/0",    "Set S/No./Printer004/written/0",
                             "Set S/No./Printer001/written/0", "Set S/No./Printer003/claimed/0",
                             "Set S/No./Printer002/claimed/0"};
        if (yes)
            expected.insert(4, QStringLiteral("Set S/No./Printer001/written/1"));
        QCOMPARE(entries().mid(2), expected);
        // The newest entry names the station, the link, the model's id and name.
        const QString newest = Entries(ReadRecordSettings(DataFolder), 1, 3).value(0);
        const QString link = QString("/Virtual-Serial I/F (COM%1:), ").arg(AppSettings.COMPort);
        QVERIFY2(newest.startsWith(DefaultStationName() + link) &&
                     newest.endsWith("/51/ZX-Q51/" + atBox.last()),
                 qPrintable(newest));
    }

    // A store that cannot be used stops "Set S/No." before anything goes out;
    // reading still works, and the entry that could not be kept is reported.
    void storeCannotBeUsed_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("server unreachable") << "Connection refused";
        QTest::newRow("server stopped mid-run") << "";
    }
    void storeCannotBeUsed()
    {
        QFETCH(QString, reason);
        const bool stopped = QTest::currentDataTag() == QLatin1String("server stopped mid-run");
        if (stopped && !TempPostgres::Installed())
            QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
        QVERIFY2(!stopped || pg_.start(), qPrintable(pg_.failure()));
        const int port = stopped ? pg_.port() : 1; // nothing listens on 1
        const QString ini("Store = postgresql\r\nHost = 127.0.0.1\r\nPort = %1\r\n"
                          "Database = %2\r\nUser = %3\r\n");
        start(ini.arg(port).arg(pg_.database(), pg_.user()).toUtf8());
        if (stopped) {
            QCOMPARE(fx_->form->LblRecord->text(), QStringLiteral("Record: line 127.0.0.1"));
            clickSet();
            QCOMPARE(entries().value(0), QStringLiteral("Set S/No./Printer001/written/0"));
            QVERIFY2(pg_.stop(), qPrintable(pg_.failure()));
            fx_->click(fx_->form->CmdSNoBack);
        }
        const QByteArray before = fx_->wire();
        clickSet();
        const QString where = QString("server 127.0.0.1:%1").arg(port);
        const QStringList shown = fx_->shown();
        QVERIFY2(shown.size() == 1 && shown[0].startsWith("Record ERROR! / ") &&
                     shown[0].contains(where) && shown[0].contains(reason),
                 qPrintable(shown.join('\n')));
        QCOMPARE(fx_->wire(), before);
        fx_->verifyNotAdvanced();
        fx_->printer->setIdentificationCode("Printer777");
        fx_->click(fx_->form->CmdGetSNo);
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer777"));
        QCOMPARE(fx_->messages().size(), 2);
    }

    // Switched off, the record leaves no status line, no menu item, no file.
    void recordOff()
    {
        start("Store = off\r\n");
        QVERIFY(!fx_->form->findChild<QStatusBar*>() && !fx_->form->MnuFileRecord->isVisible());
        clickSet();
        QVERIFY(!QFile::exists(fx_->path("Record.sqlite")));
    }

    // The viewer narrows by each filter and exports the rows shown, quoted where needed.
    void viewerFiltersAndExports_data()
    {
        // Code, station, outcome, and the day as days ago (empty: any day).
        QTest::addColumn<QStringList>("filter");
        QTest::addColumn<int>("rows");
        QTest::newRow("all") << QStringList{"", "", "", ""} << 3;
        QTest::newRow("code") << QStringList{"r002", "", "", ""} << 1;
        QTest::newRow("station") << QStringList{"", "WS-B", "", ""} << 1;
        QTest::newRow("outcome") << QStringList{"", "", "written", ""} << 2;
        QTest::newRow("today") << QStringList{"", "ws-a", "", "0"} << 2;
        QTest::newRow("yesterday") << QStringList{"", "", "", "1"} << 0;
    }
    void viewerFiltersAndExports()
    {
        QFETCH(QStringList, filter);
        QFETCH(int, rows);
        const QString file = dir_.filePath(QString("viewer-") + QTest::currentDataTag());
        RecordStore a(station("ws-a", file + ".sqlite"));
        RecordStore b(station("ws-b", file + ".sqlite"));
        const QString model = QStringLiteral("ZX \"Q\", 51");
        QVERIFY(!a.add({Operation::SetModelName, {}, 0x51, model, model, Outcome::Written}));
        QVERIFY(!a.add({Operation::GetSNo, {}, 0x51, {}, "Printer002", Outcome::Read}));
        QVERIFY(!b.add(SetSNo("Printer003")));
        FrmRecord viewer(a.database());
        viewer.TxtCode->setText(filter[0]);
        viewer.TxtStation->setText(filter[1]);
        viewer.CboOutcome->setCurrentText(filter[2]);
        viewer.ChkDate->setChecked(!filter[3].isEmpty());
        viewer.DtpDate->setDate(QDate::currentDate().addDays(-filter[3].toInt()));
        QCOMPARE(viewer.filter().rowCount(), rows);
        QCOMPARE(viewer.exportTo(file + ".csv"), QString());
        const QList<QByteArray> lines = ReadFile(file + ".csv").split('\n');
        QCOMPARE(lines.size(), rows + 2); // the titles, the rows, nothing after the last CR LF
        QVERIFY(rows < 3 ||
                lines.at(3).endsWith(
                    ",\"ZX \"\"Q\"\", 51\",Set Model Name,\"ZX \"\"Q\"\", 51\",written,0\r"));
    }
};

QTEST_MAIN(TestRecord)
#include "tst_record.moc"
