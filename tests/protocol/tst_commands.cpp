// The identification transmissions and the reading of the printer's reply
// blocks, byte for byte.
#include "link/hexcommand.h"
#include "protocol/commands.h"

#include <QtTest>

using namespace Common;

class TestCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void serialNoTransmissionIsThirtyThreeBytes();
    void modelNameFieldIsPaddedOrCut_data();
    void modelNameFieldIsPaddedOrCut();
    void replies_data();
    void replies();
};

void TestCommands::serialNoTransmissionIsThirtyThreeBytes()
{
    const QByteArray bytes = HexToBytes(SerialNoTransmission(QStringLiteral("Printer001")));
    const QByteArray expected = QByteArray::fromHex("1D2845030001494E"
                                                    "1D28450B00F0"
                                                    "5072696E746572303031"
                                                    "1D28450400024F5554");
    QCOMPARE(bytes.size(), 33);
    QCOMPARE(bytes, expected);
}

void TestCommands::modelNameFieldIsPaddedOrCut_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("field");
    QTest::newRow("five letters") << QStringLiteral("ABCDE")
                                  << QByteArray("ABCDE") + QByteArray(45, '\0');
    QTest::newRow("empty") << QString() << QByteArray(50, '\0');
    QTest::newRow("longer than fifty") << QString(60, QLatin1Char('N')) << QByteArray(50, 'N');
    QTest::newRow("tab keeps two digits")
        << QStringLiteral("A\tB") << QByteArray("A\tB") + QByteArray(47, '\0');
}

void TestCommands::modelNameFieldIsPaddedOrCut()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, field);
    const QByteArray bytes = HexToBytes(ModelNameTransmission(name));
    QCOMPARE(bytes.size(), 73);
    QCOMPARE(bytes.left(14), QByteArray::fromHex("1D2845030001494E1D28453300E8"));
    QCOMPARE(bytes.mid(14, 50), field);
    QCOMPARE(bytes.mid(64), QByteArray::fromHex("1D28450400024F5554"));
}

// The code's reply is 12 bytes, 5F, the code and 00; the model name's is 5F,
// the name and a 00 at the end, at least 6 bytes.
void TestCommands::replies_data()
{
    QTest::addColumn<bool>("name");
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    const auto row = [](const char* title, bool name, const char* hex, const char* shown) {
        QTest::newRow(title) << name << QByteArray::fromHex(hex) << (shown != nullptr)
                             << QString::fromLatin1(shown);
    };
    row("code, twelve bytes", false, "5F5072696E74657230303100", "Printer001");
    row("code, header and end not examined", false, "AA5072696E746572303031FF", "Printer001");
    row("code, unprintable bytes", false, "5F0041421F7F80FF7E200A00", "?AB????~ ?");
    row("code, eleven bytes", false, "5F5072696E746572303031", nullptr);
    row("code, thirteen bytes", false, "5F5072696E7465723030310000", nullptr);
    row("code, empty", false, "", nullptr);
    row("name ZX-P700", true, "5F5A582D5037303000", "ZX-P700");
    row("name, seven bytes", true, "5F414243444500", "ABCDE");
    row("name, six bytes", true, "5F4142434400", "ABCD");
    row("name, five bytes", true, "5F41424300", nullptr);
    row("name, six not ending in 00", true, "5F4142434445", nullptr);
}

void TestCommands::replies()
{
    QFETCH(bool, name);
    QFETCH(QByteArray, reply);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    const QString hex = BytesToHex(reply);
    const std::optional<QString> read = name ? ModelNameFromReply(hex) : SerialNoFromReply(hex);
    QCOMPARE(read.has_value(), accepted);
    if (accepted)
        QCOMPARE(*read, shown);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
