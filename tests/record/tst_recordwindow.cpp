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

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QStatusBar>
#include <QTcpServer>
#include <QtTest>

using namespace Common;
using namespace Record;

namespace {

int ClosedPort()
{
    QTcpServer probe;
    return probe.listen(QHostAddress::LocalHost, 0) ? probe.serverPort() : 1;
}

} // namespace

class TestRecordWindow : public QObject {
    Q_OBJECT
    std::unique_ptr<TestSupport::Environment> fx_;

    // The window on a printer of model 51h; Record.ini says recordIni (an
    // empty one: the defaults), the SQLite store holds recordFile.
    void start(const QByteArray& recordIni = "\r\n", const QByteArray& recordFile = {})
    {
        fx_ = std::make_unique<TestSupport::Environment>();
        QVERIFY(
            TestSupport::WriteFile(fx_->dataDir.filePath(QStringLiteral("Record.ini")), recordIni));
        if (!recordFile.isEmpty())
            QVERIFY(TestSupport::WriteFile(fx_->dataDir.filePath(QStringLiteral("Record.sqlite")),
                                           recordFile));
        fx_->startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
    }

    // Operation, code or name, outcome and "again", newest first, as another
    // connection to the window's store reads them.
    QStringList entries() const
    {
        RecordStore reader(ReadRecordSettings(fx_->dataDir.path()));
        const auto rows = reader.latest(100);
        if (const auto* error = std::get_if<StoreError>(&rows))
            return {error->text()};
        QStringList out;
        for (const QStringList& row : std::get<QList<QStringList>>(rows).mid(1))
            out << QStringList{row[7], row[8], row[9], row[10]}.join(QLatin1Char('/'));
        return out;
    }

    void clickSet() { fx_->click(fx_->form->CmdSetSNo); }

private Q_SLOTS:
    void cleanup() { fx_.reset(); }

    // The real box: Enter and Escape answer No, a click on Yes answers Yes.
    void questionDefaultsToNo_data()
    {
        QTest::addColumn<int>("key"); // 0: click Yes
        QTest::addColumn<bool>("yes");
        QTest::newRow("Enter") << int(Qt::Key_Return) << false;
        QTest::newRow("Escape") << int(Qt::Key_Escape) << false;
        QTest::newRow("Yes") << 0 << true;
    }
    void questionDefaultsToNo()
    {
        QFETCH(int, key);
        QFETCH(bool, yes);
        QTimer answer;
        QObject::connect(&answer, &QTimer::timeout, [key] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (box && key)
                QTest::keyClick(box, Qt::Key(key));
            else if (box)
                box->button(QMessageBox::Yes)->click();
        });
        answer.start(50);
        QCOMPARE(MsgBoxYesNo(QStringLiteral("Write it again?"), QStringLiteral("Duplicate code")),
                 yes);
    }

    void duplicateCode_data()
    {
        QTest::addColumn<bool>("yes");
        QTest::newRow("No") << false;
        QTest::newRow("Yes") << true;
    }
    void duplicateCode()
    {
        QFETCH(bool, yes);
        start();
        QCOMPARE(fx_->form->LblRecord->text(), QStringLiteral("Record: this station"));
        clickSet();
        fx_->click(fx_->form->CmdSNoBack);
        fx_->seams.messages().answerQuestions(yes);
        clickSet();
        QCOMPARE(fx_->shown().size(), 1);
        const CapturedMessage& asked = fx_->seams.messages().all().first();
        QCOMPARE(asked.title, QStringLiteral("Duplicate code"));
        QVERIFY2(asked.text.contains(QStringLiteral("Printer001")) &&
                     asked.text.contains(DefaultStationName()),
                 qPrintable(asked.text));
        const QByteArray once =
            TestSupport::ModelQuery + TestSupport::SerialNoTransmission("Printer001");
        QCOMPARE(fx_->wire(), yes ? once + once : once);
        QCOMPARE(fx_->form->TxtSNo->text(), yes ? QStringLiteral("Printer002") : "Printer001");
        QStringList expected{QStringLiteral("Set S/No./Printer001/written/0")};
        if (yes)
            expected.prepend(QStringLiteral("Set S/No./Printer001/written/1"));
        QCOMPARE(entries(), expected);
    }

    void codeTakenByAnotherStation()
    {
        start();
        RecordSettings other = ReadRecordSettings(fx_->dataDir.path());
        other.station = QStringLiteral("ws-b");
        RecordStore b(other);
        QVERIFY(std::holds_alternative<Claimed>(
            b.claim({Operation::SetSNo, {}, 0x51, {}, QStringLiteral("Printer001")})));
        QVERIFY(std::holds_alternative<Claimed>(
            b.claim({Operation::SetSNo, {}, 0x51, {}, QStringLiteral("Printer002")})));
        clickSet();
        QVERIFY(fx_->wire().isEmpty());
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer003"));
        QCOMPARE(fx_->shown().size(), 1);
        QVERIFY2(fx_->shown().first().contains(QStringLiteral("ws-b")) &&
                     fx_->shown().first().contains(QStringLiteral("Printer003")),
                 qPrintable(fx_->shown().first()));
        clickSet(); // the operator presses Enter again
        QCOMPARE(fx_->wire(),
                 TestSupport::ModelQuery + TestSupport::SerialNoTransmission("Printer003"));
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer004"));
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
        RecordStore reader(ReadRecordSettings(fx_->dataDir.path()));
        QCOMPARE(std::get<bool>(reader.isHeld(QStringLiteral("Printer002"))), false);
        const QStringList row = std::get<QList<QStringList>>(reader.latest(1)).at(1);
        QCOMPARE(row.at(3), DefaultStationName());
        QVERIFY2(row.at(4).startsWith(
                     QStringLiteral("Virtual-Serial I/F (COM%1:), ").arg(AppSettings.COMPort)),
                 qPrintable(row.at(4)));
        QCOMPARE(row.mid(5, 2), QStringList({"51", "ZX-Q51"}));
    }

    void storeCannotBeUsed_data()
    {
        QTest::addColumn<QByteArray>("recordIni");
        QTest::addColumn<QString>("where"); // "%1": the data folder
        QTest::addColumn<QString>("reason");
        const int port = ClosedPort();
        QTest::newRow("server unreachable")
            << "Store = postgresql\r\nHost = 127.0.0.1\r\nPort = " + QByteArray::number(port)
            << QStringLiteral("server 127.0.0.1:%1").arg(port) << "Connection refused";
        QTest::newRow("damaged file") << QByteArray("\r\n") << "file %1/Record.sqlite"
                                      << "file is not a database";
    }
    void storeCannotBeUsed()
    {
        QFETCH(QByteArray, recordIni);
        QFETCH(QString, where);
        QFETCH(QString, reason);
        start(recordIni, recordIni == "\r\n" ? QByteArray(2048, 'x') : QByteArray());
        where = where.arg(fx_->dataDir.path());
        clickSet();
        QCOMPARE(fx_->seams.messages().all().size(), 1);
        const CapturedMessage& box = fx_->seams.messages().all().first();
        QCOMPARE(box.title, QStringLiteral("Record ERROR!"));
        QVERIFY2(box.text.contains(where) && box.text.contains(reason), qPrintable(box.text));
        QVERIFY(fx_->wire().isEmpty());
        fx_->verifyNotAdvanced();
        // Reading still works; the entry that could not be kept is reported.
        fx_->printer->setIdentificationCode("Printer777");
        fx_->click(fx_->form->CmdGetSNo);
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer777"));
        QCOMPARE(fx_->seams.messages().all().size(), 2);
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
        QTest::addColumn<QString>("code");
        QTest::addColumn<QString>("station");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<int>("daysAgo"); // -1: any day
        QTest::addColumn<int>("rows");
        QTest::newRow("all") << ""
                             << ""
                             << "" << -1 << 3;
        QTest::newRow("code") << "r002"
                              << ""
                              << "" << -1 << 1;
        QTest::newRow("station") << ""
                                 << "WS-B"
                                 << "" << -1 << 1;
        QTest::newRow("outcome") << ""
                                 << ""
                                 << "written" << -1 << 1;
        QTest::newRow("today") << ""
                               << "ws-a"
                               << "" << 0 << 2;
        QTest::newRow("yesterday") << ""
                                   << ""
                                   << "" << 1 << 0;
    }
    void viewerFiltersAndExports()
    {
        QFETCH(QString, code);
        QFETCH(QString, station);
        QFETCH(QString, outcome);
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
        viewer.TxtCode->setText(code);
        viewer.TxtStation->setText(station);
        viewer.CboOutcome->setCurrentText(outcome);
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

    void lineServerStoppedMidRun()
    {
        if (TestSupport::TempPostgres::BinDir().isEmpty())
            QSKIP("no PostgreSQL server installed (Debian: postgresql; scripts/install-deps)");
        TestSupport::TempPostgres server;
        QVERIFY2(server.start(), qPrintable(server.failure()));
        start(QStringLiteral("Store = postgresql\r\nHost = %1\r\nPort = %2\r\nDatabase = %3\r\n"
                             "User = %4\r\nStation = ws-a\r\n")
                  .arg(server.host())
                  .arg(server.port())
                  .arg(server.database(), server.user())
                  .toUtf8());
        QCOMPARE(fx_->form->LblRecord->text(), QStringLiteral("Record: line 127.0.0.1"));
        clickSet();
        QCOMPARE(entries(), QStringList{QStringLiteral("Set S/No./Printer001/written/0")});
        QVERIFY2(server.stop(), qPrintable(server.failure()));
        clickSet();
        QCOMPARE(fx_->shown().size(), 1);
        QVERIFY2(fx_->shown().first().startsWith(QStringLiteral("Record ERROR! / ")) &&
                     fx_->shown().first().contains(
                         QStringLiteral("server 127.0.0.1:%1").arg(server.port())),
                 qPrintable(fx_->shown().first()));
        QCOMPARE(fx_->wire(),
                 TestSupport::ModelQuery + TestSupport::SerialNoTransmission("Printer001"));
        QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    }
};

QTEST_MAIN(TestRecordWindow)
#include "tst_recordwindow.moc"
