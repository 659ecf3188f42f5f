// The interface line: its text for every interface, what it allows on the
// main window, and putting an interface into effect on a real main window.
#include "settings/interfaceinfo.h"

#include "../app/appfixture.h"
#include "app/frmmain.h"
#include "app/ledindicator.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Common;

namespace {

// A serial control that notes what the interface line showed when the port
// was opened and closed, so the order of the steps can be checked.
class RecordingSerial final : public SerialControl {
public:
    QStringList events;
    bool failOpen = false;

    void setCommPort(int port) override { port_ = port; }
    int commPort() const override { return port_; }
    bool setSettings(const QString&) override { return true; }
    void setHandshaking(Handshaking) override {}
    bool portOpen() const override { return open_; }
    bool open() override
    {
        events << QStringLiteral("open COM%1 under: %2").arg(port_).arg(shownLine());
        open_ = !failOpen;
        return open_;
    }
    void close() override
    {
        events << QStringLiteral("close COM%1 under: %2").arg(port_).arg(shownLine());
        open_ = false;
    }
    int inBufferCount() override { return 0; }
    int outBufferCount() override { return 0; }
    void discardInput() override {}
    void discardOutput() override {}
    bool output(const QByteArray&) override { return true; }
    std::optional<std::uint8_t> inputByte() override { return std::nullopt; }
    bool dsrHolding() override { return true; }
    QString errorString() const override { return QStringLiteral("Device or resource busy"); }

private:
    static QString shownLine()
    {
        return MainForm().LblIFInfo->text().section(QLatin1Char('\r'), 0, 0);
    }
    int port_ = 1;
    bool open_ = false;
};

} // namespace

class TestInterfaceInfo : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;
    std::unique_ptr<FrmMain> form_;
    RecordingSerial* serial_ = nullptr;

    FrmMain& form() { return *form_; }
    bool ledShown() { return !form().LEDPortCondition->isHidden(); }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        auto serial = std::make_unique<RecordingSerial>();
        serial_ = serial.get();
        SetSerialControl(std::move(serial));
        AppSettings = AppSettingsRecord{};
        ModelList = ModelListRecord{};
        ModelId = 0;
        ErrorFlag = false;
        form_ = std::make_unique<FrmMain>();
    }
    void cleanup()
    {
        form_.reset();
        ReleaseLink();
    }

    void keepOpenSerialToParallelClosesTheSerialPortFirst()
    {
        AppSettings.COMPort = 4;
        AppSettings.PortOpen = true;
        BuildInterfaceInfo();
        QCOMPARE(serial_->events,
                 QStringList{QStringLiteral("open COM4 under:  Serial I/F  (COM4:)")});
        QVERIFY(serial_->portOpen());
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Serial));
        QVERIFY(ledShown());
        QVERIFY(form().TmrPortCheck.isActive());

        AppSettings.Interface = Parallel;
        BuildInterfaceInfo();
        QCOMPARE(serial_->events.size(), 2);
        QCOMPARE(serial_->events.at(1), QStringLiteral("close COM4 under:  Serial I/F  (COM4:)"));
        QVERIFY(!serial_->portOpen());
        QCOMPARE(form().LblIFInfo->text(), QStringLiteral(" Parallel I/F  (LPT1:)"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Parallel));
        QVERIFY(ledShown());
        QVERIFY(form().TmrPortCheck.isActive());
        QVERIFY(!ErrorFlag);
    }

    void serialOpenedPerOperationHasNoLampAndNoWatch()
    {
        form().LEDPortCondition->show();
        BuildInterfaceInfo();
        QVERIFY(serial_->events.isEmpty());
        QVERIFY(!ledShown());
        QVERIFY(!form().TmrPortCheck.isActive());
        QVERIFY(form().CmdGetSNo->isEnabled());
        QVERIFY(AppSettings.TwoWayLink);
        QCOMPARE(form().LblIFInfo->text(),
                 QStringLiteral(" Serial I/F  (COM1:)\r\n 19200bps,  None-Pariry, 8bits, DTR/DSR"));
    }

    void outputOnlyLinksCannotReadBack_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("USB") << int(USB);
        QTest::newRow("Windows driver") << int(WindowsDriver);
    }
    void outputOnlyLinksCannotReadBack()
    {
        QFETCH(int, kind);
        AppSettings.TwoWayLink = true;
        AppSettings.Interface = static_cast<std::uint8_t>(kind);
        BuildInterfaceInfo();
        QVERIFY(!form().CmdGetSNo->isEnabled());
        QVERIFY(!AppSettings.TwoWayLink);
        QVERIFY(!ledShown());
        QVERIFY(!form().TmrPortCheck.isActive());
        QCOMPARE(int(AppSettings.ActiveInterface), kind);
    }

    void unknownInterfaceKeepsTheWindowsState()
    {
        AppSettings.Interface = Parallel;
        BuildInterfaceInfo();
        AppSettings.Interface = 9;
        BuildInterfaceInfo();
        QCOMPARE(form().LblIFInfo->text(), QString());
        QVERIFY(ledShown());
        QVERIFY(form().CmdGetSNo->isEnabled());
        QVERIFY(AppSettings.TwoWayLink);
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(9));
    }

    void modelNameEditingFollowsTheInterface()
    {
        ModelId = 0x51;
        AppSettings.Interface = VirtualCom;
        BuildInterfaceInfo();
        QVERIFY(form().MnuSetModelName->isEnabled());
        form().MnuSetModelName->trigger();
        QVERIFY(form().MnuSetModelName->isChecked());
        BuildInterfaceInfo(); // any new interface switches editing off
        QVERIFY(!form().MnuSetModelName->isChecked());
        AppSettings.Interface = Serial;
        BuildInterfaceInfo();
        QVERIFY(!form().MnuSetModelName->isEnabled());
    }

    void aFailedOpenIsLeftToOpenPortToReport()
    {
        serial_->failOpen = true;
        AppSettings.PortOpen = true;
        BuildInterfaceInfo();
        QVERIFY(ErrorFlag);
        QCOMPARE(env_->messages.size(), 1);
        QCOMPARE(env_->messages.at(0).first, QStringLiteral("Port ERROR!"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Serial));
    }

    void describesEveryInterface_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        const QString defaultSecond = QStringLiteral(" 19200bps,  None-Pariry, 8bits, DTR/DSR");
        QTest::newRow("defaults") << ""
                                  << " Serial I/F  (COM1:)\r\n" + defaultSecond;
        QTest::newRow("serial 115200 even 7 Xon/Xoff")
            << "COMPort=12 COMBaud=1152 COMParity=2 COMBits=7 COMFlow=1"
            << " Serial I/F  (COM12:)\r\n 115200bps,  Even-Pariry, 7bits, Xon/Xoff";
        QTest::newRow("serial 4800 odd")
            << "COMBaud=48 COMParity=1"
            << " Serial I/F  (COM1:)\r\n 4800bps,  Odd-Pariry, 8bits, DTR/DSR";
        QTest::newRow("any flow but 0 is Xon/Xoff")
            << "COMFlow=7"
            << " Serial I/F  (COM1:)\r\n 19200bps,  None-Pariry, 8bits, Xon/Xoff";
        QTest::newRow("virtual COM20") << "Interface=5 COMPort=20"
                                       << " Virtual-Serial I/F  (COM20:)\r\n" + defaultSecond;
        QTest::newRow("parallel LPT3") << "Interface=1 LPTPort=3"
                                       << " Parallel I/F  (LPT3:)";
        QTest::newRow("USB 1") << "Interface=2 USBPort=1"
                               << " USB I/F (USB001)";
        QTest::newRow("USB 15") << "Interface=2 USBPort=15"
                                << " USB I/F (USB015)";
        QTest::newRow("LAN") << "Interface=3 LANPort=9100"
                             << " LAN I/F\r\n IP=10.0.0.7,  Port=9100";
        QTest::newRow("Windows driver") << "Interface=4 WinPort=ipp://10.0.0.9/ipp"
                                        << " Windows Driver  (ipp://10.0.0.9/ipp)\r\n Kitchen";
        QTest::newRow("Windows driver, empty port") << "Interface=4"
                                                    << " Windows Driver  ()\r\n Kitchen";
        QTest::newRow("no interface") << "Interface=99"
                                      << "";
    }
    void describesEveryInterface()
    {
        QFETCH(QString, setup);
        QFETCH(QString, text);
        AppSettingsRecord s;
        s.LANIP = QStringLiteral("10.0.0.7");
        s.WinDevice = QStringLiteral("Kitchen");
        for (const QString& assignment : setup.split(QLatin1Char(' '), Qt::SkipEmptyParts)) {
            const QString key = assignment.section(QLatin1Char('='), 0, 0);
            const QString value = assignment.section(QLatin1Char('='), 1);
            const int n = value.toInt();
            if (key == QLatin1String("Interface"))
                s.Interface = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("COMPort"))
                s.COMPort = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("COMBaud"))
                s.COMBaud = static_cast<std::uint16_t>(n);
            else if (key == QLatin1String("COMParity"))
                s.COMParity = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("COMBits"))
                s.COMBits = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("COMFlow"))
                s.COMFlow = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("LPTPort"))
                s.LPTPort = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("USBPort"))
                s.USBPort = static_cast<std::uint8_t>(n);
            else if (key == QLatin1String("LANPort"))
                s.LANPort = static_cast<std::uint16_t>(n);
            else if (key == QLatin1String("WinPort"))
                s.WinPort = value;
            else
                QFAIL(qPrintable(QStringLiteral("unknown key ") + key));
        }
        QCOMPARE(InterfaceInfoText(s), text);
    }

    void effectsFollowTheInterface_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<bool>("led");
        QTest::addColumn<bool>("getSNo");
        QTest::addColumn<bool>("twoWay");
        QTest::newRow("serial, opened per operation")
            << int(Serial) << false << false << true << true;
        QTest::newRow("serial, kept open") << int(Serial) << true << true << true << true;
        QTest::newRow("virtual COM") << int(VirtualCom) << true << false << true << true;
        QTest::newRow("parallel") << int(Parallel) << false << true << true << true;
        QTest::newRow("LAN") << int(LAN) << false << true << true << true;
        QTest::newRow("USB") << int(USB) << true << false << false << false;
        QTest::newRow("Windows driver") << int(WindowsDriver) << true << false << false << false;
    }
    void effectsFollowTheInterface()
    {
        QFETCH(int, kind);
        QFETCH(bool, portOpen);
        QFETCH(bool, led);
        QFETCH(bool, getSNo);
        QFETCH(bool, twoWay);
        AppSettingsRecord s;
        s.Interface = static_cast<std::uint8_t>(kind);
        s.PortOpen = portOpen;
        const std::optional<InterfaceEffects> effects = InterfaceEffectsFor(s);
        QVERIFY(effects.has_value());
        QCOMPARE(effects->ledShown, led);
        QCOMPARE(effects->getSNoEnabled, getSNo);
        QCOMPARE(effects->twoWayLink, twoWay);
    }

    void unknownInterfaceHasNoEffects()
    {
        AppSettingsRecord s;
        s.Interface = 6;
        QVERIFY(!InterfaceEffectsFor(s).has_value());
    }
};

QTEST_MAIN(TestInterfaceInfo)
#include "tst_interfaceinfo.moc"
