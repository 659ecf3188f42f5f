// The record as the operator meets it: the real main window on the simulated
// printer, the claim before "Set S/No.", the duplicate question, a code that
// another station is writing, a store that cannot be used, the record
// switched off, and a line whose server stops mid-run.
#include "environment.h"
#include "files.h"
#include "temppostgres.h"

#include "common/msgbox.h"
#include "dialogs/frmrecord.h"
#include "record/recordstore.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QtTest>

using namespace Common;
using namespace Record;

class TestRecordWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::Environment> fx_;

    // The window on a printer of model 51h; Record.ini says recordIni (an
    // empty one: the defaults), the SQLite store holds recordFile.
    void start(const QByteArray& recordIni = "\r\n", const QByteArray& recordFile = {})
    {
        fx_ = std::make_unique<TestSupport::Environment>();
        QVERIFY(fx_->write("Record.ini", recordIni) &&
                (recordFile.isEmpty() || fx_->write("Record.sqlite", recordFile)));
        fx_->startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
    }

    // Operation, code or name, outcome and "again", newest first, as another
    // connection to the window's store reads them.
    QStringList entries() const
    {
        RecordStore reader(ReadRecordSettings(fx_->dataDir.path()));
        QStringList out;
        for (const QStringList& row : std::get<QList<QStringList>>(reader.latest(100)).mid(1))
            out << QStringList{row[7], row[8], row[9], row[10]}.join(QLatin1Char('/'));
        return out;
    }

    void clickSet() { fx_->click(fx_->form->CmdSetSNo); }

private Q_SLOTS:
    void cleanup() { fx_.reset(); }

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
        TestSupport::AnswerModal<QMessageBox>([key](QMessageBox& box) {
            key ? QTest::keyClick(&box, Qt::Key(key)) : box.button(QMessageBox::Yes)->click();
        });
        QCOMPARE(MsgBoxYesNo(QStringLiteral("Write it again?"), QStringLiteral("Duplicate code")),
                 key == 0);
    }

    // A code written before is asked about, No the answer for Enter: No
    // sends nothing and keeps the code, Yes writes it again and records
    // that. A code another station holds moves the box to the next free one.
    void duplicateAndTakenCodes_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void duplicateAndTakenCodes()
    {
        QFETCH(bool, yes);
        start();
        QCOMPARE(fx_->form->LblRecord->text(), QStringLiteral("Record: this station"));
        RecordSettings other = ReadRecordSettings(fx_->dataDir.path());
        other.station = QStringLiteral("ws-b");
        RecordStore b(other);
        for (const char* code : {"Printer002", "Printer003"})
            QVERIFY(std::holds_alternative<Claimed>(
                b.claim({Operation::SetSNo, {}, 0x51, {}, QString::fromLatin1(code)})));
        clickSet();
        fx_->click(fx_->form->CmdSNoBack);
        fx_->seams.messages().answerQuestions(yes);
        clickSet();
        QCOMPARE(fx_->titles(), QStringList{QStringLiteral("Duplicate code")});
        const QString asked = fx_->messages().first().text;
        QVERIFY2(asked.contains("Printer001") && asked.contains(DefaultStationName()),
                 qPrintable(asked));
        QCOMPARE(fx_->form->TxtSNo->text(), yes ? "Printer002" : "Printer001");
        fx_->form->TxtSNo->setText(QStringLiteral("Printer002"));
        clickSet();
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer004"));
        QVERIFY2(fx_->shown().size() == 2 && fx_->shown().last().contains("ws-b") &&
                     fx_->shown().last().contains("Printer004"),
                 qPrintable(fx_->shown().join('\n')));
        clickSet(); // the operator presses Enter again
        const QByteArray once =
            TestSupport::ModelQuery + TestSupport::SerialNoTransmission("Printer001");
        QCOMPARE(fx_->wire(), (yes ? once + once : once) + TestSupport::ModelQuery +
                                  TestSupport::SerialNoTransmission("Printer004"));
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer005"));
        QStringList expected{"Set S/No./Printer004/written/0", "Set S/No./Printer001/written/0",
                             "Set S/No./Printer003/claimed/0", "Set S/No./Printer002/claimed/0"};
        if (yes)
            expected.insert(1, QStringLiteral("Set S/No./Printer001/written/1"));
        QCOMPARE(entries(), expected);
    }

    // Each of the four operations leaves its entry, committed before its
    // result shows; a write that failed gives its code up.
    void everyOperationRecorded()
    {
        start();
        FrmMain& form = *fx_->form;
        clickSet();
        fx_->click(form.CmdGetSNo);
        fx_->click(form.CmdRegModel);
        fx_->click(form.CmdGetModel);
        // A failure's box comes after its entry; a read that failed has no
        // value.
        QStringList atBox;
        const MsgBoxHandler capture =
            SetMsgBoxHandler([&](const QString&, const QString&) { atBox << entries().value(0); });
        fx_->printer->faults().otherModelId = 0x42;
        form.TxtSNo->setText(QStringLiteral("Printer002"));
        clickSet();
        fx_->click(form.CmdGetSNo);
        SetMsgBoxHandler(capture);
        QCOMPARE(atBox, QStringList({"Set S/No./Printer002/printer not confirmed/0",
                                     "Get S/No.//printer not confirmed/0"}));
        QCOMPARE(entries().mid(2),
                 QStringList({"Get Model name/ZX-Q51/read/0", "Set Model Name/ZX-Q51/written/0",
                              "Get S/No./Printer001/read/0", "Set S/No./Printer001/written/0"}));
        // The newest entry names the station, the link, the model's id and name.
        RecordStore reader(ReadRecordSettings(fx_->dataDir.path()));
        const QStringList row = std::get<QList<QStringList>>(reader.latest(1)).at(1);
        const QString port = QString::number(AppSettings.COMPort);
        QVERIFY2(row.mid(3, 2).join('|').startsWith(DefaultStationName() +
                                                    "|Virtual-Serial I/F (COM" + port + ":), ") &&
                     row.mid(5, 2) == QStringList({"51", "ZX-Q51"}),
                 qPrintable(row.join('|')));
    }

    // A store that cannot be used stops "Set S/No." before anything goes out;
    // reading still works, and the entry that could not be kept is reported.
    void storeCannotBeUsed_data()
    {
        QTest::addColumn<QString>("store");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged file") << QString("damaged") << "file is not a database";
        QTest::newRow("server unreachable") << QString("closed") << "Connection refused";
        QTest::newRow("server stopped mid-run") << QString("stopped") << "";
    }
    void storeCannotBeUsed()
    {
        QFETCH(QString, store);
        QFETCH(QString, reason);
        TestSupport::TempPostgres server;
        if (store == "stopped" && TestSupport::TempPostgres::BinDir().isEmpty())
            QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
        QVERIFY2(store != "stopped" || server.start(), qPrintable(server.failure()));
        const int port = store == "closed" ? 1 : server.port(); // nothing listens on 1
        const bool file = store == "damaged";
        start(file ? "\r\n"
                   : QString("Store = postgresql\r\nHost = 127.0.0.1\r\nPort = %1\r\n"
                             "Database = %2\r\nUser = %3\r\n")
                         .arg(port)
                         .arg(server.database(), server.user())
                         .toUtf8(),
              file ? QByteArray(2048, 'x') : QByteArray());
        const QString where = file
                                  ? QStringLiteral("file %1/Record.sqlite").arg(fx_->dataDir.path())
                                  : QStringLiteral("server 127.0.0.1:%1").arg(port);
        if (store == "stopped") {
            QCOMPARE(fx_->form->LblRecord->text(), QStringLiteral("Record: line 127.0.0.1"));
            clickSet();
            QCOMPARE(entries(), QStringList{QStringLiteral("Set S/No./Printer001/written/0")});
            QVERIFY2(server.stop(), qPrintable(server.failure()));
            fx_->click(fx_->form->CmdSNoBack);
        }
        const QByteArray before = fx_->wire();
        clickSet();
        QCOMPARE(fx_->titles(), QStringList{QStringLiteral("Record ERROR!")});
        const QString text = fx_->messages().first().text;
        QVERIFY2(text.contains(where) && text.contains(reason), qPrintable(text));
        QCOMPARE(fx_->wire(), before);
        fx_->verifyNotAdvanced();
        fx_->printer->setIdentificationCode("Printer777");
        fx_->click(fx_->form->CmdGetSNo);
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer777"));
        QCOMPARE(fx_->messages().size(), 2);
    }

    // Switched off, the record leaves no trace: no status line, no menu
    // item, no file, and the same code goes out twice without a question.
    void recordOff()
    {
        start("Store = off\r\n");
        QVERIFY(!fx_->form->findChild<QStatusBar*>());
        QVERIFY(!fx_->form->MnuFileRecord->isVisible());
        clickSet();
        fx_->click(fx_->form->CmdSNoBack);
        clickSet();
        const QByteArray once =
            TestSupport::ModelQuery + TestSupport::SerialNoTransmission("Printer001");
        QCOMPARE(fx_->wire(), once + once);
        QVERIFY(fx_->seams.messages().isEmpty());
        QVERIFY(!QFile::exists(fx_->dataDir.filePath(QStringLiteral("Record.sqlite"))));
    }

    // The viewer narrows the entries by each filter and exports the rows it
    // shows, quoted where a field needs it.
    void viewerFiltersAndExports_data()
    {
        QTest::addColumn<QStringList>("filter"); // code, station, outcome
        QTest::addColumn<int>("daysAgo");        // -1: any day
        QTest::addColumn<int>("rows");
        QTest::newRow("all") << QStringList{"", "", ""} << -1 << 3;
        QTest::newRow("code") << QStringList{"r002", "", ""} << -1 << 1;
        QTest::newRow("station") << QStringList{"", "WS-B", ""} << -1 << 1;
        QTest::newRow("outcome") << QStringList{"", "", "written"} << -1 << 1;
        QTest::newRow("today") << QStringList{"", "ws-a", ""} << 0 << 2;
        QTest::newRow("yesterday") << QStringList{"", "", ""} << 1 << 0;
    }
    void viewerFiltersAndExports()
    {
        QFETCH(QStringList, filter);
        QFETCH(int, daysAgo);
        QFETCH(int, rows);
        QTemporaryDir dir;
        RecordSettings s;
        s.sqliteFile = dir.filePath(QStringLiteral("Record.sqlite"));
        s.station = QStringLiteral("ws-a");
        RecordStore a(s);
        s.station = QStringLiteral("ws-b");
        RecordStore b(s);
        const QString model = QStringLiteral("ZX \"Q\", 51");
        QVERIFY(!a.add({Operation::SetModelName, {}, 0x51, model, model, Outcome::Written}));
        QVERIFY(!a.add({Operation::GetSNo, {}, 0x51, model, "Printer002", Outcome::Read}));
        QVERIFY(!b.add(
            {Operation::SetSNo, {}, 0x51, model, "Printer003", Outcome::PrinterNotConfirmed}));
        QVERIFY(!a.open());
        FrmRecord viewer(a.database());
        viewer.TxtCode->setText(filter[0]);
        viewer.TxtStation->setText(filter[1]);
        viewer.CboOutcome->setCurrentText(filter[2]);
        viewer.ChkDate->setChecked(daysAgo >= 0);
        viewer.DtpDate->setDate(QDate::currentDate().addDays(-std::max(daysAgo, 0)));
        QCOMPARE(viewer.filter().rowCount(), rows);
        const QString csv = dir.filePath(QStringLiteral("out.csv"));
        QCOMPARE(viewer.exportTo(csv), QString());
        const QList<QByteArray> lines = TestSupport::ReadFile(csv).split('\n');
        QCOMPARE(lines.size(), rows + 2); // the titles, the rows, nothing after the last CR LF
        if (rows == 3)
            QVERIFY(lines.at(3).endsWith(
                ",\"ZX \"\"Q\"\", 51\",Set Model Name,\"ZX \"\"Q\"\", 51\",written,0\r"));
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
