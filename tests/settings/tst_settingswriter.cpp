// Writing the settings file: the exact bytes, and what comes back when the
// written file is read again.

#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QtTest>
#include <functional>

using namespace Common;
using TestSupport::Describe;

namespace {

const QDateTime WrittenAt(QDate(2026, 12, 5), QTime(11, 1));
const QByteArray Header = "Zentab    05.Dec.26  11:01\r\n";

// One setting changed from its default: the line(s) it adds to the file and
// the record that reading the file gives back.
struct Change {
    const char* name;
    std::function<void(AppSettingsRecord&)> set;
    QByteArray lines;
    // How the read-back record differs from the written one; empty when the
    // setting comes back as written.
    std::function<void(AppSettingsRecord&)> readBack;
};

const std::vector<Change>& Changes()
{
    static const std::vector<Change> changes = {
        {"Interface Parallel",
         [](auto& s) { s.Interface = Parallel; },
         "Interface = Parallel\r\n",
         {}},
        {"Interface USB", [](auto& s) { s.Interface = USB; }, "Interface = USB\r\n", {}},
        {"Interface LAN comes back as Serial", [](auto& s) { s.Interface = LAN; },
         "Interface = LAN\r\n", [](auto& s) { s.Interface = Serial; }},
        {"Windows driver is stored as Serial", [](auto& s) { s.Interface = WindowsDriver; },
         "Interface = Serial\r\n", [](auto& s) { s.Interface = Serial; }},
        {"Interface VirtualCOM",
         [](auto& s) { s.Interface = VirtualCom; },
         "Interface = VirtualCOM\r\n",
         {}},
        {"COMPort", [](auto& s) { s.COMPort = 3; }, "COMPort =  3\r\n", {}},
        {"COMPort virtual", [](auto& s) { s.COMPort = 20; }, "COMPort =  20\r\n",
         [](auto& s) { s.Interface = VirtualCom; }},
        {"COMBaud", [](auto& s) { s.COMBaud = 1152; }, "COMBaud =  1152\r\n", {}},
        {"COMBits", [](auto& s) { s.COMBits = 7; }, "COMBits =  7\r\n", {}},
        {"COMParity Odd", [](auto& s) { s.COMParity = 1; }, "COMParity = Odd\r\n", {}},
        {"COMParity Even", [](auto& s) { s.COMParity = 2; }, "COMParity = Even\r\n", {}},
        {"COMStop", [](auto& s) { s.COMStop = 2; }, "COMStop =  2\r\n", {}},
        {"COMFlow", [](auto& s) { s.COMFlow = 1; }, "COMFlow = XonXoff\r\n", {}},
        {"LPTPort", [](auto& s) { s.LPTPort = 3, s.LPTAddress = 0x3BC; }, "LPTPort =  3\r\n", {}},
        {"USBPort", [](auto& s) { s.USBPort = 15; }, "USBPort =  15\r\n", {}},
        {"LANIP",
         [](auto& s) {
             s.LANIP = QStringLiteral("10.0.0.5");
             s.LANIPOctets = {10, 0, 0, 5};
         },
         "LANIP = 10.0.0.5\r\n",
         {}},
        {"LANPort", [](auto& s) { s.LANPort = 80; }, "LANPort =  80\r\n", {}},
        {"PortOpen", [](auto& s) { s.PortOpen = true; }, "PortOpen = TRUE\r\n", {}},
        {"AutoInc", [](auto& s) { s.AutoInc = false; }, "AutoInc = FALSE\r\n", {}},
        {"SNoNumCol alone writes both",
         [](auto& s) { s.SNoNumCol = 9; },
         "SNoNumCol =  9\r\nSNoNumLen =  3\r\n",
         {}},
        {"SNoNumLen alone writes both",
         [](auto& s) { s.SNoNumLen = 2; },
         "SNoNumCol =  8\r\nSNoNumLen =  2\r\n",
         {}},
        {"number part short of the end is dropped on reading",
         [](auto& s) { s.SNoNumCol = 3, s.SNoNumLen = 3; }, "SNoNumCol =  3\r\nSNoNumLen =  3\r\n",
         [](auto& s) { s.SNoNumCol = 1, s.SNoNumLen = 0; }},
        {"StartNum", [](auto& s) { s.StartNum = 25; }, "StartNum =  25\r\n", {}},
        {"StartNum 0", [](auto& s) { s.StartNum = 0; }, "StartNum =  0\r\n", {}},
        {"never written: SNoLength, SNoAlign, SNoSpcChar, WinDevice",
         [](auto& s) {
             s.SNoAlign = 1;
             s.SNoSpcChar = '*';
             s.WinDevice = QStringLiteral("Office");
             s.WinPort = QStringLiteral("usb://x");
         },
         "",
         [](auto& s) {
             const AppSettingsRecord d;
             s.SNoAlign = d.SNoAlign;
             s.SNoSpcChar = d.SNoSpcChar;
             s.WinDevice.clear();
             s.WinPort.clear();
         }},
    };
    return changes;
}

// The record as it stands right after a first start with model ZX-P700.
AppSettingsRecord FirstStart()
{
    AppSettingsRecord s;
    s.ModelName = QStringLiteral("ZX-P700");
    return s;
}

} // namespace

class TestSettingsWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstStartFile();
    void headerTime_data();
    void headerTime();
    void headerTimeIgnoresLocale();
    void eachConditionalLine_data();
    void eachConditionalLine();
    void allLinesInOrder();
    void codeComesFromTheCodeBox_data();
    void codeComesFromTheCodeBox();
    void emptyModelName();
};

void TestSettingsWriter::firstStartFile()
{
    QCOMPARE(FormatSettings(FirstStart(), QStringLiteral("Printer001"), WrittenAt),
             QByteArray("Zentab    05.Dec.26  11:01\r\n"
                        "ModelName = ZX-P700\r\n"
                        "SerialNo = Printer001\r\n"));
}

void TestSettingsWriter::headerTime_data()
{
    QTest::addColumn<QDateTime>("when");
    QTest::addColumn<QString>("text");
    QTest::newRow("example") << WrittenAt << "05.Dec.26  11:01";
    QTest::newRow("midnight") << QDateTime(QDate(2007, 1, 9), QTime(0, 0)) << "09.Jan.07  00:00";
    QTest::newRow("last minute") << QDateTime(QDate(2010, 5, 31), QTime(23, 59, 59))
                                 << "31.May.10  23:59";
    QTest::newRow("year 2000") << QDateTime(QDate(2000, 3, 1), QTime(7, 5)) << "01.Mar.00  07:05";
}

void TestSettingsWriter::headerTime()
{
    QFETCH(QDateTime, when);
    QFETCH(QString, text);
    QCOMPARE(SettingsHeaderTime(when), text);
    QVERIFY(FormatSettings(AppSettingsRecord{}, QString(), when)
                .startsWith("Zentab    " + text.toLatin1() + "\r\n"));
}

void TestSettingsWriter::headerTimeIgnoresLocale()
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString march = SettingsHeaderTime(QDateTime(QDate(2026, 3, 2), QTime(8, 0)));
    const QString october = SettingsHeaderTime(QDateTime(QDate(2026, 10, 2), QTime(8, 0)));
    QLocale::setDefault(previous);
    QCOMPARE(march, QStringLiteral("02.Mar.26  08:00"));
    QCOMPARE(october, QStringLiteral("02.Oct.26  08:00"));
}

void TestSettingsWriter::eachConditionalLine_data()
{
    QTest::addColumn<int>("index");
    for (size_t i = 0; i < Changes().size(); ++i)
        QTest::newRow(Changes()[i].name) << int(i);
}

void TestSettingsWriter::eachConditionalLine()
{
    QFETCH(int, index);
    const Change& change = Changes()[size_t(index)];
    AppSettingsRecord written = FirstStart();
    change.set(written);
    const QByteArray file = FormatSettings(written, QStringLiteral("Printer001"), WrittenAt);

    // The lines of a change stand between the model name and the code, except
    // for the identification-code settings, which follow the code.
    QByteArray expected = Header + "ModelName = ZX-P700\r\n";
    const bool codeSetting = change.lines.startsWith("AutoInc") ||
                             change.lines.startsWith("SNoNum") ||
                             change.lines.startsWith("StartNum");
    expected += codeSetting ? "SerialNo = Printer001\r\n" + change.lines
                            : change.lines + "SerialNo = Printer001\r\n";
    QCOMPARE(file, expected);

    AppSettingsRecord read;
    QCOMPARE(ParseSettings(file, read).status, LoadStatus::Done);
    AppSettingsRecord want = written;
    want.SerialNo = QStringLiteral("Printer001");
    if (change.readBack)
        change.readBack(want);
    QCOMPARE(Describe(read), Describe(want));
}

void TestSettingsWriter::allLinesInOrder()
{
    AppSettingsRecord s = FirstStart();
    s.Interface = USB;
    s.COMPort = 4;
    s.COMBaud = 96;
    s.COMBits = 7;
    s.COMParity = 2;
    s.COMStop = 2;
    s.COMFlow = 1;
    s.LPTPort = 2;
    s.USBPort = 3;
    s.LANIP = QStringLiteral("172.16.0.9");
    s.LANPort = 9101;
    s.PortOpen = true;
    s.AutoInc = false;
    s.SNoNumCol = 6;
    s.SNoNumLen = 5;
    s.StartNum = 123;
    QCOMPARE(FormatSettings(s, QStringLiteral("AB12300000"), WrittenAt),
             Header + "ModelName = ZX-P700\r\n"
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
}

void TestSettingsWriter::codeComesFromTheCodeBox_data()
{
    QTest::addColumn<QString>("codeBox");
    QTest::addColumn<QByteArray>("line");
    QTest::newRow("ten characters") << "Counter077" << QByteArray("SerialNo = Counter077\r\n");
    QTest::newRow("nine characters") << "Counter07" << QByteArray();
    QTest::newRow("error text") << "Prg ERROR!" << QByteArray("SerialNo = Prg ERROR!\r\n");
    QTest::newRow("empty") << "" << QByteArray();
    QTest::newRow("Latin-1 letter")
        << QString::fromUtf8("Zähler0001") << QByteArray("SerialNo = Z\xe4hler0001\r\n");
}

void TestSettingsWriter::codeComesFromTheCodeBox()
{
    QFETCH(QString, codeBox);
    QFETCH(QByteArray, line);
    AppSettingsRecord s = FirstStart();
    s.SerialNo = QStringLiteral("Printer555"); // not what is written
    QCOMPARE(FormatSettings(s, codeBox, WrittenAt), Header + "ModelName = ZX-P700\r\n" + line);
    AppSettingsRecord read;
    ParseSettings(FormatSettings(s, codeBox, WrittenAt), read);
    QCOMPARE(read.SerialNo, line.isEmpty() ? AppSettingsRecord{}.SerialNo : codeBox);
}

void TestSettingsWriter::emptyModelName()
{
    QCOMPARE(FormatSettings(AppSettingsRecord{}, QString(), WrittenAt),
             Header + "ModelName = \r\n");
}

QTEST_GUILESS_MAIN(TestSettingsWriter)
#include "tst_settingswriter.moc"
