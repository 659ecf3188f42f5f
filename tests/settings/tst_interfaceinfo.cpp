// The interface line: its text for every interface, what it allows on the
// main window, and putting an interface into effect on a real main window.
#include "app/buildinterfaceinfo.h"
#include "settings/interfaceinfo.h"

#include "../app/appfixture.h"
#include "app/ledindicator.h"
#include "settingsrecord.h"

#include <QAction>
#include <QLabel>
#include <QPushButton>
#include <QTest>

using namespace Common;

class TestInterfaceInfo : public QObject {
    Q_OBJECT

    std::unique_ptr<AppTest::Environment> env_;

    FrmMain& form() { return *env_->form; }
    bool ledShown() { return !form().LEDPortCondition->isHidden(); }

private Q_SLOTS:
    void initTestCase() { env_ = std::make_unique<AppTest::Environment>(); }
    void cleanupTestCase() { env_.reset(); }

    void init()
    {
        env_->install();
        // Notes the interface line at each open and close of the serial port,
        // so that the order of the steps shows.
        env_->serial->context = [] {
            return " under: " + MainForm().LblIFInfo->text().section(QLatin1Char('\r'), 0, 0);
        };
        env_->openForm(false);
    }
    void cleanup()
    {
        env_->serial->context = nullptr; // the window it reads goes first
        env_->form.reset();
        ReleaseLink();
    }

    void keepOpenSerialToParallelClosesTheSerialPortFirst()
    {
        AppSettings.COMPort = 4;
        AppSettings.PortOpen = true;
        BuildInterfaceInfo();
        QCOMPARE(env_->serial->events,
                 QStringList{QStringLiteral("open COM4 under:  Serial I/F  (COM4:)")});
        QVERIFY(MSComm().portOpen());
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Serial));
        QVERIFY(ledShown());
        QVERIFY(form().TmrPortCheck.isActive());

        AppSettings.Interface = Parallel;
        BuildInterfaceInfo();
        QCOMPARE(env_->serial->events.size(), 2);
        QCOMPARE(env_->serial->events.at(1),
                 QStringLiteral("close COM4 under:  Serial I/F  (COM4:)"));
        QVERIFY(!MSComm().portOpen());
        QCOMPARE(form().LblIFInfo->text(), QStringLiteral(" Parallel I/F  (LPT1:)"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Parallel));
        QVERIFY(ledShown());
        QVERIFY(form().TmrPortCheck.isActive());
        QVERIFY(!ErrorFlag);
    }

    // What the interface allows shows on the window, after parallel showed
    // the lamp: the lamp and its timer, "Get S/No." and the two-way flag.
    // An unknown interface changes nothing.
    void windowFollowsTheInterface_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("portOpen");
        QTest::addColumn<bool>("led");
        QTest::addColumn<bool>("getSNo");
        auto row = [](const char* name, int kind, bool portOpen, bool led, bool getSNo) {
            QTest::newRow(name) << kind << portOpen << led << getSNo;
        };
        row("serial, opened per operation", Serial, false, false, true);
        row("serial, kept open", Serial, true, true, true);
        row("virtual COM", VirtualCom, true, false, true);
        row("LAN", LAN, false, true, true);
        row("USB", USB, true, false, false);
        row("Windows driver", WindowsDriver, true, false, false);
        row("unknown", 9, false, true, true);
    }
    void windowFollowsTheInterface()
    {
        QFETCH(int, kind);
        QFETCH(bool, portOpen);
        QFETCH(bool, led);
        QFETCH(bool, getSNo);
        AppSettings.Interface = Parallel;
        BuildInterfaceInfo();
        AppSettings.TwoWayLink = true;
        AppSettings.Interface = std::uint8_t(kind);
        AppSettings.PortOpen = portOpen;
        BuildInterfaceInfo();
        QCOMPARE(ledShown(), led);
        QCOMPARE(form().TmrPortCheck.isActive(), led);
        QCOMPARE(form().CmdGetSNo->isEnabled(), getSNo);
        QCOMPARE(AppSettings.TwoWayLink, getSNo);
        QCOMPARE(int(AppSettings.ActiveInterface), kind);
        if (kind == 9)
            QCOMPARE(form().LblIFInfo->text(), QString());
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
        env_->serial->failOpen = true;
        AppSettings.PortOpen = true;
        BuildInterfaceInfo();
        QVERIFY(ErrorFlag);
        QCOMPARE(env_->messages().size(), 1);
        QCOMPARE(env_->messages().at(0).title, QStringLiteral("Port ERROR!"));
        QCOMPARE(AppSettings.ActiveInterface, std::uint8_t(Serial));
    }

    void describesEveryInterface_data()
    {
        QTest::addColumn<QString>("setup");
        QTest::addColumn<QString>("text");
        auto row = [](const char* name, const char* setup, const QString& text) {
            QTest::newRow(name) << QString::fromLatin1(setup) << text;
        };
        const QString serial2 = QStringLiteral("\r\n 19200bps,  None-Pariry, 8bits, DTR/DSR");
        row("defaults", "", " Serial I/F  (COM1:)" + serial2);
        row("serial 115200 even 7 Xon/Xoff",
            "COMPort=12 COMBaud=1152 COMParity=2 COMBits=7 COMFlow=1",
            " Serial I/F  (COM12:)\r\n 115200bps,  Even-Pariry, 7bits, Xon/Xoff");
        row("4800 odd, any flow but 0 is Xon/Xoff", "COMBaud=48 COMParity=1 COMFlow=7",
            " Serial I/F  (COM1:)\r\n 4800bps,  Odd-Pariry, 8bits, Xon/Xoff");
        row("virtual COM20", "Interface=5 COMPort=20", " Virtual-Serial I/F  (COM20:)" + serial2);
        row("parallel LPT3", "Interface=1 LPTPort=3", " Parallel I/F  (LPT3:)");
        row("USB 15", "Interface=2 USBPort=15", " USB I/F (USB015)");
        row("LAN", "Interface=3 LANPort=9100", " LAN I/F\r\n IP=10.0.0.7,  Port=9100");
        row("Windows driver", "Interface=4 WinPort=ipp://10.0.0.9/ipp",
            " Windows Driver  (ipp://10.0.0.9/ipp)\r\n Kitchen");
        row("no interface", "Interface=99", "");
    }
    void describesEveryInterface()
    {
        QFETCH(QString, setup);
        QFETCH(QString, text);
        const AppSettingsRecord s =
            TestSupport::Record("LANIP=10.0.0.7 WinDevice=Kitchen " + setup);
        QCOMPARE(InterfaceInfoText(s), text);
    }
};

QTEST_MAIN(TestInterfaceInfo)
#include "tst_interfaceinfo.moc"
