// The interface settings dialog, driven with keyboard and mouse: the page it
// opens on, the page switch, the COM port rule, Init and All Init, what "Set"
// stores and that every other way out stores nothing.
#include "dialogs/dlgifset.h"

#include "capturedmessages.h"
#include "dialogfixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <optional>

using namespace Common;
using namespace TestSupport;
using DialogTest::Operate;

class TestDlgIFSet : public QObject {
    Q_OBJECT

    std::optional<CapturedMessages> messages_;

    static QStringList VisibleFrames(const DlgIFSet& dlg)
    {
        QStringList names;
        for (const QGroupBox* frame :
             {dlg.FraSerial, dlg.FraParallel, dlg.FraUSB, dlg.FraLAN, dlg.FraWinDrv})
            if (frame->isVisible())
                names << frame->objectName();
        return names;
    }
    static void InstallPrinters(const QStringList& names, const QStringList& ports)
    {
        LstWinDrv = names;
        LstWinDrvPorts = ports;
        AppSettings.WinPrinterCount = static_cast<std::uint8_t>(names.size());
    }
    static void InstallThreePrinters()
    {
        InstallPrinters(
            {QStringLiteral("Receipt_A"), QStringLiteral("Kitchen"), QStringLiteral("Office")},
            {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://10.0.0.9/ipp"), QString()});
    }

private Q_SLOTS:
    void init()
    {
        AppSettings = AppSettingsRecord{};
        InstallPrinters({}, {});
        DialogCancelled = true;
        messages_.reset();
        messages_.emplace();
    }
    void cleanupTestCase() { messages_.reset(); }

    void fixedListsCarryTheirEntries()
    {
        DlgIFSet dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Interface Set"));
        QCOMPARE(dlg.CboIF->count(), 5);
        QCOMPARE(dlg.CboIF->itemText(4), QStringLiteral(" Windows Driver"));
        QCOMPARE(dlg.CboCOMPort->count(), 99);
        QCOMPARE(dlg.CboCOMPort->itemText(98), QStringLiteral(" COM99:"));
        QCOMPARE(dlg.CboUSBPort->count(), 15);
        QCOMPARE(dlg.CboUSBPort->itemText(14), QStringLiteral(" USB015"));
        QCOMPARE(dlg.CboCOMBaud->count(), 6);
        QCOMPARE(dlg.CboCOMBaud->itemText(0), QStringLiteral("   4,800bps"));
        QCOMPARE(dlg.CboLPTPort->itemText(2), QStringLiteral(" LPT3: (3BCh)"));
        QVERIFY(dlg.CmdSet->isDefault());
    }

    void opensOnTheStoredInterface_data()
    {
        QTest::addColumn<QString>("stored");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<bool>("virTicked");
        QTest::addColumn<bool>("virEnabled");
        QTest::addColumn<bool>("setEnabled");
        auto row = [](const char* stored, const char* frame, bool ticked, bool tickable, bool set) {
            QTest::newRow(stored) << stored << frame << ticked << tickable << set;
        };
        row("Interface=0 COMPort=3", "FraSerial", false, true, true);
        row("Interface=5 COMPort=3", "FraSerial", true, true, true);
        row("Interface=5 COMPort=20", "FraSerial", true, false, true);
        // A plain serial interface on a port that can only be virtual: the
        // greyed box must not show a tick it cannot have.
        row("Interface=0 COMPort=16", "FraSerial", true, false, true);
        row("Interface=1", "FraParallel", false, true, true);
        row("Interface=2", "FraUSB", false, true, true);
        row("Interface=3", "FraLAN", false, true, false);
        row("Interface=4", "FraWinDrv", false, true, false);
    }
    void opensOnTheStoredInterface()
    {
        QFETCH(QString, stored);
        QFETCH(QString, frame);
        QFETCH(bool, virTicked);
        QFETCH(bool, virEnabled);
        QFETCH(bool, setEnabled);
        QVERIFY(Apply(AppSettings, stored));
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(VisibleFrames(dlg), QStringList{frame});
        QCOMPARE(dlg.CboCOMPort->currentIndex(), AppSettings.COMPort - 1);
        QCOMPARE(dlg.ChkVirCOM->isChecked(), virTicked);
        QCOMPARE(dlg.ChkVirCOM->isEnabled(), virEnabled);
        QCOMPARE(dlg.CmdSet->isEnabled(), setEnabled);
        // Another page and back shows the stored tick again, whatever was clicked.
        QVERIFY(Operate(&dlg, "CboIF=0 ChkVirCOM CboIF=1 CboIF=0"));
        QCOMPARE(dlg.ChkVirCOM->isChecked(), virTicked);
    }

    // Every page shows the stored values, so "Set" untouched stores them again.
    void listsShowTheStoredValues()
    {
        AppSettings = Record("COMBaud=1152 COMBits=7 COMParity=2 COMStop=2 COMFlow=1 LPTPort=3 "
                             "LPTAddress=956 USBPort=15 LANPort=80 LANIP=10.0.0.7 PortOpen=1");
        const QString before = Describe(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboCOMBaud->currentText(), QStringLiteral(" 115,200bps"));
        QCOMPARE(dlg.CboCOMParity->currentText(), QStringLiteral(" Even"));
        QCOMPARE(dlg.TxtIPAddr[3]->text(), QStringLiteral("7"));
        Click(dlg.CmdSet);
        QCOMPARE(Describe(AppSettings), before);
    }

    void unknownBaudRateSelectsNothingAndStays()
    {
        AppSettings.COMBaud = 100;
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboCOMBaud->currentIndex(), -1);
        Click(dlg.CmdSet);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QCOMPARE(AppSettings.COMBaud, std::uint16_t(100));
    }

    void comSixteenAndAboveAreAlwaysVirtual()
    {
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(!dlg.ChkVirCOM->isChecked());
        QVERIFY(Operate(&dlg, "CboCOMPort=15")); // COM16
        QVERIFY(dlg.ChkVirCOM->isChecked());
        QVERIFY(!dlg.ChkVirCOM->isEnabled());
        QVERIFY(Operate(&dlg, "CboCOMPort=14")); // COM15: editable again, tick kept
        QVERIFY(dlg.ChkVirCOM->isEnabled());
        QVERIFY(dlg.ChkVirCOM->isChecked());
        QVERIFY(Operate(&dlg, "ChkVirCOM"));
        QVERIFY(!dlg.ChkVirCOM->isChecked());
        QVERIFY(Operate(&dlg, "CboCOMPort=98 ChkVirCOM")); // COM99; greyed: the click does nothing
        QVERIFY(dlg.ChkVirCOM->isChecked());
        QVERIFY(!dlg.ChkVirCOM->isEnabled());
        Click(dlg.CmdSet);
        QCOMPARE(Fields(AppSettings, "Interface COMPort"), QStringLiteral("5 99"));
    }

    void preparingPagesGreySet_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<int>("note");
        QTest::newRow("LAN") << int(DlgIFSet::LANPage) << "FraLAN" << 10;
        QTest::newRow("Windows Driver") << int(DlgIFSet::WinDrvPage) << "FraWinDrv" << 16;
    }
    void preparingPagesGreySet()
    {
        QFETCH(int, page);
        QFETCH(QString, frame);
        QFETCH(int, note);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboIF, page);
        QCOMPARE(VisibleFrames(dlg), QStringList{frame});
        QLabel* noteLabel = dlg.LblComment[static_cast<std::size_t>(note)];
        QVERIFY(noteLabel->isVisible());
        QCOMPARE(noteLabel->palette().color(QPalette::WindowText), QColor(Qt::red));
        QVERIFY(!dlg.CmdSet->isEnabled());

        Click(dlg.CmdSet);
        PressKey(&dlg, Qt::Key_Return);
        QVERIFY(dlg.isVisible());
        QVERIFY(DialogCancelled);
        QCOMPARE(Describe(AppSettings), Describe(AppSettingsRecord{}));

        QVERIFY(Operate(&dlg, "CboIF=2"));
        QVERIFY(dlg.CmdSet->isEnabled());
        QCOMPARE(VisibleFrames(dlg), QStringList{QStringLiteral("FraUSB")});
    }

    // Off the LAN page a LAN field that holds no valid number is passed over:
    // the dialog closes, that value stays, and the address is rebuilt.
    void invalidLanFieldsAreIgnoredOffTheLanPage_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("stored");
        const char* kept = "10.20.0.5 4000";
        QTest::newRow("port with a letter") << "TxtLANPort=91a0" << kept;
        QTest::newRow("port 0 is taken") << "TxtLANPort=0"
                                         << "10.20.0.5 0";
        QTest::newRow("box with a blank") << "TxtIPAddr_2=1%202" << kept;
        QTest::newRow("box of 300") << "TxtIPAddr_3=300" << kept;
        QTest::newRow("box of 255 is taken") << "TxtIPAddr_3=255"
                                             << "10.20.0.255 4000";
    }
    void invalidLanFieldsAreIgnoredOffTheLanPage()
    {
        QFETCH(QString, typed);
        QFETCH(QString, stored);
        AppSettings = Record("LANIP=10.0.0.5 LANPort=4000");
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(Operate(&dlg, "CboIF=3 TxtIPAddr_1=20 " + typed + " CboIF=0 CmdSet"));
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QVERIFY(messages_->isEmpty());
        QCOMPARE(Fields(AppSettings, "LANIP LANPort"), stored);
        QCOMPARE(AppSettings.Interface, std::uint8_t(Serial));
    }

    // The LAN check of "Set" cannot be reached with the mouse (the button is
    // grey on the LAN page), so its handler is called here. A refused "Set"
    // must write nothing at all.
    void lanCheckRefusesAndWritesNothing()
    {
        AppSettings.Interface = LAN;
        const QString before = Describe(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(Operate(&dlg, "CboCOMPort=4 ChkAlwaysOpen TxtIPAddr_2=256"));
        dlg.CmdSet_Click();
        QCOMPARE(messages_->all().size(), 1);
        QCOMPARE(messages_->all().at(0).title, QStringLiteral("LAN I/F Error!"));
        QCOMPARE(messages_->all().at(0).text,
                 QStringLiteral("Please confirm the LAN Port and IP Address."));
        QVERIFY(dlg.isVisible());
        QVERIFY(DialogCancelled);
        QCOMPARE(Describe(AppSettings), before);
        QCOMPARE(dlg.TxtIPAddr[2]->text(), QStringLiteral("256"));

        QVERIFY(Operate(&dlg, "TxtIPAddr_2=2"));
        dlg.CmdSet_Click();
        QCOMPARE(messages_->all().size(), 1);
        QVERIFY(!DialogCancelled);
        QCOMPARE(Fields(AppSettings, "LANIP COMPort PortOpen"), QStringLiteral("192.168.2.1 5 1"));
    }

    void initOnTheLanPageTouchesOnlyTheBoxes()
    {
        AppSettings = Record("LANIP=10.1.2.3 LANPort=515");
        const QString before = Describe(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(Operate(&dlg, "CboIF=3 CmdInit"));
        QStringList boxes;
        for (QLineEdit* box : dlg.TxtIPAddr)
            boxes << box->text();
        QCOMPARE(boxes, (QStringList{"192", "168", "1", "1"}));
        QCOMPARE(dlg.TxtLANPort->text(), QStringLiteral("9100"));
        QCOMPARE(Describe(AppSettings), before);
    }

    void initOnTheSerialPageResetsItsListsOnly()
    {
        AppSettings = Record("Interface=5 COMPort=4 COMBaud=96 COMParity=1 COMBits=7 COMStop=2 "
                             "COMFlow=1 LPTPort=2 PortOpen=1");
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        Click(dlg.CmdInit);
        QVERIFY(!dlg.ChkVirCOM->isChecked());
        QCOMPARE(dlg.CboLPTPort->currentIndex(), 1); // another page's list
        QVERIFY(dlg.ChkAlwaysOpen->isChecked());
        QCOMPARE(AppSettings.COMBaud, std::uint16_t(96)); // nothing written yet
        Click(dlg.CmdSet);
        QCOMPARE(Fields(AppSettings, "Interface COMPort COMBaud COMParity COMBits COMStop COMFlow "
                                     "LPTPort PortOpen"),
                 QStringLiteral("0 1 192 0 8 1 0 2 1"));
    }

    void allInitResetsEveryPageAndShowsSerial()
    {
        InstallPrinters({QStringLiteral("Receipt_A"), QStringLiteral("Kitchen")},
                        {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://10.0.0.9/ipp")});
        QVERIFY(Apply(AppSettings,
                      "WinDevice=Kitchen Interface=1 COMPort=7 COMBaud=384 COMParity=2 COMBits=7 "
                      "COMStop=2 COMFlow=1 LPTPort=3 LPTAddress=956 USBPort=9 LANPort=515 "
                      "PortOpen=1"));
        const QString before = Describe(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboWinDevice->currentIndex(), 1);
        Click(dlg.CmdInitAll);
        QCOMPARE(dlg.CboIF->currentIndex(), 0);
        QCOMPARE(VisibleFrames(dlg), QStringList{QStringLiteral("FraSerial")});
        QVERIFY(dlg.CmdSet->isEnabled());
        QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("file:/dev/null"));
        QCOMPARE(Describe(AppSettings), before); // nothing until "Set"
        Click(dlg.CmdSet);                       // every list and box back to its default
        QCOMPARE(Describe(AppSettings),
                 Describe(Record("WinPrinterCount=2 WinDevice=Receipt_A WinPort=file:/dev/null")));
    }

    void everyWayOutButSetStoresNothing_data() { DialogTest::WaysOut(); }
    void everyWayOutButSetStoresNothing()
    {
        QFETCH(int, way);
        InstallPrinters({QStringLiteral("A"), QStringLiteral("B")},
                        {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://b/ipp")});
        const QString before = Describe(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(Operate(&dlg, "CboCOMPort=30 CboCOMBaud=5 ChkAlwaysOpen CboIF=3 TxtLANPort=515 "
                              "CboIF=4 CboWinDevice=1 CboIF=1 CboLPTPort=2"));
        QVERIFY(DialogTest::LeaveBy(dlg, dlg.CmdCancel, way));
        QCOMPARE(Describe(AppSettings), before);
    }

    // What "Set" (here Enter) stores from each page.
    void setStoresThePage_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("stored");
        QTest::newRow("serial, virtual")
            << "CboCOMPort=2 ChkVirCOM CboCOMBaud=5 CboCOMBitLen=0 CboCOMParity=1 CboCOMStopBit=1 "
               "CboCOMFlow=1 ChkAlwaysOpen"
            << "5 3 1152 7 1 2 1 1 1 888 1";
        QTest::newRow("LPT3") << "CboIF=1 CboLPTPort=2"
                              << "1 1 192 8 0 1 0 0 3 956 1";
        QTest::newRow("USB015") << "CboIF=2 CboUSBPort=14"
                                << "2 1 192 8 0 1 0 0 1 888 15";
    }
    void setStoresThePage()
    {
        QFETCH(QString, steps);
        QFETCH(QString, stored);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QVERIFY(Operate(&dlg, steps));
        PressKey(&dlg, Qt::Key_Return); // Enter presses "Set"
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(Fields(AppSettings, "Interface COMPort COMBaud COMBits COMParity COMStop COMFlow "
                                     "PortOpen LPTPort LPTAddress USBPort"),
                 stored);
    }

    void windowsDeviceIsFoundWithoutRegardToCase()
    {
        InstallThreePrinters();
        AppSettings.WinDevice = QStringLiteral("KITCHEN");
        {
            DlgIFSet dlg;
            QVERIFY(ShowAndActivate(&dlg));
            QVERIFY(dlg.CboWinDevice->isEnabled());
            QCOMPARE(dlg.CboWinDevice->count(), 3);
            QCOMPARE(dlg.CboWinDevice->itemText(0), QStringLiteral(" Receipt_A"));
            QCOMPARE(dlg.CboWinDevice->currentIndex(), 1);
            QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("ipp://10.0.0.9/ipp"));
            QVERIFY(Operate(&dlg, "CboIF=4 CboWinDevice=2")); // a printer without a port name
            QCOMPARE(dlg.LblWinPort->text(), QString());
            QVERIFY(Operate(&dlg, "CboWinDevice=0"));
            QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("file:/dev/null"));
            QVERIFY(Operate(&dlg, "CboIF=2 CmdSet")); // stored whatever the page
        }
        QCOMPARE(Fields(AppSettings, "WinDevice WinPort"),
                 QStringLiteral("Receipt_A file:/dev/null"));
        AppSettings.WinDevice = QStringLiteral("Gone");
        DlgIFSet unknown;
        QCOMPARE(unknown.CboWinDevice->currentIndex(), 0);
    }

    void noInstalledPrinterMeansEmptyDevice()
    {
        AppSettings = Record("WinDevice=Old WinPort=file:/dev/null");
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboWinDevice->count(), 0);
        QVERIFY(!dlg.CboWinDevice->isEnabled());
        QCOMPARE(dlg.LblWinPort->text(), QString());
        QVERIFY(Operate(&dlg, "CboIF=4 CmdInit"));
        QCOMPARE(dlg.CboWinDevice->currentIndex(), -1);
        QVERIFY(Operate(&dlg, "CboIF=0 CmdSet"));
        QVERIFY(!DialogCancelled);
        QCOMPARE(Fields(AppSettings, "WinDevice WinPort"), QStringLiteral(" "));
    }
};

QTEST_MAIN(TestDlgIFSet)
#include "tst_dlgifset.moc"
