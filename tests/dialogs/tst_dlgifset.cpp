// The interface settings dialog, driven with keyboard and mouse: the page it
// opens on, the page switch, the COM port rule, Init and All Init, what "Set"
// stores and that every other way out stores nothing.
#include "dialogs/dlgifset.h"

#include "app/msgbox.h"
#include "settings/appsettings.h"
#include "settingsdump.h"
#include "widgetdriver.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using namespace Common;
using namespace TestSupport;

class TestDlgIFSet : public QObject {
    Q_OBJECT

private:
    struct Box {
        QString title, text;
    };
    QList<Box> boxes_;

    static QList<QGroupBox*> Frames(const DlgIFSet& dlg)
    {
        return {dlg.FraSerial, dlg.FraParallel, dlg.FraUSB, dlg.FraLAN, dlg.FraWinDrv};
    }
    static QStringList VisibleFrames(const DlgIFSet& dlg)
    {
        QStringList names;
        for (const QGroupBox* frame : Frames(dlg))
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

private Q_SLOTS:
    void initTestCase()
    {
        SetMsgBoxHandler([this](const QString& title, const QString& text) {
            boxes_.append({title, text});
        });
    }

    void init()
    {
        AppSettings = AppSettingsRecord{};
        ModelList = ModelListRecord{};
        InstallPrinters({}, {});
        DialogCancelled = true;
        boxes_.clear();
    }

    void fixedListsCarryTheirEntries()
    {
        DlgIFSet dlg;
        QCOMPARE(dlg.windowTitle(), QStringLiteral("Interface Set"));
        QCOMPARE(dlg.CboIF->count(), 5);
        QCOMPARE(dlg.CboIF->itemText(4), QStringLiteral(" Windows Driver"));
        QCOMPARE(dlg.CboCOMPort->count(), 99);
        QCOMPARE(dlg.CboCOMPort->itemText(0), QStringLiteral(" COM1:"));
        QCOMPARE(dlg.CboCOMPort->itemText(98), QStringLiteral(" COM99:"));
        QCOMPARE(dlg.CboUSBPort->count(), 15);
        QCOMPARE(dlg.CboUSBPort->itemText(0), QStringLiteral(" USB001"));
        QCOMPARE(dlg.CboUSBPort->itemText(14), QStringLiteral(" USB015"));
        const QStringList bauds{QStringLiteral("   4,800bps"), QStringLiteral("   9,600bps"),
                                QStringLiteral("  19,200bps"), QStringLiteral("  38,400bps"),
                                QStringLiteral("  57,600bps"), QStringLiteral(" 115,200bps")};
        for (int i = 0; i < bauds.size(); ++i)
            QCOMPARE(dlg.CboCOMBaud->itemText(i), bauds.at(i));
        QCOMPARE(dlg.CboLPTPort->itemText(2), QStringLiteral(" LPT3: (3BCh)"));
        QCOMPARE(dlg.CboCOMFlow->itemText(1), QStringLiteral(" Xon/Xoff"));
        QVERIFY(dlg.CmdSet->isDefault());
    }

    void opensOnTheStoredInterface_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("comPort");
        QTest::addColumn<QString>("frame");
        QTest::addColumn<bool>("virTicked");
        QTest::addColumn<bool>("virEnabled");
        QTest::addColumn<bool>("setEnabled");
        QTest::newRow("Serial COM1") << int(Serial) << 1 << "FraSerial" << false << true << true;
        QTest::newRow("VirtualCom COM3")
            << int(VirtualCom) << 3 << "FraSerial" << true << true << true;
        QTest::newRow("VirtualCom COM20")
            << int(VirtualCom) << 20 << "FraSerial" << true << false << true;
        // A plain serial interface on a port that can only be virtual: the
        // greyed box must not show a tick it cannot have.
        QTest::newRow("Serial COM16") << int(Serial) << 16 << "FraSerial" << true << false << true;
        QTest::newRow("Parallel") << int(Parallel) << 1 << "FraParallel" << false << true << true;
        QTest::newRow("USB") << int(USB) << 1 << "FraUSB" << false << true << true;
        QTest::newRow("LAN") << int(LAN) << 1 << "FraLAN" << false << true << false;
        QTest::newRow("WindowsDriver")
            << int(WindowsDriver) << 1 << "FraWinDrv" << false << true << false;
    }
    void opensOnTheStoredInterface()
    {
        QFETCH(int, kind);
        QFETCH(int, comPort);
        QFETCH(QString, frame);
        QFETCH(bool, virTicked);
        QFETCH(bool, virEnabled);
        QFETCH(bool, setEnabled);
        AppSettings.Interface = static_cast<std::uint8_t>(kind);
        AppSettings.COMPort = static_cast<std::uint8_t>(comPort);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(VisibleFrames(dlg), QStringList{frame});
        QCOMPARE(dlg.CboCOMPort->currentIndex(), comPort - 1);
        QCOMPARE(dlg.ChkVirCOM->isChecked(), virTicked);
        QCOMPARE(dlg.ChkVirCOM->isEnabled(), virEnabled);
        QCOMPARE(dlg.CmdSet->isEnabled(), setEnabled);
    }

    void listsShowTheStoredValues()
    {
        AppSettings.COMBaud = 1152;
        AppSettings.COMBits = 7;
        AppSettings.COMParity = 2;
        AppSettings.COMStop = 2;
        AppSettings.COMFlow = 1;
        AppSettings.LPTPort = 3;
        AppSettings.USBPort = 15;
        AppSettings.LANPort = 80;
        AppSettings.LANIPOctets = {10, 0, 0, 7};
        AppSettings.PortOpen = true;
        DlgIFSet dlg;
        QCOMPARE(dlg.CboCOMBaud->currentText(), QStringLiteral(" 115,200bps"));
        QCOMPARE(dlg.CboCOMBitLen->currentText(), QStringLiteral(" 7 bits"));
        QCOMPARE(dlg.CboCOMParity->currentText(), QStringLiteral(" Even"));
        QCOMPARE(dlg.CboCOMStopBit->currentText(), QStringLiteral(" 2 bits"));
        QCOMPARE(dlg.CboCOMFlow->currentText(), QStringLiteral(" Xon/Xoff"));
        QCOMPARE(dlg.CboLPTPort->currentText(), QStringLiteral(" LPT3: (3BCh)"));
        QCOMPARE(dlg.CboUSBPort->currentText(), QStringLiteral(" USB015"));
        QCOMPARE(dlg.TxtLANPort->text(), QStringLiteral("80"));
        QCOMPARE(dlg.TxtIPAddr[0]->text(), QStringLiteral("10"));
        QCOMPARE(dlg.TxtIPAddr[3]->text(), QStringLiteral("7"));
        QVERIFY(dlg.ChkAlwaysOpen->isChecked());
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
        ChooseEntry(dlg.CboCOMPort, 15); // COM16
        QVERIFY(dlg.ChkVirCOM->isChecked());
        QVERIFY(!dlg.ChkVirCOM->isEnabled());
        ChooseEntry(dlg.CboCOMPort, 14); // COM15: editable again, tick kept
        QVERIFY(dlg.ChkVirCOM->isEnabled());
        QVERIFY(dlg.ChkVirCOM->isChecked());
        Click(dlg.ChkVirCOM);
        QVERIFY(!dlg.ChkVirCOM->isChecked());
        ChooseEntry(dlg.CboCOMPort, 98); // COM99
        QVERIFY(dlg.ChkVirCOM->isChecked());
        QVERIFY(!dlg.ChkVirCOM->isEnabled());
        Click(dlg.ChkVirCOM); // greyed: the click does nothing
        QVERIFY(dlg.ChkVirCOM->isChecked());
        Click(dlg.CmdSet);
        QCOMPARE(AppSettings.Interface, std::uint8_t(VirtualCom));
        QCOMPARE(AppSettings.COMPort, std::uint8_t(99));
    }

    void serialPageRestoresTheStoredTick_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("VirtualCom") << int(VirtualCom);
        QTest::newRow("Serial") << int(Serial);
    }
    void serialPageRestoresTheStoredTick()
    {
        QFETCH(int, kind);
        AppSettings.Interface = static_cast<std::uint8_t>(kind);
        AppSettings.COMPort = 3;
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        const bool stored = kind == VirtualCom;
        QCOMPARE(dlg.ChkVirCOM->isChecked(), stored);
        Click(dlg.ChkVirCOM);
        QCOMPARE(dlg.ChkVirCOM->isChecked(), !stored);
        ChooseEntry(dlg.CboIF, DlgIFSet::ParallelPage);
        ChooseEntry(dlg.CboIF, DlgIFSet::SerialPage);
        QCOMPARE(dlg.ChkVirCOM->isChecked(), stored);
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
        const QString before = DumpSettings(AppSettings);
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
        QCOMPARE(DumpSettings(AppSettings), before);

        ChooseEntry(dlg.CboIF, DlgIFSet::USBPage);
        QVERIFY(dlg.CmdSet->isEnabled());
        QCOMPARE(VisibleFrames(dlg), QStringList{QStringLiteral("FraUSB")});
    }

    // Off the LAN page a LAN field that holds no valid number is passed over:
    // the dialog closes, that value stays, and the address is rebuilt.
    void invalidLanFieldsAreIgnoredOffTheLanPage_data()
    {
        QTest::addColumn<int>("box"); // 0-3 address boxes, 4 the port box
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QString>("lanIp");
        QTest::addColumn<int>("lanPort");
        QTest::newRow("port with a letter") << 4 << "91a0"
                                            << "10.20.0.5" << 4000;
        QTest::newRow("empty port") << 4 << ""
                                    << "10.20.0.5" << 4000;
        QTest::newRow("port 0 is taken") << 4 << "0"
                                         << "10.20.0.5" << 0;
        QTest::newRow("empty first box") << 0 << ""
                                         << "10.20.0.5" << 4000;
        QTest::newRow("box of 300") << 3 << "300"
                                    << "10.20.0.5" << 4000;
        QTest::newRow("box with a blank") << 2 << "1 2"
                                          << "10.20.0.5" << 4000;
        QTest::newRow("box of 255 is taken") << 3 << "255"
                                             << "10.20.0.255" << 4000;
    }
    void invalidLanFieldsAreIgnoredOffTheLanPage()
    {
        QFETCH(int, box);
        QFETCH(QString, typed);
        QFETCH(QString, lanIp);
        QFETCH(int, lanPort);
        AppSettings.LANIPOctets = {10, 0, 0, 5};
        AppSettings.LANIP = QStringLiteral("10.0.0.5");
        AppSettings.LANPort = 4000;
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboIF, DlgIFSet::LANPage);
        TypeText(dlg.TxtIPAddr[1], QStringLiteral("20"));
        TypeText(box == 4 ? dlg.TxtLANPort : dlg.TxtIPAddr[static_cast<std::size_t>(box)], typed);
        ChooseEntry(dlg.CboIF, DlgIFSet::SerialPage);
        Click(dlg.CmdSet);
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QVERIFY(boxes_.isEmpty());
        QCOMPARE(AppSettings.LANIP, lanIp);
        QCOMPARE(int(AppSettings.LANPort), lanPort);
        QCOMPARE(AppSettings.Interface, std::uint8_t(Serial));
    }

    // The LAN check of "Set" cannot be reached with the mouse (the button is
    // grey on the LAN page), so its handler is called here. A refused "Set"
    // must write nothing at all.
    void lanCheckRefusesAndWritesNothing()
    {
        AppSettings.Interface = LAN;
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboCOMPort, 4);
        Click(dlg.ChkAlwaysOpen);
        TypeText(dlg.TxtIPAddr[2], QStringLiteral("256"));
        const QString before = DumpSettings(AppSettings);
        dlg.CmdSet_Click();
        QCOMPARE(boxes_.size(), 1);
        QCOMPARE(boxes_.at(0).title, QStringLiteral("LAN I/F Error!"));
        QCOMPARE(boxes_.at(0).text, QStringLiteral("Please confirm the LAN Port and IP Address."));
        QVERIFY(dlg.isVisible());
        QVERIFY(DialogCancelled);
        QCOMPARE(DumpSettings(AppSettings), before);
        QCOMPARE(dlg.TxtIPAddr[2]->text(), QStringLiteral("256"));

        TypeText(dlg.TxtIPAddr[2], QStringLiteral("2"));
        dlg.CmdSet_Click();
        QCOMPARE(boxes_.size(), 1);
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.LANIP, QStringLiteral("192.168.2.1"));
        QCOMPARE(AppSettings.COMPort, std::uint8_t(5));
        QVERIFY(AppSettings.PortOpen);
    }

    void initOnTheLanPageTouchesOnlyTheBoxes()
    {
        AppSettings.LANIPOctets = {10, 1, 2, 3};
        AppSettings.LANIP = QStringLiteral("10.1.2.3");
        AppSettings.LANPort = 515;
        const QString before = DumpSettings(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboIF, DlgIFSet::LANPage);
        Click(dlg.CmdInit);
        const QStringList expected{QStringLiteral("192"), QStringLiteral("168"),
                                   QStringLiteral("1"), QStringLiteral("1")};
        for (int k = 0; k < 4; ++k)
            QCOMPARE(dlg.TxtIPAddr[static_cast<std::size_t>(k)]->text(), expected.at(k));
        QCOMPARE(dlg.TxtLANPort->text(), QStringLiteral("9100"));
        QCOMPARE(DumpSettings(AppSettings), before);
        Click(dlg.CmdCancel);
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QCOMPARE(DumpSettings(AppSettings), before);
        QVERIFY(DialogCancelled);
    }

    void initOnTheSerialPageResetsItsListsOnly()
    {
        AppSettings.Interface = VirtualCom;
        AppSettings.COMPort = 4;
        AppSettings.COMBaud = 96;
        AppSettings.COMParity = 1;
        AppSettings.COMBits = 7;
        AppSettings.COMStop = 2;
        AppSettings.COMFlow = 1;
        AppSettings.LPTPort = 2;
        AppSettings.PortOpen = true;
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        Click(dlg.CmdInit);
        QCOMPARE(dlg.CboCOMPort->currentIndex(), 0);
        QCOMPARE(dlg.CboCOMBaud->currentIndex(), 2);
        QCOMPARE(dlg.CboCOMParity->currentIndex(), 0);
        QCOMPARE(dlg.CboCOMBitLen->currentIndex(), 1);
        QCOMPARE(dlg.CboCOMStopBit->currentIndex(), 0);
        QCOMPARE(dlg.CboCOMFlow->currentIndex(), 0);
        QVERIFY(!dlg.ChkVirCOM->isChecked());
        QCOMPARE(dlg.CboLPTPort->currentIndex(), 1); // another page's list
        QVERIFY(dlg.ChkAlwaysOpen->isChecked());
        QCOMPARE(AppSettings.COMBaud, std::uint16_t(96)); // nothing written yet
        Click(dlg.CmdSet);
        QCOMPARE(AppSettings.Interface, std::uint8_t(Serial));
        QCOMPARE(AppSettings.COMPort, std::uint8_t(1));
        QCOMPARE(AppSettings.COMBaud, std::uint16_t(192));
        QCOMPARE(AppSettings.COMFlow, std::uint8_t(0));
        QCOMPARE(AppSettings.LPTPort, std::uint8_t(2));
    }

    void allInitResetsEveryPageAndShowsSerial()
    {
        InstallPrinters({QStringLiteral("Receipt_A"), QStringLiteral("Kitchen")},
                        {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://10.0.0.9/ipp")});
        AppSettings.WinDevice = QStringLiteral("Kitchen");
        AppSettings.Interface = Parallel;
        AppSettings.COMPort = 7;
        AppSettings.COMBaud = 384;
        AppSettings.COMParity = 2;
        AppSettings.COMBits = 7;
        AppSettings.COMStop = 2;
        AppSettings.COMFlow = 1;
        AppSettings.LPTPort = 3;
        AppSettings.LPTAddress = 0x3BC;
        AppSettings.USBPort = 9;
        AppSettings.LANPort = 515;
        AppSettings.PortOpen = true;
        const QString before = DumpSettings(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboWinDevice->currentIndex(), 1);
        Click(dlg.CmdInitAll);
        QCOMPARE(dlg.CboIF->currentIndex(), 0);
        QCOMPARE(VisibleFrames(dlg), QStringList{QStringLiteral("FraSerial")});
        QVERIFY(dlg.CmdSet->isEnabled());
        QCOMPARE(dlg.CboCOMPort->currentText(), QStringLiteral(" COM1:"));
        QCOMPARE(dlg.CboCOMBaud->currentText(), QStringLiteral("  19,200bps"));
        QCOMPARE(dlg.CboCOMBitLen->currentText(), QStringLiteral(" 8 bits"));
        QCOMPARE(dlg.CboCOMParity->currentText(), QStringLiteral(" None"));
        QCOMPARE(dlg.CboCOMStopBit->currentText(), QStringLiteral(" 1 bit"));
        QCOMPARE(dlg.CboCOMFlow->currentText(), QStringLiteral(" DTR/DSR"));
        QVERIFY(!dlg.ChkAlwaysOpen->isChecked());
        QCOMPARE(dlg.CboLPTPort->currentIndex(), 0);
        QCOMPARE(dlg.CboUSBPort->currentIndex(), 0);
        QCOMPARE(dlg.TxtLANPort->text(), QStringLiteral("9100"));
        QCOMPARE(dlg.CboWinDevice->currentIndex(), 0);
        QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("file:/dev/null"));
        QCOMPARE(DumpSettings(AppSettings), before); // nothing until "Set"

        Click(dlg.CmdSet);
        AppSettingsRecord expected;
        expected.WinPrinterCount = 2;
        expected.WinDevice = QStringLiteral("Receipt_A");
        expected.WinPort = QStringLiteral("file:/dev/null");
        QCOMPARE(DumpSettings(AppSettings), DumpSettings(expected));
    }

    void everyWayOutButSetStoresNothing_data()
    {
        QTest::addColumn<QString>("way");
        QTest::newRow("Cancel") << "cancel";
        QTest::newRow("Escape") << "escape";
        QTest::newRow("close box") << "close";
    }
    void everyWayOutButSetStoresNothing()
    {
        QFETCH(QString, way);
        InstallPrinters({QStringLiteral("A"), QStringLiteral("B")},
                        {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://b/ipp")});
        const QString before = DumpSettings(AppSettings);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboCOMPort, 30);
        ChooseEntry(dlg.CboCOMBaud, 5);
        Click(dlg.ChkAlwaysOpen);
        ChooseEntry(dlg.CboIF, DlgIFSet::LANPage);
        TypeText(dlg.TxtLANPort, QStringLiteral("515"));
        ChooseEntry(dlg.CboIF, DlgIFSet::WinDrvPage);
        ChooseEntry(dlg.CboWinDevice, 1);
        ChooseEntry(dlg.CboIF, DlgIFSet::ParallelPage);
        ChooseEntry(dlg.CboLPTPort, 2);
        if (way == QLatin1String("cancel"))
            Click(dlg.CmdCancel);
        else if (way == QLatin1String("escape"))
            PressKey(&dlg, Qt::Key_Escape);
        else
            dlg.close();
        QVERIFY(!dlg.isVisible());
        QCOMPARE(dlg.result(), int(QDialog::Rejected));
        QVERIFY(DialogCancelled);
        QCOMPARE(DumpSettings(AppSettings), before);
    }

    void setStoresTheSerialPage()
    {
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboCOMPort, 2);
        Click(dlg.ChkVirCOM);
        ChooseEntry(dlg.CboCOMBaud, 5);
        ChooseEntry(dlg.CboCOMBitLen, 0);
        ChooseEntry(dlg.CboCOMParity, 1);
        ChooseEntry(dlg.CboCOMStopBit, 1);
        ChooseEntry(dlg.CboCOMFlow, 1);
        Click(dlg.ChkAlwaysOpen);
        PressKey(&dlg, Qt::Key_Return); // Enter presses "Set"
        QCOMPARE(dlg.result(), int(QDialog::Accepted));
        QVERIFY(!DialogCancelled);
        QCOMPARE(AppSettings.Interface, std::uint8_t(VirtualCom));
        QCOMPARE(AppSettings.COMPort, std::uint8_t(3));
        QCOMPARE(AppSettings.COMBaud, std::uint16_t(1152));
        QCOMPARE(AppSettings.COMBits, std::uint8_t(7));
        QCOMPARE(AppSettings.COMParity, std::uint8_t(1));
        QCOMPARE(AppSettings.COMStop, std::uint8_t(2));
        QCOMPARE(AppSettings.COMFlow, std::uint8_t(1));
        QVERIFY(AppSettings.PortOpen);
    }

    void setStoresTheParallelAndUsbPages_data()
    {
        QTest::addColumn<int>("page");
        QTest::addColumn<int>("entry");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("lptPort");
        QTest::addColumn<int>("lptAddress");
        QTest::addColumn<int>("usbPort");
        QTest::newRow("LPT2") << int(DlgIFSet::ParallelPage) << 1 << int(Parallel) << 2 << 0x278
                              << 1;
        QTest::newRow("LPT3") << int(DlgIFSet::ParallelPage) << 2 << int(Parallel) << 3 << 0x3BC
                              << 1;
        QTest::newRow("USB007") << int(DlgIFSet::USBPage) << 6 << int(USB) << 1 << 0x378 << 7;
        QTest::newRow("USB015") << int(DlgIFSet::USBPage) << 14 << int(USB) << 1 << 0x378 << 15;
    }
    void setStoresTheParallelAndUsbPages()
    {
        QFETCH(int, page);
        QFETCH(int, entry);
        QFETCH(int, kind);
        QFETCH(int, lptPort);
        QFETCH(int, lptAddress);
        QFETCH(int, usbPort);
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        ChooseEntry(dlg.CboIF, page);
        ChooseEntry(page == DlgIFSet::ParallelPage ? dlg.CboLPTPort : dlg.CboUSBPort, entry);
        Click(dlg.CmdSet);
        QCOMPARE(int(AppSettings.Interface), kind);
        QCOMPARE(int(AppSettings.LPTPort), lptPort);
        QCOMPARE(int(AppSettings.LPTAddress), lptAddress);
        QCOMPARE(int(AppSettings.USBPort), usbPort);
    }

    void windowsDeviceIsFoundWithoutRegardToCase()
    {
        InstallPrinters(
            {QStringLiteral("Receipt_A"), QStringLiteral("Kitchen"), QStringLiteral("Office")},
            {QStringLiteral("file:/dev/null"), QStringLiteral("ipp://10.0.0.9/ipp"), QString()});
        AppSettings.WinDevice = QStringLiteral("KITCHEN");
        {
            DlgIFSet dlg;
            QVERIFY(ShowAndActivate(&dlg));
            QVERIFY(dlg.CboWinDevice->isEnabled());
            QCOMPARE(dlg.CboWinDevice->count(), 3);
            QCOMPARE(dlg.CboWinDevice->itemText(0), QStringLiteral(" Receipt_A"));
            QCOMPARE(dlg.CboWinDevice->currentIndex(), 1);
            QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("ipp://10.0.0.9/ipp"));
            ChooseEntry(dlg.CboIF, DlgIFSet::WinDrvPage);
            ChooseEntry(dlg.CboWinDevice, 2); // a printer without a port name
            QCOMPARE(dlg.LblWinPort->text(), QString());
            ChooseEntry(dlg.CboWinDevice, 0);
            QCOMPARE(dlg.LblWinPort->text(), QStringLiteral("file:/dev/null"));
            ChooseEntry(dlg.CboIF, DlgIFSet::USBPage); // stored whatever the page
            Click(dlg.CmdSet);
        }
        QCOMPARE(AppSettings.WinDevice, QStringLiteral("Receipt_A"));
        QCOMPARE(AppSettings.WinPort, QStringLiteral("file:/dev/null"));
        DlgIFSet again;
        QCOMPARE(again.CboWinDevice->currentIndex(), 0);

        AppSettings.WinDevice = QStringLiteral("Gone");
        DlgIFSet unknown;
        QCOMPARE(unknown.CboWinDevice->currentIndex(), 0);
    }

    void noInstalledPrinterMeansEmptyDevice()
    {
        AppSettings.WinDevice = QStringLiteral("Old");
        AppSettings.WinPort = QStringLiteral("file:/dev/null");
        DlgIFSet dlg;
        QVERIFY(ShowAndActivate(&dlg));
        QCOMPARE(dlg.CboWinDevice->count(), 0);
        QVERIFY(!dlg.CboWinDevice->isEnabled());
        QCOMPARE(dlg.LblWinPort->text(), QString());
        ChooseEntry(dlg.CboIF, DlgIFSet::WinDrvPage);
        Click(dlg.CmdInit);
        QCOMPARE(dlg.CboWinDevice->currentIndex(), -1);
        ChooseEntry(dlg.CboIF, DlgIFSet::SerialPage);
        Click(dlg.CmdSet);
        QCOMPARE(AppSettings.WinDevice, QString());
        QCOMPARE(AppSettings.WinPort, QString());
    }
};

QTEST_MAIN(TestDlgIFSet)
#include "tst_dlgifset.moc"
