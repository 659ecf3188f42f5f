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
    int outBufferCount() override { return 0; }
    void discardInput() override { log("discard input"); }
    void discardOutput() override { log("discard output"); }
    bool output(const QByteArray& block) override
    {
        writes << block;
        log("write");
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

// The calls of an OpenPort that opens the port with these settings.
QStringList Opening(const QString& settings, const char* handshaking, bool open = true)
{
    QStringList calls{"port 3", "settings " + settings, QLatin1String(handshaking)};
    if (open)
        calls << "open";
    return calls << "discard output"
                 << "discard input";
}

enum Failure {
    OpenRefused,
    SettingsRejected,
    SendClosed,
    OutputRefused,
    LostAfterWrite,
    ReceiveClosed
};

} // namespace

class TestSerialLink : public QObject {
    Q_OBJECT

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

    void openPort_data()
    {
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<bool>("wasOpen");
        QTest::addColumn<QList<int>>("line"); // baud/100, parity, bits, stop, flow
        QTest::addColumn<QStringList>("calls");
        const QList<int> defaults{192, 0, 8, 1, 0};
        QTest::newRow("defaults, DTR/DSR")
            << int(Serial) << false << defaults << Opening("19200,n,8,1", "none");
        QTest::newRow("115200 even 7 2")
            << int(Serial) << false << QList{1152, 2, 7, 2, 0} << Opening("115200,e,7,2", "none");
        QTest::newRow("9600 odd, other flow")
            << int(Serial) << false << QList{96, 1, 8, 1, 7} << Opening("9600,o,8,1", "xonxoff");
        QTest::newRow("already open is not reopened")
            << int(Serial) << true << defaults << Opening("19200,n,8,1", "none", false);
        // The interface chosen counts, not the one last put into effect.
        QTest::newRow("parallel chosen") << int(Parallel) << false << defaults << QStringList{};
    }

    void openPort()
    {
        QFETCH(int, interfaceKind);
        QFETCH(QList<int>, line);
        QFETCH(bool, wasOpen);
        fake->isOpen = wasOpen;
        AppSettings.Interface = static_cast<std::uint8_t>(interfaceKind);
        AppSettings.COMPort = 3;
        AppSettings.COMBaud = static_cast<std::uint16_t>(line[0]);
        AppSettings.COMParity = static_cast<std::uint8_t>(line[1]);
        AppSettings.COMBits = static_cast<std::uint8_t>(line[2]);
        AppSettings.COMStop = static_cast<std::uint8_t>(line[3]);
        AppSettings.COMFlow = static_cast<std::uint8_t>(line[4]);
        ErrorFlag = true; // the caller's flag is never cleared by the link
        CapturedMessages noParallelPortHere;
        OpenPort();
        QTEST(fake->calls, "calls");
        QCOMPARE(portCheck, QList<bool>{true});
        QVERIFY(ErrorFlag);
    }

    void sendData_timing_data()
    {
        QTest::addColumn<bool>("dsr");
        QTest::newRow("DSR held") << true;
        QTest::newRow("DSR not held") << false; // no write, and no 200 ms after it
    }

    // Output discarded, 100 ms, stale input discarded, then one write if the
    // printer holds DSR, and 200 ms for it to drain.
    void sendData_timing()
    {
        QFETCH(bool, dsr);
        SetWaitScaleForTests(100);
        fake->isOpen = true;
        fake->dsr = dsr;
        CapturedMessages messages;
        QElapsedTimer elapsed;
        elapsed.start();
        SendData(QStringLiteral("1D4901"));
        const qint64 ms = elapsed.elapsed();
        QCOMPARE(fake->writes,
                 dsr ? QList<QByteArray>{QByteArray("\x1D\x49\x01", 3)} : QList<QByteArray>{});
        QVERIFY(fake->at["discard input"] >= fake->at["discard output"] + 99);
        if (dsr)
            QVERIFY(fake->at["write"] >= fake->at["discard input"]);
        QVERIFY2(ms >= (dsr ? 299 : 99) && (dsr || ms < 250), qPrintable(QString::number(ms)));
        QCOMPARE(ErrorFlag, !dsr);
        QVERIFY(messages.isEmpty()); // not ready: the operation reports it
    }

    void failureRaised_data()
    {
        QTest::addColumn<int>("failure");
        QTest::addColumn<QString>("text");
        const QString busy = QStringLiteral("Device or resource busy: /dev/ttyS0");
        const QString io = QStringLiteral("Input/output error");
        const QString notOpen = QStringLiteral("COM1 is not open.");
        QTest::newRow("open, port in use") << int(OpenRefused) << busy;
        QTest::newRow("open, settings rejected") << int(SettingsRejected) << busy;
        QTest::newRow("send, port closed") << int(SendClosed) << notOpen;
        QTest::newRow("send, output refused") << int(OutputRefused) << io;
        // Its output buffer is empty then, but nothing reached the printer.
        QTest::newRow("send, device lost after the write") << int(LostAfterWrite) << io;
        QTest::newRow("receive, port closed") << int(ReceiveClosed) << notOpen;
    }

    // The control's reason, or the plain fact, under the arrow; the operation
    // goes on under the hourglass.
    void failureRaised()
    {
        QFETCH(int, failure);
        QFETCH(QString, text);
        fake->openFails = failure == OpenRefused;
        fake->settingsRejected = failure == SettingsRejected;
        fake->isOpen = failure == OutputRefused || failure == LostAfterWrite;
        fake->outputFails = failure == OutputRefused;
        fake->lostAfterWrite = failure == LostAfterWrite;
        fake->error = failure == SendClosed || failure == ReceiveClosed ? QString() : text;
        fake->input = QByteArray("\x35", 1); // not taken from a closed port
        CapturedMessages messages;
        if (failure <= SettingsRejected)
            OpenPort();
        else if (failure == ReceiveClosed)
            QCOMPARE(ReceiveData(), QString());
        else
            SendData(QStringLiteral("1D4901"));
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title,
                 failure <= SettingsRejected ? QStringLiteral("Port ERROR!")
                 : failure == ReceiveClosed  ? QStringLiteral("Receive ERROR!")
                                             : QStringLiteral("Print ERROR!"));
        QCOMPARE(messages.all().at(0).text, text);
        QVERIFY(messages.allUnderArrow());
        QCOMPARE(CurrentPointer(), Pointer::Hourglass);
        QVERIFY(ErrorFlag);
        if (failure <= SettingsRejected) {
            QVERIFY(portCheck.isEmpty()); // the timer stays off
            QVERIFY(!fake->calls.contains(QStringLiteral("discard output")));
            QCOMPARE(fake->calls.contains(QStringLiteral("open")), failure == OpenRefused);
        }
    }

    void receiveData_data()
    {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QString>("reply");
        QTest::newRow("three bytes") << QByteArray("\x5F\x31\x00", 3) << "5F3100";
        QTest::newRow("nothing") << QByteArray() << "";
        // A device that never stops sending cannot keep the read going.
        QTest::newRow("capped at 64 KiB")
            << QByteArray(64 * 1024 + 1, 'A') << QStringLiteral("41").repeated(64 * 1024);
    }

    void receiveData()
    {
        fake->isOpen = true;
        QFETCH(QByteArray, input);
        fake->input = input;
        QTEST(ReceiveData(), "reply");
        QVERIFY(!ErrorFlag);
    }

    void closePort_data()
    {
        QTest::addColumn<bool>("release");
        QTest::addColumn<int>("interfaceKind");
        QTest::addColumn<int>("active");
        QTest::addColumn<bool>("closed");
        // Switched from Serial to Parallel: the serial port is what is still open.
        QTest::newRow("active serial") << false << int(Parallel) << int(Serial) << true;
        QTest::newRow("nothing put into effect")
            << false << int(Serial) << int(NoInterface) << false;
        QTest::newRow("active parallel") << false << int(Serial) << int(Parallel) << false;
        QTest::newRow("released whatever is active")
            << true << int(Serial) << int(NoInterface) << true;
    }

    void closePort()
    {
        QFETCH(bool, release);
        QFETCH(int, interfaceKind);
        QFETCH(int, active);
        fake->isOpen = true;
        AppSettings.Interface = static_cast<std::uint8_t>(interfaceKind);
        AppSettings.ActiveInterface = static_cast<std::uint8_t>(active);
        if (release)
            ReleaseLink();
        else
            ClosePort();
        QTEST(!fake->isOpen, "closed");
        QCOMPARE(portCheck, QList<bool>{false});
    }
};

QTEST_MAIN(TestSerialLink)
#include "tst_serial.moc"
