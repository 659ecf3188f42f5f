// The parallel interface against a scripted peripheral that answers status
// reads from what the host last wrote, as an IEEE 1284 printer would, and
// logs every register access: the exact handshakes, their counts and their
// failure paths.

#include "app/waitms.h"
#include "capturedmessages.h"
#include "link/link.h"
#include "link/portio.h"
#include "settings/appsettings.h"
#include "simparallelport.h"

#include <QtTest>
#include <vector>

using namespace Common;

namespace {

struct Access {
    char op; // 'R' or 'W'
    int offset;
    std::uint8_t value;
    int count;
};

class ScriptedPrinter final : public PortIoBackend {
public:
    // Forward channel: status 58h (busy) from the start or after this many strobes.
    int busyAfterStrobes = -1;
    // Reverse channel.
    bool reverseChannel = true;
    QByteArray reply;
    bool endless = false;    // a byte more is always on offer
    int ackStuckInByte = -1; // the acknowledge never rises after this byte's first nibble

    std::uint16_t base = 0x378;
    std::vector<Access> log;
    QByteArray dataWritten; // every data register write, in order

    bool initialize() override { return true; }
    void shutdown() override {}
    bool read(std::uint16_t address, std::uint32_t* value, std::uint8_t size) override;
    bool write(std::uint16_t address, std::uint32_t value, std::uint8_t size) override;

    // The log with repeated reads collapsed: "W2 C6", "R1 A8 x2".
    QStringList trace() const;
    int count(const QString& entry) const { return trace().count(entry); }

private:
    enum class Phase {
        Compatibility,
        Requested,
        Accepted,
        NibbleShown,
        NibbleTaken,
        ByteDone,
        Terminating
    };
    std::uint8_t status() const;
    void control(std::uint8_t value);
    std::uint8_t currentNibble() const;
    bool moreToSend() const { return endless || byteIndex_ < reply.size(); }
    void note(char op, int offset, std::uint8_t value);

    Phase phase_ = Phase::Compatibility;
    int strobes_ = 0;
    int byteIndex_ = 0;
    int nibbleIndex_ = 0; // 0 low half, 1 high half
    std::uint8_t data_ = 0xFF;
};

std::uint8_t ScriptedPrinter::currentNibble() const
{
    const int value = endless ? byteIndex_ & 0xFF : static_cast<std::uint8_t>(reply.at(byteIndex_));
    return static_cast<std::uint8_t>(nibbleIndex_ == 0 ? value & 0x0F : value >> 4);
}

std::uint8_t ScriptedPrinter::status() const
{
    switch (phase_) {
    case Phase::Compatibility:
        return (busyAfterStrobes >= 0 && strobes_ >= busyAfterStrobes) ? 0x58 : 0xD8;
    case Phase::Requested:
        return 0xB8; // acknowledge low, paper end, select and fault high
    case Phase::Accepted:
        return 0xC0; // acknowledge high, the others low: data waiting
    case Phase::NibbleShown: {
        const std::uint8_t n = currentNibble();
        return static_cast<std::uint8_t>(((n & 1) ? 0x08 : 0) | ((n & 2) ? 0x10 : 0) |
                                         ((n & 4) ? 0x20 : 0) | ((n & 8) ? 0 : 0x80));
    }
    case Phase::NibbleTaken:
        return 0xE8;
    case Phase::ByteDone:
        return moreToSend() ? 0xC0 : 0xC8; // fault low: another byte follows
    case Phase::Terminating:
        return 0x18; // BUSY line high, fault high, acknowledge low
    }
    return 0xFF;
}

void ScriptedPrinter::control(std::uint8_t value)
{
    const bool reverse = phase_ != Phase::Compatibility && phase_ != Phase::Requested;
    switch (value) {
    case 0xCD:
        ++strobes_;
        break;
    case 0xC6:
        if (phase_ == Phase::Compatibility && data_ == 0x00 && reverseChannel)
            phase_ = Phase::Requested;
        else if (phase_ == Phase::Accepted || phase_ == Phase::NibbleTaken ||
                 phase_ == Phase::ByteDone)
            phase_ = Phase::NibbleShown;
        break;
    case 0xC4:
        if (phase_ == Phase::Requested) {
            phase_ = Phase::Accepted;
        } else if (phase_ == Phase::NibbleShown && nibbleIndex_ == 0) {
            if (byteIndex_ != ackStuckInByte)
                phase_ = Phase::NibbleTaken;
            nibbleIndex_ = 1;
        } else if (phase_ == Phase::NibbleShown) {
            nibbleIndex_ = 0;
            ++byteIndex_;
            phase_ = Phase::ByteDone;
        }
        break;
    case 0xCC:
        if (phase_ == Phase::Terminating && data_ == 0x00)
            phase_ = Phase::Compatibility; // after CEh: back in compatibility mode
        else if (reverse)
            phase_ = Phase::Terminating;
        else if (phase_ == Phase::Requested)
            phase_ = Phase::Compatibility;
        break;
    default:
        break;
    }
}

void ScriptedPrinter::note(char op, int offset, std::uint8_t value)
{
    if (!log.empty() && op == 'R' && log.back().op == 'R' && log.back().offset == offset &&
        log.back().value == value) {
        ++log.back().count;
        return;
    }
    log.push_back(Access{op, offset, value, 1});
}

bool ScriptedPrinter::read(std::uint16_t address, std::uint32_t* value, std::uint8_t size)
{
    const int offset = address - base;
    if (size != 1 || offset < 0 || offset > 2)
        return false;
    *value = offset == 1 ? status() : offset == 0 ? data_ : 0xCC;
    note('R', offset, static_cast<std::uint8_t>(*value));
    return true;
}

bool ScriptedPrinter::write(std::uint16_t address, std::uint32_t value, std::uint8_t size)
{
    const int offset = address - base;
    if (size != 1 || offset < 0 || offset > 2)
        return false;
    const auto byte = static_cast<std::uint8_t>(value);
    note('W', offset, byte);
    if (offset == 0) {
        data_ = byte;
        dataWritten.append(static_cast<char>(byte));
        if (phase_ == Phase::Terminating)
            data_ = 0x00;
    } else if (offset == 2) {
        control(byte);
    }
    return true;
}

QStringList ScriptedPrinter::trace() const
{
    QStringList lines;
    for (const Access& a : log) {
        QString line = QStringLiteral("%1%2 %3")
                           .arg(QLatin1Char(a.op))
                           .arg(a.offset)
                           .arg(a.value, 2, 16, QLatin1Char('0'))
                           .toUpper();
        if (a.count > 1)
            line += QStringLiteral(" x%1").arg(a.count);
        lines << line;
    }
    return lines;
}

} // namespace

class TestParallelLink : public QObject {
    Q_OBJECT
private:
    ScriptedPrinter* printer = nullptr; // owned by the port I/O

private Q_SLOTS:
    void init();
    void cleanup();
    void notReady_data();
    void notReady();
    void sendData_oneByteHandshake();
    void sendData_busyBeforeTheFirstByte();
    void sendData_busyAfterTheThirdByte();
    void registersFollowTheAddress();
    void receiveData_oneByteReply();
    void receiveData_capAt201Bytes();
    void receiveData_noReverseChannel();
    void receiveData_ackNeverRisesInTheThirdByte();
    void simulatedPrinterFailures_data();
    void simulatedPrinterFailures();
};

void TestParallelLink::init()
{
    auto backend = std::make_unique<ScriptedPrinter>();
    printer = backend.get();
    SetPortIoBackend(std::move(backend));
    AppSettings = AppSettingsRecord{};
    AppSettings.Interface = Parallel;
    AppSettings.ActiveInterface = Parallel;
    ErrorFlag = false;
    SetWaitScaleForTests(10);
}

void TestParallelLink::cleanup()
{
    SetPortIoBackend(nullptr);
    SetWaitScaleForTests(100);
}

void TestParallelLink::notReady_data()
{
    QTest::addColumn<int>("status");
    QTest::addColumn<bool>("notReady");
    QTest::newRow("ready") << 0xD8 << false;
    QTest::newRow("ready, low bits ignored") << 0xDF << false;
    QTest::newRow("busy") << 0x58 << true;
    QTest::newRow("acknowledge low") << 0x98 << true;
    QTest::newRow("paper end") << 0xF8 << true;
    QTest::newRow("not selected") << 0xC8 << true;
    QTest::newRow("fault") << 0xD0 << true;
}

void TestParallelLink::notReady()
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

void TestParallelLink::sendData_oneByteHandshake()
{
    SendData(QStringLiteral("41"));
    const QStringList expected{"R1 D8", "W2 CC", "W0 41", "W2 CD", "W2 CC", "R1 D8"};
    QCOMPARE(printer->trace(), expected);
    QVERIFY(!ErrorFlag);
}

void TestParallelLink::sendData_busyBeforeTheFirstByte()
{
    printer->busyAfterStrobes = 0;
    SendData(QStringLiteral("1D4901"));
    QVERIFY(ErrorFlag);
    QCOMPARE(printer->trace(), QStringList{"R1 58"});
    QVERIFY(printer->dataWritten.isEmpty());
}

void TestParallelLink::sendData_busyAfterTheThirdByte()
{
    printer->busyAfterStrobes = 3;
    CapturedMessages messages;
    SendData(QStringLiteral("1B40AABBCC"));
    QVERIFY(ErrorFlag);
    QCOMPARE(printer->dataWritten, QByteArray("\x1B\x40\xAA", 3));
    // The ready wait after the third byte is 9,990 status reads.
    QCOMPARE(printer->trace().last(), QStringLiteral("R1 58 x9990"));
    QVERIFY(messages.isEmpty());
}

void TestParallelLink::registersFollowTheAddress()
{
    AppSettings.LPTAddress = 0x278;
    printer->base = 0x278;
    WriteLptRegister(2, 0xCC);
    QCOMPARE(ReadLptRegister(1), std::uint8_t{0xD8});
    QCOMPARE(printer->trace(), (QStringList{"W2 CC", "R1 D8"}));
}

void TestParallelLink::receiveData_oneByteReply()
{
    printer->reply = QByteArray("\x35", 1);
    QCOMPARE(ReceiveData(), QStringLiteral("35"));
    QVERIFY(!ErrorFlag);
    const QStringList expected{// negotiation
                               "W2 CC", "W0 00", "W2 C6", "R1 B8", "W2 C7", "W2 C4", "R1 C0",
                               // low nibble 5: acknowledge low, take it, acknowledge high again
                               "W2 C6", "R1 A8 x2", "W2 C4", "R1 E8",
                               // high nibble 3
                               "W2 C6", "R1 98 x2", "W2 C4",
                               // the fault line stays high: no further byte
                               "R1 C8 x99999",
                               // termination
                               "W2 CC", "R1 18 x2", "W0 00", "W2 CE", "R1 18", "W2 CC"};
    QCOMPARE(printer->trace(), expected);
}

void TestParallelLink::receiveData_capAt201Bytes()
{
    printer->endless = true;
    const QString reply = ReceiveData();
    QCOMPARE(reply.size(), 402);
    QString expected;
    for (int i = 0; i < 201; ++i)
        expected += QStringLiteral("%1").arg(i, 2, 16, QLatin1Char('0')).toUpper();
    QCOMPARE(reply, expected);
    QCOMPARE(printer->count(QStringLiteral("W2 C6")), 1 + 2 * 201); // no 202nd byte begun
    QCOMPARE(printer->trace().last(), QStringLiteral("W2 CC"));
    QVERIFY(!ErrorFlag);
}

void TestParallelLink::receiveData_noReverseChannel()
{
    printer->reverseChannel = false;
    CapturedMessages messages;
    QCOMPARE(ReceiveData(), QString());
    QVERIFY(ErrorFlag);
    QVERIFY(messages.isEmpty());
    const QStringList expected{"W2 CC", "W0 00", "W2 C6", "R1 D8 x99999",
                               // termination: the printer does not take it up
                               "W2 CC", "R1 D8", "W2 CC"};
    QCOMPARE(printer->trace(), expected);
}

void TestParallelLink::receiveData_ackNeverRisesInTheThirdByte()
{
    printer->reply = QByteArray("\x11\x22\x33", 3);
    printer->ackStuckInByte = 2;
    QCOMPARE(ReceiveData(), QStringLiteral("1122"));
    QVERIFY(!ErrorFlag);
    // The third byte's first nibble (3) is taken, the acknowledge stays low
    // for the whole wait, and the termination follows at once.
    const QStringList expectedTail{"W2 C6",    "R1 98 x2", "W2 C4", "R1 98 x99999", "W2 CC",
                                   "R1 18 x2", "W0 00",    "W2 CE", "R1 18",        "W2 CC"};
    const QStringList trace = printer->trace();
    QCOMPARE(trace.mid(trace.size() - expectedTail.size()), expectedTail);
}

void TestParallelLink::simulatedPrinterFailures_data()
{
    QTest::addColumn<bool>("vanish");
    QTest::addColumn<bool>("sendFails");
    // Nothing to say: the negotiation finds no data and the link gives up.
    QTest::newRow("silent") << false << false;
    // Gone after two bytes: the lines float (7Fh) and nothing goes either way.
    QTest::newRow("vanished") << true << true;
}

void TestParallelLink::simulatedPrinterFailures()
{
    QFETCH(bool, vanish);
    QFETCH(bool, sendFails);
    auto printer = std::make_shared<Sim::SimPrinter>();
    printer->faults().silent = !vanish;
    if (vanish)
        printer->faults().vanishAfterBytes = 2;
    auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(printer);
    SetPortIoBackend(std::make_unique<Sim::SimParallelPort>(peripheral));
    CapturedMessages messages;
    SendData(QStringLiteral("1D4901"));
    QCOMPARE(ErrorFlag, sendFails);
    ErrorFlag = false;
    QCOMPARE(ReceiveData(), QString());
    QVERIFY(ErrorFlag);
    QVERIFY(messages.isEmpty());
    if (!vanish)
        QCOMPARE(peripheral->phase(), Sim::Ieee1284Peripheral::Phase::CompatibilityIdle);
}

QTEST_MAIN(TestParallelLink)
#include "tst_parallel.moc"
