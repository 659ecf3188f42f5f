// The serial interface against a scripted serial control: what OpenPort,
// SendData, ReceiveData and ClosePort ask of the control, in which order and
// with which waits, and how they report.

#include "capturedmessages.h"
#include "common/appsettings.h"
#include "common/pointer.h"
#include "common/waitms.h"
#include "link/link.h"

#include <QElapsedTimer>
#include <QtTest>

using namespace Common;

namespace {

// Logs each call, and when it came, in milliseconds.
class FakeSerialControl final : public SerialControl {
public:
    QStringList calls;
    QHash<QString, qint64> at;
    QList<QByteArray> writes;
    bool isOpen = false;
    bool openFails = false;
    bool settingsRejected = false;
    bool outputFails = false;
    bool lostAfterWrite = false; // unplugged while the output drains
    bool dsr = true;
    int unsentAfterWrite = 0;
    QByteArray input;
    QString error;

    FakeSerialControl() { clock.start(); }

    void setCommPort(int port) override { log(QStringLiteral("port %1").arg(port_ = port)); }
    int commPort() const override { return port_; }
    bool setSettings(const QString& settings) override
    {
        log("settings " + settings);
        return !settingsRejected;
    }
    void setHandshaking(Handshaking h) override
    {
        log(h == Handshaking::XonXoff ? "xonxoff" : "none");
    }
    bool portOpen() const override { return isOpen; }
    bool open() override
    {
        log("open");
        return isOpen = !openFails;
    }
    void close() override
    {
        log("close");
        isOpen = false;
    }
    int inBufferCount() override { return static_cast<int>(input.size()); }
    int outBufferCount() override { return writes.isEmpty() ? 0 : unsentAfterWrite; }
    void discardInput() override { log("discard input"); }
    void discardOutput() override { log("discard output"); }
    bool output(const QByteArray& block) override
    {
        writes << block;
        at["write"] = clock.elapsed();
        if (lostAfterWrite)
            QTimer::singleShot(0, [this] { isOpen = false; });
        return !outputFails;
    }
    std::optional<std::uint8_t> inputByte() override
    {
        if (input.isEmpty())
            return std::nullopt;
        const auto byte = static_cast<std::uint8_t>(input.front());
        input.remove(0, 1);
        return byte;
    }
    bool dsrHolding() override { return dsr; }
    QString errorString() const override { return error; }

private:
    void log(const QString& call)
    {
        calls << call;
        at[call] = clock.elapsed();
    }
    QElapsedTimer clock;
    int port_ = 0;
};

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT
private:
    FakeSerialControl* fake = nullptr; // owned by the link
    QList<bool> portCheck;

private Q_SLOTS:
    void init()
    {
        auto control = std::make_unique<FakeSerialControl>();
        fake = control.get();
        SetSerialControl(std::move(control));
        AppSettings = AppSettingsRecord{};
        AppSettings.Interface = Serial;
        AppSettings.ActiveInterface = Serial;
        ErrorFlag = false;
        portCheck.clear();
        SetPortCheckSwitch([this](bool on) { portCheck << on; });
        SetWaitScaleForTests(10);
        SetPointer(Pointer::Hourglass);
    }

    void cleanup()
    {
        SetPortCheckSwitch(nullptr);
        SetSerialControl(nullptr);
        SetWaitScaleForTests(100);
        SetPointer(Pointer::Default);
    }

    void openPort_stepsInOrder_data()
    {
        QTest::addColumn<QList<int>>("line"); // baud/100, parity, bits, stop, flow
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("handshaking");
        QTest::newRow("defaults, DTR/DSR") << QList{192, 0, 8, 1, 0} << "19200,n,8,1"
                                           << "none";
        QTest::newRow("115200 even 7 2") << QList{1152, 2, 7, 2, 0} << "115200,e,7,2"
                                         << "none";
        QTest::newRow("9600 odd, other flow") << QList{96, 1, 8, 1, 7} << "9600,o,8,1"
                                              << "xonxoff";
    }

    void openPort_stepsInOrder()
    {
        QFETCH(QList<int>, line);
        QFETCH(QString, settings);
        QFETCH(QString, handshaking);
        AppSettings.COMPort = 3;
        AppSettings.COMBaud = static_cast<std::uint16_t>(line[0]);
        AppSettings.COMParity = static_cast<std::uint8_t>(line[1]);
        AppSettings.COMBits = static_cast<std::uint8_t>(line[2]);
        AppSettings.COMStop = static_cast<std::uint8_t>(line[3]);
        AppSettings.COMFlow = static_cast<std::uint8_t>(line[4]);
        ErrorFlag = true; // the caller's flag is never cleared by the link
        OpenPort();
        const QStringList expected{"port 3", "settings " + settings, handshaking,
                                   "open",   "discard output",       "discard input"};
        QCOMPARE(fake->calls, expected);
        QCOMPARE(portCheck, QList<bool>{true});
        QVERIFY(ErrorFlag);
    }

    void openPort_alreadyOpenIsNotReopened()
    {
        fake->isOpen = true;
        OpenPort();
        QVERIFY(!fake->calls.contains(QStringLiteral("open")));
        QVERIFY(fake->calls.contains(QStringLiteral("discard input")));
    }

    void openPort_failure_data()
    {
        QTest::addColumn<bool>("settingsRejected");
        QTest::newRow("port in use") << false;
        QTest::newRow("settings rejected") << true;
    }

    void openPort_failure()
    {
        QFETCH(bool, settingsRejected);
        fake->settingsRejected = settingsRejected;
        fake->openFails = true;
        fake->error = QStringLiteral("Device or resource busy: /dev/ttyS0");
        CapturedMessages messages;
        OpenPort();
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Port ERROR!"));
        QCOMPARE(messages.all().at(0).text, fake->error);
        QVERIFY(ErrorFlag);
        QVERIFY(portCheck.isEmpty()); // the timer stays off
        QVERIFY(!fake->calls.contains(QStringLiteral("discard output")));
        QCOMPARE(fake->calls.contains(QStringLiteral("open")), !settingsRejected);
    }

    void sendData_oneWriteAfterTheOutputSettled()
    {
        SetWaitScaleForTests(100); // the 100 ms before the write is under test
        fake->isOpen = true;
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(fake->writes, QList<QByteArray>{QByteArray("\x1D\x49\x01", 3)});
        const qint64 pause = fake->at["write"] - fake->at["discard output"];
        QVERIFY2(pause >= 99, qPrintable(QString::number(pause)));
        QVERIFY(fake->at["discard input"] >=
                fake->at["discard output"] + 99); // stale input after it
        QVERIFY(!ErrorFlag);
        QVERIFY(messages.isEmpty());
    }

    void sendData_outputNotDrained()
    {
        fake->isOpen = true;
        fake->unsentAfterWrite = 2;
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(fake->writes.size(), 1);
        QVERIFY(ErrorFlag);
        QVERIFY(messages.isEmpty());
    }

    void sendData_dsrNotHeld()
    {
        SetWaitScaleForTests(100); // the missing 200 ms pause is under test
        fake->isOpen = true;
        fake->dsr = false;
        CapturedMessages messages;
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        const qint64 ms = elapsed.elapsed();
        QVERIFY(ErrorFlag);
        QVERIFY(fake->writes.isEmpty());
        QVERIFY(messages.isEmpty());
        QVERIFY2(ms >= 99 && ms < 250, qPrintable(QString::number(ms))); // 100 ms, not 300
    }

    void sendData_failureRaised_data()
    {
        QTest::addColumn<bool>("open");
        QTest::addColumn<bool>("lost");
        QTest::addColumn<QString>("text");
        QTest::newRow("port closed") << false << false << "COM1 is not open.";
        QTest::newRow("output refused") << true << false << "Input/output error";
        // Its output buffer is empty then, but nothing reached the printer.
        QTest::newRow("device lost after the write") << true << true << "Input/output error";
    }

    void sendData_failureRaised()
    {
        QFETCH(bool, open);
        QFETCH(bool, lost);
        QFETCH(QString, text);
        fake->isOpen = open;
        fake->outputFails = !lost;
        fake->lostAfterWrite = lost;
        fake->error = text;
        CapturedMessages messages;
        SendData(QStringLiteral("1D4901"));
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Print ERROR!"));
        QCOMPARE(messages.all().at(0).text, text);
        QCOMPARE(CurrentPointer(), Pointer::Hourglass); // the operation goes on
        QVERIFY(ErrorFlag);
    }

    void receiveData_takesWhatArrived_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("reply");
        QTest::newRow("three bytes") << QByteArray("\x5F\x31\x00", 3) << "5F3100";
        QTest::newRow("nothing") << QByteArray() << "";
    }

    void receiveData_takesWhatArrived()
    {
        QFETCH(QByteArray, input);
        QFETCH(QString, reply);
        fake->isOpen = true;
        fake->input = input;
        QCOMPARE(ReceiveData(), reply);
        QVERIFY(!ErrorFlag);
    }

    void receiveData_closedPort()
    {
        fake->input = QByteArray("\x35", 1);
        CapturedMessages messages;
        QCOMPARE(ReceiveData(), QString());
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("Receive ERROR!"));
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        QVERIFY(ErrorFlag);
    }

    void closePort_actsOnActiveInterface_data()
    {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<int>("active");
        QTest::addColumn<bool>("closed");
        // Switched from Serial to Parallel: the serial port is what is still open.
        QTest::newRow("active serial") << int(Parallel) << int(Serial) << true;
        QTest::newRow("nothing put into effect") << int(Serial) << int(NoInterface) << false;
        QTest::newRow("active parallel") << int(Serial) << int(Parallel) << false;
    }

    void closePort_actsOnActiveInterface()
    {
        QFETCH(int, interfaceKind);
        QFETCH(int, active);
        QFETCH(bool, closed);
        fake->isOpen = true;
        AppSettings.Interface = static_cast<std::uint8_t>(interfaceKind);
        AppSettings.ActiveInterface = static_cast<std::uint8_t>(active);
        ClosePort();
        QCOMPARE(fake->calls.contains(QStringLiteral("close")), closed);
        QCOMPARE(portCheck, QList<bool>{false});
    }

    void openPort_actsOnInterface()
    {
        CapturedMessages noParallelPortHere;
        AppSettings.Interface = Parallel;
        AppSettings.ActiveInterface = Serial;
        OpenPort();
        QVERIFY(fake->calls.isEmpty());
        QCOMPARE(portCheck, QList<bool>{true});
    }

    void releaseLinkClosesWhateverIsOpen()
    {
        fake->isOpen = true;
        AppSettings.ActiveInterface = NoInterface;
        ReleaseLink();
        QVERIFY(!fake->isOpen);
        QCOMPARE(portCheck, QList<bool>{false});
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_serial.moc"
