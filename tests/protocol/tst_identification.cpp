// The identification as the operator runs it: the real main window, each
// link with the simulated printer at its far end (virtual COM over a
// pseudo-terminal, serial through the serial control, parallel through the
// port registers with an IEEE 1284 peripheral, USB raw jobs to a device node
// stand-in), and every way an operation can fail on the way.
#include "identificationfixture.h"

#include "app/wincolour.h"
#include "link/rawprint.h"
#include "link/virtualcomport.h"

#include <QAction>
#include <QElapsedTimer>

using namespace Common;

namespace {

// Faults switched on in the printer, its serial line, port or node.
enum Fault {
    OtherModel,
    NoAnswer,
    TwoByteAnswer,
    LateAnswer,
    Garbage,
    DsrDropped,
    NoReverseChannel,
    OutputStallsAfterQuery,
    BusyAfterByte, // of the write: the model query goes through
    Offline,
};

const QString kOpenRefused = QStringLiteral("Device or resource busy: /dev/ttyS0");

} // namespace

class TestIdentification : public QObject {
    Q_OBJECT

    std::unique_ptr<E2E::Fixture> fx_;

    // 19200 baud moves the 33 bytes in about 17 ms; on the serial link the
    // 200 ms allowed for the output to drain must stay longer than that.
    void startOn(std::uint8_t kind, std::uint8_t printerModel = 0x35,
                 const QString& selectedModel = QStringLiteral("ZX-P700"), bool plugged = true)
    {
        SetWaitScaleForTests(kind == Serial ? 25 : 5);
        fx_->startOn(kind, printerModel, selectedModel, plugged);
    }

    // Switches a reply fault on once the model query has been answered.
    void faultAfterModelQuery(std::function<void(Sim::SimFaults&)> fault)
    {
        Sim::SimPrinter* printer = fx_->printer.get();
        fx_->afterCommand(E2E::ModelQuery, [printer, fault] { fault(printer->faults()); });
    }

    void apply(Fault fault, int n)
    {
        Sim::SimFaults& f = fx_->printer->faults();
        SimTest::SimulatedLink& sim = *fx_->sim;
        switch (fault) {
        case OtherModel:
            f.otherModelId = 0x42;
            break;
        case NoAnswer:
            f.silent = true;
            break;
        case TwoByteAnswer:
            f.replyLengthChange = 1;
            break;
        case LateAnswer:
            f.replyDelayMs = 200 * WaitScalePercent() / 100 + 150;
            break;
        case Garbage:
            f.garbageReplies = true;
            break;
        case DsrDropped:
            f.readyLineDropped = true;
            break;
        case NoReverseChannel:
            sim.peripheral->faults().noReverseChannel = true;
            break;
        case OutputStallsAfterQuery:
            fx_->afterCommand(E2E::ModelQuery, [&sim] { sim.serial->setOutputStalled(true); });
            break;
        case BusyAfterByte:
            sim.peripheral->faults().busyAfterBytes = 3 + n;
            break;
        case Offline:
            sim.node->setOffline(true);
            break;
        }
    }

    // The port is back in compatibility mode, idle.
    void verifyParallelIdle()
    {
        QCOMPARE(fx_->sim->port->controlRegister(), std::uint8_t{0xCC});
        QCOMPARE(fx_->sim->peripheral->phase(), Sim::Ieee1284Peripheral::Phase::CompatibilityIdle);
    }

private Q_SLOTS:
    void init() { fx_ = std::make_unique<E2E::Fixture>(); }
    void cleanup()
    {
        fx_.reset();
        SetWaitScaleForTests(100);
    }

    void setThenGet_data();
    void setThenGet();
    void usbWritesWithoutQuery();
    void printerNotConfirmed_data();
    void printerNotConfirmed();
    void registrationFailed_data();
    void registrationFailed();
    void portMissing_data();
    void portMissing();
    void setSerialNumberKeepsTheTimeline();
    void modelNameEditingRoundTrip();
    void identificationReplyOfWrongLength_data();
    void identificationReplyOfWrongLength();
    void modelNameReplyRejected_data();
    void modelNameReplyRejected();
    void keptOpenPortStaysOpen();
};

void TestIdentification::setThenGet_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("virtual COM") << int(VirtualCom);
    QTest::newRow("serial, DSR held") << int(Serial);
    QTest::newRow("parallel, replies in nibble mode") << int(Parallel);
}

void TestIdentification::setThenGet()
{
    QFETCH(int, kind);
    startOn(std::uint8_t(kind));
    FrmMain& form = *fx_->form;
    fx_->click(form.CmdSetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer002"));
    if (kind == Parallel) {
        QCOMPARE(fx_->sim->peripheral->bytesTaken(), 3 + 33);
        verifyParallelIdle();
    }
    if (kind == Serial) {
        QVERIFY(!fx_->sim->serial->portOpen());
        QVERIFY(!form.TmrPortCheck.isActive());
    }

    // Read back after the printer's reset.
    fx_->printer->clearCommandLog();
    fx_->click(form.CmdGetSNo);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoQuery);
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer001"));
    QCOMPARE(ForeColor(form.TxtSNo), std::uint32_t{ColourRed});
    QVERIFY(!form.CmdNumInc->isVisible());
    QVERIFY(fx_->messages->isEmpty());
    QVERIFY(!ErrorFlag);
    if (kind == Parallel) {
        // The last reply: 5F, the ten code bytes and 00, two nibbles each.
        QCOMPARE(fx_->sim->peripheral->nibblesSent(), 2 * 12);
        verifyParallelIdle();
    }
    if (kind == Serial)
        QVERIFY(!fx_->sim->serial->portOpen());

    // The code read is only shown: the next write takes what the box holds.
    fx_->click(form.CmdSetSNo);
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer002"));
    QVERIFY(fx_->messages->isEmpty());
}

// The USB printer port carries no replies: the printer is taken to be the
// selected model and the code goes out at once.
void TestIdentification::usbWritesWithoutQuery()
{
    startOn(USB);
    QElapsedTimer clock;
    clock.start();
    fx_->click(fx_->form->CmdSetSNo);
    // 100 + 1000 + 2000 + 200 ms at 5 %: the pause before the job count is
    // scaled like every other, or the operation alone would take a second.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(fx_->messages->isEmpty());
    QCOMPARE(fx_->wire(), E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QCOMPARE(dpEnumJobs(), std::int16_t{0});

    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer002"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer003"));
    QVERIFY(fx_->messages->isEmpty());
}

void TestIdentification::printerNotConfirmed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fault");
    QTest::newRow("another model") << int(VirtualCom) << int(OtherModel);
    QTest::newRow("no answer") << int(VirtualCom) << int(NoAnswer);
    QTest::newRow("two-byte answer") << int(VirtualCom) << int(TwoByteAnswer);
    QTest::newRow("answer after the 200 ms") << int(VirtualCom) << int(LateAnswer);
    QTest::newRow("garbage") << int(VirtualCom) << int(Garbage);
    QTest::newRow("serial, DSR dropped") << int(Serial) << int(DsrDropped);
    // A compatibility-only printer takes the query but cannot answer it.
    QTest::newRow("parallel, no reverse channel") << int(Parallel) << int(NoReverseChannel);
}

void TestIdentification::printerNotConfirmed()
{
    QFETCH(int, kind);
    QFETCH(int, fault);
    startOn(std::uint8_t(kind));
    apply(Fault(fault), 0);
    fx_->printer->clearCommandLog();
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::PrinterNotConfirmed});
    // Nothing written; without DSR not even the query.
    QCOMPARE(fx_->wire(), fault == DsrDropped ? QByteArray() : E2E::ModelQuery);
    QCOMPARE(fx_->printer->bytesTaken(), qint64(fx_->wire().size()));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray(10, '\0'));
    fx_->verifyNotAdvanced();
    if (kind == Parallel)
        verifyParallelIdle();
}

void TestIdentification::registrationFailed_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<int>("fault");
    QTest::addColumn<int>("n"); // bytes of the write the printer took
    QTest::newRow("serial output stalls") << int(Serial) << int(OutputStallsAfterQuery) << 0;
    QTest::newRow("parallel busy, first byte") << int(Parallel) << int(BusyAfterByte) << 1;
    QTest::newRow("parallel busy in the code") << int(Parallel) << int(BusyAfterByte) << 20;
    // Everything arrived, yet the printer never said it was ready again.
    QTest::newRow("parallel busy, last byte") << int(Parallel) << int(BusyAfterByte) << 33;
    // The job stays queued past the pause.
    QTest::newRow("USB printer offline") << int(USB) << int(Offline) << -3;
}

void TestIdentification::registrationFailed()
{
    QFETCH(int, kind);
    QFETCH(int, fault);
    QFETCH(int, n);
    startOn(std::uint8_t(kind));
    apply(Fault(fault), n);
    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->titles(), QStringList{E2E::RegistrationFailed});
    QCOMPARE(fx_->printer->bytesTaken(), qint64{3 + n});
    QCOMPARE(fx_->printer->identificationCode(),
             n == 33 ? QByteArray("Printer001") : QByteArray(10, '\0'));
    fx_->verifyNotAdvanced();
    if (kind == Parallel) {
        // The host stopped at the byte the printer did not acknowledge: it is
        // still on the data lines, the rest never got there.
        const QByteArray write = E2E::SerialNoTransmission("Printer001");
        QCOMPARE(fx_->sim->port->dataRegister(), static_cast<std::uint8_t>(write.at(n - 1)));
        QVERIFY((E2E::ModelQuery + write.left(n)).startsWith(fx_->wire()));
    }
}

void TestIdentification::portMissing_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("write");
    QTest::addColumn<QStringList>("messages");
    // The control's reason is shown by OpenPort, and again by SendData, whose
    // output on the closed port the control refuses; the operation then
    // reports the unconfirmed printer.
    const QStringList refused{QStringLiteral("Port ERROR! / ") + kOpenRefused,
                              QStringLiteral("Print ERROR! / ") + kOpenRefused,
                              E2E::PrinterNotConfirmed};
    QTest::newRow("serial refused, Set S/No.") << int(Serial) << true << refused;
    QTest::newRow("serial refused, Get S/No.") << int(Serial) << false << refused;
    // The data folder still names the printer's node, but it has gone.
    QTest::newRow("USB node gone")
        << int(USB) << true
        << QStringList{QStringLiteral("Port ERROR! / Failed to open the USB Port."),
                       E2E::RegistrationFailed};
    // The printer is unplugged: COM16 leads nowhere, quietly.
    QTest::newRow("virtual COM unplugged")
        << int(VirtualCom) << true << QStringList{E2E::PrinterNotConfirmed};
}

void TestIdentification::portMissing()
{
    QFETCH(int, kind);
    QFETCH(bool, write);
    QFETCH(QStringList, messages);
    if (kind == USB) {
        QVERIFY(QFile::link(fx_->dataDir.filePath(QStringLiteral("unplugged/usblp")),
                            fx_->dataDir.filePath(QStringLiteral("USB001"))));
    }
    startOn(std::uint8_t(kind), 0x35, QStringLiteral("ZX-P700"), kind != USB);
    if (kind == Serial)
        fx_->sim->serial->setOpenFailure(kOpenRefused);
    fx_->sim->unplug();
    fx_->click(write ? fx_->form->CmdSetSNo : fx_->form->CmdGetSNo);
    QCOMPARE(fx_->titles(), messages);
    QCOMPARE(fx_->printer->bytesTaken(), qint64{0});
    QVERIFY(!fx_->form->TmrPortCheck.isActive());
    QCOMPARE(CurrentPointer(), Pointer::Default);
    fx_->verifyNotAdvanced();
}

// Real time: GS I 1, then 200 ms + 100 ms later the 33 bytes in one piece,
// then the printer's 2000 ms and the code's 200 ms refresh.
void TestIdentification::setSerialNumberKeepsTheTimeline()
{
    fx_->startOn(VirtualCom, 0x35, QStringLiteral("ZX-P700"));
    SetWaitScaleForTests(100);
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

void TestIdentification::modelNameEditingRoundTrip()
{
    startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
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

void TestIdentification::identificationReplyOfWrongLength_data()
{
    QTest::addColumn<int>("change");
    QTest::newRow("11 bytes") << -1;
    QTest::newRow("13 bytes") << 1;
}

void TestIdentification::identificationReplyOfWrongLength()
{
    QFETCH(int, change);
    startOn(VirtualCom);
    faultAfterModelQuery([change](Sim::SimFaults& f) { f.replyLengthChange = change; });
    fx_->click(fx_->form->CmdGetSNo);
    QCOMPARE(fx_->titles(), QStringList{QStringLiteral(
                                "Receive Error! / Faild to confirm the identification data.")});
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer001"));
}

void TestIdentification::modelNameReplyRejected_data()
{
    QTest::addColumn<QByteArray>("storedName");
    QTest::addColumn<int>("change");
    QTest::addColumn<QString>("message");
    const QString unconfirmed = QStringLiteral("Faild to confirm the Model name data.");
    // 5F 41 42 43 00: five bytes.
    QTest::newRow("five bytes") << QByteArray("ABC") << 0 << unconfirmed;
    // 5F 41 42 43 44 00 AA: long enough, but the last byte is not 00h.
    QTest::newRow("not ending in 00") << QByteArray("ABCD") << 1 << unconfirmed;
    QTest::newRow("nothing") << QByteArray("ABCD") << -100
                             << QStringLiteral("Faild to receive the Model name data.");
}

void TestIdentification::modelNameReplyRejected()
{
    QFETCH(QByteArray, storedName);
    QFETCH(int, change);
    QFETCH(QString, message);
    startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
    fx_->printer->setModelName(storedName);
    if (change != 0) {
        faultAfterModelQuery([change](Sim::SimFaults& f) {
            f.replyLengthChange = change > 0 ? change : 0;
            f.silent = change < 0;
        });
    }
    const QString before = fx_->form->TxtModelName->text();
    fx_->click(fx_->form->CmdGetModel);
    QCOMPARE(fx_->titles(), QStringList{QStringLiteral("Receive Error! / ") + message});
    QCOMPARE(fx_->form->TxtModelName->text(), before);
}

void TestIdentification::keptOpenPortStaysOpen()
{
    startOn(VirtualCom);
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

QTEST_MAIN(TestIdentification)
#include "tst_identification.moc"
