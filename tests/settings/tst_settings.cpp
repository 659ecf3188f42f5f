// Reading and writing Zentab.ini and Models.Dat, the interface put into effect
// on a real main window, and InitGlobals with the printers of a real print service.

#include "app/buildinterfaceinfo.h"
#include "app/ledindicator.h"
#include "environment.h"
#include "files.h"
#include "link/link.h"
#include "settings/initglobals.h"
#include "settings/modeldata.h"
#include "settings/settingsfile.h"
#include "settingsrecord.h"
#include "tempserver.h"

#include <QtTest>
#include <QtWidgets>
#include <csignal>
#include <cups/cups.h>
#include <sys/resource.h>

using namespace Common;
using namespace TestSupport;

namespace {

const QByteArray Header = "Zentab    05.Dec.26  11:01\r\n";

// "a|b" as the file lines "a" and "b", each with its CR LF.
QByteArray Lines(const QByteArray& bars)
{
    return bars.isEmpty() ? QByteArray() : QByteArray(bars).replace('|', "\r\n") + "\r\n";
}

template <typename... Cells> void Row(const QByteArray& tag, const Cells&... cells)
{
    (QTest::newRow(tag.constData()) << ... << cells);
}

void Load(const QByteArray& tag, const QString& file, const QByteArray& bytes,
          const QByteArray& outcome)
{
    Row(tag, file, bytes, outcome);
}

} // namespace

class TestSettings : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The header's month is English whatever the locale.
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // "outcome": the settings file's fields as for SettingsWith(), or the model list as its
    // lines, "*" before the one the model name "qq" selects, which then takes the list's
    // spelling. Only a wrong model file header shows a message (the start-up's text).
    void load_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QByteArray>("bytes");   // "(none)": no file; "(folder)": a folder instead
        QTest::addColumn<QByteArray>("outcome"); // "!" a wrong header, "-" a file not read
        const QString ini = SettingsFileName, dat = ModelDataFileName;
        // "lines>outcome" rows, ';' between them, of a file with these lines after its header.
        const auto rows = [](const QString& file, const QByteArray& table) {
            for (const QByteArray& c : table.split(';'))
                Load(c.split('>')[0], file, Header + Lines(c.split('>')[0]), c.split('>')[1]);
        };
        // The header and the line ends; a wrong header stops reading before any line.
        for (const char* header : {"zentab    05.Dec.26  11:01", " Zentab", ""})
            Load('"' + QByteArray(header) + '"', ini, header + QByteArray("\r\nCOMPort = 3"), "!");
        Load("word and more", ini, "Zentabulous\r\nCOMPort = 3", "COMPort=3");
        Load("LF, CR, no end", ini, "Zentab\nCOMPort = 3\rUSBPort = 4", "COMPort=3 USBPort=4");
        Load("blank lines", ini, "Zentab\r\n\r\nCOMPort = 3\r\n\n\rUSBPort = 4",
             "COMPort=3 USBPort=4");
        // Keys and words in any case. "Key: value>to|...": the line "Key = value" sets Key to
        // "to", or nothing where the value is not taken. An LANIP part out of range keeps
        // that octet, a malformed address restores the default one.
        const QByteArray values =
            "Interface: LPT>1|parallel>1|USB>2|VCOM>5|VirtualCOM>5|2>;COMPort: 100>|0>|03>3|7x>7;"
            "COMBaud: 1152>1152|48>48|19200>;COMBits: 7>7|6>|07>;COMParity: 1>1|2>2|3>|Mark>;"
            "COMStop: 2>2|1.5>;COMFlow: 1>1|2>;USBPort: 15>15|16>|015>;AutoInc: 0>;"
            "LANPort: 9999>9999|10000>|0>;SerialNo: ABCdef1234>ABCdef1234|Abc>|ABCdef12345>;"
            "ModelName: ab1>ab1|123456789012345>123456789012345|ab>|1234567890123456>;"
            "StartNum:  25>25|999999>999999|0>0|1000000>|-5>|12abc>12|41.7>42|abc>0;"
            "SNoNumCol: 9>9|11>|0>;SNoNumLen: 6>6|7>;"
            "LANIP: 10.0.0.5>10.0.0.5|1000.1.1.1>|300.1.2.3>192.1.2.3|-1.2.3.4>192.2.3.4|"
            "255.255.255.255>255.255.255.255|printer.local>|010.001.002.003>10.1.2.3|"
            "10 . 20 . 30 . 40>10.20.30.40|1.2.3.>1.2.3.0|.1.2.3>|a.b.c.d>0.0.0.0|"
            "1.2.3.99999999999999999999>1.2.3.1";
        for (const QByteArray& c : values.split(';')) {
            const QByteArray key = c.split(':')[0];
            for (const QByteArray& to : c.mid(key.size() + 2).split('|')) {
                const QByteArray line = key + " = " + to.split('>')[0], value = to.split('>')[1];
                Load(line, ini, Header + Lines(line), value.isEmpty() ? value : key + '=' + value);
            }
        }
        // A later line overwrites only when its value is taken; the "=" stands within the
        // first 11 characters; a number part short of the end of the code is dropped.
        rows(ini, "Interface = USB|interface = com>;Interface = LPT|INTERFACE = Serial>;"
                  "Interface = USB|Interface = LAN>Interface=2;COMPort = 16>COMPort=16 Interface=5;"
                  "comport = 99|Interface = USB>COMPort=99 Interface=5;"
                  "COMPort = 15|Interface = USB>COMPort=15 Interface=2;"
                  "COMParity = Odd|COMParity = NONE>;CoMpArItY = eVeN>COMParity=2;"
                  "comflow = xonxoff>COMFlow=1;COMFlow = 1|COMFlow = DtrDsr>;"
                  "LPTPort = 3|LPTPort = 4>LPTPort=3 LPTAddress=956;portopen = true>PortOpen=1;"
                  "PortOpen = TRUE|PortOpen = yes>;AUTOINC = false|AutoInc = yes>AutoInc=0;"
                  "AutoInc = FALSE|AutoInc = True>;SNoNumCol = 7|SNoNumLen  = 4>SNoNumCol=7;"
                  "SNoNumLen = 0>SNoNumCol=1 SNoNumLen=0;"
                  "SNoNumCol = 9|SNoNumLen = 1>SNoNumCol=9 SNoNumLen=1;"
                  "SNoNumCol = 10|SNoNumLen = 6>SNoNumCol=10 SNoNumLen=6;"
                  "LANIP = 10.20.30.40|LANIP = 300.1.2.3>LANIP=10.1.2.3;"
                  "LANIP = 10.20.30.40|LANIP = 10.20>");
        // A model line, stripped of spaces, is two hex digits, read up to the first that is
        // not one, and a name: 4 to 19 characters in all; with none, the list is the default
        // model alone. At most sixteen; the name matched whole, any case, first match taken.
        rows(dat,
             "35 ZX-P700|36AB>*36AB;   35ZX P700   |36AB>*35ZX P700|36AB;"
             "51ABCDEFGHIJKLMNOPQ|36AB>*51ABCDEFGHIJKLMNOPQ|36AB;51ABCDEFGHIJKLMNOPQR|36AB>*36AB;"
             "35AB|36AB>*35AB|36AB;35A|36AB>*36AB;abName|36AB>*ABName|36AB;"
             "3GName|36AB>*03Name|36AB;G3Name|36AB>*00Name|36AB;41Z\xe9nt|36AB>*41Z\xe9nt|36AB;"
             "35\tZX|36AB>*35\tZX|36AB;  |35 X|12>*35ZX-P700;"
             "35qqq|36BBB|51QQ|52qq>35qqq|36BBB|*51QQ|52qq;"
             "30AB|31AB|32AB|33AB|34AB|35AB|36AB|37AB|38AB|39AB|3AAB|3BAB|3CAB|3DAB|3EAB|3FAB|"
             "40qq>*30AB|31AB|32AB|33AB|34AB|35AB|36AB|37AB|38AB|39AB|3AAB|3BAB|3CAB|3DAB|3EAB|"
             "3FAB");
        // Of settings_binaryAfterHeader.ini only "COMPort = 3<NUL>" passes: a leading number
        // is read up to the NUL, "7<NUL>" is not exactly "7", "<NUL>1" has no leading number.
        const QByteArray damaged =
            "settings_truncatedHeader.ini>!;settings_truncatedMidLine.ini>ModelName=ZX-P750 "
            "COMPort=3;settings_empty.ini>-;settings_binaryGarbage.ini>!;"
            "settings_binaryAfterHeader.ini>COMPort=3;settings_veryLongLines.ini>StartNum=42 "
            "COMPort=4;settings_nonAscii.ini>ModelName=Z\351bra-\3341 SerialNo=Pr\357nter001 "
            "LPTPort=2 LPTAddress=632;models_truncatedHeader.dat>!;models_truncatedMidLine.dat>"
            "*35ZX-P700|36ZX;models_empty.dat>-;models_binaryGarbage.dat>!;"
            "models_binaryAfterHeader.dat>*35\xff\xfe;models_veryLongLines.dat>*51ZX-Q500;"
            "models_nonAscii.dat>*41Z\351bra \334|42Z\303\251bra";
        for (const QByteArray& c : damaged.split(';'))
            Load(c.split('>')[0], c.startsWith('s') ? ini : dat,
                 ReadFile(FixturePath(c.split('>')[0])), c.split('>')[1]);
        Load("no settings file", ini, "(none)", "-");
        Load("no model file", dat, "(none)", "-");
        Load("a folder for the settings file", ini, "(folder)", "-");
        Load("settings file too large", ini, "Zentab\r\n" + QByteArray(2 << 20, 'x'), "-");
    }
    void load()
    {
        QFETCH(QString, file);
        QFETCH(QByteArray, bytes);
        QFETCH(QByteArray, outcome);
        const auto status = outcome == "!"   ? LoadStatus::WrongHeader
                            : outcome == "-" ? LoadStatus::Failed
                                             : LoadStatus::Done;
        const QString expected = status == LoadStatus::Done ? QString::fromLatin1(outcome) : "";
        Environment env;
        QVERIFY(bytes == "(none)" ||
                (bytes == "(folder)" ? QDir().mkdir(env.path(file)) : env.write(file, bytes)));
        QDir::setCurrent(QDir::tempPath()); // the data folder counts, not the current one
        const bool ini = file == SettingsFileName;
        AppSettings.ModelName = ini ? QString() : QStringLiteral("qq");
        ModelList.ModelCount = 2; // what was there goes
        const LoadResult result = ini ? LoadSettings() : LoadModelData();
        QCOMPARE(result.status, status);
        const auto& [count, names, ids, index] = ModelList;
        QStringList models;
        for (int i = 0; i < count; ++i)
            models << QString::asprintf("%s%02X%s", i + 1 == index ? "*" : "", ids.at(i),
                                        qUtf8Printable(names.at(i)));
        QCOMPARE(ini ? Describe(AppSettings) : models.join('|'),
                 ini ? Describe(SettingsWith(expected)) : expected);
        QVERIFY(!ini || CheckSettingsFile() == (bytes != "(none)"));
        QVERIFY(ini || (count ? names.at(index - 1) : QString("qq")) == AppSettings.ModelName);
        QVERIFY(env.shown().isEmpty() || (!ini && status == LoadStatus::WrongHeader));
        if (status == LoadStatus::Failed)
            QVERIFY2(result.description.startsWith(QDir::toNativeSeparators(env.path(file)) + ": "),
                     qPrintable(result.description));
        const bool kept = !bytes.startsWith('('); // the file stays as it was
        QCOMPARE(env.files(), kept ? QStringList{file} : QStringList{});
        QCOMPARE(env.read(file), kept ? bytes : QByteArray());
    }

    // A save writes only settings away from their default, the code line only from a
    // ten-character code box, and replaces the whole (longer) file. A failed save is
    // reported and leaves the old file whole with nothing beside it.
    void save_data()
    {
        // The row's name: the settings and the code box's text; "readBack": the record read
        // back ("+": the settings and the code).
        QTest::addColumn<QString>("readBack");
        QTest::addColumn<QString>("lines"); // or "(disk full)", "(no folder)"
        Row("Interface=1 COMParity=1 SNoNumCol=9 StartNum=0 Counter007", "+",
            "ModelName = |Interface = Parallel|COMParity = Odd|SerialNo = Counter007|"
            "SNoNumCol =  9|SNoNumLen =  3|StartNum =  0");
        Row("Interface=3 SNoNumLen=2 SerialNo=Printer555 Counter07", "SNoNumLen=2",
            "ModelName = |Interface = LAN|SNoNumCol =  8|SNoNumLen =  2");
        Row("Interface=4 ", "", "ModelName = |Interface = Serial");
        Row("Interface=5 COMPort=17 Z\u00e4hler0001", "+",
            "ModelName = |Interface = VirtualCOM|COMPort =  17|SerialNo = Z\u00e4hler0001");
        // Every line the file knows, in its order.
        Row("ModelName=ZX-P700 Interface=2 COMPort=4 COMBaud=96 COMBits=7 COMParity=2 COMStop=2 "
            "COMFlow=1 LPTPort=2 LPTAddress=632 USBPort=3 LANIP=172.16.0.9 LANPort=9101 "
            "PortOpen=1 AutoInc=0 SNoNumCol=6 SNoNumLen=5 StartNum=123 AB12300000",
            "+",
            "ModelName = ZX-P700|Interface = USB|COMPort =  4|COMBaud =  96|COMBits =  7|"
            "COMParity = Even|COMStop =  2|COMFlow = XonXoff|LPTPort =  2|USBPort =  3|"
            "LANIP = 172.16.0.9|LANPort =  9101|PortOpen = TRUE|SerialNo = AB12300000|"
            "AutoInc = FALSE|SNoNumCol =  6|SNoNumLen =  5|StartNum =  123");
        Row("Interface=1 ", "ModelName=OLD", "(disk full)");
        Row("Interface=2 ", "ModelName=OLD", "(no folder)");
    }
    void save()
    {
        const QString tag = QString::fromUtf8(QTest::currentDataTag());
        const QString settings = tag.section(' ', 0, -2), codeBox = tag.section(' ', -1);
        QFETCH(QString, readBack);
        QFETCH(QString, lines);
        Environment env;
        env.seams.clock([] { return QDateTime(QDate(2026, 12, 5), QTime(11, 1)); });
        const QByteArray old = Header + "ModelName = OLD\r\n" + QByteArray(5000, 'z');
        QVERIFY(env.write(SettingsFileName, old));
        AppSettings = SettingsWith(settings);
        if (lines == "(no folder)")
            DataFolder = env.path(SettingsFileName); // a file where the folder should be
        // On a full disk the new file breaks off after 20 bytes; the signal that
        // would end the process is ignored so that the write fails instead.
        rlimit previous{};
        getrlimit(RLIMIT_FSIZE, &previous);
        const rlimit limit{lines == "(disk full)" ? 20 : previous.rlim_cur, previous.rlim_max};
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        const bool saved = SaveSettings(codeBox);
        setrlimit(RLIMIT_FSIZE, &previous);
        std::signal(SIGXFSZ, handler);
        const bool fails = lines.startsWith('(');
        QCOMPARE(saved, !fails);
        QCOMPARE(env.read(SettingsFileName), fails ? old : Header + Lines(lines.toLatin1()));
        QCOMPARE(env.files(), QStringList{SettingsFileName});
        QCOMPARE(env.titles(), fails ? QStringList{"ERROR!"} : QStringList());
        QVERIFY(!fails || env.messages().at(0).text.startsWith(
                              QDir::toNativeSeparators(DataFilePath(SettingsFileName)) + ": "));
        AppSettings = {};
        DataFolder = env.dataDir.path(); // the old file read back after a failed save
        QCOMPARE(LoadSettings().status, LoadStatus::Done);
        const QString back = readBack == "+" ? settings + " SerialNo=" + codeBox : readBack;
        QCOMPARE(Describe(AppSettings), Describe(SettingsWith(back)));
    }

    // Each interface put into effect after serial COM4 with its port kept open: the old port
    // closed while its line still shows, a serial port kept open opened under its new line,
    // and the model name editable (model 51h) on the virtual COM port only.
    void interface_data()
    {
        // The row's name: the settings put into effect; "effects | line", the
        // effects "lamp" (shown, its timer running) and "two-way".
        QTest::addColumn<QString>("row");
        Row("PortOpen=0",
            "two-way |  Serial I/F  (COM4:)\r\n 19200bps,  None-Pariry, 8bits, DTR/DSR");
        Row("COMPort=12 COMBaud=1152 COMParity=2 COMBits=7 COMFlow=1",
            "lamp two-way |  Serial I/F  (COM12:)\r\n 115200bps,  Even-Pariry, 7bits, Xon/Xoff");
        Row("Interface=5 COMPort=20 COMBaud=48 COMParity=1 COMFlow=7",
            "two-way |  Virtual-Serial I/F  (COM20:)\r\n 4800bps,  Odd-Pariry, 8bits, Xon/Xoff");
        Row("Interface=1 PortOpen=0 LPTPort=3", "lamp two-way |  Parallel I/F  (LPT3:)");
        Row("Interface=2 USBPort=15", " |  USB I/F (USB015)");
        Row("Interface=3 PortOpen=0 LANIP=10.0.0.7 LANPort=9100",
            "lamp two-way |  LAN I/F\r\n IP=10.0.0.7,  Port=9100");
        Row("Interface=4 WinPort=ipp://10.0.0.9/ipp WinDevice=Kitchen",
            " |  Windows Driver  (ipp://10.0.0.9/ipp)\r\n Kitchen");
    }
    void interface()
    {
        QFETCH(QString, row);
        const QString effects = row.section(" | ", 0, 0), line = row.section(" | ", 1);
        const bool led = effects.contains("lamp"), twoWay = effects.contains("two-way");
        Environment env;
        env.install();
        // Each serial call notes the first line of the interface line at that moment.
        env.serial->context = [] {
            return HasMainForm() ? " under:" + MainForm().LblIFInfo->text().section('\r', 0, 0)
                                 : QString();
        };
        FrmMain& form = env.openForm(false);
        ModelId = 0x51;
        QVERIFY(Apply(AppSettings, QStringLiteral("COMPort=4 PortOpen=1 TwoWayLink=1")));
        BuildInterfaceInfo();
        QVERIFY(Apply(AppSettings, QString::fromLatin1(QTest::currentDataTag())));
        BuildInterfaceInfo();
        QVERIFY(env.serial->calls.contains(QStringLiteral("close under: Serial I/F  (COM4:)")));
        QCOMPARE(form.LblIFInfo->text(), line);
        QCOMPARE(!form.LEDPortCondition->isHidden(), led);
        QCOMPARE(form.TmrPortCheck.isActive(), led);
        QCOMPARE(form.CmdGetSNo->isEnabled(), twoWay);
        QCOMPARE(AppSettings.TwoWayLink, twoWay);
        QCOMPARE(AppSettings.ActiveInterface, AppSettings.Interface);
        QCOMPARE(MSComm().portOpen(), led && AppSettings.Interface == Serial);
        if (MSComm().portOpen())
            QVERIFY(env.serial->calls.contains("open under:" + line.section('\r', 0, 0)));
        QCOMPARE(form.MnuSetModelName->isEnabled(), AppSettings.Interface == VirtualCom);
    }

    // Every setting back to its default, with no port I/O on the machine, and the printers
    // in the print service's order, as many as a byte counts. With no scheduler there are
    // none, at once; a real one offers its queues, each with the port it prints to.
    void initGlobals()
    {
        Environment env;
        QList<InstalledPrinter> printers;
        for (int i = 0; i < 300; ++i)
            printers.append({QString::number(i), QStringLiteral("usb://Talvik/R%1").arg(i)});
        env.install(printers);
        env.portIo->available = false;
        AppSettings = SettingsWith("ActiveInterface=1 LPTPort=3 SerialNo=X LANIP=10.0.0.9");
        DataFolder = QStringLiteral("/elsewhere");
        WaitPending = true;
        HistoryCount = 4;
        LstWinDrv = LstWinDrvPorts = QStringList{QStringLiteral("left over")};
        InitGlobals();
        QVERIFY(ErrorFlag && !WaitPending && HistoryCount == 0);
        QCOMPARE(DataFolder, QDir::currentPath());
        QCOMPARE(env.portIo->initializeCalls, 1);
        QCOMPARE(Describe(AppSettings), Describe(SettingsWith("WinPrinterCount=255")));
        QVERIFY(LstWinDrv.size() == 255 && LstWinDrvPorts.size() == 255);
        QCOMPARE(LstWinDrv.first() + ' ' + LstWinDrvPorts.last(), "0 usb://Talvik/R254");
        env.seams.printers(nullptr);
        cupsSetServer(qPrintable(env.path(QStringLiteral("no-scheduler.sock"))));
        const QDeadlineTimer soon(500);
        InitGlobals();
        QVERIFY(!soon.hasExpired());
        QVERIFY(LstWinDrv.isEmpty() && AppSettings.WinPrinterCount == 0);
        if (!TempCupsScheduler::Installed())
            QSKIP("cupsd or lpadmin is not installed (Debian: cups-daemon, cups-client)");
        TempCupsScheduler scheduler;
        QVERIFY2(scheduler.start(), qPrintable(scheduler.failure()));
        const QString kitchenUri = QStringLiteral("ipp://127.0.0.1:8631/ipp/print");
        QVERIFY2(scheduler.addQueue("Receipt_A", "file:/dev/null") &&
                     scheduler.addQueue("Kitchen-B", kitchenUri),
                 qPrintable(scheduler.failure()));
        cupsSetServer(qPrintable(scheduler.socketPath()));
        InitGlobals();
        QCOMPARE(AppSettings.WinPrinterCount, std::uint8_t(2));
        QCOMPARE(LstWinDrvPorts.value(LstWinDrv.indexOf(QStringLiteral("Kitchen-B"))), kitchenUri);
    }
};

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
