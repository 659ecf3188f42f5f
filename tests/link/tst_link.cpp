// The link, interface by interface. Against its test doubles: the
// conversions it makes; what OpenPort, SendData, ReceiveData and ClosePort
// ask of a scripted serial control, in which order, with which waits, and how
// they report; the parallel port's register trace against the simulated
// IEEE 1284 peripheral on LPT2 (the exact writes of each handshake, where the
// status is polled and how long before the link gives up; the peripheral
// answers after a few status reads, as hardware does, so reads are counted
// only where the link's limits show). On the system's own devices, failing
// in the ways the simulated printer does not reach: a pseudo-terminal as
// COM16 for the QSerialPort control and the virtual COM port (held, stalled,
// gone mid-operation), a FIFO as the USB printer's node (taking nothing, then
// gone), refusals that name the group to join, ppdev without a parallel
// port, and the LAN socket, which only connects.

#include "common/pointer.h"
#include "environment.h"
#include "hostterminal.h"
#include "link/hexcommand.h"
#include "link/link.h"
#include "link/linkdrivers.h"
#include "link/portio.h"
#include "link/portresolver.h"
#include "link/rawprint.h"
#include "link/serialsettings.h"
#include "link/virtualcomport.h"
#include "settingsrecord.h"
#include "unprivileged.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QtTest>
#include <grp.h>
#include <poll.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

using namespace Common;
using TestSupport::FakePortIo;

namespace {

enum Conversion { ToHex, FromHex, Bytes, Port, Line, Tty };

// The tty line's control flags under test.
constexpr tcflag_t kLineFlags = CSIZE | PARENB | PARODD | CSTOPB | CLOCAL | CREAD | CRTSCTS;

QString Numbers(std::initializer_list<qint64> numbers)
{
    QStringList text;
    for (const qint64 n : numbers)
        text << QString::number(n);
    return text.join(' ');
}

// The parallel port's expected register trace: one byte out in compatibility
// mode, and the reverse channel's negotiation, one nibble each and the
// termination.
QStringList ByteOut(const char* hex)
{
    return {"W2 CC", QStringLiteral("W0 ") + QLatin1String(hex), "W2 CD", "W2 CC", "R"};
}
const QStringList kNegotiation{"W2 CC", "W0 00", "W2 C6", "R", "W2 C7", "W2 C4", "R"};
const QStringList kNibble{"W2 C6", "R", "W2 C4", "R"};
const QStringList kTermination{"W2 CC", "R", "W0 00", "W2 CE", "R", "W2 CC"};
const QStringList kUnanswered{"W2 CC", "W0 00", "W2 C6", "R", "W2 CC", "R", "W2 CC"};

enum Fault { Fine, PaperEnd, FaultLine, Busy3, NoReverse, AckStuck, Silent, Vanished, Endless };

// A virtual COM port opened as another user: 0, else 1 when refused as busy.
int OpenAsAnotherUser(const QString& device)
{
    const QByteArray path = QFile::encodeName(device);
    return RunUnprivileged([&path] {
        VirtualComPort port;
        if (port.open(path.constData(), VirtualComLine{}))
            return 0;
        // A refused port moves nothing and does not fail the caller.
        return port.write("\x1D\x49\x01", std::chrono::milliseconds(100)) == 0 &&
                       port.lastError() == EBUSY
                   ? 1
                   : 2;
    });
}

// The QSerialPort control on COM16, opened.
std::unique_ptr<SerialControl> OpenSerial(const QString& settings = "19200,n,8,1",
                                          Handshaking handshaking = Handshaking::None)
{
    std::unique_ptr<SerialControl> control = MakeQtSerialControl();
    control->setCommPort(16);
    control->setHandshaking(handshaking);
    if (control->setSettings(settings))
        control->open();
    return control;
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT

    std::optional<TestSupport::Environment> env;
    TestSupport::FakeSerialControl* fake = nullptr; // owned by the link
    SimTest::HostTerminal printer;                  // the far end of COM16
    QList<bool> portCheck;

    // The simulated parallel printer behind a traced port at LPT2's address.
    FakePortIo& parallelPort(int fault)
    {
        auto sim = std::make_shared<Sim::SimPrinter>();
        sim->setModelId(0x35);
        sim->setIdentificationCode("Printer001");
        sim->faults().silent = fault == Silent;
        if (fault == Vanished)
            sim->faults().vanishAfterBytes = 2;
        auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(sim);
        peripheral->faults().noReverseChannel = fault == NoReverse;
        peripheral->faults().endlessData = fault == Endless;
        if (fault == Busy3)
            peripheral->faults().busyAfterBytes = 3;
        if (fault == AckStuck)
            peripheral->faults().nAckStuckAtNibble = 4;
        auto port = std::make_unique<FakePortIo>(peripheral, 0x278);
        FakePortIo& traced = *port;
        if (fault == PaperEnd || fault == FaultLine)
            traced.status = fault == PaperEnd ? 0xF8 : 0xD0;
        env->seams.portIo(std::move(port));
        AppSettings.Interface = Parallel;
        AppSettings.LPTAddress = 0x278;
        return traced;
    }

    void useVirtualCom()
    {
        QVERIFY(TestSupport::Apply(AppSettings, "Interface=5 ActiveInterface=5 COMBaud=1152"));
    }

private Q_SLOTS:
    void init()
    {
        env.emplace(10);
        env->install();
        fake = env->serial;
        fake->dsr = true;
        env->seams.rawPrint(MakeDeviceNodeRawPrintBackend());
        // The unprivileged user must reach the entries inside.
        QVERIFY(QFile::setPermissions(env->dataDir.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                               QFile::ExeOwner | QFile::ExeOther));
        QVERIFY(printer.openPseudoTerminal());
        QVERIFY(QFile::link(printer.devicePath(), env->path("COM16")));
        QVERIFY(TestSupport::Apply(AppSettings, "ActiveInterface=0 COMPort=16 USBPort=7"));
        portCheck.clear();
        SetPortCheckSwitch([this](bool on) { portCheck << on; });
        SetPointer(Pointer::Hourglass); // an operation under way
    }
    void cleanup()
    {
        SetPortCheckSwitch(nullptr);
        SetPointer(Pointer::Default);
        env.reset();
        printer.close();
    }

    // The conversions.

    void convert_data()
    {
        QTest::addColumn<int>("conversion");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const auto row = [](const char* name, Conversion c, const QString& in, const QString& out) {
            QTest::newRow(name) << int(c) << in << out;
        };
        // Hex digit pairs: either case, a non-digit ends a pair, a trailing digit is ignored.
        row("text to hex, Latin-1 else '?'", ToHex, "\tA\u00E9\u00FF\u20AC", "0941E9FF3F");
        row("hex to text, printable only", FromHex, "1F207E7F0A4a4B4", "? ~??JK");
        row("hex to bytes and back", Bytes, "1d4901000aFFZ44Z7", "1D4901000AFF0004");
        row("COM1", Port, "COM1", "/dev/ttyS0");
        row("LPT2", Port, "LPT2", "/dev/parport1");
        row("USB015", Port, "USB015", "/dev/usb/lp14");
        for (const char* unknown : {"COM0", "COM", "COM1000", "com1", "../COM1", ""})
            row(*unknown ? unknown : "empty", Port, unknown, "");
        // The data folder's entries come first, dangling or of no known name.
        row("COM16 in the data folder", Port, "COM16", "data/COM16");
        row("PRN in the data folder", Port, "PRN", "data/PRN");
        // Parity and stop bits as QSerialPort numbers them.
        row("19200,n,8,1", Line, "19200,n,8,1", "19200 0 8 1");
        row("115200,e,7,2", Line, "115200,e,7,2", "115200 2 7 2");
        row("4800,O,8,1.5", Line, "4800,O,8,1.5", "4800 3 8 3");
        for (const char* invalid :
             {"19200,n,8", "000,n,8,1", "19200,x,8,1", "19200,n,9,1", "19200,n,8,3", ""})
            row(*invalid ? invalid : "no line", Line, invalid, "refused");
        // The tty's speed and control flags, and 1: input, local and read settings raw.
        const auto tty = [](speed_t speed, tcflag_t flags) {
            return Numbers({speed, flags | CLOCAL | CREAD, true});
        };
        row("tty 4800 8 none", Tty, "4800 8 0", tty(B4800, CS8));
        row("tty 115200 7 even", Tty, "115200 7 2", tty(B115200, CS7 | PARENB));
        row("tty 9600 8 odd", Tty, "9600 8 1", tty(B9600, CS8 | PARENB | PARODD));
        row("tty rate it lacks keeps the speed", Tty, "12345 8 0", tty(B1200, CS8));
    }
    void convert()
    {
        QFETCH(int, conversion);
        QFETCH(QString, in);
        QVERIFY(QFile::link(env->path("absent"), env->path("PRN")));
        // Whatever the tty had before, the line is set over it.
        termios tio{};
        tio.c_cflag = CS5 | CSTOPB | CRTSCTS | PARENB | PARODD;
        tio.c_iflag = IXON | IXOFF | INPCK | ICRNL;
        tio.c_lflag = ICANON | ECHO;
        tio.c_cc[VMIN] = 1;
        cfsetspeed(&tio, B1200);
        const QStringList n = in.split(' ');
        if (conversion == Tty)
            tio = LineTermios(tio, {n[0].toInt(), n[1].toInt(), n[2].toInt()});
        const bool raw = !(tio.c_iflag & (IXON | IXOFF | INPCK | ICRNL)) &&
                         !(tio.c_lflag & (ICANON | ECHO)) && tio.c_cc[VMIN] + tio.c_cc[VTIME] == 0;
        const std::optional<LineSettings> line = ParseLineSettings(in);
        const QString out =
            conversion == ToHex     ? TextToHex(in)
            : conversion == FromHex ? HexToText(in)
            : conversion == Bytes   ? BytesToHex(HexToBytes(in))
            : conversion == Port    ? ResolvePortDevice(in).replace(env->dataDir.path(), "data")
            : conversion == Tty     ? Numbers({cfgetospeed(&tio), tio.c_cflag & kLineFlags, raw})
            : conversion == Line && line
                ? Numbers({line->baudRate, line->parity, line->dataBits, line->stopBits})
                : "refused";
        QTEST(out, "out");
    }

    // Serial, through the scripted control.

    void serial_data()
    {
        QTest::addColumn<QString>("op");
        // The fake's state, and settings (Interface=1: Parallel; 99: none).
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("error");
        const auto row = [](const char* name, const char* op, const char* setup,
                            const QString& calls, const QString& shown, bool error) {
            QTest::newRow(name) << QString::fromLatin1(op) << QString::fromLatin1(setup) << calls
                                << shown << error;
        };
        const QString opening = "port 16, settings 19200,n,8,1, none, ";
        const QString discards = "discard output, discard input";
        const QString busy = "Device or resource busy: /dev/ttyS0";
        // The caller's flag is never cleared by the link.
        row("open, defaults, DTR/DSR", "open", "", opening + "open, " + discards, "", true);
        row("open 115200 even 7 2", "open", "COMBaud=1152 COMParity=2 COMBits=7 COMStop=2",
            "port 16, settings 115200,e,7,2, none, open, " + discards, "", true);
        row("open 9600 odd, other flow", "open", "COMBaud=96 COMParity=1 COMFlow=7",
            "port 16, settings 9600,o,8,1, xonxoff, open, " + discards, "", true);
        row("open, already open", "open", "open", opening + discards, "", true);
        // The interface chosen counts, not the one last put into effect.
        row("open, parallel chosen", "open", "Interface=1", "", "", true);
        // Failures: the control's reason, or the plain fact, shown under the arrow.
        row("open, settings rejected", "open", "rejects", "port 16, settings 19200,n,8,1",
            "Port ERROR! / " + busy, true);
        row("send, port closed", "send", "", "", "Print ERROR! / COM16 is not open.", true);
        row("send, output refused", "send", "open fails", discards + ", write",
            "Print ERROR! / Input/output error", true);
        // Its output buffer is empty then, but nothing reached the printer.
        row("send, device lost after the write", "send", "open lost", discards + ", write",
            "Print ERROR! / Input/output error", true);
        row("receive, port closed", "receive", "", "", "Receive ERROR! / COM16 is not open.", true);
        // A device that never stops sending cannot keep the read going.
        row("receive, capped at 64 KiB", "receive", "open flood", "", "", false);
        // Switched from Serial to Parallel: the serial port is what is still open.
        row("close, parallel chosen", "close", "open Interface=1", "close", "", false);
        row("close, parallel active", "close", "open ActiveInterface=1", "", "", false);
        row("close, nothing in effect", "close", "open ActiveInterface=99", "", "", false);
        row("release, whatever is active", "release", "open ActiveInterface=99", "close", "",
            false);
    }
    void serial()
    {
        QFETCH(QString, op);
        QFETCH(QString, setup);
        QFETCH(QString, shown);
        const QStringList words = setup.split(' ', Qt::SkipEmptyParts);
        for (const QString& word : words)
            QVERIFY(!word.contains('=') || TestSupport::Apply(AppSettings, word));
        fake->isOpen = words.contains("open");
        fake->openFails = words.contains("refuses");
        fake->settingsRejected = words.contains("rejects");
        fake->outputFails = words.contains("fails");
        fake->lostAfterWrite = words.contains("lost");
        fake->error = shown.endsWith("not open.") ? QString() : shown.section(" / ", 1);
        // Not taken from a closed port.
        fake->input = words.contains("flood") ? QByteArray(64 * 1024 + 1, '_') : QByteArray("5");
        ErrorFlag = op == "open" && shown.isEmpty();
        QString reply;
        if (op == "open")
            OpenPort();
        else if (op == "send")
            SendData(QStringLiteral("1D4901"));
        else if (op == "receive")
            reply = ReceiveData();
        else
            op == "close" ? ClosePort() : ReleaseLink();
        QTEST(fake->calls.join(", "), "calls");
        QCOMPARE(env->shown().join("; "), shown);
        QVERIFY(env->seams.messages().allUnderArrow());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass); // the operation goes on under it
        QTEST(ErrorFlag, "error");
        QCOMPARE(reply, words.contains("flood") ? QStringLiteral("5F").repeated(64 * 1024) : "");
        // The port check: on after an open that worked, off at a close.
        QList<bool> check;
        if ((op == "open" && shown.isEmpty()) || op == "close" || op == "release")
            check << (op == "open");
        QCOMPARE(portCheck, check);
    }

    void serialSendTiming_data()
    {
        QTest::addColumn<bool>("dsr");
        QTest::newRow("DSR held") << true;
        QTest::newRow("DSR not held") << false; // no write, and no 200 ms after it
    }
    // Output discarded, 100 ms, stale input discarded, then one write if the
    // printer holds DSR, and 200 ms for it to drain (at 30 % here).
    void serialSendTiming()
    {
        QFETCH(bool, dsr);
        env->seams.waitScale(30);
        fake->isOpen = true;
        fake->dsr = dsr;
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        const qint64 ms = elapsed.elapsed();
        QCOMPARE(fake->writes,
                 dsr ? QList<QByteArray>{QByteArray("\x1D\x49\x01", 3)} : QList<QByteArray>{});
        QVERIFY(fake->at["discard input"] >= fake->at["discard output"] + 29);
        QVERIFY(!dsr || fake->at["write"] >= fake->at["discard input"]);
        QVERIFY2(ms >= (dsr ? 89 : 29) && (dsr || ms < 80), qPrintable(QString::number(ms)));
        QCOMPARE(ErrorFlag, !dsr);
        QVERIFY(env->messages().isEmpty()); // not ready: the operation reports it
    }

    // Parallel: the register trace against the simulated peripheral.

    void parallel_data()
    {
        QTest::addColumn<int>("fault");
        QTest::addColumn<QString>("command");
        QTest::addColumn<bool>("receive"); // else the trace of the send
        QTest::addColumn<QString>("reply");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<QList<int>>("runs"); // the last runs of reads; 0: not counted
        const auto row = [](const char* name, Fault fault, const char* command, bool receive,
                            const char* reply, const QStringList& trace, QList<int> runs) {
            QTest::newRow(name) << int(fault) << QString::fromLatin1(command) << receive
                                << QString::fromLatin1(reply) << trace << runs;
        };
        // Ready? Then per byte: data, strobe low and high, wait until ready again.
        row("send one byte", Fine, "41", false, "", QStringList{"R"} + ByteOut("41"), {1, 0});
        // One look at the status, nothing written.
        row("send, paper end", PaperEnd, "1D4901", false, "", {"R"}, {1});
        row("send, fault line", FaultLine, "1D4901", false, "", {"R"}, {1});
        // The ready wait after the third byte is 9,990 status reads; the rest stays unsent.
        row("send, busy after the third byte", Busy3, "1B40AABBCC", false, "",
            QStringList{"R"} + ByteOut("1B") + ByteOut("40") + ByteOut("AA"), {1, 0, 0, 9990});
        // Gone after two bytes: the lines float and nothing goes either way.
        row("send, printer gone after two bytes", Vanished, "1D4901", false, "",
            QStringList{"R"} + ByteOut("1D") + ByteOut("49"), {1, 0, 9990});
        // The fault line stays high after the byte: no further byte, after the
        // full wait of 99,999 reads.
        row("receive one byte", Fine, "1D4901", true, "35",
            kNegotiation + kNibble + kNibble + kTermination, {99999, 0, 0});
        // The third byte's first nibble is taken, the acknowledge stays low for
        // the whole wait, and the termination follows at once.
        row("acknowledge never rises in the third byte", AckStuck, "1D4944", true, "5F50",
            kNegotiation + kNibble + kNibble + kNibble + kNibble + kNibble + kTermination,
            {99999, 0, 0});
        // Nothing to say: accepted without data, given up after 9,999 reads.
        row("silent", Silent, "1D4901", true, "", kNegotiation + kTermination, {9999, 0, 0});
        // The request is never answered; the termination is not taken up.
        row("no reverse channel", NoReverse, "1D4901", true, "", kUnanswered, {99999, 1});
        // The lines float: the termination's wait runs out too.
        row("vanished", Vanished, "1D4901", true, "", kUnanswered, {99999, 10001});
    }
    void parallel()
    {
        QFETCH(int, fault);
        QFETCH(QString, command);
        QFETCH(bool, receive);
        QFETCH(QString, reply);
        QFETCH(QList<int>, runs);
        FakePortIo& port = parallelPort(fault);
        SendData(command);
        if (receive) {
            ErrorFlag = false;
            port.trace.clear();
            port.runs.clear();
            QCOMPARE(ReceiveData(), reply);
        }
        QCOMPARE(ErrorFlag, receive ? reply.isEmpty() : fault != Fine);
        QTEST(port.trace, "trace");
        const QList<int> tail = port.runs.mid(port.runs.size() - runs.size());
        for (qsizetype i = 0; i < runs.size(); ++i)
            QVERIFY2(!runs[i] || tail.value(i) == runs[i], qPrintable(QString::number(i)));
        QVERIFY(env->messages().isEmpty()); // the operation reports it
    }

    // Beyond 201 bytes the printer keeps the rest until the termination.
    void parallelReceiveCapAt201Bytes()
    {
        FakePortIo& port = parallelPort(Endless);
        SendData(QStringLiteral("1D4901"));
        const QString reply = ReceiveData();
        QVERIFY(reply.size() == 402 && reply.startsWith(QStringLiteral("35")));
        QCOMPARE(port.trace.count(QStringLiteral("W2 C6")), 1 + 2 * 201); // no 202nd byte begun
        QCOMPARE(port.trace.last(), QStringLiteral("W2 CC"));
        QVERIFY(!ErrorFlag);
    }

    // A port I/O backend replaced after start-up: the old one shut down, the
    // new one started, and shut down at the end.
    void portIoReplacedAfterStartUp()
    {
        const auto shutdowns = std::make_shared<int>(0);
        env->portIo->shutdownTally = shutdowns;
        QVERIFY(InitializeWinIo());
        const FakePortIo& replacement = parallelPort(Fine);
        QVERIFY(*shutdowns == 1 && replacement.initializeCalls == 1);
        QCOMPARE(ReadLptRegister(1), std::uint8_t{0xDF}); // idle and ready, undriven bits high
        ShutdownWinIo();
        QCOMPARE(replacement.shutdownCalls, 1);
    }

    // The system's devices.

    // The line as the tty sees it (a pseudo-terminal always reads back 8 data
    // bits without parity), and the bytes: the counts pull from the device
    // and the output goes out without the event loop, as the link runs none.
    void serialControlOnTheTty()
    {
        auto control = OpenSerial("115200,e,7,2", Handshaking::XonXoff);
        termios tio{};
        QVERIFY(control->portOpen() && tcgetattr(printer.fd(), &tio) == 0);
        QVERIFY(cfgetospeed(&tio) == B115200 && (tio.c_cflag & CSTOPB) && (tio.c_iflag & IXON));
        control->close();
        QVERIFY(!control->portOpen());
        control = OpenSerial();
        QVERIFY(tcgetattr(printer.fd(), &tio) == 0 && cfgetospeed(&tio) == B19200);
        QVERIFY(!(tio.c_cflag & CSTOPB) && !(tio.c_iflag & IXON));
        const auto countWithin = [&control](int wanted) {
            const QDeadlineTimer deadline(5000);
            while (control->inBufferCount() < wanted && !deadline.hasExpired())
                QThread::msleep(5);
            return control->inBufferCount();
        };
        QVERIFY(printer.write("stale") && countWithin(5) == 5);
        control->discardInput();
        QCOMPARE(control->inBufferCount(), 0);
        const QByteArray command("\x1D\x49\x01\x00\xFF\x0D\x0A", 7);
        QVERIFY(control->output(command));
        pollfd ready{printer.fd(), POLLIN, 0};
        QCOMPARE(::poll(&ready, 1, 5000), 1);
        QCOMPARE(printer.read(command.size(), 5000), command);
        QCOMPARE(control->outBufferCount(), 0);
        const QByteArray reply("\x5F\x31\x00\x11\x13\x0D", 6);
        QVERIFY(printer.write(reply) && countWithin(reply.size()) == reply.size());
        QByteArray taken;
        while (const std::optional<std::uint8_t> byte = control->inputByte())
            taken.append(static_cast<char>(*byte));
        QCOMPARE(taken, reply);
    }

    void serialOpenRefused_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("missing device") << false;
        QTest::newRow("held by another program") << true; // not a matter of permission
    }
    // The system's reason, naming the device the data folder's entry stands for.
    void serialOpenRefused()
    {
        QFETCH(bool, held);
        std::unique_ptr<SerialControl> otherProgram;
        if (held)
            QVERIFY((otherProgram = OpenSerial())->portOpen());
        else // the entry leads nowhere
            QVERIFY(QFile::remove(env->path("COM16")) && QFile::link("none", env->path("COM16")));
        const QString text = OpenSerial()->errorString();
        QVERIFY2(text.startsWith(QString::fromLocal8Bit(std::strerror(held ? EBUSY : ENOENT))) &&
                     text.endsWith(held ? printer.devicePath() : env->path("COM16")),
                 qPrintable(text));
    }

    // Left open, the dead device would be reported on every pass of the loop.
    void serialDeviceGoneClosesThePort()
    {
        env->seams.serialControl(nullptr); // QSerialPort
        OpenPort();
        QVERIFY(MSComm().portOpen() && printer.write("x"));
        printer.close(); // unplugged
        QTRY_VERIFY_WITH_TIMEOUT(!MSComm().portOpen(), 5000);
        SendData(QStringLiteral("1D4901"));
        const QString shown = env->shown().join(u';');
        QVERIFY2(shown.startsWith("Print ERROR! / " + QString::fromLocal8Bit(std::strerror(EIO))) &&
                     !shown.contains(u';') && ErrorFlag,
                 qPrintable(shown));
    }

    void virtualComDropsStaleInputBeforeTheWrite()
    {
        useVirtualCom();
        OpenPort();
        QVERIFY(printer.write("stale answer"));
        QTest::qWait(50); // the pty hands bytes over through a work queue
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(printer.read(3, 5000), QByteArray("\x1D\x49\x01", 3));
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(ReceiveData(), QString());              // the stale bytes went before the write
        QVERIFY(elapsed.elapsed() < 1000 && !ErrorFlag); // nothing waiting returns at once
    }

    // Others are refused while the port is open; the tty lives on after our
    // close (its master is open), and its exclusive mark must not outlast it.
    void virtualComHeldExclusively()
    {
        useVirtualCom();
        OpenPort();
        QCOMPARE(OpenAsAnotherUser(printer.devicePath()), 1);
        ClosePort();
        QCOMPARE(OpenAsAnotherUser(printer.devicePath()), 0);
    }

    void virtualComWriteAbandoned_data()
    {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("device vanishes") << true;
        // Nobody reads the master: the tty fills and stays full.
        QTest::newRow("device stalls") << false;
    }
    void virtualComWriteAbandoned()
    {
        QFETCH(bool, unplugged);
        useVirtualCom();
        // The write's time limit scales like every pause. Unplugged, it stays
        // beyond the 10 s allowed, so only noticing the hang-up passes.
        AppSettings.COMBaud = unplugged ? 192 : 1152;
        env->seams.waitScale(unplugged ? 10 : 1);
        OpenPort();
        std::thread unplug([this, unplugged] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (unplugged)
                printer.close();
        });
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QString(64 * 1024 * 2, QLatin1Char('A'))); // more than the tty holds
        const qint64 ms = elapsed.elapsed();
        unplug.join();
        QVERIFY2(ms < 10000 && ErrorFlag, qPrintable(QString::number(ms)));
        if (!unplugged)
            QVERIFY(ComHandle().lastError() == ETIMEDOUT && printer.readFor(50).size() < 64 * 1024);
        QVERIFY(env->messages().isEmpty());
    }

    // The USB printer's node (a FIFO as USB007) is full: switched off, it
    // takes nothing more; then it is unplugged with the job still pending,
    // and plugged in again: a new node under the name, which the next
    // operation reaches with only its own job.
    void usbJobNeverTaken()
    {
        AppSettings.Interface = USB;
        const QByteArray path = QFile::encodeName(env->path("USB007"));
        SimTest::HostTerminal node;
        const auto plugIn = [&] {
            ::unlink(path.constData());
            return ::mkfifo(path.constData(), 0600) == 0 && node.open(path);
        };
        QVERIFY(plugIn());
        while (::write(node.fd(), QByteArray(4096, 'x').constData(), 4096) > 0) {
        }
        OpenPort();
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        QVERIFY(elapsed.elapsed() >= 99 && ErrorFlag); // the job is given its 1000 ms
        QCOMPARE(dpEnumJobs(), std::int16_t{1});
        node.close(); // the write goes on into a node nobody reads
        QTest::qWait(20);
        QCOMPARE(dpEnumJobs(), std::int16_t{1}); // never taken, never reported as taken
        QVERIFY(plugIn());
        ErrorFlag = false;
        OpenPort();
        SendData(QStringLiteral("1B40"));
        QVERIFY(!ErrorFlag && dpEnumJobs() == 0);
        QCOMPARE(node.readFor(50), QByteArray("\x1B\x40", 2)); // nor the job's name
        QVERIFY(env->messages().isEmpty());
    }

    void permissionRefusedNamesTheGroup_data()
    {
        QTest::addColumn<bool>("usb");
        QTest::newRow("serial, a tty without the group bits") << false;
        QTest::newRow("USB, a node of group lp") << true;
    }
    // Refused for want of permission (root never is): the group to join is
    // named, with the data folder's entry shown as the device it stands for.
    void permissionRefusedNamesTheGroup()
    {
        QFETCH(bool, usb);
        const QString device = usb ? env->path("USB007") : printer.devicePath();
        const QByteArray path = QFile::encodeName(device);
        const ::group* lp = ::getgrnam("lp");
        QVERIFY(!usb ||
                (lp && env->write("USB007", {}) && ::chown(path.constData(), 0, lp->gr_gid) == 0));
        QCOMPARE(::chmod(path.constData(), usb ? 0660 : 0600), 0);
        struct stat info {};
        QCOMPARE(::stat(path.constData(), &info), 0);
        const QString expected =
            (usb ? QStringLiteral("Failed to open the USB Port.\n") : QString()) +
            QStringLiteral("Permission denied: %1 belongs to group %2")
                .arg(device, QString::fromLocal8Bit(::getgrgid(info.st_gid)->gr_name));
        QCOMPARE(RunUnprivileged([usb, &expected] {
                     if (usb)
                         return OpenUsb().value_or(LinkFailure{}).description == expected ? 0 : 1;
                     const std::unique_ptr<SerialControl> control = OpenSerial();
                     return control->errorString() == expected ? 0 : 1;
                 }),
                 0);
    }

    void parallelPortAbsent_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("no device") << "No such file";
        QTest::newRow("not a parallel port") << "Inappropriate ioctl"; // opens, refuses the claim
    }
    // ppdev where the machine has no parallel port (or something else in its
    // place): the start-up is quiet, and the port that cannot be claimed is
    // named once a run.
    void parallelPortAbsent()
    {
        QFETCH(QString, reason);
        // The machine's own /dev/parport1 stays out of it.
        QVERIFY(QFile::link(env->path("absent"), env->path("LPT2")));
        QVERIFY(reason.startsWith("No") || env->write("absent", {}));
        env->seams.portIo(MakePpdevBackend());
        QVERIFY(TestSupport::Apply(AppSettings, "Interface=1 LPTAddress=632"));
        QVERIFY(InitializeWinIo() && env->messages().isEmpty()); // nothing opened at start-up
        OpenPort();
        QVERIFY(ErrorFlag);
        ErrorFlag = false;
        OpenPort();
        QVERIFY(!ErrorFlag && LptNotReady()); // the absent port reads as nothing there
        // Why, naming the device: the system's reason for the open or the claim.
        const QString text = env->shown().join(u';');
        QVERIFY2(text.startsWith("Port ERROR! / " + reason) && !text.contains(u';') &&
                     text.endsWith(env->path(reason.startsWith("No") ? "LPT2" : "absent")),
                 qPrintable(text));
    }

    void lanOnlyConnects_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QString>("address");
        QTest::newRow("printer listening") << int(LAN) << "127.0.0.1";
        QTest::newRow("nobody answers") << int(LAN) << "192.0.2.1"; // documentation range
        QTest::newRow("Windows driver") << int(WindowsDriver) << "127.0.0.1";
    }
    // LAN connects and disconnects, waiting for neither; the Windows driver
    // does nothing. Neither carries data, reports or touches ErrorFlag.
    void lanOnlyConnects()
    {
        QFETCH(int, kind);
        QFETCH(QString, address);
        QTcpServer lanPrinter;
        QVERIFY(lanPrinter.listen(QHostAddress::LocalHost));
        AppSettings.Interface = AppSettings.ActiveInterface = std::uint8_t(kind);
        AppSettings.LANIP = address;
        AppSettings.LANPort = lanPrinter.serverPort();
        QElapsedTimer elapsed;
        elapsed.start();
        OpenPort();
        QVERIFY2(elapsed.elapsed() < 1000, qPrintable(QString::number(elapsed.elapsed())));
        const bool connects = kind == LAN && address.startsWith("127");
        QCOMPARE(lanPrinter.waitForNewConnection(connects ? 5000 : 50), connects);
        QTcpSocket* accepted = lanPrinter.nextPendingConnection();
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(ReceiveData(), QString());
        QVERIFY(!accepted || !accepted->waitForReadyRead(50));
        ClosePort(); // also a connection still being made
        QCOMPARE(Winsock().state(), QAbstractSocket::UnconnectedState);
        QVERIFY(!accepted || accepted->state() == QAbstractSocket::UnconnectedState ||
                accepted->waitForDisconnected(5000));
        QVERIFY(!ErrorFlag && env->messages().isEmpty());
        QCOMPARE(portCheck, QList<bool>{false}); // ClosePort's switch-off only
    }
};

QTEST_MAIN(TestLink)
#include "tst_link.moc"
