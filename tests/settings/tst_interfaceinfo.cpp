// The interface line: its text for every interface and what it allows on the
// main window.
#include "settings/interfaceinfo.h"

#include <QTest>

using namespace Common;

class TestInterfaceInfo : public QObject {
    Q_OBJECT

private Q_SLOTS:
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
