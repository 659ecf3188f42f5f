// The identification as the operator runs it: the real main window, each link with the
// simulated printer at its far end, and every way an operation can fail on the way.
#include "environment.h"

#include "common/wincolour.h"
#include "link/rawprint.h"
#include "link/virtualcomport.h"
#include "protocol/commands.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <array>

using namespace Common;
using namespace TestSupport;

// RegModel: the name read, then written back. EnterQueued: "Set S/No." with Enter queued.
enum Op { SetSNo, EnterQueued, GetSNo, GetModel, RegModel };

// Faults of the printer, and of its line, port or node. n: the bytes of the write a busy
// parallel printer takes, or the change to the length of the reply after the model's answer.
enum PrinterFault { None, OtherModel, NoAnswer, TwoByteAnswer, LateAnswer, ReplyLength };
enum LinkFault { DsrDropped = 10, NoReverse, OutputStalls, Busy, Offline, Refused, Unplugged };

struct Case {
    int kind, op, fault, n;
    QStringList messages;
    QByteArray wire; // the complete commands the printer received
};

// The printer's code at first (some bytes shown as '?') and its name, longer than one can type.
const QByteArray kCode = "Bench\x01\x7F\xFF\x34\x32";
const QByteArray kName = "ZX-Q51-EUROPE-2026-REV-B";
const QString kRefusal = QStringLiteral("Device or resource busy: /dev/ttyS0");

class TestIdentification : public QObject {
    Q_OBJECT

    std::unique_ptr<Environment> env_;

    // 19200 baud moves the 33 bytes in about 17 ms: scaled, the serial link's 200 ms for the
    // output to drain must stay longer.
    void start(int kind)
    {
        env_ = std::make_unique<Environment>(kind == Serial ? 12 : 5);
        env_->startOn(std::uint8_t(kind), 0x51, QStringLiteral("ZX-Q51"));
        env_->printer->setIdentificationCode(kCode);
        env_->printer->setModelName(kName);
    }

    // Every fault off, as the operator puts the printer right, then fault on.
    void apply(int fault, int n)
    {
        SimTest::SimulatedLink& sim = *env_->sim;
        Sim::SimFaults& f = env_->printer->faults() = Sim::SimFaults{};
        f.silent = fault == NoAnswer;
        f.replyLengthChange = fault == TwoByteAnswer;
        f.replyDelayMs = fault == LateAnswer ? 200 * WaitScalePercent() / 100 + 150 : 0;
        f.readyLineDropped = fault == DsrDropped;
        f.otherModelId = fault == OtherModel ? std::optional<std::uint8_t>(0x42) : std::nullopt;
        if (sim.peripheral) {
            sim.peripheral->faults().noReverseChannel = fault == NoReverse;
            sim.peripheral->faults().busyAfterBytes =
                fault == Busy ? std::optional(3 + n) : std::nullopt;
        }
        if (sim.node)
            sim.node->setOffline(fault == Offline);
        if (fault == Refused)
            sim.serial->setOpenFailure(kRefusal);
        if (fault == Unplugged)
            sim.unplug(); // the data folder still names the USB node, but it has gone
        QVERIFY(fault != Unplugged || sim.interfaceKind() != USB ||
                QFile::link(env_->path("unplugged/usblp"), env_->path(sim.portName())));
        if (fault == ReplyLength || fault == OutputStalls)
            env_->afterCommand(ModelQuery, [&sim, &f, fault, n] {
                f.replyLengthChange = n;
                if (fault == OutputStalls)
                    sim.serial->setOutputStalled(true);
            });
    }

private Q_SLOTS:
    void cleanup() { env_.reset(); }

    void operation_data()
    {
        QTest::addColumn<Case>("c");
        const QByteArray set = ModelQuery + TestSupport::SerialNoTransmission("Printer001");
        const QByteArray getCode = ModelQuery + SerialNoQuery;
        const QByteArray getName = ModelQuery + QByteArray::fromHex("1D4943");
        const QByteArray setName =
            ModelQuery + QByteArray::fromHex("1D2845030001494E1D28453300E8" + kName.toHex() +
                                             QByteArray(52, '0') + "1D28450400024F5554");
        const QStringList nc{PrinterNotConfirmed}, rf{RegistrationFailed};
        const QStringList refused{"Port ERROR! / " + kRefusal, "Print ERROR! / " + kRefusal};
        const QStringList noNode{"Port ERROR! / Failed to open the USB Port.", RegistrationFailed};
        const QString receive = QStringLiteral("Receive Error! / ");
        const QStringList badCode{receive + "Faild to confirm the identification data."};
        const QStringList noCode{receive + "Faild to receive the identification data."};
        const QStringList badName{receive + "Faild to confirm the Model name data."};
        const QStringList noName{receive + "Faild to receive the Model name data."};
        const auto row = [](const char* title, const Case& c) { QTest::newRow(title) << c; };
        row("virtual COM, set", {VirtualCom, SetSNo, None, 0, {}, set});
        row("serial, set", {Serial, SetSNo, None, 0, {}, set});
        row("parallel, set", {Parallel, SetSNo, None, 0, {}, set});
        // No replies on a USB printer port: the selected model is taken as the answer.
        row("USB, set without a query", {USB, SetSNo, None, 0, {}, set.mid(3)});
        row("Enter queued, one write", {VirtualCom, EnterQueued, None, 0, {}, set});
        row("virtual COM, get", {VirtualCom, GetSNo, None, 0, {}, getCode});
        row("serial, get", {Serial, GetSNo, None, 0, {}, getCode});
        row("parallel, get in nibble mode", {Parallel, GetSNo, None, 0, {}, getCode});
        row("the name read, written whole", {VirtualCom, RegModel, None, 0, {}, getName + setName});
        // Printer not confirmed: nothing written; without DSR not even the query.
        row("another model", {VirtualCom, SetSNo, OtherModel, 0, nc, ModelQuery});
        row("no answer", {VirtualCom, SetSNo, NoAnswer, 0, nc, ModelQuery});
        row("two-byte answer", {VirtualCom, SetSNo, TwoByteAnswer, 0, nc, ModelQuery});
        row("answer after the 200 ms", {VirtualCom, SetSNo, LateAnswer, 0, nc, ModelQuery});
        row("serial, DSR dropped", {Serial, SetSNo, DsrDropped, 0, nc, {}});
        // A compatibility-only printer takes the query but cannot answer it.
        row("parallel, no reverse channel", {Parallel, SetSNo, NoReverse, 0, nc, ModelQuery});
        row("virtual COM unplugged", {VirtualCom, SetSNo, Unplugged, 0, nc, {}});
        // The control's reason is shown by OpenPort, and again by SendData,
        // whose output on the closed port the control refuses.
        row("serial port refused, get", {Serial, GetSNo, Refused, 0, refused + nc, {}});
        row("serial output stalls", {Serial, SetSNo, OutputStalls, 0, rf, ModelQuery});
        row("parallel busy, first byte", {Parallel, SetSNo, Busy, 1, rf, ModelQuery});
        // Everything arrived, yet the printer never said it was ready again.
        row("parallel busy, last byte", {Parallel, SetSNo, Busy, 33, rf, set});
        row("USB printer offline", {USB, SetSNo, Offline, 0, rf, {}}); // the job stays queued
        row("USB node gone", {USB, SetSNo, Unplugged, 0, noNode, {}});
        // The reply after the model's answer: the code's is 12 bytes, the name's ends in 00h.
        row("code reply of 11 bytes", {VirtualCom, GetSNo, ReplyLength, -1, badCode, getCode});
        row("code reply of 13 bytes", {VirtualCom, GetSNo, ReplyLength, 1, badCode, getCode});
        row("no code reply", {VirtualCom, GetSNo, ReplyLength, -100, noCode, getCode});
        row("name reply without 00h", {VirtualCom, GetModel, ReplyLength, -1, badName, getName});
        row("no name reply", {VirtualCom, GetModel, ReplyLength, -100, noName, getName});
    }

    void operation()
    {
        QFETCH(Case, c);
        start(c.kind);
        apply(c.fault, c.n);
        FrmMain& form = *env_->form;
        const QDeadlineTimer second(1000);
        if (c.op == RegModel)
            env_->click(form.CmdGetModel);
        if (c.op == EnterQueued) // it must not start a second write inside the first
            QCoreApplication::postEvent(&form, new QKeyEvent(QEvent::KeyPress, Qt::Key_Return, {}));
        env_->click(std::array{form.CmdSetSNo, form.CmdSetSNo, form.CmdGetSNo, form.CmdGetModel,
                               form.CmdRegModel}[c.op]);
        const bool ok = c.messages.isEmpty(), set = c.op <= EnterQueued, name = c.op >= GetModel;
        QCOMPARE(env_->shown(), c.messages);
        QVERIFY(env_->seams.messages().allUnderArrow() && CurrentPointer() == Pointer::Default);
        QCOMPARE(ErrorFlag, !ok);
        QCOMPARE(env_->wire(), c.wire);
        QCOMPARE(env_->printer->bytesTaken(), c.fault == Busy ? 3 + c.n : c.wire.size());
        QLineEdit* box = name ? form.TxtModelName : form.TxtSNo;
        const QString value = name ? kName : set ? "Printer002" : "Bench???42";
        QCOMPARE(box->text(), ok ? value : name ? "ZX-Q51" : "Printer001");
        QCOMPARE(ForeColor(box) == ColourRed, ok && !set);
        QCOMPARE(form.CmdSNoBack->isVisible(), ok && set);
        // The code shown is the one kept, the next one only once written.
        QCOMPARE(AppSettings.SerialNo, set && ok ? "Printer002" : "Printer001");
        QVERIFY(!form.TmrPortCheck.isActive() && (c.op != GetSNo || !form.CmdNumInc->isVisible()));
        const SimTest::SimulatedLink& sim = *env_->sim;
        QVERIFY(!sim.serial || !sim.serial->portOpen());
        QVERIFY(!sim.port || c.fault == Busy || // back in compatibility mode, idle
                (sim.port->controlRegister() == 0xCC &&
                 sim.peripheral->phase() == Sim::Ieee1284Peripheral::Phase::CompatibilityIdle));
        // The pause before the job count is scaled, or this alone would take a second. Between
        // operations only the printer's end holds the node, free for other print software.
        const QString node = sim.node ? sim.node->nodePath() : QString();
        int held = 0; // how often this process has the node open
        for (QDirIterator fd(QStringLiteral("/proc/self/fd"), QDir::System); fd.hasNext();)
            held += QFileInfo(fd.next()).symLinkTarget() == node;
        QVERIFY(node.isEmpty() || (!second.hasExpired() && held == 1 && dpEnumJobs() == 0));
    }

    void everyCodeInOnePrinter_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QList<int>>("faults");
        QTest::newRow("parallel") << int(Parallel) << QList<int>{OtherModel, Busy};
        QTest::newRow("USB") << int(USB) << QList<int>{Offline, Offline};
        QTest::newRow("COM16, kept open") << int(VirtualCom) << QList<int>{OtherModel, Unplugged};
        QTest::newRow("USB, kept open") << int(USB) << QList<int>{Unplugged, Offline};
    }

    // Each printer is written until the program says it worked, then the next one comes: every
    // code ends up in exactly one printer, in order, and the code shown is the next unused.
    // With a printer unplugged the port is kept open: its descriptor then leads nowhere, and
    // the operations after it is back, or replaced, must reach the printer now there.
    void everyCodeInOnePrinter()
    {
        QFETCH(int, kind);
        QFETCH(QList<int>, faults);
        start(kind);
        AppSettings.PortOpen = faults.contains(Unplugged);
        FrmMain& form = *env_->form;
        for (const int fault : faults) {
            const QString code = form.TxtSNo->text();
            apply(fault, 33);
            env_->click(form.CmdSetSNo);
            QVERIFY2(ErrorFlag && form.TxtSNo->text() == code, qPrintable(code));
            apply(None, 0);
            // A USB job taken once back online, a parallel printer busy after the last byte:
            // reported failed, yet the code arrives before the operator presses again.
            if (fault == Offline || fault == Busy)
                QTRY_COMPARE(env_->printer->identificationCode(), code.toLatin1());
            QVERIFY(fault != Unplugged || env_->sim->attach(env_->dataDir.path()));
            const qsizetype shown = env_->messages().size();
            env_->click(form.CmdSetSNo);
            QCOMPARE(env_->shown().mid(shown), QStringList{});
            QVERIFY(!ErrorFlag && env_->printer->identificationCode() == code.toLatin1());
            env_->newPrinter(0x51);
            QVERIFY(env_->sim->plugIn(env_->printer, env_->dataDir.path()));
        }
        QCOMPARE(form.TxtSNo->text(), QStringLiteral("Printer00%1").arg(faults.size() + 1));
        QVERIFY(kind != VirtualCom || ComHandle().isOpen());
    }

    // Each code written is saved at once; a failed save is reported once, not for every printer,
    // until one works. The port is kept open: what the printer sent after one operation (the
    // notice after IN) must not pass for the next one's answer.
    void progressSavedAfterEachWrite()
    {
        start(VirtualCom);
        AppSettings.PortOpen = true;
        const QString ini = env_->path(QStringLiteral("Zentab.ini"));
        FrmMain& form = *env_->form;
        for (int round = 1; round <= 2; ++round) { // the second fails again after a success
            QVERIFY(QFile::remove(ini) && QDir().mkdir(ini)); // no save can replace a folder
            env_->click(form.CmdSetSNo);
            env_->click(form.CmdSetSNo);
            QCOMPARE(env_->titles(), QStringList(round, QStringLiteral("ERROR!")));
            QVERIFY(!ErrorFlag && QDir().rmdir(ini)); // the printers have their codes all the same
            env_->click(form.CmdSetSNo);
            env_->click(form.CmdGetSNo); // shows the code read, the one before, and saves nothing
            const QByteArray code = "Printer00" + QByteArray::number(2 + 2 * round);
            QVERIFY(env_->read("Zentab.ini").contains("SerialNo = " + code + "\r\n"));
        }
    }

    // The code's reply is taken whole, 12 bytes, its first and last not
    // examined; the name's is 5F, the name and 00: six bytes at the least.
    void replyBounds()
    {
        QVERIFY(SerialNoFromReply("AA5072696E746572303031FF") == QStringLiteral("Printer001"));
        QVERIFY(ModelNameFromReply("5F4142434400") == QStringLiteral("ABCD"));
        QVERIFY(!ModelNameFromReply("5F41424300"));
    }
};

QTEST_MAIN(TestIdentification)
#include "tst_identification.moc"
