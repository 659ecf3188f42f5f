// The dialogs as the operator meets them: the Set menu's three, the start-up with its
// splash and first-start notice, and the Help menu's notice and version dialog.
#include "dialogs/dlgifset.h"
#include "dialogs/dlgmodel.h"
#include "dialogs/dlgnote.h"
#include "dialogs/dlgsncfg.h"
#include "dialogs/dlgver.h"
#include "environment.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"
#include "settingsrecord.h"
#include "widgetdriver.h"

#include <QtTest>
#include <QtWidgets>

using namespace Common;
using namespace TestSupport;

namespace {

const QString ProgramError = QStringLiteral("Program ERROR!");
const QByteArray Models = "Zentab models\r\n35ZX-P700\r\n36ZX-P750\r\n";

// Starts the window with the real splash on the data folder's files, tried with Escape and
// its close box, the notice closed with Enter; gives the notice's title and what was wrong.
QString StartWindow(Environment& env)
{
    env.install();
    env.seams.splash(nullptr);
    env.seams.clock([] { return QDateTime(QDate(2026, 12, 5), QTime(11, 1)); });
    const auto seen = std::make_shared<QString>();
    AnswerModal<DlgVer>([seen](DlgVer& splash) {
        const bool closable = splash.CmdClose->isVisible();
        Operate(&splash, QStringLiteral("Escape close"));
        *seen += closable || !splash.isVisible() ? "splash dismissed " : "";
    });
    // Still waiting after a start without a notice, it must not take a later one.
    AnswerModalWidget(
        [record = std::weak_ptr<QString>(seen)](QWidget* widget) {
            auto* note = qobject_cast<DlgNote*>(widget);
            const auto seen = record.lock();
            if (!note || !seen)
                return false;
            // Shown under the arrow, before the model data is read.
            const bool early = CurrentPointer() == Pointer::Default && ModelList.ModelCount == 0;
            *seen += note->windowTitle() + (early ? "" : " too late");
            PressKey(note, Qt::Key_Return);
            *seen += note->isVisible() ? " stayed open" : "";
            return true;
        },
        30000);
    env.openForm(false).Form_Load();
    env.form->show();
    const bool ready = QTest::qWaitFor(
        [&env] { return env.form->isEnabled() && CurrentPointer() == Pointer::Default; }, 30000);
    return *seen + (ready ? "" : " never ready");
}

} // namespace

class TestDialogs : public QObject {
    Q_OBJECT

    std::optional<Environment> env_;

    // The rows of one settings dialog, named after it: every way out but "Set" after waysOut
    // ("stored | steps"), then the table's "name: stored | steps | changed | message" rows:
    // what "Set" changes ("-": nothing stored, "=...": the whole record after) and the box a
    // refused "Set" shows.
    static void Rows(const char* dialog, const QString& waysOut, const QString& table)
    {
        for (const QString& way : WaysOut)
            QTest::addRow("%s %s", dialog, qPrintable(way)) << waysOut + ' ' + way + " | -";
        for (const QString& row : table.split(QStringLiteral("; ")))
            QTest::addRow("%s %s", dialog, qPrintable(row.section(": ", 0, 0)))
                << row.section(": ", 1);
    }

private Q_SLOTS:
    void init()
    {
        env_.emplace();
        DialogCancelled = true; // as the window shows each settings dialog
        LstWinDrv = QStringList{"Receipt_A", "Kitchen", "Office"};
        LstWinDrvPorts = QStringList{"file:/dev/null", "ipp://10.0.0.9/ipp", ""};
        ModelList = {3, {"TR-80", "TR-58M", "KX-Q"}, {}, 2};
    }

    void settingsDialog_data()
    {
        QTest::addColumn<QString>("row");
        Rows("interface",
             "WinPrinterCount=3 Interface=5 COMPort=3 | CboCOMPort=30 CboCOMBaud=5 ChkVirCOM "
             "ChkAlwaysOpen CboIF=3 TxtLANPort=515 CboIF=4 CboWinDevice=1 CboIF=1 CboLPTPort=2 "
             "CmdInitAll",
             "serial page, Enter:  | CboCOMPort=2 ChkVirCOM CboCOMBaud=5 CboCOMBitLen=0 "
             "CboCOMParity=1 CboCOMStopBit=1 CboCOMFlow=1 ChkAlwaysOpen Return | Interface=5 "
             "COMPort=3 COMBaud=1152 COMBits=7 COMParity=1 COMStop=2 COMFlow=1 PortOpen=1; "
             "USB015 then LPT3: Interface=2 | CboIF=2 CboUSBPort=14 CboIF=1 CboLPTPort=2 Return "
             "| Interface=1 LPTPort=3 LPTAddress=956 USBPort=15; "
             // Untouched, every page shows what is stored; the device is found
             // whatever its case and stored whatever the page.
             "stored values: Interface=5 COMPort=7 COMBaud=1152 COMBits=7 COMParity=2 COMStop=2 "
             "COMFlow=1 LPTPort=3 LPTAddress=956 USBPort=15 LANPort=80 LANIP=10.0.0.7 PortOpen=1 "
             "WinPrinterCount=3 WinDevice=kitchen | CmdSet | WinDevice=Kitchen "
             "WinPort=ipp://10.0.0.9/ipp; "
             // From COM16 on the port is virtual only; below, the tick is free
             // again. A rate not in the list selects nothing and stays.
             "COM16 then COM15:  | CboCOMPort=15 CboCOMPort=14 ChkVirCOM CmdSet | COMPort=15; "
             "COM99: COMBaud=100 | CboCOMPort=98 ChkVirCOM CmdSet | Interface=5 COMPort=99; "
             "plain serial stored on COM16: COMPort=16 | CmdSet | Interface=5; "
             // Off the LAN page a field without a valid number is passed over (and back on the
             // serial page the tick is the stored one); on it, fields are checked before storing.
             "LAN fields not valid: LANIP=10.0.0.5 LANPort=4000 | ChkVirCOM CboIF=3 "
             "TxtIPAddr_1=20 TxtIPAddr_2=1%202 TxtIPAddr_3=300 TxtLANPort=91a0 CboIF=0 CmdSet | "
             "LANIP=10.20.0.5; LAN fields at their limits: LANIP=10.0.0.5 LANPort=4000 | CboIF=3 "
             "TxtIPAddr_1=20 TxtIPAddr_3=255 TxtLANPort=0 CboIF=0 CmdSet | LANIP=10.20.0.255 "
             "LANPort=0; LAN page, a box over 255: Interface=3 | CboCOMPort=4 ChkAlwaysOpen "
             "TxtIPAddr_2=256 | - | LAN I/F Error! / Please confirm the LAN Port and IP "
             "Address.; LAN page, valid: Interface=3 | CboCOMPort=4 ChkAlwaysOpen TxtIPAddr_2=2 "
             "| COMPort=5 PortOpen=1 LANIP=192.168.2.1; Init, serial page: Interface=5 COMPort=4 "
             "COMBaud=96 COMParity=1 COMBits=7 COMStop=2 COMFlow=1 LPTPort=2 LPTAddress=632 "
             "LANPort=515 PortOpen=1 | CmdInit CmdSet | =LPTPort=2 LPTAddress=632 LANPort=515 "
             "PortOpen=1; Init, LAN page: COMPort=4 LANIP=10.1.2.3 LANPort=515 | CboIF=3 CmdInit "
             "CboIF=0 CmdSet | LANIP=192.168.1.1 LANPort=9100; All Init: WinPrinterCount=3 "
             "WinDevice=Kitchen Interface=1 COMPort=7 COMBaud=384 COMParity=2 COMBits=7 "
             "COMStop=2 COMFlow=1 LPTPort=3 LPTAddress=956 USBPort=9 LANPort=515 LANIP=10.0.0.9 "
             "PortOpen=1 | CmdInitAll CmdSet | =WinPrinterCount=3 WinDevice=Receipt_A "
             "WinPort=file:/dev/null; a device without a port: WinPrinterCount=3 | CboIF=4 "
             "CboWinDevice=2 CboIF=0 CmdSet | WinDevice=Office; an unknown device: Interface=4 "
             "WinPrinterCount=3 WinDevice=Gone | CboIF=2 CmdSet | Interface=2 "
             "WinDevice=Receipt_A WinPort=file:/dev/null; no printer installed: WinDevice=Old "
             "WinPort=file:/dev/null | CboIF=4 CmdInit CboIF=0 CmdSet | WinDevice= WinPort=");

        Rows("model", "ModelName=TR-58M | LstModel=0",
             "untouched: ModelName=TR-58M | CmdSet | ; third, Enter: ModelName=TR-58M | LstModel=2 "
             "Return | ModelName=KX-Q");

        // "Set" takes a code of full length only, whose number part reaches its
        // end (A) and holds digits only (B).
        Rows("code",
             " | TxtSNo=Other12345 CboStartNum=5 CboNumLen=5 CboSpcChar=94 CboAlign=1 ChkAutoInc",
             "full length, Enter:  | TxtSNo=Label0001 Return TxtSNo=Label000123 Return | "
             "SerialNo=Label00012 StartNum=12; stored values: SerialNo=ABCDE12345 SNoNumCol=6 "
             "SNoNumLen=5 SNoAlign=1 SNoSpcChar=42 StartNum=12345 | CmdSet | ; every choice, six "
             "digits:  | TxtSNo=Code123456 CboStartNum=4 CboNumLen=6 CboAlign=1 ChkAutoInc "
             "CboSpcChar=94 CmdSet | SerialNo=Code123456 SNoNumCol=5 SNoNumLen=6 StartNum=123456 "
             "SNoAlign=1 AutoInc=0 SNoSpcChar=126; number past the end:  | TxtSNo=Printer012 "
             "CboStartNum=8 CmdSet | SerialNo=Printer012 SNoNumCol=9 StartNum=12; no number on "
             "the last column:  | TxtSNo=ABCDEFGHIJ CboStartNum=9 CboNumLen=0 CmdSet | "
             "SerialNo=ABCDEFGHIJ SNoNumCol=10 SNoNumLen=0 StartNum=0; A, number ends early:  | "
             "TxtSNo=Pr000inter CboStartNum=2 CmdSet | - | Code ERROR! / Some set items are not "
             "correct.; A, no number before the end:  | TxtSNo=ABCDEFGHIJ CboStartNum=8 "
             "CboNumLen=0 CmdSet | - | Code ERROR! / Some set items are not correct.; B, a "
             "letter:  | TxtSNo=Printer0A7 CmdSet | - | Code ERROR! / Some set items are not "
             "correct.; B, a blank:  | TxtSNo=Printer%2007 CmdSet | - | Code ERROR! / Some set "
             "items are not correct.");
    }
    void settingsDialog()
    {
        QFETCH(QString, row);
        const QStringList part = row.split(QStringLiteral(" | "));
        const QString stored = part.value(0), changed = part.value(2), message = part.value(3);
        QVERIFY(Apply(AppSettings, stored));
        const QByteArray name = QByteArray(QTest::currentDataTag()).split(' ')[0];
        const std::unique_ptr<QDialog> dlg(name == "code"    ? static_cast<QDialog*>(new DlgSNCfg)
                                           : name == "model" ? static_cast<QDialog*>(new DlgModel)
                                                             : new DlgIFSet);
        auto* ifSet = qobject_cast<DlgIFSet*>(dlg.get());
        QVERIFY(ShowAndActivate(dlg.get()));
        QTRY_VERIFY(dlg->isEnabled());
        if (ifSet) {
            // Opened, it shows the stored interface's page, with "Set" grey where
            // the link is not ready, and offers the printers when there are any.
            const int kind = AppSettings.Interface;
            const QGroupBox* pages[] = {ifSet->FraSerial, ifSet->FraParallel, ifSet->FraUSB,
                                        ifSet->FraLAN,    ifSet->FraWinDrv,   ifSet->FraSerial};
            for (const QGroupBox* frame : dlg->findChildren<QGroupBox*>())
                QCOMPARE(frame->isVisible(), frame == pages[kind]);
            QCOMPARE(ifSet->CmdSet->isEnabled(), kind != LAN && kind != WindowsDriver);
            QCOMPARE(ifSet->CboWinDevice->isEnabled(), AppSettings.WinPrinterCount > 0);
        }
        QVERIFY(Operate(dlg.get(), part.value(1)));
        // "Set" is grey on the LAN page: only its handler reaches the LAN check.
        if (ifSet && ifSet->isVisible() && ifSet->CboIF->currentIndex() == DlgIFSet::LANPage)
            ifSet->CmdSet_Click();
        const bool set = changed != QLatin1String("-");
        QCOMPARE(env_->shown(), message.isEmpty() ? QStringList() : QStringList{message});
        QCOMPARE(dlg->isVisible(), !message.isEmpty()); // refused: open for correcting
        QCOMPARE(dlg->result(), int(set ? QDialog::Accepted : QDialog::Rejected));
        QCOMPARE(DialogCancelled, !set);
        const QString after =
            set ? (changed.startsWith('=') ? changed.mid(1) : stored + ' ' + changed) : stored;
        QCOMPARE(Describe(AppSettings), Describe(TestSupport::SettingsWith(after)));
        if (name == "model")
            QCOMPARE(ModelList.ModelNames.at(ModelList.ModelIndex - 1u), AppSettings.ModelName);
    }

    // Grey under the hourglass until the fill 300 ms (here 15 ms) later; closed
    // before it, the arrow comes back. The code is one byte a character.
    void identificationFill()
    {
        DlgSNCfg{}; // one closed before its fill
        QCOMPARE(CurrentPointer(), Pointer::Default);
        DlgSNCfg dlg;
        QVERIFY(!dlg.isEnabled() && CurrentPointer() == Pointer::Hourglass);
        QCOMPARE(dlg.TmrInitSet.interval(), 300 * 5 / 100); // at the tests' pace
        QTRY_VERIFY(dlg.isEnabled());
        // The code length is fixed.
        QVERIFY(CurrentPointer() == Pointer::Default && !dlg.CboColumns->isEnabled());
        dlg.TxtSNo->clear();
        dlg.TxtSNo->insert(QStringLiteral("Label\u0416")); // as a paste
        QCOMPARE(dlg.TxtSNo->text(), QString());
    }

    // "outcome": when ready, the model name and code box; else the first box as "title / part
    // of its text", then Program ERROR! and "Prg ERROR!" in the code box.
    void start_data()
    {
        QTest::addColumn<QByteArray>("settings"); // null: no file
        QTest::addColumn<QByteArray>("models");
        QTest::addColumn<QString>("outcome");
        QTest::addColumn<QByteArray>("saved"); // the settings file after the window closed
        const QByteArray header = "Zentab    05.Dec.26  11:01\r\n";
        const QByteArray lines = "COMPort =  3\r\nSerialNo = Counter041\r\nStartNum =  41\r\n";
        const QByteArray none, good = "Zentab    01.Jan.26  08:00\r\nCOMPort =  3\r\n";
        QTest::newRow("first start") << none << Models << "ZX-P700 Printer001"
                                     << header + "ModelName = ZX-P700\r\nSerialNo = Printer001\r\n";
        QTest::newRow("next start")
            << "Zentab    01.Jan.26  08:00\r\nModelName = zx-p750\r\n" + lines << Models
            << "ZX-P750 Counter041" << header + "ModelName = ZX-P750\r\n" + lines;
        const QByteArray wrong = "Settings\r\nCOMPort =  3\r\n";
        QTest::newRow("settings header wrong")
            << wrong << Models << ProgramError + " / The tool environment is damaging." << wrong;
        QTest::newRow("settings file empty")
            << QByteArray("") << Models << "ERROR! / " + SettingsFileName << QByteArray();
        QTest::newRow("model data missing")
            << good << none << "ERROR! / " + ModelDataFileName << good;
        QTest::newRow("model data header wrong")
            << good << QByteArray("Models\r\n35ZX-P700\r\n")
            << "Model Data ERROR! / Failed to load the Model data." << good;
    }
    void start()
    {
        QFETCH(QByteArray, settings);
        QFETCH(QByteArray, models);
        QFETCH(QString, outcome);
        QFETCH(QByteArray, saved);
        QVERIFY(settings.isNull() || env_->write(SettingsFileName, settings));
        QVERIFY(models.isNull() || env_->write(ModelDataFileName, models));
        QCOMPARE(StartWindow(*env_), settings.isNull() ? QStringLiteral("Welcome!") : QString());
        const bool ready = !outcome.contains(" / ");
        const QStringList titles{outcome.section(" / ", 0, 0), ProgramError}; // the latter once
        QCOMPARE(env_->form->TxtSNo->text(), ready ? outcome.section(' ', 1) : "Prg ERROR!");
        QVERIFY(!ready || env_->form->TxtModelName->text() == outcome.section(' ', 0, 0));
        QCOMPARE(env_->titles(), ready ? QStringList() : titles.mid(titles[0] == ProgramError));
        QVERIFY(env_->seams.messages().allUnderArrow());
        QVERIFY(ready || env_->messages().at(0).text.contains(outcome.section(" / ", 1)));
        // What was loaded before a failure stays; the model list stays empty.
        QCOMPARE(AppSettings.COMPort, settings.startsWith("Zentab") ? 3 : 1);
        QCOMPARE(ModelList.ModelCount, ready ? 2 : 0);
        QCOMPARE(env_->read(SettingsFileName), settings);
        env_->form->close();
        QCOMPARE(env_->read(SettingsFileName), saved);
    }

    // On the real clock the splash shows its full 1.5 + 1 + 0.5 + 1 s before the window is
    // ready. From the Help menu the notice is not the first start's, and the version dialog a
    // plain one that loads nothing, closed by its button or Escape.
    void splashOnTheRealClockThenHelpMenu()
    {
        env_->seams.waitScale(100);
        QVERIFY(env_->write(ModelDataFileName, Models));
        const QDeadlineTimer splash(4000);
        QCOMPARE(StartWindow(*env_), QStringLiteral("Welcome!"));
        QVERIFY(splash.hasExpired());
        QVERIFY(QFile::remove(env_->path(ModelDataFileName))); // reading it now would fail
        QString seen;
        AnswerModal<DlgNote>([&seen](DlgNote& note) {
            Click(note.CmfClose);
            seen = note.isVisible() ? QStringLiteral("stayed open") : note.windowTitle();
        });
        env_->form->MnuHelpNotice->trigger();
        for (const bool byButton : {true, false}) {
            AnswerModal<DlgVer>([&seen, byButton](DlgVer& version) {
                const bool plain = version.CmdClose->isVisible() && !version.LblInit->isVisible();
                byButton ? Click(version.CmdClose) : PressKey(&version, Qt::Key_Escape);
                seen += plain && !version.isVisible() ? " closed" : " stayed or loaded";
            });
            env_->form->MnuHelpVersion->trigger();
        }
        QCOMPARE(seen, QStringLiteral("Notice closed closed"));
        QCOMPARE(env_->shown(), QStringList());
        // The major version in hexadecimal, the others as their last two digits.
        QCOMPARE(DlgVer::VersionText(31, 5, 123), QStringLiteral(" Version 1F.05.23 "));
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"
