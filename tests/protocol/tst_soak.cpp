// Many "Set S/No." through the real main window over virtual COM, each with a random fault.
// Every failure must be reported in one message box, and the code advance exactly once per
// code the printer really stored: none skipped, none written twice. The faults are dealt from
// shuffled decks, so the suite's short run meets every one. The seed is printed;
// ZENTAB_SOAK_SEED replays another one, ZENTAB_SOAK_COUNT makes a longer run.
#include "environment.h"

#include <QLineEdit>
#include <QPushButton>
#include <QtTest>
#include <algorithm>
#include <random>

using namespace Common;
using namespace TestSupport;

// GoneEarly: on or before the model query; Pulled: between the answer and the write; GoneLate:
// once the code is stored. Not part-way through the write: the terminal has taken the whole
// block by then, so no program could tell without reading the code back.
enum Fault { None, Silent, Late, Garbage, OtherModel, Short, Long, GoneEarly, Pulled, GoneLate };

class TestSoak : public QObject {
    Q_OBJECT

    std::unique_ptr<Environment> env_;
    std::mt19937 rng_;
    QList<Fault> deck_;    // shuffled: each fault once, as many clean operations
    QStringList stored_;   // the codes the printers stored, in order
    QStringList reported_; // the codes the program wrote without a message
    bool pullOnReply_ = false;

    int draw(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    // A printer plugged in as COM16, its stored codes counted. Asked to, it is unplugged once
    // it has answered, not from inside the terminal's own handler.
    void plugIn()
    {
        env_->newPrinter(0x35);
        Sim::SimPrinter* printer = env_->printer.get();
        printer->setResetTimeMs(10); // bytes sent meanwhile wait in the terminal
        connect(printer, &Sim::SimPrinter::commandReceived, this, [this](const Sim::SimCommand& c) {
            if (c.note == u"stored" && c.bytes.size() == 16 && c.bytes.at(5) == '\xF0')
                stored_ << QString::fromLatin1(c.bytes.mid(6, 10));
        });
        connect(printer, &Sim::SimPrinter::replyQueued, this, [this] {
            if (std::exchange(pullOnReply_, false))
                QTimer::singleShot(0, this, [this] { env_->sim->unplug(); });
        });
        QVERIFY(env_->sim->plugIn(env_->printer, env_->dataDir.path()));
    }

    void arm(Fault fault)
    {
        Sim::SimFaults& f = env_->printer->faults() = Sim::SimFaults{};
        const qint64 taken = env_->printer->bytesTaken();
        f.silent = fault == Silent;
        f.garbageReplies = fault == Garbage;
        // On either side of the wait for the answer: 200 ms at 2 %.
        f.replyDelayMs = fault == Late ? draw(0, 12) : 0;
        f.replyLengthChange = fault == Short ? -draw(1, 3) : fault == Long ? draw(1, 12) : 0;
        if (fault == OtherModel)
            f.otherModelId = std::uint8_t(0x35 + draw(1, 200));
        // The code is stored with the write's 24th byte.
        if (fault == GoneEarly || fault == GoneLate)
            f.vanishAfterBytes = taken + (fault == GoneEarly ? draw(0, 3) : 3 + draw(24, 33));
        pullOnReply_ = fault == Pulled;
    }

private Q_SLOTS:
    void manyWritesUnderRandomFaults()
    {
        const int operations = std::max(qEnvironmentVariableIntValue("ZENTAB_SOAK_COUNT"), 40);
        const std::uint32_t seed = qEnvironmentVariable("ZENTAB_SOAK_SEED", "20261206").toUInt();
        qInfo("soak: seed %u (replay with ZENTAB_SOAK_SEED=%u)", seed, seed);
        rng_.seed(seed);
        env_ = std::make_unique<Environment>(2); // pauses at 2 % of their length
        env_->startOn(VirtualCom, 0x35, QStringLiteral("ZX-P700"));
        plugIn();
        FrmMain& form = *env_->form;
        const auto present = [this] {
            return env_->sim->pty && env_->sim->pty->isOpen() && !env_->printer->vanished();
        };
        for (int i = 0; i < operations && !QTest::currentTestFailed(); ++i) {
            // A vanished printer comes back, sometimes only after an operation found it missing.
            if (!present()) {
                env_->sim->unplug();
                if (draw(0, 2) > 0)
                    plugIn();
            }
            if (deck_.isEmpty()) {
                for (int f = Silent; f <= GoneLate; ++f)
                    deck_ << Fault(f) << None;
                std::shuffle(deck_.begin(), deck_.end(), rng_);
            }
            const Fault fault = present() ? deck_.takeLast() : GoneEarly;
            arm(fault);
            // The code shown follows the last one written.
            const QString code = QString::asprintf("Printer%03d", int(reported_.size()) + 1);
            QCOMPARE(form.TxtSNo->text(), code);
            env_->seams.clearMessages();
            env_->click(form.CmdSetSNo);
            // Whatever was stored beyond the codes reported written, since the last operation
            // too, counts as this one's.
            const QStringList shown = env_->shown(), written = stored_.mid(reported_.size());
            // A failure: one message naming the step, nothing stored, the code kept. A success:
            // no message, that code stored.
            const QString outcome = shown.join(u';') + '|' + written.join(u';');
            const QStringList fine{'|' + code, PrinterNotConfirmed + '|', RegistrationFailed + '|'};
            QVERIFY2(CurrentPointer() == Pointer::Default && ErrorFlag != shown.isEmpty() &&
                         fine.contains(outcome),
                     qPrintable(QString::asprintf("operation %d, fault %d: ", i, fault) + outcome));
            reported_ << written;
        }
        // A run that wrote little proved little.
        QVERIFY2(reported_.size() >= operations / 5, qPrintable(QString::number(reported_.size())));
    }
};

QTEST_MAIN(TestSoak)
#include "tst_soak.moc"
