// The QSerialPort control on a pseudo-terminal: line settings as the tty
// sees them, bytes out and in unchanged, honest counts, and the system's
// words when the device is missing, held or gone.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "link/link.h"
#include "link/serialcontrol.h"
#include "link/serialsettings.h"
#include "pseudoterminal.h"
#include "unprivileged.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <grp.h>
#include <sys/stat.h>
#include <termios.h>

using namespace Common;

class TestQtSerialControl : public QObject {
    Q_OBJECT

    QTemporaryDir dataFolder;

    // A control on the data folder's COM<number>, linked to the device as an
    // operator would, and opened.
    std::unique_ptr<SerialControl> openOn(const QString& device, int number,
                                          const QString& settings = QStringLiteral("19200,n,8,1"),
                                          Handshaking handshaking = Handshaking::None)
    {
        QFile::link(device, dataFolder.filePath(QStringLiteral("COM%1").arg(number)));
        std::unique_ptr<SerialControl> control = MakeQtSerialControl();
        control->setCommPort(number);
        control->setHandshaking(handshaking);
        if (control->setSettings(settings))
            control->open();
        return control;
    }

    static int countWithin(SerialControl& control, int wanted)
    {
        const QDeadlineTimer deadline(5000);
        int count = control.inBufferCount();
        while (count < wanted && !deadline.hasExpired()) {
            QTest::qWait(5);
            count = control.inBufferCount();
        }
        return count;
    }

private Q_SLOTS:
    void initTestCase()
    {
        // The unprivileged user must reach the entries inside.
        QVERIFY(QFile::setPermissions(dataFolder.path(), QFile::ReadOwner | QFile::WriteOwner |
                                                             QFile::ExeOwner | QFile::ReadOther |
                                                             QFile::ExeOther));
    }

    void init()
    {
        QVERIFY(dataFolder.isValid());
        DataFolder = dataFolder.path();
        AppSettings = AppSettingsRecord{};
        ErrorFlag = false;
    }

    void cleanup()
    {
        ReleaseLink();
        SetSerialControl(nullptr);
        DataFolder.clear();
        for (const QString& entry : QDir(dataFolder.path()).entryList(QDir::System | QDir::Files))
            QFile::remove(dataFolder.filePath(entry));
    }

    void parse_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("line"); // baud, parity, bits, stop; empty: refused
        const auto row = [](const char* text, QList<int> line) {
            QTest::newRow(text) << QString::fromLatin1(text) << line;
        };
        row("19200,n,8,1", {19200, QSerialPort::NoParity, 8, QSerialPort::OneStop});
        row("115200,e,7,2", {115200, QSerialPort::EvenParity, 7, QSerialPort::TwoStop});
        row("4800,O,8,1.5", {4800, QSerialPort::OddParity, 8, QSerialPort::OneAndHalfStop});
        for (const char* invalid :
             {"19200,n,8", "000,n,8,1", "19200,x,8,1", "19200,n,9,1", "19200,n,8,3", ""})
            row(invalid, {});
    }

    void parse()
    {
        QFETCH(QString, text);
        const std::optional<LineSettings> line = ParseLineSettings(text);
        QList<int> fields;
        if (line)
            fields = {line->baudRate, line->parity, line->dataBits, line->stopBits};
        QTEST(fields, "line");
    }

    void opensWithTheLineSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStopBits");
        // A pseudo-terminal always reads back 8 data bits without parity, so the
        // line's speed, stop bits and handshaking are what can be seen here.
        QTest::newRow("19200,n,8,1")
            << "19200,n,8,1" << int(Handshaking::None) << int(B19200) << false;
        QTest::newRow("115200,e,7,2 xon/xoff")
            << "115200,e,7,2" << int(Handshaking::XonXoff) << int(B115200) << true;
    }

    void opensWithTheLineSettings()
    {
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        PseudoTerminal printer;
        const auto control = openOn(printer.slavePath(), 31, settings, Handshaking(handshaking));
        QVERIFY(control->portOpen());
        termios tio{};
        QCOMPARE(tcgetattr(printer.masterFd(), &tio), 0); // the slave's settings
        QTEST(int(cfgetospeed(&tio)), "speed");
        QTEST(bool(tio.c_cflag & CSTOPB), "twoStopBits");
        QCOMPARE(bool(tio.c_iflag & IXON), handshaking == int(Handshaking::XonXoff));
        control->close();
        QVERIFY(!control->portOpen());
    }

    void bytesOutAndInUnchanged()
    {
        PseudoTerminal printer;
        const std::unique_ptr<SerialControl> control = openOn(printer.slavePath(), 32);
        QVERIFY(printer.send("stale"));
        QCOMPARE(countWithin(*control, 5), 5);
        control->discardInput();
        QCOMPARE(control->inBufferCount(), 0);

        const QByteArray command("\x1D\x49\x01\x00\xFF\x0D\x0A", 7);
        QVERIFY(control->output(command));
        QByteArray received;
        const QDeadlineTimer deadline(5000);
        while (received.size() < command.size() && !deadline.hasExpired())
            received += printer.receive(50); // no event loop runs: output went out on its own
        QCOMPARE(received, command);
        QCOMPARE(control->outBufferCount(), 0);

        const QByteArray reply("\x5F\x31\x00\x11\x13\x0D", 6);
        QVERIFY(printer.send(reply));
        QCOMPARE(countWithin(*control, reply.size()), reply.size());
        QByteArray taken;
        while (const std::optional<std::uint8_t> byte = control->inputByte())
            taken.append(static_cast<char>(*byte));
        QCOMPARE(taken, reply);
        QCOMPARE(control->inBufferCount(), 0);
    }

    void openRefused_data()
    {
        QTest::addColumn<bool>("held");
        QTest::newRow("missing device") << false;
        QTest::newRow("held by another program") << true; // not a matter of permission
    }

    void openRefused()
    {
        QFETCH(bool, held);
        PseudoTerminal printer;
        const QString device = held ? printer.slavePath() : dataFolder.filePath("no-such-tty");
        std::unique_ptr<SerialControl> otherProgram;
        if (held)
            QVERIFY((otherProgram = openOn(device, 35))->portOpen());
        const std::unique_ptr<SerialControl> control = openOn(device, 35);
        QVERIFY(!control->portOpen());
        // The data folder's entry stands for the device; a missing one is named as it is.
        const QString text = control->errorString();
        QVERIFY2(text.startsWith(QString::fromLocal8Bit(std::strerror(held ? EBUSY : ENOENT))) &&
                     text.endsWith(held ? device : dataFolder.filePath("COM35")),
                 qPrintable(text));
    }

    // Refused for want of permission (root never is): the group to join is
    // named, with the data folder's entry shown as the device it stands for.
    void permissionRefusedNamesTheGroup()
    {
        PseudoTerminal printer;
        const QByteArray slave = QFile::encodeName(printer.slavePath());
        QCOMPARE(::chmod(slave.constData(), 0600), 0); // a tty of group tty without the group bits
        struct stat info {};
        QCOMPARE(::stat(slave.constData(), &info), 0);
        const ::group* owner = ::getgrgid(info.st_gid);
        QVERIFY(owner);
        const QString expected =
            QStringLiteral("Permission denied: %1 belongs to group %2")
                .arg(printer.slavePath(), QString::fromLocal8Bit(owner->gr_name));
        QVERIFY(QFile::link(printer.slavePath(), dataFolder.filePath(QStringLiteral("COM41"))));
        const int result = RunUnprivileged([&expected] {
            std::unique_ptr<SerialControl> control = MakeQtSerialControl();
            control->setCommPort(41);
            return !control->open() && control->errorString() == expected ? 0 : 1;
        });
        QCOMPARE(result, 0);
    }

    // Left open, the dead device would be reported on every pass of the loop.
    void deviceGoneClosesThePort()
    {
        PseudoTerminal printer;
        QVERIFY(QFile::link(printer.slavePath(), dataFolder.filePath(QStringLiteral("COM36"))));
        AppSettings.Interface = Serial;
        AppSettings.COMPort = 36;
        OpenPort();
        QVERIFY(MSComm().portOpen());
        QVERIFY(printer.send("x"));
        printer.closeMaster(); // unplugged
        QTRY_VERIFY_WITH_TIMEOUT(!MSComm().portOpen(), 5000);
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(messages.all().size(), 1);
        QVERIFY2(messages.all().at(0).text.startsWith(QString::fromLocal8Bit(std::strerror(EIO))),
                 qPrintable(messages.all().at(0).text));
        QVERIFY(ErrorFlag);
    }
};

QTEST_MAIN(TestQtSerialControl)
#include "tst_qtserialcontrol.moc"
