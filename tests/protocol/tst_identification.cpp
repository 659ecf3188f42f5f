// The identification as the operator runs it: the real main window, each
// link with the simulated printer at its far end (virtual COM over a
// pseudo-terminal, serial through the serial control, parallel through the
// port registers with an IEEE 1284 peripheral, USB raw jobs to a device node
// stand-in), and every way an operation can fail on the way.
#include "identificationfixture.h"

#include "common/wincolour.h"
#include "link/rawprint.h"
#include "link/virtualcomport.h"

#include <QAction>
#include <QDirIterator>
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

// How often this process has the file open.
int OpenCount(const QString& path)
{
    int count = 0;
    QDirIterator fds(QStringLiteral("/proc/self/fd"), QDir::System);
    while (fds.hasNext())
        count += QFileInfo(fds.next()).symLinkTarget() == path;
    return count;
}

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
        case OutputStallsAfterQuery: { // once: the operator puts it right
            auto armed = std::make_shared<bool>(true);
            fx_->afterCommand(E2E::ModelQuery, [&sim, armed] {
                if (std::exchange(*armed, false))
                    sim.serial->setOutputStalled(true);
            });
            break;
        }
        case BusyAfterByte:
            sim.peripheral->faults().busyAfterBytes = 3 + n;
            break;
        case Offline:
            sim.node->setOffline(true);
            break;
        }
    }

    // The operator puts the printer right: every fault off.
    void clearFaults()
    {
        SimTest::SimulatedLink& sim = *fx_->sim;
        fx_->printer->faults() = Sim::SimFaults{};
        if (sim.peripheral)
            sim.peripheral->faults() = Sim::PeripheralFaults{};
        if (sim.serial)
            sim.serial->setOutputStalled(false);
        if (sim.node)
            sim.node->setOffline(false);
    }

    // The next printer on the bench, on the same port.
    void nextPrinter()
    {
        fx_->sim->unplug();
        fx_->newPrinter(fx_->printer->modelId());
        fx_->sim->printer = fx_->printer;
        QVERIFY2(fx_->sim->attach(fx_->dataDir.path()), qPrintable(fx_->sim->error()));
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
    void enterTwiceWritesOnce();
    void modelNameEditingRoundTrip();
    void identificationReplyOfWrongLength_data();
    void identificationReplyOfWrongLength();
    void modelNameReplyRejected_data();
    void modelNameReplyRejected();
    void keptOpenPortStaysOpen();
    void keptOpenPortSurvivesAReplug_data();
    void keptOpenPortSurvivesAReplug();
    void modelNameNotWritten_data();
    void modelNameNotWritten();
    void everyCodeInOnePrinter_data();
    void everyCodeInOnePrinter();
    void progressSavedAfterEachWrite();
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
    QVERIFY(fx_->seams.messages().isEmpty());
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
    QVERIFY(fx_->seams.messages().isEmpty());
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
    QVERIFY(fx_->seams.messages().isEmpty());
    QCOMPARE(fx_->wire(), E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QCOMPARE(dpEnumJobs(), std::int16_t{0});

    fx_->click(fx_->form->CmdSetSNo);
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer002"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer003"));
    QVERIFY(fx_->seams.messages().isEmpty());
    // Between operations the node is free for other print software: only the
    // simulated printer's own end of it is open.
    QCOMPARE(OpenCount(fx_->sim->node->nodePath()), 1);
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
    QVERIFY(fx_->seams.messages().allUnderArrow());
    QCOMPARE(fx_->printer->bytesTaken(), qint64{0});
    QVERIFY(!fx_->form->TmrPortCheck.isActive());
    QCOMPARE(CurrentPointer(), Pointer::Default);
    fx_->verifyNotAdvanced();
}

// Real time: GS I 1, then 200 ms + 100 ms later the 33 bytes in one piece,
// then the printer's 2000 ms and the code's 200 ms refresh.
void TestIdentification::setSerialNumberKeepsTheTimeline()
{
    startOn(VirtualCom); // the start-up at the suite's pace, the operation in real time
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
    QVERIFY(fx_->seams.messages().isEmpty());
}

// Enter pressed twice in quick succession: the second press, queued before
// the first one's operation began, writes nothing.
void TestIdentification::enterTwiceWritesOnce()
{
    startOn(VirtualCom);
    fx_->printer->clearCommandLog();
    for (int i = 0; i < 2; ++i) {
        QCoreApplication::postEvent(
            fx_->form.get(), new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier));
    }
    QTRY_COMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QTest::qWait(100);
    QCOMPARE(fx_->wire(), E2E::ModelQuery + E2E::SerialNoTransmission("Printer001"));
    QCOMPARE(fx_->form->TxtSNo->text(), QStringLiteral("Printer002"));
    QVERIFY(fx_->seams.messages().isEmpty());
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

    // A name longer than one can type is shown whole, and written whole.
    const QByteArray longName = "ZX-Q51-EUROPE-2026-REV-B";
    fx_->printer->setModelName(longName);
    fx_->click(form.CmdGetModel);
    QCOMPARE(form.TxtModelName->text(), QString::fromLatin1(longName));
    fx_->printer->setModelName("X");
    fx_->click(form.CmdRegModel);
    QCOMPARE(fx_->printer->modelName(), longName.leftJustified(50, '\0'));
    QVERIFY(fx_->seams.messages().isEmpty());
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
    QVERIFY(fx_->seams.messages().isEmpty());
}

void TestIdentification::keptOpenPortSurvivesAReplug_data()
{
    QTest::addColumn<int>("kind");
    QTest::newRow("virtual COM") << int(VirtualCom);
    QTest::newRow("USB") << int(USB);
}

// The printer is unplugged and plugged in again between operations while the
// port is kept open: the descriptor held leads nowhere, and the operations
// after the replug must reach the printer now there.
void TestIdentification::keptOpenPortSurvivesAReplug()
{
    QFETCH(int, kind);
    startOn(std::uint8_t(kind));
    AppSettings.PortOpen = true;
    OpenPort();
    FrmMain& form = *fx_->form;
    fx_->click(form.CmdSetSNo);
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer001"));

    fx_->sim->unplug();
    fx_->click(form.CmdSetSNo);
    QVERIFY(ErrorFlag);
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer002"));

    QVERIFY(fx_->sim->attach(fx_->dataDir.path()));
    const qsizetype shown = fx_->seams.messages().all().size();
    fx_->click(form.CmdSetSNo);
    QCOMPARE(fx_->titles().mid(shown), QStringList{});
    QCOMPARE(fx_->printer->identificationCode(), QByteArray("Printer002"));
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer003"));
}

void TestIdentification::modelNameNotWritten_data()
{
    QTest::addColumn<bool>("confirmed");
    QTest::addColumn<QString>("message");
    QTest::newRow("another model") << false << E2E::PrinterNotConfirmed;
    QTest::newRow("unplugged after its answer") << true << E2E::RegistrationFailed;
}

void TestIdentification::modelNameNotWritten()
{
    QFETCH(bool, confirmed);
    QFETCH(QString, message);
    startOn(VirtualCom, 0x51, QStringLiteral("ZX-Q51"));
    if (confirmed) {
        // Real time until the write: the model's answer is read at 200 ms,
        // the write goes out at 300 ms, and the printer is unplugged between.
        SetWaitScaleForTests(100);
        SimTest::SimulatedLink* sim = fx_->sim.get();
        fx_->afterCommand(E2E::ModelQuery, [sim] {
            QTimer::singleShot(250, Qt::PreciseTimer, [sim] {
                sim->unplug();
                SetWaitScaleForTests(5);
            });
        });
    } else {
        apply(OtherModel, 0);
    }
    FrmMain& form = *fx_->form;
    form.TxtModelName->selectAll();
    QTest::keyClicks(form.TxtModelName, QStringLiteral("ZX-Q51-EU"));
    fx_->click(form.CmdRegModel);
    QCOMPARE(fx_->titles(), QStringList{message});
    QCOMPARE(fx_->printer->modelName(), QByteArray("ZX-P700").leftJustified(50, '\0'));
    QCOMPARE(form.TxtModelName->text(), QStringLiteral("ZX-Q51-EU"));
    QVERIFY(ErrorFlag);
    QVERIFY(fx_->seams.messages().allUnderArrow());
}

void TestIdentification::everyCodeInOnePrinter_data()
{
    // One "Set S/No." per step: "ok", or a fault the operator then puts right
    // before pressing again. "late": the write is reported failed but the
    // printer stores the code all the same (a USB job the printer takes once
    // back online, a parallel printer that stays busy after the last byte).
    QTest::addColumn<int>("kind");
    QTest::addColumn<QList<int>>("faults"); // -1 none, else a Fault
    QTest::addColumn<QList<int>>("late");   // 1 where the code arrives all the same
    QTest::newRow("serial") << int(Serial) << QList<int>{-1, DsrDropped, OutputStallsAfterQuery, -1}
                            << QList<int>{0, 0, 0, 0};
    QTest::newRow("parallel") << int(Parallel) << QList<int>{-1, OtherModel, -2, -1}
                              << QList<int>{0, 0, 1, 0};
    QTest::newRow("USB") << int(USB) << QList<int>{-1, Offline, -1, Offline}
                         << QList<int>{0, 1, 0, 1};
}

// Each printer on the bench is written until the program says it worked,
// then the next one comes. Whatever failed on the way, every code ends up in
// exactly one printer, in order, and the code shown is the next unused one.
void TestIdentification::everyCodeInOnePrinter()
{
    QFETCH(int, kind);
    QFETCH(QList<int>, faults);
    QFETCH(QList<int>, late);
    startOn(std::uint8_t(kind));
    FrmMain& form = *fx_->form;
    QList<std::shared_ptr<Sim::SimPrinter>> printers{fx_->printer};
    for (qsizetype k = 0; k < faults.size(); ++k) {
        const int fault = faults.at(k);
        if (fault == -2)
            fx_->sim->peripheral->faults().busyAfterBytes = 3 + 33;
        else if (fault >= 0)
            apply(Fault(fault), 0);
        const QString code = form.TxtSNo->text();
        fx_->click(form.CmdSetSNo);
        if (fault != -1) {
            QVERIFY2(ErrorFlag && form.TxtSNo->text() == code, qPrintable(code));
            clearFaults();
            // What the printer got late arrives before the operator presses again.
            if (late.at(k))
                QTRY_COMPARE(fx_->printer->identificationCode(), code.toLatin1());
            fx_->click(form.CmdSetSNo);
        }
        QVERIFY2(!ErrorFlag, qPrintable(fx_->titles().join(u';')));
        QCOMPARE(fx_->printer->identificationCode(), code.toLatin1());
        nextPrinter();
        printers << fx_->printer;
    }
    printers.removeLast(); // the one on the bench now has nothing yet
    QStringList codes;
    for (const auto& printer : printers)
        codes << QString::fromLatin1(printer->identificationCode());
    QStringList expected;
    for (int n = 1; n <= printers.size(); ++n)
        expected << QStringLiteral("Printer%1").arg(n, 3, 10, QLatin1Char('0'));
    QCOMPARE(codes, expected);
    QCOMPARE(form.TxtSNo->text(),
             QStringLiteral("Printer%1").arg(printers.size() + 1, 3, 10, QLatin1Char('0')));
    QVERIFY(fx_->seams.messages().allUnderArrow());
}

// Each code written is saved at once, as an exit would save it; a save that
// fails is reported once, not again for every printer, until one works.
void TestIdentification::progressSavedAfterEachWrite()
{
    startOn(VirtualCom);
    const QString ini = fx_->dataDir.filePath(QStringLiteral("Zentab.ini"));
    const auto saved = [&ini] { return TestSupport::ReadFile(ini); };
    FrmMain& form = *fx_->form;
    fx_->click(form.CmdSetSNo);
    QVERIFY(saved().contains("SerialNo = Printer002\r\n"));
    fx_->click(form.CmdGetSNo); // reading saves nothing
    QVERIFY(saved().contains("SerialNo = Printer002\r\n"));
    // The box shows the code read, Printer001: the writes below take it from there.

    // A folder in the file's place: no save can replace it.
    QVERIFY(QFile::remove(ini) && QDir().mkdir(ini));
    fx_->click(form.CmdSetSNo);
    fx_->click(form.CmdSetSNo);
    QCOMPARE(fx_->seams.messages().all().size(), 1);
    QCOMPARE(fx_->seams.messages().all().at(0).title, QStringLiteral("ERROR!"));
    QVERIFY(!ErrorFlag); // the printers have their codes all the same
    QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer003"));

    QVERIFY(QDir().rmdir(ini));
    fx_->click(form.CmdSetSNo);
    QVERIFY(saved().contains("SerialNo = Printer004\r\n"));
    QVERIFY(QFile::remove(ini) && QDir().mkdir(ini));
    fx_->click(form.CmdSetSNo);
    QCOMPARE(fx_->seams.messages().all().size(), 2); // failing again after a success
    QVERIFY(QDir().rmdir(ini));
}

QTEST_MAIN(TestIdentification)
#include "tst_identification.moc"
