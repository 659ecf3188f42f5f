// The simulated parallel port and peripheral, driven by hand through the
// register sequences the host uses: compatibility-mode bytes with strobe and
// busy, nibble-mode negotiation, nibble reads and termination.

#include "ieee1284peripheral.h"
#include "simparallelport.h"

#include <QTest>

using Sim::Ieee1284Peripheral;
using Sim::SimParallelPort;
using Sim::SimPrinter;

namespace {

constexpr std::uint16_t kBase = 0x378;
constexpr std::uint8_t kIdle = 0xCC;    // nSelectIn low, the rest released
constexpr std::uint8_t kStrobe = 0xCD;  // the same with nStrobe low
constexpr std::uint8_t kRequest = 0xC6; // nSelectIn high, nAutoFd low
constexpr std::uint8_t kRequestStrobe = 0xC7;
constexpr std::uint8_t kReleased = 0xC4;  // nSelectIn high, nAutoFd high
constexpr std::uint8_t kTerminate = 0xCE; // nSelectIn low, nAutoFd low

const QByteArray kGsI1("\x1D\x49\x01", 3);
const QByteArray kIn("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8);
const QByteArray kOut("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);

// The host's side, one register access per call, its waits counted in
// status reads as the link counts them.
class Host {
public:
    explicit Host(SimParallelPort& port) : port_(port) {}

    std::uint8_t status()
    {
        std::uint32_t value = 0;
        port_.read(kBase + 1, &value, 1);
        return static_cast<std::uint8_t>(value);
    }
    void control(std::uint8_t value) { port_.write(kBase + 2, value, 1); }
    void data(std::uint8_t value) { port_.write(kBase, value, 1); }

    // Reads until (status & mask) == want: the number of reads, or -1.
    int waitFor(std::uint8_t mask, std::uint8_t want, int limit)
    {
        for (int i = 1; i <= limit; ++i) {
            if ((status() & mask) == want)
                return i;
        }
        return -1;
    }
    bool ackLowWithin(int limit) { return waitFor(0x40, 0x00, limit) > 0; }
    bool ackHighWithin(int limit) { return waitFor(0x40, 0x40, limit) > 0; }

    bool sendByte(std::uint8_t byte)
    {
        control(kIdle);
        data(byte);
        control(kStrobe);
        control(kIdle);
        return waitFor(0xF8, 0xD8, 9990) > 0;
    }
    bool send(const QByteArray& bytes)
    {
        if ((status() & 0xF8) != 0xD8)
            return false;
        for (const char c : bytes) {
            if (!sendByte(static_cast<std::uint8_t>(c)))
                return false;
        }
        return true;
    }

    bool negotiate()
    {
        control(kIdle);
        data(0x00);
        control(kRequest);
        if (waitFor(0x78, 0x38, 99999) < 0)
            return false;
        control(kRequestStrobe);
        control(kReleased);
        return waitFor(0x78, 0x40, 9999) > 0;
    }

    static std::uint8_t Nibble(std::uint8_t status)
    {
        return ((status >> 3) & 0x07) | ((status & 0x80) ? 0 : 0x08);
    }

    // Byte after byte, low nibble first, while the peripheral shows more.
    QByteArray readNibbles()
    {
        QByteArray reply;
        for (bool more = true; more && reply.size() < 201;) {
            std::uint8_t value = 0;
            for (const int shift : {0, 4}) {
                control(kRequest);
                if (!ackLowWithin(99999))
                    return reply;
                value |= Nibble(status()) << shift;
                control(kReleased);
                if (shift == 0 && !ackHighWithin(99999))
                    return reply;
            }
            more = waitFor(0x48, 0x40, 99999) > 0;
            reply += static_cast<char>(value);
        }
        return reply;
    }

    // Returns whether the peripheral took up the termination.
    bool terminate()
    {
        control(kIdle);
        if ((status() & 0x88) != 0x08)
            return false;
        if (!ackLowWithin(10000))
            return false;
        data(0x00);
        control(kTerminate);
        ackLowWithin(10000);
        control(kIdle);
        return true;
    }

private:
    SimParallelPort& port_;
};

} // namespace

class TstIeee1284Peripheral : public QObject {
    Q_OBJECT

    std::shared_ptr<SimPrinter> printer_;
    std::shared_ptr<Ieee1284Peripheral> peripheral_;
    std::unique_ptr<SimParallelPort> port_;
    std::unique_ptr<Host> host_;

    QByteArray query(const QByteArray& command)
    {
        if (!host_->send(command))
            return "send failed";
        const QByteArray reply = host_->negotiate() ? host_->readNibbles() : QByteArray();
        host_->terminate();
        return reply;
    }

private Q_SLOTS:
    void init()
    {
        printer_ = std::make_shared<SimPrinter>();
        printer_->setModelId(0x51);
        printer_->setIdentificationCode("Printer001");
        peripheral_ = std::make_shared<Ieee1284Peripheral>(printer_);
        port_ = std::make_unique<SimParallelPort>(peripheral_, kBase);
        host_ = std::make_unique<Host>(*port_);
    }

    void compatibilityByteWithStrobeAndBusy()
    {
        QCOMPARE(host_->status() & 0xF8, 0xD8);
        host_->control(kIdle);
        host_->data(0x1D);
        host_->control(kStrobe);
        QCOMPARE(host_->status() & 0x80, 0x00); // BUSY while the byte is latched
        QCOMPARE(peripheral_->bytesTaken(), 0);
        host_->control(kIdle);
        bool sawAck = false;
        int reads = 0;
        while ((host_->status() & 0xF8) != 0xD8 && reads < 100) {
            sawAck = sawAck || peripheral_->lines().nAck == false;
            ++reads;
        }
        QVERIFY(sawAck);
        QVERIFY2(reads >= Ieee1284Peripheral::kDefaultReactionReads,
                 qPrintable(QString::number(reads)));
        QCOMPARE(peripheral_->bytesTaken(), 1);
        QVERIFY(host_->send(QByteArray("\x49\x01")));
        QCOMPARE(printer_->commandLog().back().text, QStringLiteral("GS I 1"));
    }

    void nibbleLayout_data()
    {
        QTest::addColumn<int>("byte");
        for (int b : {0x00, 0xA5, 0xFF})
            QTest::newRow(qPrintable(QString::number(b, 16))) << b;
    }
    void nibbleLayout()
    {
        QFETCH(int, byte);
        printer_->setModelId(std::uint8_t(byte));
        QCOMPARE(query(kGsI1), QByteArray(1, char(byte)));
        QCOMPARE(peripheral_->nibblesSent(), 2);
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::CompatibilityIdle);
        QCOMPARE(host_->status() & 0xF8, 0xD8);
    }

    void terminationHandshake()
    {
        QVERIFY(host_->send(kGsI1));
        QVERIFY(host_->negotiate());
        QCOMPARE(host_->readNibbles(), QByteArray("\x51"));
        host_->control(kIdle); // event 22
        const std::uint8_t answer = host_->status();
        QCOMPARE(answer & 0x88, 0x08); // BUSY and nFault high at once
        QCOMPARE(answer & 0x40, 0x00); // nAck low
        host_->data(0x00);
        host_->control(kTerminate); // event 25
        QCOMPARE(host_->waitFor(0x40, 0x40, 100), Ieee1284Peripheral::kDefaultReactionReads);
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::TerminationDone);
        host_->control(kIdle); // event 28
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::CompatibilityIdle);
        QCOMPARE(host_->status() & 0xF8, 0xD8);
    }

    void terminationMidByteKeepsTheByte()
    {
        QVERIFY(host_->send(QByteArray("\x1D\x49\x44")));
        QVERIFY(host_->negotiate());
        host_->control(kRequest);
        QVERIFY(host_->ackLowWithin(100)); // low half of 5Fh on the lines
        host_->control(kReleased);
        QVERIFY(host_->ackHighWithin(100));
        QVERIFY(host_->terminate());
        QCOMPARE(query(QByteArray()), QByteArray("\x5FPrinter001\x00", 12));
    }

    void initLowAbortsNibbleMode()
    {
        QVERIFY(host_->send(kGsI1));
        QVERIFY(host_->negotiate());
        host_->control(0xC0); // nInit low
        QCOMPARE(peripheral_->phase(), Ieee1284Peripheral::Phase::CompatibilityIdle);
        host_->control(kIdle);
        QCOMPARE(host_->status() & 0xF8, 0xD8);
    }

    void identificationTransmissionStoresCode()
    {
        printer_->setResetTimeMs(200);
        const QByteArray transmission =
            kIn + QByteArray("\x1D\x28\x45\x0B\x00\xF0", 6) + "Printer042" + kOut;
        QVERIFY(host_->send(transmission));
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer042"));
        // Reset: BUSY high, nothing taken.
        QCOMPARE(host_->status() & 0x80, 0x00);
        QVERIFY(!host_->sendByte(0x1D));
        QTest::qWait(250);
        QVERIFY(host_->waitFor(0xF8, 0xD8, 100) > 0); // the held 1Dh goes in after the reset
        // The notice after IN went with the reset: the next reply is clean.
        QCOMPARE(query(QByteArray("\x49\x01")), QByteArray("\x51"));
    }

    // A vanished printer leaves the lines floating; the link's tests see
    // only that nothing goes either way.
    void vanishedPrinterLinesFloat()
    {
        printer_->faults().vanishAfterBytes = 2;
        QVERIFY(!host_->send(kGsI1));
        QCOMPARE(int(host_->status()), 0x7F);
        QVERIFY(!host_->negotiate());
    }

    void lateReplyAnnouncedInReverseIdle()
    {
        printer_->faults().replyDelayMs = 100;
        QVERIFY(host_->send(kGsI1));
        QVERIFY(!host_->negotiate()); // nothing yet
        QTest::qWait(150);
        QCOMPARE(host_->waitFor(0x48, 0x40, 10), 1); // nDataAvail low now
        QCOMPARE(host_->readNibbles(), QByteArray("\x51"));
        QVERIFY(host_->terminate());
    }
};

QTEST_GUILESS_MAIN(TstIeee1284Peripheral)
#include "tst_ieee1284peripheral.moc"
