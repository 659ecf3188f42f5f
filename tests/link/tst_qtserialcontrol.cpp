// The QSerialPort control on a pseudo-terminal: line settings as the tty
// sees them, bytes out and in unchanged, honest counts, and the system's
// words when the device is missing.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/waitms.h"
#include "link/link.h"
#include "link/serialcontrol.h"
#include "link/serialsettings.h"
#include "pseudoterminal.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>
#include <cstring>
#include <termios.h>

using namespace Common;

class TestQtSerialControl : public QObject {
    Q_OBJECT
private:
    QTemporaryDir dataFolder;
    // Links the data folder's COM<n> entry to the device, as an operator would.
    void linkPort(int number, const QString& device)
    {
        QVERIFY(QFile::link(device, dataFolder.filePath(QStringLiteral("COM%1").arg(number))));
    }

    // A control opened on the terminal as COM<number>.
    std::unique_ptr<SerialControl> openOn(const PseudoTerminal& printer, int number,
                                          const QString& settings = QStringLiteral("19200,n,8,1"),
                                          Handshaking handshaking = Handshaking::None)
    {
        linkPort(number, printer.slavePath());
        std::unique_ptr<SerialControl> control = MakeQtSerialControl();
        control->setCommPort(number);
        control->setHandshaking(handshaking);
        if (!control->setSettings(settings) || !control->open())
            qWarning("%s", qPrintable(control->errorString()));
        return control;
    }

    static int countWithin(SerialControl& control, int wanted, int ms)
    {
        const QDeadlineTimer deadline(ms);
        int count = control.inBufferCount();
        while (count < wanted && !deadline.hasExpired()) {
            QTest::qWait(5);
            count = control.inBufferCount();
        }
        return count;
    }

private Q_SLOTS:
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
        QTest::addColumn<bool>("valid");
        QTest::addColumn<int>("baud");
        QTest::addColumn<int>("parity");
        QTest::addColumn<int>("bits");
        QTest::addColumn<int>("stop");
        const auto row = [](const char* text, int baud, int parity, int bits, int stop) {
            QTest::newRow(text) << QString::fromLatin1(text) << (baud != 0) << baud << parity
                                << bits << stop;
        };
        row("19200,n,8,1", 19200, QSerialPort::NoParity, 8, QSerialPort::OneStop);
        row("115200,e,7,2", 115200, QSerialPort::EvenParity, 7, QSerialPort::TwoStop);
        row("4800,O,8,1.5", 4800, QSerialPort::OddParity, 8, QSerialPort::OneAndHalfStop);
        for (const char* invalid :
             {"19200,n,8", "000,n,8,1", "19200,x,8,1", "19200,n,9,1", "19200,n,8,3", ""})
            row(invalid, 0, 0, 0, 0);
    }

    void parse()
    {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        const std::optional<LineSettings> line = ParseLineSettings(text);
        QCOMPARE(line.has_value(), valid);
        if (!valid)
            return;
        QTEST(int(line->baudRate), "baud");
        QTEST(int(line->parity), "parity");
        QTEST(int(line->dataBits), "bits");
        QTEST(int(line->stopBits), "stop");
    }

    void opensWithTheLineSettings_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<int>("handshaking");
        QTest::addColumn<int>("speed");
        QTest::addColumn<bool>("twoStopBits");
        QTest::addColumn<bool>("xon");
        // A pseudo-terminal always reads back 8 data bits without parity, so the
        // line's speed, stop bits and handshaking are what can be seen here.
        QTest::newRow("19200,n,8,1")
            << "19200,n,8,1" << int(Handshaking::None) << int(B19200) << false << false;
        QTest::newRow("115200,e,7,2 xon/xoff")
            << "115200,e,7,2" << int(Handshaking::XonXoff) << int(B115200) << true << true;
    }

    void opensWithTheLineSettings()
    {
        QFETCH(QString, settings);
        QFETCH(int, handshaking);
        QFETCH(int, speed);
        QFETCH(bool, twoStopBits);
        QFETCH(bool, xon);
        PseudoTerminal printer;
        const std::unique_ptr<SerialControl> control =
            openOn(printer, 31, settings, static_cast<Handshaking>(handshaking));
        QVERIFY(control->portOpen());
        termios tio{};
        QCOMPARE(tcgetattr(printer.masterFd(), &tio), 0); // the slave's settings
        QCOMPARE(int(cfgetospeed(&tio)), speed);
        QCOMPARE(bool(tio.c_cflag & CSTOPB), twoStopBits);
        QCOMPARE(bool(tio.c_iflag & IXON), xon);
        control->close();
        QVERIFY(!control->portOpen());
    }

    void bytesOutAndInUnchanged()
    {
        PseudoTerminal printer;
        const std::unique_ptr<SerialControl> control = openOn(printer, 32);
        QVERIFY(control->portOpen());
        QVERIFY(printer.send("stale"));
        QCOMPARE(countWithin(*control, 5, 5000), 5);
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
        QCOMPARE(countWithin(*control, reply.size(), 5000), reply.size());
        QByteArray taken;
        while (const std::optional<std::uint8_t> byte = control->inputByte())
            taken.append(static_cast<char>(*byte));
        QCOMPARE(taken, reply);
        QCOMPARE(control->inBufferCount(), 0);
    }

    void missingDeviceGivesPortError()
    {
        const QString device = dataFolder.filePath(QStringLiteral("no-such-tty"));
        linkPort(34, device);
        AppSettings.Interface = Serial;
        AppSettings.COMPort = 34;
        QList<bool> portCheck;
        SetPortCheckSwitch([&](bool on) { portCheck << on; });
        CapturedMessages messages;
        OpenPort();
        SetPortCheckSwitch(nullptr);
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Port ERROR!"));
        const QString text = messages.all().at(0).text;
        QVERIFY2(text.contains(QString::fromLocal8Bit(std::strerror(ENOENT))), qPrintable(text));
        QVERIFY2(text.contains(QStringLiteral("COM34")), qPrintable(text));
        QVERIFY(ErrorFlag);
        QVERIFY(portCheck.isEmpty());
    }

    void portInUseGivesPortError()
    {
        PseudoTerminal printer;
        const std::unique_ptr<SerialControl> otherProgram = openOn(printer, 35);
        QVERIFY(otherProgram->portOpen());
        AppSettings.Interface = Serial;
        AppSettings.COMPort = 35;
        CapturedMessages messages;
        OpenPort();
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Port ERROR!"));
        // Held by another program, not a matter of permission.
        QCOMPARE(messages.all().at(0).text, QString::fromLocal8Bit(std::strerror(EBUSY)) +
                                                QStringLiteral(": ") + printer.slavePath());
        QVERIFY(ErrorFlag);
        QVERIFY(!MSComm().portOpen());
    }

    void deviceGoneClosesThePort()
    {
        PseudoTerminal printer;
        linkPort(36, printer.slavePath());
        AppSettings.Interface = Serial;
        AppSettings.COMPort = 36;
        OpenPort();
        QVERIFY(MSComm().portOpen());
        QVERIFY(printer.send("x"));
        printer.closeMaster(); // unplugged
        // Left open, the dead device would be reported on every pass of the loop.
        QTRY_VERIFY_WITH_TIMEOUT(!MSComm().portOpen(), 5000);
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Print ERROR!"));
        QVERIFY2(messages.all().at(0).text.startsWith(QString::fromLocal8Bit(std::strerror(EIO))),
                 qPrintable(messages.all().at(0).text));
        QVERIFY(ErrorFlag);
    }
};

QTEST_MAIN(TestQtSerialControl)
#include "tst_qtserialcontrol.moc"
