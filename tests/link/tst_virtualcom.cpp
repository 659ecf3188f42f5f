// The virtual COM interface on a pseudo-terminal: the line it sets, stale
// input dropped before a command, and the ways a port can fail to be there
// (held by another program, gone mid-transfer, stalled), none of which may
// crash, hang or show a message.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/virtualcomport.h"
#include "pseudoterminal.h"
#include "unprivileged.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

using namespace Common;

namespace {

// Child exit codes of the unprivileged open.
constexpr int kOpened = 0;
constexpr int kRefusedBusy = 1;
constexpr int kRefusedOtherwise = 2;

int OpenAsAnotherUser(const QByteArray& device)
{
    return RunUnprivileged([&device] {
        VirtualComPort port;
        if (port.open(device.constData(), VirtualComLine{}))
            return kOpened;
        // A refused port moves nothing and does not fail the caller.
        if (port.write("\x1D\x49\x01", std::chrono::milliseconds(100)) != 0)
            return kRefusedOtherwise;
        return port.lastError() == EBUSY ? kRefusedBusy : kRefusedOtherwise;
    });
}

} // namespace

class TestVirtualCom : public QObject {
    Q_OBJECT

    QTemporaryDir dataFolder;
    std::unique_ptr<PseudoTerminal> printer;

private Q_SLOTS:
    void init()
    {
        QVERIFY(dataFolder.isValid());
        DataFolder = dataFolder.path();
        printer = std::make_unique<PseudoTerminal>();
        QVERIFY(printer->isOpen());
        QVERIFY(QFile::link(printer->slavePath(), dataFolder.filePath(QStringLiteral("COM16"))));
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = VirtualCom;
        AppSettings.ActiveInterface = VirtualCom;
        AppSettings.COMPort = 16;
        AppSettings.COMBaud = 1152;
        ErrorFlag = false;
        SetWaitScaleForTests(10);
    }

    void cleanup()
    {
        ReleaseLink();
        printer.reset();
        QFile::remove(dataFolder.filePath(QStringLiteral("COM16")));
        DataFolder.clear();
        SetWaitScaleForTests(100);
    }

    void lineTermios_data()
    {
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("speed");
        QTest::addColumn<int>("cflags"); // under CSIZE | PARENB | PARODD | CSTOPB
        QTest::newRow("4800 8 none") << 4800 << 8 << 0 << int(B4800) << int(CS8);
        QTest::newRow("115200 7 even") << 115200 << 7 << 2 << int(B115200) << int(CS7 | PARENB);
        QTest::newRow("9600 8 odd") << 9600 << 8 << 1 << int(B9600) << int(CS8 | PARENB | PARODD);
        QTest::newRow("rate the tty lacks keeps the speed")
            << 12345 << 8 << 0 << int(B1200) << int(CS8);
    }

    void lineTermios()
    {
        QFETCH(int, baud);
        QFETCH(int, bits);
        QFETCH(int, parity);
        termios current{};
        current.c_cflag = CS5 | CSTOPB | CRTSCTS | PARENB | PARODD;
        current.c_iflag = IXON | IXOFF | INPCK | ICRNL;
        current.c_lflag = ICANON | ECHO;
        current.c_cc[VMIN] = 1;
        cfsetspeed(&current, B1200);
        const termios tio = LineTermios(current, VirtualComLine{baud, bits, parity});
        QTEST(int(cfgetospeed(&tio)), "speed");
        QTEST(int(tio.c_cflag & (CSIZE | PARENB | PARODD | CSTOPB)), "cflags");
        QCOMPARE(int(tio.c_cflag & (CLOCAL | CREAD | CRTSCTS)), int(CLOCAL | CREAD));
        QCOMPARE(int(tio.c_iflag & (IXON | IXOFF | INPCK | ICRNL)), 0);
        QCOMPARE(int(tio.c_lflag & (ICANON | ECHO)), 0);
        QCOMPARE(int(tio.c_cc[VMIN]) + int(tio.c_cc[VTIME]), 0);
    }

    void sendData_dropsStaleInputBeforeTheWrite()
    {
        OpenPort();
        QVERIFY(printer->send("stale answer"));
        QTest::qWait(50); // the pty hands bytes over through a work queue
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(printer->receive(5000), QByteArray("\x1D\x49\x01", 3));
        QElapsedTimer elapsed;
        elapsed.start();
        QCOMPARE(ReceiveData(), QString()); // the stale bytes went before the write
        QVERIFY(elapsed.elapsed() < 1000);  // and nothing waiting returns at once
        QVERIFY(!ErrorFlag);
    }

    void exclusiveHold()
    {
        const QByteArray slave = QFile::encodeName(printer->slavePath());
        OpenPort();
        QVERIFY(ComHandle().isOpen());
        QCOMPARE(OpenAsAnotherUser(slave), kRefusedBusy); // held while open
        ClosePort();
        // The master is still open, so the tty lives on: its exclusive mark must
        // not outlast our close.
        QCOMPARE(OpenAsAnotherUser(slave), kOpened);
        SendData(QStringLiteral("1D4901")); // a closed port moves nothing
        QVERIFY(ErrorFlag);
        QCOMPARE(printer->receive(100), QByteArray());

        // Held by another program: refused.
        const int other = ::open(slave.constData(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
        QVERIFY(other >= 0);
        QCOMPARE(::ioctl(other, TIOCEXCL), 0);
        const int result = OpenAsAnotherUser(slave);
        ::ioctl(other, TIOCNXCL);
        ::close(other);
        QCOMPARE(result, kRefusedBusy);
    }

    void writeAbandoned_data()
    {
        QTest::addColumn<bool>("unplugged");
        // At 19200 baud a stalled write of this size would be allowed over a minute.
        QTest::newRow("device vanishes") << true;
        // Nobody reads the master: the tty fills and stays full.
        QTest::newRow("device stalls") << false;
    }

    void writeAbandoned()
    {
        QFETCH(bool, unplugged);
        AppSettings.COMBaud = unplugged ? 192 : 1152;
        // The write's time limit scales like every pause; unplugged, the limit
        // stays beyond the 10 s allowed, so only noticing the hang-up passes.
        SetWaitScaleForTests(unplugged ? 10 : 5);
        OpenPort();
        const QString command(64 * 1024 * 2, QLatin1Char('A')); // more than the tty holds
        std::thread unplug([this, unplugged] {
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            if (unplugged)
                printer->closeMaster();
        });
        CapturedMessages messages;
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(command);
        const qint64 ms = elapsed.elapsed();
        unplug.join();
        QVERIFY2(ms < 10000, qPrintable(QString::number(ms)));
        QVERIFY(ErrorFlag);
        if (unplugged) {
            QCOMPARE(ReceiveData(), QString());
            ErrorFlag = false;
            SendData(QStringLiteral("1D4901")); // found gone before it starts
            QVERIFY(ErrorFlag);
        } else {
            QCOMPARE(ComHandle().lastError(), ETIMEDOUT);
            QVERIFY(printer->receive(100).size() < 64 * 1024);
        }
        ClosePort();
        QVERIFY(messages.isEmpty());
    }
};

QTEST_MAIN(TestVirtualCom)
#include "tst_virtualcom.moc"
