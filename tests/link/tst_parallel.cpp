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
// kept in runs.
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
        return port_.read(address, value, size);
    }
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override
    {
        trace << QStringLiteral("W%1 %2")
                     .arg(address - port_.base())
                     .arg(value & 0xFF, 2, 16, QLatin1Char('0'))
                     .toUpper();
        if (address == port_.base())
            dataWritten.append(static_cast<char>(value));
        return port_.write(address, value, size);
    }
    std::uint8_t controlRegister() const { return port_.controlRegister(); }
    void clear()
    {
        trace.clear();
        runs.clear();
        dataWritten.clear();
    }

    QStringList trace;
    QList<int> runs;
    QByteArray dataWritten; // every data register write, in order

private:
    Sim::SimParallelPort port_;
};

} // namespace

class TestParallelLink : public QObject {
    Q_OBJECT
private:
    std::shared_ptr<Sim::SimPrinter> printer;
    std::shared_ptr<Sim::Ieee1284Peripheral> peripheral;
    LoggedPort* port = nullptr; // owned by the port I/O

    void install(std::uint16_t base)
    {
        auto logged = std::make_unique<LoggedPort>(peripheral, base);
        port = logged.get();
        SetPortIoBackend(std::move(logged));
    }
    // The printer has been sent command; the log starts after it.
    void sendFirst(const QString& command)
    {
        SendData(command);
        QVERIFY(!ErrorFlag);
        port->clear();
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
        QTest::newRow("ready, low bits ignored") << 0xDF << false;
        QTest::newRow("busy") << 0x58 << true;
        QTest::newRow("paper end") << 0xF8 << true;
        QTest::newRow("fault") << 0xD0 << true;
    }

    void notReady()
    {
        QFETCH(int, status);
        // A peripheral whose status is fixed.
        class FixedStatus final : public PortIoBackend {
        public:
            explicit FixedStatus(std::uint8_t s) : s_(s) {}
            bool initialize() override { return true; }
            void shutdown() override {}
            bool read(std::uint16_t, std::uint32_t* value, std::uint8_t) override
            {
                *value = s_;
                return true;
            }
            bool write(std::uint16_t, std::uint32_t, std::uint8_t) override { return true; }

        private:
            std::uint8_t s_;
        };
        SetPortIoBackend(std::make_unique<FixedStatus>(static_cast<std::uint8_t>(status)));
        QTEST(LptNotReady(), "notReady");
    }

    void sendData_oneByteHandshake()
    {
        SendData(QStringLiteral("41"));
        QVERIFY(!ErrorFlag);
        // Ready? Then data, strobe low and high, and wait until ready again.
        const QStringList expected{"R", "W2 CC", "W0 41", "W2 CD", "W2 CC", "R"};
        QCOMPARE(port->trace, expected);
        QCOMPARE(port->runs.first(), 1);
        QCOMPARE(printer->bytesTaken(), qint64(1));
    }

    void sendData_busyBeforeTheFirstByte()
    {
        printer->faults().stopsTaking = true;
        SendData(QStringLiteral("1D4901"));
        QVERIFY(ErrorFlag);
        QCOMPARE(port->trace, QStringList{"R"}); // one look at the status
        QCOMPARE(port->runs, QList<int>{1});
        QVERIFY(port->dataWritten.isEmpty());
    }

    void sendData_busyAfterTheThirdByte()
    {
        peripheral->faults().busyAfterBytes = 3;
        CapturedMessages messages;
        SendData(QStringLiteral("1B40AABBCC"));
        QVERIFY(ErrorFlag);
        QCOMPARE(port->dataWritten, QByteArray("\x1B\x40\xAA", 3));
        QCOMPARE(printer->bytesTaken(), qint64(3));
        // The ready wait after the third byte is 9,990 status reads.
        QCOMPARE(port->trace.last(), QStringLiteral("R"));
        QCOMPARE(port->runs.last(), 9990);
        QVERIFY(messages.isEmpty());
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

    void receiveData_oneByteReply()
    {
        sendFirst(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QStringLiteral("35"));
        QVERIFY(!ErrorFlag);
        const QStringList expected{// negotiation: request, wait, strobe, release, wait
                                   "W2 CC", "W0 00", "W2 C6", "R", "W2 C7", "W2 C4", "R",
                                   // each nibble: ask, wait for the acknowledge, take it, wait
                                   "W2 C6", "R", "W2 C4", "R", "W2 C6", "R", "W2 C4", "R",
                                   // termination
                                   "W2 CC", "R", "W0 00", "W2 CE", "R", "W2 CC"};
        QCOMPARE(port->trace, expected);
        // The fault line stays high after the byte: no further byte, after the
        // full wait of 99,999 reads.
        QCOMPARE(port->runs.at(port->runs.size() - 3), 99999);
        QCOMPARE(peripheral->phase(), Sim::Ieee1284Peripheral::Phase::CompatibilityIdle);
    }

    void receiveData_capAt201Bytes()
    {
        peripheral->faults().endlessData = true;
        sendFirst(QStringLiteral("1D4901"));
        const QString reply = ReceiveData();
        QCOMPARE(reply.size(), 402);
        QVERIFY(reply.startsWith(QStringLiteral("35")));
        QCOMPARE(port->trace.count(QStringLiteral("W2 C6")), 1 + 2 * 201); // no 202nd byte begun
        QCOMPARE(port->trace.last(), QStringLiteral("W2 CC"));
        QCOMPARE(peripheral->nibblesSent(), 2 * 201);
        QVERIFY(!ErrorFlag);
    }

    void receiveData_noReverseChannel()
    {
        peripheral->faults().noReverseChannel = true;
        sendFirst(QStringLiteral("1D4901"));
        CapturedMessages messages;
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
        QVERIFY(messages.isEmpty());
        // The request is never answered; the termination is not taken up.
        const QStringList expected{"W2 CC", "W0 00", "W2 C6", "R", "W2 CC", "R", "W2 CC"};
        QCOMPARE(port->trace, expected);
        QCOMPARE(port->runs, (QList<int>{99999, 1}));
    }

    void receiveData_ackNeverRisesInTheThirdByte()
    {
        peripheral->faults().nAckStuckAtNibble = 4;
        sendFirst(QStringLiteral("1D4944"));
        QCOMPARE(ReceiveData(), QStringLiteral("5F50"));
        QVERIFY(!ErrorFlag);
        // The third byte's first nibble is taken, the acknowledge stays low for
        // the whole wait, and the termination follows at once.
        const QStringList expectedTail{"W2 C6", "R",     "W2 C4", "R", "W2 CC",
                                       "R",     "W0 00", "W2 CE", "R", "W2 CC"};
        const QStringList& trace = port->trace;
        QCOMPARE(trace.mid(trace.size() - expectedTail.size()), expectedTail);
        QCOMPARE(port->runs.at(port->runs.size() - 3), 99999);
    }

    void silentOrVanishedPrinter_data()
    {
        QTest::addColumn<bool>("vanish");
        QTest::addColumn<bool>("sendFails");
        // Nothing to say: the negotiation finds no data and the link gives up.
        QTest::newRow("silent") << false << false;
        // Gone after two bytes: the lines float and nothing goes either way.
        QTest::newRow("vanished") << true << true;
    }

    void silentOrVanishedPrinter()
    {
        QFETCH(bool, vanish);
        QFETCH(bool, sendFails);
        printer->faults().silent = !vanish;
        if (vanish)
            printer->faults().vanishAfterBytes = 2;
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ErrorFlag, sendFails);
        ErrorFlag = false;
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(ErrorFlag);
        QVERIFY(messages.isEmpty());
        QCOMPARE(port->controlRegister(), std::uint8_t{0xCC});
    }
};

QTEST_MAIN(TestParallelLink)
#include "tst_parallel.moc"
