// The link against a scripted serial control and the simulated IEEE 1284 peripheral on LPT2
// (which answers after a few status reads, as hardware does, so reads are counted only where the
// link's limits show), then on the system's own devices, failing where the simulation cannot.

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

constexpr tcflag_t kLineFlags = CSIZE | PARENB | PARODD | CSTOPB | CLOCAL | CREAD | CRTSCTS;

template <typename... N> QString Numbers(N... numbers)
{
    return QStringList{QString::number(qint64(numbers))...}.join(' ');
}

// Expected traces. Sending: a status look, then per byte data, strobe low, high, ready wait.
QStringList Sent(const QString& hex)
{
    QStringList trace{"R"};
    for (qsizetype i = 0; i < hex.size(); i += 2)
        trace += {"W2 CC", "W0 " + hex.mid(i, 2), "W2 CD", "W2 CC", "R"};
    return trace;
}
// Receiving: the reverse channel's negotiation, the nibbles, the termination.
QStringList Received(int nibbles)
{
    QStringList trace{"W2 CC", "W0 00", "W2 C6", "R", "W2 C7", "W2 C4", "R"};
    for (int i = 0; i < nibbles; ++i)
        trace += {"W2 C6", "R", "W2 C4", "R"};
    return trace + QStringList{"W2 CC", "R", "W0 00", "W2 CE", "R", "W2 CC"};
}
const QStringList kUnanswered{"W2 CC", "W0 00", "W2 C6", "R", "W2 CC", "R", "W2 CC"};

enum Fault { Fine, PaperEnd, FaultLine, Busy3, NoReverse, AckStuck, Silent, Vanished, Endless };

auto OpenSerial(const QString& settings = "19200,n,8,1", Handshaking flow = Handshaking::None)
{
    std::unique_ptr<SerialControl> control = MakeQtSerialControl();
    control->setCommPort(16);
    control->setHandshaking(flow);
    if (control->setSettings(settings))
        control->open();
    return control;
}

} // namespace

class TestLink : public QObject {
    Q_OBJECT

    std::optional<TestSupport::Environment> env;
    SimTest::HostTerminal printer; // the far end of COM16
    QList<bool> portCheck;

    // The simulated parallel printer behind a traced port at LPT2's address.
    FakePortIo& parallelPort(int fault)
    {
        auto sim = std::make_shared<Sim::SimPrinter>();
        sim->setIdentificationCode("Printer001");
        sim->faults().silent = fault == Silent;
        sim->faults().vanishAfterBytes = fault == Vanished ? std::optional(2) : std::nullopt;
        auto peripheral = std::make_shared<Sim::Ieee1284Peripheral>(sim);
        peripheral->faults().noReverseChannel = fault == NoReverse;
        peripheral->faults().endlessData = fault == Endless;
        peripheral->faults().busyAfterBytes = fault == Busy3 ? std::optional(3) : std::nullopt;
        peripheral->faults().nAckStuckAtNibble =
            fault == AckStuck ? std::optional(4) : std::nullopt;
        auto port = std::make_unique<FakePortIo>(peripheral, 0x278);
        FakePortIo& traced = *port;
        if (fault == PaperEnd || fault == FaultLine)
            traced.status = fault == PaperEnd ? 0xF8 : 0xD0;
        env->seams.portIo(std::move(port));
        AppSettings.Interface = Parallel;
        AppSettings.LPTAddress = 0x278;
        return traced;
    }

private Q_SLOTS:
    void init()
    {
        env.emplace(10);
        env->install();
        // The unprivileged user must reach the entries inside.
        QCOMPARE(::chmod(QFile::encodeName(env->dataDir.path()).constData(), 0701), 0);
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
        row("hex to bytes and back", Bytes, "1d4901000afFZ44Z7", "1D4901000AFF0004");
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
            return Numbers(speed, flags | CLOCAL | CREAD, true);
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
            : conversion == Tty     ? Numbers(cfgetospeed(&tio), tio.c_cflag & kLineFlags, raw)
            : conversion == Line && line
                ? Numbers(line->baudRate, line->parity, line->dataBits, line->stopBits)
                : "refused";
        QTEST(out, "out");
    }

    void serial_data()
    {
        // Setup: the operation, the fake's state, settings (Interface=1: Parallel; 99: none).
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("calls");
        QTest::addColumn<QString>("shown");
        QTest::addColumn<bool>("error");
        const auto row = [](const char* name, const char* setup, const QString& calls,
                            const QString& shown, bool error) {
            QTest::newRow(name) << QString::fromLatin1(setup) << calls << shown << error;
        };
        const QString opening = "port 16, settings 19200,n,8,1, none, ";
        const QString discards = "discard output, discard input";
        const QString busy = "Port ERROR! / Device or resource busy: /dev/ttyS0";
        // The caller's flag is never cleared by the link.
        row("open, defaults, DTR/DSR", "open", opening + "open, " + discards, "", true);
        row("open 115200 even 7 2", "open COMBaud=1152 COMParity=2 COMBits=7 COMStop=2",
            "port 16, settings 115200,e,7,2, none, open, " + discards, "", true);
        row("open 9600 odd, other flow", "open COMBaud=96 COMParity=1 COMFlow=7",
            "port 16, settings 9600,o,8,1, xonxoff, open, " + discards, "", true);
        row("open, already open", "open opened", opening + discards, "", true);
        // The interface chosen counts, not the one last put into effect.
        row("open, parallel chosen", "open Interface=1", "", "", true);
        // Failures: the control's reason, or the plain fact, shown under the arrow.
        row("open, settings rejected", "open rejects", "port 16, settings 19200,n,8,1", busy, true);
        row("open, refused", "open refuses", opening + "open", busy, true);
        row("send", "send opened", discards + ", write", "", false);
        row("send, DSR not held", "send opened nodsr", discards, "", true);
        row("send, port closed", "send", "", "Print ERROR! / COM16 is not open.", true);
        row("send, output refused", "send opened fails", discards + ", write",
            "Print ERROR! / Input/output error", true);
        // Its output buffer is empty then, but nothing reached the printer.
        row("send, device lost after the write", "send opened lost", discards + ", write",
            "Print ERROR! / Input/output error", true);
        row("receive, port closed", "receive", "", "Receive ERROR! / COM16 is not open.", true);
        // A device that never stops sending cannot keep the read going.
        row("receive, capped at 64 KiB", "receive opened flood", "", "", false);
        // Switched from Serial to Parallel: the serial port is what is still open.
        row("close, parallel chosen", "close opened Interface=1", "close", "", false);
        row("close, parallel active", "close opened ActiveInterface=1", "", "", false);
        row("close, nothing in effect", "close opened ActiveInterface=99", "", "", false);
        row("release, whatever is active", "release opened ActiveInterface=99", "close", "", false);
    }
    void serial()
    {
        QFETCH(QString, setup);
        QFETCH(QString, shown);
        TestSupport::FakeSerialControl& fake = *env->serial;
        const QStringList words = setup.split(' ');
        const QString op = words.first();
        QVERIFY(TestSupport::Apply(AppSettings, words.filter("=").join(' ')));
        env->seams.waitScale(30);
        fake.isOpen = words.contains("opened");
        fake.dsr = !words.contains("nodsr");
        fake.openFails = words.contains("refuses");
        fake.settingsRejected = words.contains("rejects");
        fake.outputFails = words.contains("fails");
        fake.lostAfterWrite = words.contains("lost");
        fake.error = shown.endsWith("not open.") ? QString() : shown.section(" / ", 1);
        // Not taken from a closed port.
        fake.input = words.contains("flood") ? QByteArray(64 * 1024 + 1, '_') : QByteArray("5");
        ErrorFlag = op == "open" && shown.isEmpty();
        QElapsedTimer elapsed;
        elapsed.start();
        if (op == "open")
            OpenPort();
        else if (op == "send")
            SendData(QStringLiteral("1D4901"));
        else if (op != "receive")
            op == "close" ? ClosePort() : ReleaseLink();
        const qint64 ms = elapsed.elapsed();
        const QString reply = op == "receive" ? ReceiveData() : QString();
        QTEST(fake.calls.join(", "), "calls");
        QCOMPARE(fake.writes, QList<QByteArray>(fake.count("write"), TestSupport::ModelQuery));
        // 100 ms between the discards, and 200 after a write that went out.
        if (op == "send" && words.contains("opened")) {
            QVERIFY(fake.at["discard input"] >= fake.at["discard output"] + 29);
            const bool drained = fake.count("write") && !fake.outputFails;
            QVERIFY2(ms >= (drained ? 89 : 29) && (drained || ms < 80),
                     qPrintable(QString::number(ms)));
        }
        QCOMPARE(env->shown().join("; "), shown);
        QVERIFY(env->seams.messages().allUnderArrow());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass); // the operation goes on under it
        QTEST(ErrorFlag, "error");
        QCOMPARE(reply, words.contains("flood") ? QStringLiteral("5F").repeated(64 * 1024) : "");
        // The port check: on after an open that worked, off at a close.
        const bool switched = (op == "open" && shown.isEmpty()) || op == "close" || op == "release";
        QCOMPARE(portCheck, switched ? QList<bool>{op == "open"} : QList<bool>{});
    }

    void parallel_data()
    {
        QTest::addColumn<int>("fault");
        // The command, and after '>' the reply received (none: the send's trace).
        QTest::addColumn<QString>("exchange");
        QTest::addColumn<QStringList>("trace");
        QTest::addColumn<QList<int>>("runs"); // the last runs of reads; 0: not counted
        const auto row = [](const char* name, Fault fault, const QString& exchange,
                            const QStringList& trace, QList<int> runs) {
            QTest::newRow(name) << int(fault) << exchange << trace << runs;
        };
        row("send one byte", Fine, "41", Sent("41"), {1, 0});
        row("send, paper end", PaperEnd, "1D4901", Sent(""), {1});
        row("send, fault line", FaultLine, "1D4901", Sent(""), {1});
        // The ready wait after the third byte is 9,990 status reads; the rest stays unsent.
        row("send, busy after three bytes", Busy3, "1B40AABBCC", Sent("1B40AA"), {1, 0, 0, 9990});
        // Gone after two bytes: the lines float and nothing goes either way.
        row("send, printer gone after two bytes", Vanished, "1D4901", Sent("1D49"), {1, 0, 9990});
        // After the byte the fault line stays high: no further byte, after the full 99,999 reads.
        row("receive one byte", Fine, "1D4901>35", Received(2), {99999, 0, 0});
        // Byte 3: a nibble taken, the acknowledge low for the whole wait, the termination at once.
        row("acknowledge never rises in the third byte", AckStuck, "1D4944>5F50", Received(5),
            {99999, 0, 0});
        // Nothing to say: accepted without data, given up after 9,999 reads.
        row("silent", Silent, "1D4901>", Received(0), {9999, 0, 0});
        // The request is never answered; the termination is not taken up.
        row("no reverse channel", NoReverse, "1D4901>", kUnanswered, {99999, 1});
        // The lines float: the termination's wait runs out too.
        row("vanished", Vanished, "1D4901>", kUnanswered, {99999, 10001});
        // Beyond 201 bytes the printer keeps the rest until the termination.
        row("endless data, capped at 201 bytes", Endless, "1D4901>35" + QString("55").repeated(200),
            Received(2 * 201), {});
    }
    void parallel()
    {
        QFETCH(int, fault);
        QFETCH(QString, exchange);
        QFETCH(QList<int>, runs);
        const bool receive = exchange.contains('>');
        FakePortIo& port = parallelPort(fault);
        SendData(exchange.section('>', 0, 0));
        if (receive) {
            ErrorFlag = false;
            port.trace.clear();
            port.runs.clear();
            QCOMPARE(ReceiveData(), exchange.section('>', 1));
        }
        QCOMPARE(ErrorFlag, receive ? exchange.endsWith('>') : fault != Fine);
        QTEST(port.trace, "trace");
        const QList<int> tail = port.runs.mid(port.runs.size() - runs.size());
        for (qsizetype i = 0; i < runs.size(); ++i)
            QVERIFY2(!runs[i] || tail.value(i) == runs[i], qPrintable(QString::number(i)));
        QVERIFY(env->messages().isEmpty()); // the operation reports it
    }

    // The old backend shut down, the new one started, and shut down at the end.
    void portIoReplacedAfterStartUp()
    {
        const auto shutdowns = env->portIo->shutdownTally = std::make_shared<int>(0);
        QVERIFY(InitializeWinIo());
        const FakePortIo& replacement = parallelPort(Fine);
        QVERIFY(*shutdowns == 1 && replacement.initializeCalls == 1);
        QCOMPARE(ReadLptRegister(1), std::uint8_t{0xDF}); // idle and ready, undriven bits high
        ShutdownWinIo();
        QCOMPARE(replacement.shutdownCalls, 1);
    }

    // On the system's devices. A pseudo-terminal always reads back 8 data bits without parity;
    // the counts pull from the device and output goes out without the event loop the link lacks.
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
        pollfd ready{printer.fd(), POLLIN, 0};
        QVERIFY(control->output(command) && ::poll(&ready, 1, 5000) == 1);
        QCOMPARE(printer.read(command.size(), 5000), command);
        QCOMPARE(control->outBufferCount(), 0);
        const QByteArray reply("\x5F\x31\x00\x11\x13\x0D", 6);
        QVERIFY(printer.write(reply) && countWithin(reply.size()) == reply.size());
        QByteArray taken;
        while (const std::optional<std::uint8_t> byte = control->inputByte())
            taken.append(static_cast<char>(*byte));
        QCOMPARE(taken, reply);
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

    // What came before a command is dropped before its write. The tty outlives our close (its
    // master is open); its exclusive mark must not.
    void virtualComHeldExclusively()
    {
        const QByteArray path = QFile::encodeName(printer.devicePath());
        // Another user's open: 0 if it works, 1 if refused as busy, its write then moving nothing.
        const auto anotherUser = [&path] {
            VirtualComPort port;
            if (port.open(path.constData(), VirtualComLine{}))
                return 0;
            const bool moved = port.write("\x1D\x49\x01", std::chrono::milliseconds(100)) != 0;
            return !moved && port.lastError() == EBUSY ? 1 : 2;
        };
        QVERIFY(TestSupport::Apply(AppSettings, "Interface=5 ActiveInterface=5"));
        OpenPort();
        QCOMPARE(RunUnprivileged(anotherUser), 1);
        QVERIFY(printer.write("stale answer"));
        QTest::qWait(50); // the pty hands bytes over through a work queue
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(printer.read(3, 5000), TestSupport::ModelQuery);
        const QDeadlineTimer limit(1000);
        QCOMPARE(ReceiveData(), QString());         // the stale bytes went before the write
        QVERIFY(!limit.hasExpired() && !ErrorFlag); // nothing waiting returns at once
        ClosePort();
        QCOMPARE(RunUnprivileged(anotherUser), 0);
    }

    void virtualComWriteAbandoned_data()
    {
        QTest::addColumn<bool>("unplugged");
        QTest::newRow("device vanishes") << true;
        QTest::newRow("device stalls") << false; // nobody reads the master: the tty stays full
    }
    void virtualComWriteAbandoned()
    {
        QFETCH(bool, unplugged);
        QVERIFY(TestSupport::Apply(AppSettings, "Interface=5 ActiveInterface=5"));
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
        const QDeadlineTimer limit(10000);
        SendData(QString(64 * 1024 * 2, QLatin1Char('A'))); // more than the tty holds
        unplug.join();
        QVERIFY(!limit.hasExpired() && ErrorFlag);
        if (!unplugged)
            QVERIFY(ComHandle().lastError() == ETIMEDOUT && printer.readFor(50).size() < 64 * 1024);
        QVERIFY(env->messages().isEmpty());
    }

    // The USB node (a FIFO as USB007) is full, as if switched off; then unplugged with the job
    // pending and plugged in again: the next operation reaches the new node with only its job.
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
        const QDeadlineTimer least(99, Qt::PreciseTimer);
        SendData(QStringLiteral("1D4901"));
        QVERIFY(least.hasExpired() && ErrorFlag); // the job is given its 1000 ms
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

    void openRefused_data()
    {
        QTest::addColumn<int>("error");
        QTest::addColumn<bool>("usb");
        QTest::newRow("serial, missing device") << ENOENT << false;
        QTest::newRow("serial, held by another program") << EBUSY << false; // not for permission
        QTest::newRow("serial, a tty without the group bits") << EACCES << false;
        QTest::newRow("USB, a node of group lp") << EACCES << true;
    }
    // The system's reason and the entry's device; denied permission (root never is), its group.
    void openRefused()
    {
        QFETCH(int, error);
        QFETCH(bool, usb);
        const QString device = usb               ? env->path("USB007")
                               : error == ENOENT ? env->path("COM16")
                                                 : printer.devicePath();
        const QByteArray path = QFile::encodeName(device);
        const auto otherProgram = error == EBUSY ? OpenSerial() : nullptr;
        const ::group* lp = ::getgrnam("lp");
        if (error == ENOENT) // the entry leads nowhere
            QVERIFY(QFile::remove(device) && QFile::link("none", device));
        else if (usb)
            QVERIFY(lp && env->write("USB007", {}) &&
                    ::chown(path.constData(), 0, lp->gr_gid) == 0);
        QVERIFY(error != EACCES || ::chmod(path.constData(), usb ? 0660 : 0600) == 0);
        QString expected = (usb ? "Failed to open the USB Port.\n" : "") +
                           QString::fromLocal8Bit(std::strerror(error)) + ": " + device;
        struct stat info {};
        if (error == EACCES && ::stat(path.constData(), &info) == 0)
            expected +=
                " belongs to group " + QString::fromLocal8Bit(::getgrgid(info.st_gid)->gr_name);
        const auto matches = [usb, &expected] {
            return expected == (usb ? OpenUsb().value_or(LinkFailure{}).description
                                    : OpenSerial()->errorString());
        };
        QVERIFY(error == EACCES ? RunUnprivileged([&] { return matches() ? 0 : 1; }) == 0
                                : matches());
    }

    void parallelPortAbsent_data()
    {
        QTest::addColumn<QString>("reason");
        QTest::newRow("no device") << "No such file";
        QTest::newRow("not a parallel port") << "Inappropriate ioctl"; // opens, refuses the claim
    }
    // ppdev with no parallel port (or something else in its place): a quiet start-up, and the
    // port that cannot be claimed named once a run.
    void parallelPortAbsent()
    {
        QFETCH(QString, reason);
        QVERIFY(QFile::link(env->path("absent"), env->path("LPT2"))); // not the machine's parport1
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
        const QDeadlineTimer limit(1000);
        OpenPort();
        QVERIFY(!limit.hasExpired());
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
