// The settings file: which lines and values reading takes, the exact bytes
// writing makes and what reading them gives back, and the file on disk:
// missing, damaged or unwritable, and replaced so that a failed save never
// damages the file that was there.

#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QtTest>
#include <csignal>
#include <sys/resource.h>

using namespace Common;
using namespace TestSupport;

namespace {

const QDateTime WrittenAt(QDate(2026, 12, 5), QTime(11, 1));
const QByteArray Header = "Zentab    05.Dec.26  11:01\r\n";

// "a|b" as the file lines "a" and "b", each with its CR LF.
QByteArray Lines(const QByteArray& bars)
{
    return bars.isEmpty() ? QByteArray() : QByteArray(bars).replace('|', "\r\n") + "\r\n";
}

// Makes every write that would take a file past maxBytes fail, as a full disk
// does, while it lives. The signal that would end the process is ignored so
// that the write returns its error instead.
class FileSizeLimit {
public:
    explicit FileSizeLimit(rlim_t maxBytes)
    {
        previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &previous_);
        rlimit limit = previous_;
        limit.rlim_cur = maxBytes;
        active_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &previous_);
        std::signal(SIGXFSZ, previousHandler_);
    }
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;
    bool active() const { return active_; }

private:
    rlimit previous_{};
    void (*previousHandler_)(int) = nullptr;
    bool active_ = false;
};

} // namespace

class TestSettingsFile : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init()
    {
        SetSettingsClockForTests([] { return WrittenAt; });
    }

    void cleanup() { SetSettingsClockForTests(nullptr); }
    // The header, the line ends, and that a wrong header stops reading before any
    // line is taken: every field not named in "read" keeps its default.
    void wholeFile_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<QString>("read");
        const LoadStatus done = LoadStatus::Done, wrong = LoadStatus::WrongHeader;
        auto row = [](const char* name, const QByteArray& file, LoadStatus status,
                      const char* read) {
            QTest::newRow(name) << file << status << QString::fromLatin1(read);
        };
        row("word alone", "Zentab", done, "");
        row("word and date", "Zentab    01.Jan.07  00:00\r\nCOMPort = 3", done, "COMPort=3");
        row("word and anything", "Zentabulous\r\nCOMPort = 3", done, "COMPort=3");
        row("lower case", "zentab    05.Dec.26  11:01\r\nCOMPort = 3", wrong, "");
        row("leading space", " Zentab\r\nCOMPort = 3", wrong, "");
        row("truncated", "Zenta\r\nCOMPort = 3", wrong, "");
        row("empty first line", "\r\nZentab\r\nCOMPort = 3", wrong, "");
        row("empty file", "", LoadStatus::Failed, "");
        row("LF", "Zentab\nCOMPort = 3\nUSBPort = 4\n", done, "COMPort=3 USBPort=4");
        row("CR", "Zentab\rCOMPort = 3\rUSBPort = 4\r", done, "COMPort=3 USBPort=4");
        row("no final line end", "Zentab\r\nCOMPort = 3\r\nUSBPort = 4", done,
            "COMPort=3 USBPort=4");
        row("blank lines between", "Zentab\r\n\r\nCOMPort = 3\r\n\n\rUSBPort = 4", done,
            "COMPort=3 USBPort=4");
    }
    void wholeFile()
    {
        QFETCH(QByteArray, file);
        QFETCH(LoadStatus, status);
        QFETCH(QString, read);
        AppSettingsRecord s;
        QCOMPARE(ParseSettings(file, s).status, status);
        QCOMPARE(Describe(s), Describe(Record(read)));
    }

    // One line (or "|"-separated lines) after the header and the fields it sets;
    // "" stands for the fields' defaults. Keys and words are read without regard
    // to case, the "=" must stand within the first 11 characters, a later line
    // overwrites an earlier one only when its value is taken.
    void values_data()
    {
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("fields");
        QTest::addColumn<QString>("expected");
        struct Row {
            const char* lines;
            const char* fields;
            const char* expected;
        };
        // Single lines "<key> = <value>": each case "value>expected", "value>" for the default.
        static const std::pair<const char*, const char*> single[] = {
            {"Interface", "LPT>1|USB>2|VCOM>5|VirtualCOM>5|2>"},
            {"COMPort", "100>|0>|03>3|7x>7|ab>"},
            {"COMBaud", "1152>1152|48>48|19200>|100>"},
            {"COMBits", "7>7|6>|07>"},
            {"COMParity", "1>1|ODD>1|2>2|3>|Mark>"},
            {"COMStop", "2>2|1.5>"},
            {"COMFlow", "1>1|2>"},
            {"LPTPort", "4>"},
            {"USBPort", "15>15|16>|015>"},
            {"LANPort", "9999>9999|10000>|0>|80>80"},
            {"SerialNo", "ABCdef1234>ABCdef1234|Abc>|ABCdef12345>"},
            {"ModelName", "ab1>ab1|123456789012345>123456789012345|ab>|1234567890123456>"},
            {"AutoInc", "0>"},
            {"StartNum", " 25>25|999999>999999|0>0|1000000>|-5>|12abc>12|41.7>42"},
            {"SNoNumCol", "9>9|11>|0>"},
            {"SNoNumLen", "6>6|7>"},
            // A part out of range keeps that octet's default; a malformed value
            // restores the default address.
            {"LANIP", "10.0.0.5>10.0.0.5|1000.1.1.1>|10.0>|300.1.2.3>192.1.2.3"},
            {"LANIP", "-1.2.3.4>192.2.3.4|255.255.255.255>255.255.255.255|printer.local>"},
            {"LANIP", "010.001.002.003>10.1.2.3|10 . 20 . 30 . 40>10.20.30.40"},
            {"LANIP", "1.2.3.>1.2.3.0|.1.2.3>|a.b.c.d>0.0.0.0"},
            {"LANIP", "1.2.3.99999999999999999999>1.2.3.1"},
        };
        // Keys in other cases, lines that overwrite or depend on each other.
        static const Row rows[] = {
            {"Interface = USB|interface = com", "Interface", "0"},
            {"INTERFACE = parallel", "Interface", "1"},
            {"Interface = USB|Interface = LAN", "Interface", "2"},
            {"comport = 99", "COMPort", "99"},
            {"COMPort = 3|COMPort = 7|COMPort = 0", "COMPort", "7"},
            {"comport =  20|Interface = USB", "COMPort Interface", "20 5"},
            {"COMPort = 15|Interface = USB", "Interface", "2"},
            {"COMPort = 16", "Interface", "5"},
            {"COMPort = 100|Interface = LPT", "Interface", "1"},
            {"COMParity = Odd|COMParity = NONE", "COMParity", "0"},
            {"CoMpArItY = eVeN", "COMParity", "2"},
            {"comflow = xonxoff", "COMFlow", "1"},
            {"COMFlow = 1|COMFlow = DtrDsr", "COMFlow", "0"},
            {"LPTPort = 2|LPTPort = 9", "LPTPort LPTAddress", "2 632"},
            {"portopen = true", "PortOpen", "1"},
            {"PortOpen = TRUE|PortOpen = yes", "PortOpen", "0"},
            {"serialno = PrInTeR042", "SerialNo", "PrInTeR042"},
            {"modelname = zx-P700b", "ModelName", "zx-P700b"},
            {"AUTOINC = false", "AutoInc", "0"},
            {"AutoInc = FALSE|AutoInc = True", "AutoInc", "1"},
            {"StartNum = abc", "StartNum", "0"}, // not a number counts as 0
            {"SNoLength = 5", "SNoLength", ""},  // not a key of the file
            {"SNoAlign = 1", "SNoAlign", ""},    // written by no one, never read
            // Where the "=" stands: column 7 with four digits reaches the end.
            {"SNoNumCol = 7|SNoNumLen=4", "SNoNumCol SNoNumLen", "7 4"},
            {"SNoNumCol = 7|SNoNumLen  = 4", "SNoNumCol SNoNumLen", "7 3"},
            {"SNoNumCol = 7| SNoNumLen = 4", "SNoNumCol SNoNumLen", "7 3"},
            {"SNoNumCol = 7|SNoNumLen 4", "SNoNumCol SNoNumLen", "7 3"},
            {"SNoNumCol = 7|= 4", "SNoNumCol SNoNumLen", "7 3"},
            // A number part short of the end of the code is dropped.
            {"SNoNumCol = 3|SNoNumLen = 3", "SNoNumCol SNoNumLen", "1 0"},
            {"SNoNumCol = 9|SNoNumLen = 1", "SNoNumCol SNoNumLen", "9 1"},
            {"SNoNumCol = 10|SNoNumLen = 6", "SNoNumCol SNoNumLen", "10 6"},
            {"SNoNumLen = 0", "SNoNumCol SNoNumLen", "1 0"},
            {"SNoNumCol = 5", "SNoNumCol SNoNumLen", "1 0"},
            // A malformed address restores the default, not the earlier line's.
            {"LANIP = 10.20.30.40|LANIP = 300.1.2.3", "LANIP", "10.1.2.3"},
            {"LANIP = 10.20.30.40|LANIP = 10.20", "LANIP", ""},
        };
        auto add = [](const QByteArray& lines, const QString& fields, const char* expected) {
            QTest::addRow("%s", lines.constData())
                << lines << fields
                << (*expected ? QString::fromLatin1(expected)
                              : Fields(AppSettingsRecord{}, fields));
        };
        for (const auto& [key, cases] : single) {
            for (const QByteArray& c : QByteArray(cases).split('|')) {
                const QByteArray value = c.left(c.indexOf('>'));
                add(key + QByteArray(" = ") + value, QString::fromLatin1(key),
                    c.mid(c.indexOf('>') + 1).constData());
            }
        }
        for (const Row& r : rows)
            add(r.lines, QString::fromLatin1(r.fields), r.expected);
    }
    void values()
    {
        QFETCH(QByteArray, lines);
        QFETCH(QString, fields);
        QFETCH(QString, expected);
        AppSettingsRecord s;
        QCOMPARE(ParseSettings(Header + Lines(lines), s).status, LoadStatus::Done);
        QCOMPARE(Fields(s, fields), expected);
        // The address text and its octets always agree.
        QCOMPARE(
            Fields(s, QStringLiteral("LANIPOctets")).replace(QLatin1Char(','), QLatin1Char('.')),
            s.LANIP);
    }

    void headerTime_data()
    {
        QTest::addColumn<QDateTime>("when");
        QTest::addColumn<QString>("text");
        QTest::newRow("example") << WrittenAt << "05.Dec.26  11:01";
        QTest::newRow("last minute")
            << QDateTime(QDate(2010, 5, 31), QTime(23, 59, 59)) << "31.May.10  23:59";
        QTest::newRow("year 2000")
            << QDateTime(QDate(2000, 3, 1), QTime(0, 5)) << "01.Mar.00  00:05";
    }
    void headerTime()
    {
        QFETCH(QDateTime, when);
        QFETCH(QString, text);
        // English month names whatever the locale (German: "Mär", "Mai", "Okt").
        const QLocale previous;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        const QByteArray file = FormatSettings(AppSettingsRecord{}, QString(), when);
        QLocale::setDefault(previous);
        QCOMPARE(file, "Zentab    " + text.toLatin1() + "\r\nModelName = \r\n");
    }

    // A line is written only for a setting away from its default; the code line
    // takes the code box's text, and only when it is ten characters long.
    // "readBack": how the record read from the file differs from the one written.
    void writtenLines_data()
    {
        QTest::addColumn<QString>("settings");
        QTest::addColumn<QString>("codeBox");
        QTest::addColumn<QByteArray>("lines");
        QTest::addColumn<QString>("readBack");
        auto row = [](const char* settings, const QString& code, const QByteArray& lines,
                      const char* readBack = "") {
            QTest::addRow("%s %s", settings, qPrintable(code))
                << QString::fromLatin1(settings) << code << lines << QString::fromLatin1(readBack);
        };
        row("SerialNo=Printer555", "Counter07", "ModelName = ", "SerialNo=Printer000");
        row("SerialNo=Printer555", "Prg ERROR!", "ModelName = |SerialNo = Prg ERROR!");
        row("", QString::fromUtf8("Zähler0001"), "ModelName = |SerialNo = Z\xe4hler0001");
        row("Interface=1", "", "ModelName = |Interface = Parallel");
        row("Interface=3", "", "ModelName = |Interface = LAN", "Interface=0");
        row("Interface=4", "", "ModelName = |Interface = Serial", "Interface=0");
        row("COMPort=20", "", "ModelName = |COMPort =  20", "Interface=5");
        row("COMParity=1", "", "ModelName = |COMParity = Odd");
        row("SNoNumCol=9", "", "ModelName = |SNoNumCol =  9|SNoNumLen =  3");
        row("SNoNumLen=2", "", "ModelName = |SNoNumCol =  8|SNoNumLen =  2");
        row("SNoNumCol=3 SNoNumLen=3", "", "ModelName = |SNoNumCol =  3|SNoNumLen =  3",
            "SNoNumCol=1 SNoNumLen=0");
        row("StartNum=0", "", "ModelName = |StartNum =  0");
        row("SNoAlign=1 SNoSpcChar=42 WinDevice=Office WinPort=usb://x", "",
            "ModelName = ", "SNoAlign=0 SNoSpcChar=32 WinDevice= WinPort=");
    }
    void writtenLines()
    {
        QFETCH(QString, settings);
        QFETCH(QString, codeBox);
        QFETCH(QByteArray, lines);
        QFETCH(QString, readBack);
        const AppSettingsRecord written = Record(settings);
        const QByteArray file = FormatSettings(written, codeBox, WrittenAt);
        QCOMPARE(file, Header + Lines(lines));

        AppSettingsRecord read;
        QCOMPARE(ParseSettings(file, read).status, LoadStatus::Done);
        AppSettingsRecord want = written;
        if (codeBox.size() == 10)
            want.SerialNo = codeBox;
        QVERIFY(Apply(want, readBack));
        QCOMPARE(Describe(read), Describe(want));
    }

    // Every setting away from its default: the order of the lines, and the round
    // trip of every field the file carries.
    void allLinesInOrderAndBack()
    {
        const AppSettingsRecord s = Record(
            "ModelName=ZX-P700 Interface=2 COMPort=4 COMBaud=96 COMBits=7 COMParity=2 COMStop=2 "
            "COMFlow=1 LPTPort=2 LPTAddress=632 USBPort=3 LANIP=172.16.0.9 LANPort=9101 PortOpen=1 "
            "AutoInc=0 SNoNumCol=6 SNoNumLen=5 StartNum=123 SerialNo=AB12300000");
        const QByteArray file = FormatSettings(s, s.SerialNo, WrittenAt);
        QCOMPARE(file, Header + "ModelName = ZX-P700\r\n"
                                "Interface = USB\r\n"
                                "COMPort =  4\r\n"
                                "COMBaud =  96\r\n"
                                "COMBits =  7\r\n"
                                "COMParity = Even\r\n"
                                "COMStop =  2\r\n"
                                "COMFlow = XonXoff\r\n"
                                "LPTPort =  2\r\n"
                                "USBPort =  3\r\n"
                                "LANIP = 172.16.0.9\r\n"
                                "LANPort =  9101\r\n"
                                "PortOpen = TRUE\r\n"
                                "SerialNo = AB12300000\r\n"
                                "AutoInc = FALSE\r\n"
                                "SNoNumCol =  6\r\n"
                                "SNoNumLen =  5\r\n"
                                "StartNum =  123\r\n");
        AppSettingsRecord read;
        QCOMPARE(ParseSettings(file, read).status, LoadStatus::Done);
        QCOMPARE(Describe(read), Describe(s));
    }

    void checkFindsTheFile()
    {
        ScopedDataFolder folder;
        QVERIFY(!CheckSettingsFile());
        QVERIFY(folder.write(SettingsFileName, QByteArray()));
        QVERIFY(CheckSettingsFile()); // an empty file is there all the same
        // The folder is taken once; the process's current directory does not count.
        const QString cwd = QDir::currentPath();
        QDir::setCurrent(QDir::tempPath());
        QVERIFY(CheckSettingsFile());
        QDir::setCurrent(cwd);
    }

    // Damaged files on disk: none may crash the reader, change the file, show a
    // message (the start-up loading does that) or set what the rules forbid.
    void loadFromDisk_data()
    {
        QTest::addColumn<QString>("source"); // a fixture, or "(folder)" / "(large)"
        QTest::addColumn<LoadStatus>("status");
        QTest::addColumn<QString>("read");
        auto row = [](const char* source, LoadStatus status, const char* read = "") {
            QTest::newRow(source) << source << status << QString::fromUtf8(read);
        };
        const LoadStatus done = LoadStatus::Done, wrong = LoadStatus::WrongHeader;
        row("settings_truncatedHeader.ini", wrong);
        row("settings_truncatedMidLine.ini", done, "ModelName=ZX-P750 COMPort=3");
        row("settings_empty.ini", LoadStatus::Failed);
        row("settings_binaryGarbage.ini", wrong);
        // Only "COMPort = 3<NUL>" passes: a leading number is read up to the NUL,
        // while "7<NUL>" is not exactly "7" and "<NUL>1" has no leading number.
        row("settings_binaryAfterHeader.ini", done, "COMPort=3");
        row("settings_veryLongLines.ini", done, "StartNum=42 COMPort=4");
        row("settings_nonAscii.ini", done,
            "ModelName=Zébra-Ü1 SerialNo=Prïnter001 LPTPort=2 LPTAddress=632");
        row("(folder)", LoadStatus::Failed); // a folder in the file's place
        row("(large)", LoadStatus::Failed);
    }

    void loadFromDisk()
    {
        QFETCH(QString, source);
        QFETCH(LoadStatus, status);
        QFETCH(QString, read);
        ScopedDataFolder folder;
        QByteArray content = ReadFixture(source);
        if (source == QLatin1String("(folder)"))
            QVERIFY(QDir(folder.path(QString())).mkdir(SettingsFileName));
        else if (source == QLatin1String("(large)"))
            content = "Zentab\r\n" + QByteArray(2 * 1024 * 1024, 'x');
        else
            QVERIFY(QFile::exists(FixturePath(source)));
        if (source != QLatin1String("(folder)"))
            QVERIFY(folder.write(SettingsFileName, content));
        CapturedMessages messages;

        const LoadResult result = LoadSettings();
        QCOMPARE(result.status, status);
        if (status == LoadStatus::Failed)
            QVERIFY2(result.description.contains(SettingsFileName), qPrintable(result.description));
        QCOMPARE(Describe(AppSettings), Describe(Record(read)));
        QVERIFY(messages.isEmpty());
        if (source != QLatin1String("(folder)")) {
            QCOMPARE(folder.read(SettingsFileName), content);
            QCOMPARE(folder.files(), QStringList{SettingsFileName});
        }
    }

    void saveReplacesTheFileAndLoadsBack()
    {
        ScopedDataFolder folder;
        QVERIFY(folder.write(SettingsFileName, QByteArray(5000, 'z')));
        AppSettings =
            Record("ModelName=ZX-Q500 Interface=5 COMPort=17 LANIP=10.1.2.3 StartNum=999999");
        CapturedMessages messages;
        QVERIFY(SaveSettings(QStringLiteral("Printer001")));
        QVERIFY(messages.isEmpty());
        QCOMPARE(folder.read(SettingsFileName),
                 Header + Lines("ModelName = ZX-Q500|Interface = VirtualCOM|COMPort =  17|"
                                "LANIP = 10.1.2.3|SerialNo = Printer001|StartNum =  999999"));
        QCOMPARE(folder.files(), QStringList{SettingsFileName});

        const AppSettingsRecord saved = AppSettings;
        AppSettings = AppSettingsRecord{};
        QCOMPARE(LoadSettings().status, LoadStatus::Done);
        AppSettingsRecord want = saved;
        want.SerialNo = QStringLiteral("Printer001");
        QCOMPARE(Describe(AppSettings), Describe(want));
    }

    void failedWriteLeavesTheOldFileWhole()
    {
        ScopedDataFolder folder;
        const QByteArray old = "Zentab    01.Jan.26  08:00\r\nModelName = OLD\r\n";
        QVERIFY(folder.write(SettingsFileName, old));
        AppSettings.ModelName = QStringLiteral("ZX-P700");
        CapturedMessages messages;
        bool saved = true;
        {
            // The new file breaks off after 20 bytes, as on a full disk.
            FileSizeLimit limit(20);
            QVERIFY(limit.active());
            saved = SaveSettings(QStringLiteral("Printer001"));
        }
        QVERIFY(!saved);
        QCOMPARE(folder.read(SettingsFileName), old);
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("ERROR!"));
        QVERIFY2(messages.all().at(0).text.contains(SettingsFileName),
                 qPrintable(messages.all().at(0).text));
        QCOMPARE(folder.files(), QStringList{SettingsFileName}); // no half-written file beside it
    }

    void unwritableFolderIsReported()
    {
        ScopedDataFolder folder;
        // Even root cannot create a file below a regular file.
        QVERIFY(folder.write(QStringLiteral("plain"), "x"));
        DataFolder = folder.path(QStringLiteral("plain"));
        CapturedMessages messages;
        QVERIFY(!SaveSettings(QStringLiteral("Printer001")));
        QCOMPARE(messages.all().size(), 1);
        QCOMPARE(messages.all().at(0).title, QStringLiteral("ERROR!"));
        QVERIFY(messages.all().at(0).text.startsWith(QDir::toNativeSeparators(DataFolder)));
        QCOMPARE(folder.read(QStringLiteral("plain")), QByteArray("x"));
    }
};

QTEST_GUILESS_MAIN(TestSettingsFile)
#include "tst_settingsfile.moc"
