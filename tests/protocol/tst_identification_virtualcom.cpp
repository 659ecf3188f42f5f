// The identification as the operator runs it: the real main window, the
// virtual COM link over a pseudo-terminal, the simulated printer at its end.
#include "identificationfixture.h"

#include "app/wincolour.h"
#include "link/virtualcomport.h"
#include "ptyprinter.h"

#include <QAction>

using namespace Common;

class TestIdentificationVirtualCom : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;
    std::unique_ptr<Sim::PtyPrinter> pty_;

    void startWith(std::uint8_t printerModel, const QString& selectedModel)
    {
        fx_->newPrinter(printerModel);
        pty_ = std::make_unique<Sim::PtyPrinter>(fx_->printer);
        QVERIFY2(pty_->open(), qPrintable(pty_->errorString()));
        QVERIFY(pty_->linkInto(fx_->dataDir.path(), QStringLiteral("COM16")));
        E2E::Link link;
        link.comPort = 16;
        link.iniLines = "Interface = VirtualCOM\r\nCOMPort =  16\r\n";
        fx_->start(link, selectedModel);
    }

    // Switches a reply fault on once the model query has been answered.
    void faultAfterModelQuery(std::function<void(Sim::SimFaults&)> fault)
    {
        Sim::SimPrinter* printer = fx_->printer.get();
        fx_->afterCommand(E2E::ModelQuery, [printer, fault] { fault(printer->faults()); });
    }

private Q_SLOTS:
    void init()
    {
        fx_ = std::make_unique<E2E::Fixture>();
        SetWaitScaleForTests(5);
    }
    void cleanup()
    {
        fx_->stop();
        pty_.reset();
        fx_.reset();
        SetWaitScaleForTests(100);
    }

    void setSerialNumberKeepsTheTimeline();
    void setSerialNumberThenGetShowsItInRed();
    void modelNameEditingRoundTrip();
    void confirmationFailures_data();
    void confirmationFailures();
    void identificationReplyOfWrongLength_data();
    void identificationReplyOfWrongLength();
    void modelNameReplyRejected_data();
    void modelNameReplyRejected();
    void missingPortFailsEveryOperation();
    void keptOpenPortStaysOpen();
};

// Real time: GS I 1, then 200 ms + 100 ms later the 33 bytes in one piece,
// then the printer's 2000 ms and the code's 200 ms refresh.
void TestIdentificationVirtualCom::setSerialNumberKeepsTheTimeline()
{
    SetWaitScaleForTests(100);
    startWith(0x35, QStringLiteral("ZX-P700"));
    fx_->printer->clearCommandLog();

    QElapsedTimer clock;
    clock.start();
    QTest::keyClick(fx_->form.get(), Qt::Key_Return); // the default button
    const qint64 total = clock.elapsed();

    const auto& log = fx_->printer->commandLog();
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoTransmission("Printer001"));
    QVERIFY(log.size() >= 4);
    const qint64 gap = log.at(1).atMs - log.at(0).atMs;
    QVERIFY2(gap >= 280 && gap <= 320, qPrintable(QString::number(gap)));
    // One write: the three commands arrive together.
    QVERIFY(log.back().atMs - log.at(1).atMs <= 5);
    QVERIFY2(total >= 2500 && total <= 2520 + 200, qPrintable(QString::number(total)));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QVERIFY(fx_->form->CmdSNoBack->isVisible());
    QVERIFY(fx_->messages->isEmpty());
}

void TestIdentificationVirtualCom::setSerialNumberThenGetShowsItInRed()
{
    startWith(0x35, QStringLiteral("ZX-P700"));
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QCOMPARE(ForeColor(fx_->form->TxtSNo), std::uint32_t{ColourRed});
    QVERIFY(!fx_->form->CmdNumInc->isVisible());
    QVERIFY(fx_->messages->isEmpty());
    // The code read is only shown: the next write takes what the box holds.
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
}

void TestIdentificationVirtualCom::modelNameEditingRoundTrip()
{
    startWith(0x51, QStringLiteral("ZX-Q51"));
    FrmMain& form = *fx_->form;
    QVERIFY(form.MnuSetModelName->isChecked());
    QVERIFY(form.CmdRegModel->isVisible() && form.CmdGetModel->isVisible());
    QVERIFY(!form.TxtModelName->isReadOnly());

    form.TxtModelName->selectAll();
    QTest::keyClicks(form.TxtModelName, QStringLiteral("ZX-Q51-EU"));
    fx_->click(form.CmdRegModel);
    QCOMPARE(fx_->printer->modelName(), QByteArray("ZX-Q51-EU").leftJustified(50, '\0'));

    form.TxtModelName->clear();
    fx_->click(form.CmdGetModel);
    QCOMPARE(form.TxtModelName->text(), QStringLiteral("ZX-Q51-EU"));
    QCOMPARE(ForeColor(form.TxtModelName), std::uint32_t{ColourRed});
    QVERIFY(fx_->messages->isEmpty());
}

void TestIdentificationVirtualCom::confirmationFailures_data()
{
    QTest::addColumn<int>("fault");
    QTest::newRow("another model") << 0;
    QTest::newRow("no answer") << 1;
    QTest::newRow("two-byte answer") << 2;
    QTest::newRow("answer after the 200 ms") << 3;
    QTest::newRow("garbage") << 4;
}

void TestIdentificationVirtualCom::confirmationFailures()
{
    QFETCH(int, fault);
    startWith(0x35, QStringLiteral("ZX-P700"));
    Sim::SimFaults& faults = fx_->printer->faults();
    switch (fault) {
    case 0:
        faults.otherModelId = 0x42;
        break;
    case 1:
        faults.silent = true;
        break;
    case 2:
        faults.replyLengthChange = 1;
        break;
    case 3:
        faults.replyDelayMs = 200 * WaitScalePercent() / 100 + 150;
        break;
    default:
        faults.garbageReplies = true;
        break;
    }
    fx_->printer->clearCommandLog();
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::PrinterNotConfirmed});
    QCOMPARE(fx_->wire(), E2E::ModelQuery); // nothing written
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QVERIFY(!fx_->form->CmdSNoBack->isVisible());
    QVERIFY(ErrorFlag);
}

void TestIdentificationVirtualCom::identificationReplyOfWrongLength_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("11 bytes") << -1;
    QTest::newRow("13 bytes") << 1;
}

void TestIdentificationVirtualCom::identificationReplyOfWrongLength()
{
    QFETCH(int, change);
    startWith(0x35, QStringLiteral("ZX-P700"));
    faultAfterModelQuery([change](Sim::SimFaults& f) { f.replyLengthChange = change; });
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->titles(), QStringList{QStringLiteral(
                                "Receive Error! / Faild to confirm the identification data.")});
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
}

void TestIdentificationVirtualCom::modelNameReplyRejected_data()
{
    QTest::addColumn<QByteArray>("storedName");
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("message");
    // 5F 41 42 43 00: five bytes.
    QTest::newRow("five bytes") << QByteArray("ABC") << 0
                                << QStringLiteral("Faild to confirm the Model name data.");
    // 5F 41 42 43 44 00 AA: long enough, but the last byte is not 00h.
    QTest::newRow("not ending in 00")
        << QByteArray("ABCD") << 1 << QStringLiteral("Faild to confirm the Model name data.");
    QTest::newRow("nothing") << QByteArray("ABCD") << -100
                             << QStringLiteral("Faild to receive the Model name data.");
}

void TestIdentificationVirtualCom::modelNameReplyRejected()
{
    QFETCH(QByteArray, storedName);
    QFETCH(int, change);
    QFETCH(QString, message);
    startWith(0x51, QStringLiteral("ZX-Q51"));
    fx_->printer->setModelName(storedName);
    if (change == 1)
        faultAfterModelQuery([](Sim::SimFaults& f) { f.replyLengthChange = 1; });
    else if (change < 0)
        faultAfterModelQuery([](Sim::SimFaults& f) { f.silent = true; });
    const QString before = fx_->form->TxtModelName->text();
    fx_->click(fx_->form->CmdGetModel);
    QCOMPARE(fx_->titles(), QStringList{QStringLiteral("Receive Error! / ") + message});
    QCOMPARE(fx_->form->TxtModelName->text(), before);
}

void TestIdentificationVirtualCom::missingPortFailsEveryOperation()
{
    startWith(0x35, QStringLiteral("ZX-P700"));
    pty_.reset(); // the printer is unplugged: COM16 leads nowhere
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles().last(), E2E::PrinterNotConfirmed);
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QVERIFY(ErrorFlag);
}

void TestIdentificationVirtualCom::keptOpenPortStaysOpen()
{
    startWith(0x35, QStringLiteral("ZX-P700"));
    AppSettings.PortOpen = true;
    OpenPort();
    QVERIFY(!ErrorFlag);
    QVERIFY(ComHandle().isOpen());
    fx_->click(fx_->form->CmdSetSNo);
    QVERIFY(ComHandle().isOpen());
    fx_->click(fx_->form->CmdGetSNo);
    QVERIFY(ComHandle().isOpen());
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
    QVERIFY(fx_->messages->isEmpty());
}

QTEST_MAIN(TestIdentificationVirtualCom)
#include "tst_identification_virtualcom.moc"
