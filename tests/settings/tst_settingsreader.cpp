// Reading the settings file: which lines and values are taken, which are
// ignored, and the rules applied once the whole file has been read.

#include "settings/settingsfile.h"
#include "startupfiles.h"

#include <QRandomGenerator>
#include <QtTest>

using namespace Common;
using TestSupport::Describe;
using TestSupport::Field;

namespace {

const QByteArray Header = "Zentab    05.Dec.26  11:01\r\n";

// The record after reading a file made of the header and the given lines.
AppSettingsRecord Read(const QByteArray& lines, LoadStatus expected = LoadStatus::Done)
{
    AppSettingsRecord s;
    const LoadResult result = ParseSettings(Header + lines, s);
    if (result.status != expected)
        qWarning("unexpected load status %d", int(result.status));
    return s;
}

} // namespace

class TestSettingsReader : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void headerOnlyKeepsDefaults();
    void header_data();
    void header();
    void emptyFileIsAReadFailure();
    void lineEnds_data();
    void lineEnds();
    void caseOfKeysAndValues();
    void equalsPosition_data();
    void equalsPosition();
    void values_data();
    void values();
    void laterLineOverwritesOnlyWhenAccepted();
    void comPortAboveFifteenOverrulesInterface();
    void lanIp_data();
    void lanIp();
    void lanIpPartsKeepEarlierOctets();
    void numberPartMustReachTheEnd_data();
    void numberPartMustReachTheEnd();
    void randomFilesKeepEveryFieldValid();
};

void TestSettingsReader::headerOnlyKeepsDefaults()
{
    for (const QByteArray& file : {QByteArray("Zentab"), QByteArray("Zentab\r\n"), Header}) {
        AppSettingsRecord s;
        QCOMPARE(ParseSettings(file, s).status, LoadStatus::Done);
        QCOMPARE(Describe(s), Describe(AppSettingsRecord{}));
    }
}

void TestSettingsReader::header_data()
{
    QTest::addColumn<QByteArray>("firstLine");
    QTest::addColumn<bool>("accepted");
    QTest::newRow("word alone") << QByteArray("Zentab") << true;
    QTest::newRow("word and date") << QByteArray("Zentab    01.Jan.07  00:00") << true;
    QTest::newRow("word and anything") << QByteArray("Zentabulous") << true;
    QTest::newRow("lower case") << QByteArray("zentab    05.Dec.26  11:01") << false;
    QTest::newRow("upper case") << QByteArray("ZENTAB") << false;
    QTest::newRow("leading space") << QByteArray(" Zentab") << false;
    QTest::newRow("truncated") << QByteArray("Zenta") << false;
    QTest::newRow("empty line") << QByteArray("") << false;
    QTest::newRow("a settings line") << QByteArray("COMPort =  3") << false;
}

void TestSettingsReader::header()
{
    QFETCH(QByteArray, firstLine);
    QFETCH(bool, accepted);
    AppSettingsRecord s;
    const LoadResult result = ParseSettings(firstLine + "\r\nCOMPort =  3\r\n", s);
    QCOMPARE(result.status, accepted ? LoadStatus::Done : LoadStatus::WrongHeader);
    // A wrong header stops reading before any line is taken.
    QCOMPARE(s.COMPort, accepted ? 3 : 1);
}

void TestSettingsReader::emptyFileIsAReadFailure()
{
    AppSettingsRecord s;
    const LoadResult result = ParseSettings(QByteArray(), s);
    QCOMPARE(result.status, LoadStatus::Failed);
    QVERIFY(!result.description.isEmpty());
    QCOMPARE(Describe(s), Describe(AppSettingsRecord{}));
}

void TestSettingsReader::lineEnds_data()
{
    QTest::addColumn<QByteArray>("file");
    QTest::newRow("CR LF") << QByteArray("Zentab\r\nCOMPort = 3\r\nUSBPort = 4\r\n");
    QTest::newRow("LF") << QByteArray("Zentab\nCOMPort = 3\nUSBPort = 4\n");
    QTest::newRow("CR") << QByteArray("Zentab\rCOMPort = 3\rUSBPort = 4\r");
    QTest::newRow("no final line end") << QByteArray("Zentab\r\nCOMPort = 3\r\nUSBPort = 4");
    QTest::newRow("blank lines between")
        << QByteArray("Zentab\r\n\r\nCOMPort = 3\r\n\n\rUSBPort = 4");
}

void TestSettingsReader::lineEnds()
{
    QFETCH(QByteArray, file);
    AppSettingsRecord s;
    QCOMPARE(ParseSettings(file, s).status, LoadStatus::Done);
    QCOMPARE(s.COMPort, 3);
    QCOMPARE(s.USBPort, 4);
}

void TestSettingsReader::caseOfKeysAndValues()
{
    const AppSettingsRecord s = Read("comport = 3\r\n"
                                     "INTERFACE = parallel\r\n"
                                     "CoMpArItY = eVeN\r\n"
                                     "comflow = xonxoff\r\n"
                                     "portopen = true\r\n"
                                     "AUTOINC = false\r\n"
                                     "modelname = zx-P700b\r\n"
                                     "serialno = PrInTeR042\r\n");
    QCOMPARE(s.COMPort, 3);
    QCOMPARE(s.Interface, Parallel);
    QCOMPARE(s.COMParity, 2);
    QCOMPARE(s.COMFlow, 1);
    QVERIFY(s.PortOpen);
    QVERIFY(!s.AutoInc);
    // Texts keep the case they were written in.
    QCOMPARE(s.ModelName, QStringLiteral("zx-P700b"));
    QCOMPARE(s.SerialNo, QStringLiteral("PrInTeR042"));
}

void TestSettingsReader::equalsPosition_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("taken");
    QTest::newRow("= at 11") << QByteArray("SNoNumLen = 4") << true;
    QTest::newRow("= at 12, key padded") << QByteArray("SNoNumLen  = 4") << false;
    QTest::newRow("= at 12, leading space") << QByteArray(" SNoNumLen = 4") << false;
    QTest::newRow("= at 10, no spaces") << QByteArray("SNoNumLen=4") << true;
    QTest::newRow("spaces inside are not removed") << QByteArray("SNo NumLen=4") << false;
    QTest::newRow("no =") << QByteArray("SNoNumLen 4") << false;
    QTest::newRow("empty key") << QByteArray("= 4") << false;
    QTest::newRow("second = is part of the value") << QByteArray("SNoNumLen = =4") << false;
}

void TestSettingsReader::equalsPosition()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, taken);
    // Column 7 with four digits reaches the end of the code, so the final
    // rule leaves a taken value alone.
    const AppSettingsRecord s = Read("SNoNumCol = 7\r\n" + line + "\r\n");
    QCOMPARE(s.SNoNumLen, taken ? 4 : 3);
}

void TestSettingsReader::values_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("expected"); // as Describe() shows it

    const QString def = QStringLiteral("default");
    auto row = [](const char* name, const char* line, const char* field, const QString& value) {
        QTest::newRow(name) << QByteArray(line) << QString::fromLatin1(field) << value;
    };
    row("Interface SERIAL", "Interface = USB\r\nInterface = SERIAL", "Interface", "0");
    row("Interface COM", "Interface = USB\r\nInterface = com", "Interface", "0");
    row("Interface LPT", "Interface = LPT", "Interface", "1");
    row("Interface USB", "Interface = USB", "Interface", "2");
    row("Interface VCOM", "Interface = VCOM", "Interface", "5");
    row("Interface VirtualCOM", "Interface = VirtualCOM", "Interface", "5");
    row("Interface LAN is not taken", "Interface = USB\r\nInterface = LAN", "Interface", "2");
    row("Interface number", "Interface = 2", "Interface", def);
    row("COMPort 99", "COMPort = 99", "COMPort", "99");
    row("COMPort 100", "COMPort = 100", "COMPort", def);
    row("COMPort 0", "COMPort = 0", "COMPort", def);
    row("COMPort -1", "COMPort = -1", "COMPort", def);
    row("COMPort 03", "COMPort = 03", "COMPort", "3");
    row("COMPort 7x", "COMPort = 7x", "COMPort", "7");
    row("COMPort text", "COMPort = ab", "COMPort", def);
    row("COMPort empty", "COMPort =", "COMPort", def);
    row("COMBaud 1152", "COMBaud = 1152", "COMBaud", "1152");
    row("COMBaud 48", "COMBaud = 48", "COMBaud", "48");
    row("COMBaud 19200", "COMBaud = 19200", "COMBaud", def);
    row("COMBaud 096", "COMBaud = 096", "COMBaud", def);
    row("COMBaud 100", "COMBaud = 100", "COMBaud", def);
    row("COMBits 7", "COMBits = 7", "COMBits", "7");
    row("COMBits 6", "COMBits = 6", "COMBits", def);
    row("COMBits 07", "COMBits = 07", "COMBits", def);
    row("COMParity NONE", "COMParity = Odd\r\nCOMParity = NONE", "COMParity", "0");
    row("COMParity 0", "COMParity = Odd\r\nCOMParity = 0", "COMParity", "0");
    row("COMParity 1", "COMParity = 1", "COMParity", "1");
    row("COMParity ODD", "COMParity = ODD", "COMParity", "1");
    row("COMParity 2", "COMParity = 2", "COMParity", "2");
    row("COMParity 3", "COMParity = 3", "COMParity", def);
    row("COMParity MARK", "COMParity = Mark", "COMParity", def);
    row("COMStop 2", "COMStop = 2", "COMStop", "2");
    row("COMStop 1.5", "COMStop = 1.5", "COMStop", def);
    row("COMFlow 1", "COMFlow = 1", "COMFlow", "1");
    row("COMFlow DTRDSR", "COMFlow = 1\r\nCOMFlow = DtrDsr", "COMFlow", "0");
    row("COMFlow 2", "COMFlow = 2", "COMFlow", def);
    row("LPTPort 4", "LPTPort = 4", "LPTPort", def);
    row("USBPort 15", "USBPort = 15", "USBPort", "15");
    row("USBPort 16", "USBPort = 16", "USBPort", def);
    row("USBPort 015", "USBPort = 015", "USBPort", def);
    row("LANPort 9999", "LANPort = 9999", "LANPort", "9999");
    row("LANPort 10000", "LANPort = 10000", "LANPort", def);
    row("LANPort 0", "LANPort = 0", "LANPort", def);
    row("LANPort 80", "LANPort = 80", "LANPort", "80");
    row("PortOpen TRUE", "PortOpen = TRUE", "PortOpen", "true");
    row("PortOpen other word", "PortOpen = TRUE\r\nPortOpen = yes", "PortOpen", "false");
    row("SerialNo 10", "SerialNo = ABCdef1234", "SerialNo", "ABCdef1234");
    row("SerialNo inner spaces", "SerialNo = AB  ef  34", "SerialNo", "AB  ef  34");
    row("SerialNo 3", "SerialNo = Abc", "SerialNo", def);
    row("SerialNo 11", "SerialNo = ABCdef12345", "SerialNo", def);
    row("ModelName 3", "ModelName = ab1", "ModelName", "ab1");
    row("ModelName 15", "ModelName = 123456789012345", "ModelName", "123456789012345");
    row("ModelName 2", "ModelName = ab", "ModelName", def);
    row("ModelName 16", "ModelName = 1234567890123456", "ModelName", def);
    row("AutoInc FALSE", "AutoInc = FALSE", "AutoInc", "false");
    row("AutoInc TRUE", "AutoInc = FALSE\r\nAutoInc = True", "AutoInc", "true");
    row("AutoInc 0", "AutoInc = 0", "AutoInc", def);
    row("StartNum 25", "StartNum =  25", "StartNum", "25");
    row("StartNum 999999", "StartNum = 999999", "StartNum", "999999");
    row("StartNum 0", "StartNum = 0", "StartNum", "0");
    row("StartNum 1000000", "StartNum = 1000000", "StartNum", def);
    row("StartNum -5", "StartNum = -5", "StartNum", def);
    row("StartNum not a number counts as 0", "StartNum = abc", "StartNum", "0");
    row("StartNum empty", "StartNum =", "StartNum", def);
    row("StartNum leading number", "StartNum = 12abc", "StartNum", "12");
    row("StartNum rounded", "StartNum = 41.7", "StartNum", "42");
    row("SNoNumCol 9", "SNoNumCol = 9", "SNoNumCol", "9");
    row("SNoNumCol 11", "SNoNumCol = 11", "SNoNumCol", def);
    row("SNoNumCol 0", "SNoNumCol = 0", "SNoNumCol", def);
    row("SNoNumLen 6", "SNoNumLen = 6", "SNoNumLen", "6");
    row("SNoNumLen 7", "SNoNumLen = 7", "SNoNumLen", def);
    row("unknown key", "SNoLength = 5", "SNoLength", def);
    row("key never read", "SNoAlign = 1", "SNoAlign", def);
}

void TestSettingsReader::values()
{
    QFETCH(QByteArray, line);
    QFETCH(QString, field);
    QFETCH(QString, expected);
    const QString want =
        expected == QLatin1String("default") ? Field(AppSettingsRecord{}, field) : expected;
    QVERIFY(!want.isNull());
    QCOMPARE(Field(Read(line + "\r\n"), field), want);
}

void TestSettingsReader::laterLineOverwritesOnlyWhenAccepted()
{
    const AppSettingsRecord s = Read("COMPort = 3\r\nCOMPort = 7\r\nCOMPort = 0\r\n"
                                     "LPTPort = 2\r\nLPTPort = 9\r\n");
    QCOMPARE(s.COMPort, 7);
    QCOMPARE(s.LPTPort, 2);
    QCOMPARE(s.LPTAddress, 0x278);
}

void TestSettingsReader::comPortAboveFifteenOverrulesInterface()
{
    AppSettingsRecord s = Read("comport =  20\r\nInterface = USB\r\n");
    QCOMPARE(s.COMPort, 20);
    QCOMPARE(s.Interface, VirtualCom);

    s = Read("COMPort = 15\r\nInterface = USB\r\n");
    QCOMPARE(s.Interface, USB);
    s = Read("COMPort = 16\r\n");
    QCOMPARE(s.Interface, VirtualCom);
    // A rejected port number does not count.
    s = Read("COMPort = 100\r\nInterface = LPT\r\n");
    QCOMPARE(s.Interface, Parallel);
}

void TestSettingsReader::lanIp_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<QString>("octets");
    QTest::addColumn<QString>("text");
    QTest::newRow("plain") << QByteArray("10.0.0.5") << "10,0,0,5"
                           << "10.0.0.5";
    QTest::newRow("first part too long") << QByteArray("1000.1.1.1") << "192,168,1,1"
                                         << "192.168.1.1";
    QTest::newRow("two parts") << QByteArray("10.0") << "192,168,1,1"
                               << "192.168.1.1";
    QTest::newRow("first octet above 255") << QByteArray("300.1.2.3") << "192,1,2,3"
                                           << "192.1.2.3";
    QTest::newRow("fourth octet above 255") << QByteArray("10.1.2.300") << "10,1,2,1"
                                            << "10.1.2.1";
    QTest::newRow("all 255") << QByteArray("255.255.255.255") << "255,255,255,255"
                             << "255.255.255.255";
    QTest::newRow("256 in each place") << QByteArray("256.256.256.256") << "192,168,1,1"
                                       << "192.168.1.1";
    QTest::newRow("256 last") << QByteArray("1.2.3.256") << "1,2,3,1"
                              << "1.2.3.1";
    QTest::newRow("negative part") << QByteArray("-1.2.3.4") << "192,2,3,4"
                                   << "192.2.3.4";
    QTest::newRow("leading zeros") << QByteArray("010.001.002.003") << "10,1,2,3"
                                   << "10.1.2.3";
    QTest::newRow("spaces around dots") << QByteArray("10 . 20 . 30 . 40") << "10,20,30,40"
                                        << "10.20.30.40";
    QTest::newRow("empty fourth part") << QByteArray("1.2.3.") << "1,2,3,0"
                                       << "1.2.3.0";
    QTest::newRow("empty first part") << QByteArray(".1.2.3") << "192,168,1,1"
                                      << "192.168.1.1";
    QTest::newRow("empty value") << QByteArray("") << "192,168,1,1"
                                 << "192.168.1.1";
    QTest::newRow("host name") << QByteArray("printer.local") << "192,168,1,1"
                               << "192.168.1.1";
    QTest::newRow("letters") << QByteArray("a.b.c.d") << "0,0,0,0"
                             << "0.0.0.0";
    QTest::newRow("huge fourth part") << QByteArray("1.2.3.99999999999999999999") << "1,2,3,1"
                                      << "1.2.3.1";
}

void TestSettingsReader::lanIp()
{
    QFETCH(QByteArray, value);
    QFETCH(QString, octets);
    QFETCH(QString, text);
    const AppSettingsRecord s = Read("LANIP = " + value + "\r\n");
    QCOMPARE(Field(s, QStringLiteral("LANIPOctets")), octets);
    QCOMPARE(s.LANIP, text);
}

void TestSettingsReader::lanIpPartsKeepEarlierOctets()
{
    AppSettingsRecord s = Read("LANIP = 10.20.30.40\r\nLANIP = 300.1.2.3\r\n");
    QCOMPARE(s.LANIP, QStringLiteral("10.1.2.3"));
    // A malformed value restores the default, not the earlier line's address.
    s = Read("LANIP = 10.20.30.40\r\nLANIP = 10.20\r\n");
    QCOMPARE(s.LANIP, QStringLiteral("192.168.1.1"));
    QCOMPARE(s.LANIPOctets, (std::array<std::uint8_t, 4>{192, 168, 1, 1}));
}

void TestSettingsReader::numberPartMustReachTheEnd_data()
{
    QTest::addColumn<QByteArray>("lines");
    QTest::addColumn<int>("col");
    QTest::addColumn<int>("len");
    QTest::newRow("3 + 3 is short of the end")
        << QByteArray("SNoNumCol = 3\r\nSNoNumLen = 3") << 1 << 0;
    QTest::newRow("7 + 2 is short of the end")
        << QByteArray("SNoNumCol = 7\r\nSNoNumLen = 2") << 1 << 0;
    QTest::newRow("9 + 1 reaches the end")
        << QByteArray("SNoNumCol = 9\r\nSNoNumLen = 1") << 9 << 1;
    QTest::newRow("10 + 6 passes the end")
        << QByteArray("SNoNumCol = 10\r\nSNoNumLen = 6") << 10 << 6;
    QTest::newRow("length 0 alone") << QByteArray("SNoNumLen = 0") << 1 << 0;
    QTest::newRow("column only, 5 + 3") << QByteArray("SNoNumCol = 5") << 1 << 0;
}

void TestSettingsReader::numberPartMustReachTheEnd()
{
    QFETCH(QByteArray, lines);
    QFETCH(int, col);
    QFETCH(int, len);
    const AppSettingsRecord s = Read(lines + "\r\n");
    QCOMPARE(s.SNoNumCol, col);
    QCOMPARE(s.SNoNumLen, len);
}

// Files of random lines, built from the keys and words the reader knows and
// from arbitrary bytes, must leave every field within the values it may take.
void TestSettingsReader::randomFilesKeepEveryFieldValid()
{
    const QList<QByteArray> keys = {"Interface", "COMPort",  "COMBaud",  "COMBits",   "COMParity",
                                    "COMStop",   "COMFlow",  "LPTPort",  "USBPort",   "LANIP",
                                    "LANPort",   "PortOpen", "SerialNo", "SNoNumCol", "SNoNumLen",
                                    "ModelName", "AutoInc",  "StartNum", "SNoLength", "x"};
    const QList<QByteArray> words = {
        "0",   "1",       "2",    "3",       "16",        "99",         "255", "300",
        "-1",  "1152",    "TRUE", "false",   "USB",       "LAN",        "lpt", "vcom",
        "odd", "XonXoff", "10.0", "1.2.3.4", "9.9.9.999", "1234567890", "",    "1e3"};
    QRandomGenerator rng(20260105);
    const AppSettingsRecord defaults;
    for (int round = 0; round < 3000; ++round) {
        QByteArray file = "Zentab\r\n";
        const int lines = rng.bounded(12);
        for (int i = 0; i < lines; ++i) {
            if (rng.bounded(5) == 0) {
                QByteArray noise(rng.bounded(30), '\0');
                for (char& c : noise)
                    c = char(rng.bounded(256));
                file += noise;
            } else {
                file += keys.at(rng.bounded(keys.size())) + QByteArray(rng.bounded(3), ' ') + "=" +
                        QByteArray(rng.bounded(3), ' ') + words.at(rng.bounded(words.size()));
            }
            file += "\r\n";
        }
        AppSettingsRecord s;
        QCOMPARE(ParseSettings(file, s).status, LoadStatus::Done);
        const QByteArray context = "file: " + file.toPercentEncoding(" =.-");
        auto check = [&context](bool ok) {
            if (!ok)
                qWarning("%s", context.constData());
            return ok;
        };
        QVERIFY(check(s.Interface == Serial || s.Interface == Parallel || s.Interface == USB ||
                      s.Interface == VirtualCom));
        QVERIFY(check(s.COMPort >= 1 && s.COMPort <= 99));
        QVERIFY(check(s.COMPort <= 15 || s.Interface == VirtualCom));
        QVERIFY(check(QList<int>({48, 96, 192, 384, 576, 1152}).contains(s.COMBaud)));
        QVERIFY(check(s.COMBits == 7 || s.COMBits == 8));
        QVERIFY(check(s.COMParity <= 2 && (s.COMStop == 1 || s.COMStop == 2) && s.COMFlow <= 1));
        QVERIFY(
            check(s.LPTPort >= 1 && s.LPTPort <= 3 && s.LPTAddress == LptBaseAddress(s.LPTPort)));
        QVERIFY(check(s.USBPort >= 1 && s.USBPort <= 15));
        QVERIFY(check(s.LANPort >= 1 && s.LANPort <= 9999));
        QVERIFY(check(s.LANIP == QStringLiteral("%1.%2.%3.%4")
                                     .arg(s.LANIPOctets[0])
                                     .arg(s.LANIPOctets[1])
                                     .arg(s.LANIPOctets[2])
                                     .arg(s.LANIPOctets[3])));
        QVERIFY(check(s.SerialNo.size() == 10));
        QVERIFY(
            check(s.ModelName.isEmpty() || (s.ModelName.size() >= 3 && s.ModelName.size() <= 15)));
        QVERIFY(check(s.SNoNumCol >= 1 && s.SNoNumCol <= 10 && s.SNoNumLen <= 6));
        QVERIFY(check(s.SNoNumCol + s.SNoNumLen >= s.SNoLength ||
                      (s.SNoNumCol == 1 && s.SNoNumLen == 0)));
        QVERIFY(check(s.StartNum >= 0 && s.StartNum <= 999999));
        // Fields the file never carries.
        QVERIFY(check(s.SNoLength == defaults.SNoLength && s.SNoAlign == defaults.SNoAlign &&
                      s.SNoSpcChar == defaults.SNoSpcChar && s.WinDevice.isEmpty() &&
                      s.ActiveInterface == defaults.ActiveInterface && !s.TwoWayLink));
    }
}

QTEST_GUILESS_MAIN(TestSettingsReader)
#include "tst_settingsreader.moc"
