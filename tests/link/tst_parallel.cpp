// The parallel interface against the simulated IEEE 1284 peripheral, every
// register access logged: the exact writes of each handshake, where the link
// polls the status, how long it waits before it gives up, and the failure
// paths. The peripheral answers after a few status reads, as hardware does,
// so the tests count the reads only where the link's own limits show.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/portio.h"
#include "simparallelport.h"

#include <QtTest>

using namespace Common;

namespace {

// The simulated port with its register accesses logged: each write as
// "W<offset> <value>", each run of status reads as one "R" whose length is
// kept in runs. With fixedStatus set, every read gives that instead.
class LoggedPort final : public PortIoBackend {
public:
    LoggedPort(std::shared_ptr<Sim::Ieee1284Peripheral> peripheral, std::uint16_t base)
        : port_(std::move(peripheral), base)
    {
    }
    bool initialize() override { return port_.initialize(); }
    void shutdown() override { port_.shutdown(); }
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) override
    {
        if (!trace.isEmpty() && trace.last() == QLatin1String("R")) {
            ++runs.last();
        } else {
            trace << QStringLiteral("R");
            runs << 1;
        }
        if (fixedStatus)
            return *value = *fixedStatus, true;
        return port_.read(address, value, size);
    }
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override
    {
        trace << QStringLiteral("W%1 %2")
                     .arg(address - port_.base())
                     .arg(value & 0xFF, 2, 16, QLatin1Char('0'))
                     .toUpper();
        return port_.write(address, value, size);
    }
    std::uint8_t controlRegister() const { return port_.controlRegister(); }

    QStringList trace;
    QList<int> runs;
    std::optional<std::uint8_t> fixedStatus;

private:
    Sim::SimParallelPort port_;
};

// The expected writes: one byte out in compatibility mode, and the reverse
// channel's negotiation, one nibble each and the termination.
QStringList ByteOut(const char* hex)
{
    return {"W2 CC", QStringLiteral("W0 ") + QLatin1String(hex), "W2 CD", "W2 CC", "R"};
}
const QStringList kNegotiation{"W2 CC", "W0 00", "W2 C6", "R", "W2 C7", "W2 C4", "R"};
const QStringList kNibble{"W2 C6", "R", "W2 C4", "R"};
const QStringList kTermination{"W2 CC", "R", "W0 00", "W2 CE", "R", "W2 CC"};

enum Fault { None, StopsTaking, BusyAfterThree, NoReverseChannel, AckStuck, Silent, Vanished };

} // namespace

class TestParallelLink : public QObject {
    Q_OBJECT

    std::shared_ptr<Sim::SimPrinter> printer;
    std::shared_ptr<Sim::Ieee1284Peripheral> peripheral;
    LoggedPort* port = nullptr; // owned by the port I/O

    void install(std::uint16_t base)
    {
        auto logged = std::make_unique<LoggedPort>(peripheral, base);
        port = logged.get();
        SetPortIoBackend(std::move(logged));
    }

    void apply(int fault)
    {
        printer->faults().stopsTaking = fault == StopsTaking;
        printer->faults().silent = fault == Silent;
        if (fault == Vanished)
            printer->faults().vanishAfterBytes = 2;
        if (fault == BusyAfterThree)
            peripheral->faults().busyAfterBytes = 3;
        peripheral->faults().noReverseChannel = fault == NoReverseChannel;
        if (fault == AckStuck)
            peripheral->faults().nAckStuckAtNibble = 4;
    }

private Q_SLOTS:
    void init()
    {
        printer = std::make_shared<Sim::SimPrinter>();
        printer->setModelId(0x35);
        printer->setIdentificationCode("Printer001");
        peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer);
        install(0x378);
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = Parallel;
        AppSettings.ActiveInterface = Parallel;
        ErrorFlag = false;
        SetWaitScaleForTests(10);
    }

    void cleanup()
    {
        SetPortIoBackend(nullptr);
        SetWaitScaleForTests(100);
    }

    void notReady_data()
    {
        QTest::addColumn<int>("status");
        QTest::addColumn<bool>("notReady");
        QTest::newRow("ready") << 0xD8 << false;
        QTest::newRow("paper end") << 0xF8 << true;
        QTest::newRow("fault") << 0xD0 << true;
    }

    void notReady()
    {
        QFETCH(int, status);
        port->fixedStatus = static_cast<std::uint8_t>(status);
        QTEST(LptNotReady(), "notReady");
    }

    void registersFollowTheAddress()
    {
        AppSettings.LPTAddress = 0x278;
        install(0x278);
        WriteLptRegister(2, 0xC4);
        QCOMPARE(ReadLptRegister(1), std::uint8_t{0xDF}); // idle and ready
        QCOMPARE(port->trace, (QStringList{"W2 C4", "R"}));
        QCOMPARE(port->controlRegister(), std::uint8_t{0xC4});
    }

    void send_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<int>("lastRun"); // 0: not counted
        // Ready? Then per byte: data, strobe low and high, wait until ready again.
        QTest::newRow("one byte") << int(None) << "41" << QStringList{"R"} + ByteOut("41") << 0;
        // One look at the status, nothing written.
        QTest::newRow("busy before the first byte")
            << int(StopsTaking) << "1D4901" << QStringList{"R"} << 1;
        // The ready wait after the third byte is 9,990 status reads; the rest stays unsent.
        QTest::newRow("busy after the third byte")
            << int(BusyAfterThree) << "1B40AABBCC"
            << QStringList{"R"} + ByteOut("1B") + ByteOut("40") + ByteOut("AA") << 9990;
        // Gone after two bytes: the lines float and nothing goes either way.
        QTest::newRow("vanished after two bytes")
            << int(Vanished) << "1D4901" << QStringList{"R"} + ByteOut("1D") + ByteOut("49")
            << 9990;
    }

    void send()
    {
        QFETCH(int, fault);
        QFETCH(QString, command);
        QFETCH(int, lastRun);
        apply(fault);
        CapturedMessages messages;
        SendData(command);
        QCOMPARE(ErrorFlag, fault != None);
        QTEST(port->trace, "trace");
        QCOMPARE(port->runs.first(), 1);
        if (lastRun)
            QCOMPARE(port->runs.last(), lastRun);
        QVERIFY(messages.isEmpty()); // the operation reports it
    }

    void receive_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<QList<int>>("runsTail"); // 0: not counted
        const QStringList unanswered{"W2 CC", "W0 00", "W2 C6", "R", "W2 CC", "R", "W2 CC"};
        // The fault line stays high after the byte: no further byte, after the
        // full wait of 99,999 reads.
        QTest::newRow("one byte") << int(None) << "1D4901"
                                  << "35" << kNegotiation + kNibble + kNibble + kTermination
                                  << QList<int>{99999, 0, 0};
        // The third byte's first nibble is taken, the acknowledge stays low for
        // the whole wait, and the termination follows at once.
        QTest::newRow("acknowledge never rises in the third byte")
            << int(AckStuck) << "1D4944"
            << "5F50"
            << kNegotiation + kNibble + kNibble + kNibble + kNibble + kNibble + kTermination
            << QList<int>{99999, 0, 0};
        // Nothing to say: accepted without data, given up after 9,999 reads.
        QTest::newRow("silent") << int(Silent) << "1D4901"
                                << "" << kNegotiation + kTermination << QList<int>{9999, 0, 0};
        // The request is never answered; the termination is not taken up.
        QTest::newRow("no reverse channel") << int(NoReverseChannel) << "1D4901"
                                            << "" << unanswered << QList<int>{99999, 1};
        // The lines float: the termination's wait runs out too.
        QTest::newRow("vanished") << int(Vanished) << "1D4901"
                                  << "" << unanswered << QList<int>{99999, 10001};
    }

    void receive()
    {
        QFETCH(int, fault);
        QFETCH(QString, command);
        QFETCH(QString, reply);
        QFETCH(QList<int>, runsTail);
        apply(fault);
        SendData(command);
        ErrorFlag = false;
        port->trace.clear();
        port->runs.clear();
        CapturedMessages messages;
        QCOMPARE(ReceiveData(), reply);
        QCOMPARE(ErrorFlag, reply.isEmpty());
        QTEST(port->trace, "trace");
        QVERIFY(port->runs.size() >= runsTail.size());
        for (qsizetype i = 0; i < runsTail.size(); ++i) {
            if (runsTail.at(i))
                QCOMPARE(port->runs.at(port->runs.size() - runsTail.size() + i), runsTail.at(i));
        }
        QVERIFY(messages.isEmpty()); // the operation reports it
    }

    void receiveCapAt201Bytes()
    {
        peripheral->faults().endlessData = true;
        SendData(QStringLiteral("1D4901"));
        const QString reply = ReceiveData();
        QCOMPARE(reply.size(), 402);
        QVERIFY(reply.startsWith(QStringLiteral("35")));
        QCOMPARE(port->trace.count(QStringLiteral("W2 C6")), 1 + 2 * 201); // no 202nd byte begun
        QCOMPARE(port->trace.last(), QStringLiteral("W2 CC"));
        QVERIFY(!ErrorFlag);
    }
};

QTEST_MAIN(TestParallelLink)
#include "tst_parallel.moc"
