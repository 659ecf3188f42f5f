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
    void serialNoReply_data();
    void serialNoReply();
    void modelNameReply_data();
    void modelNameReply();
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

void TestCommands::serialNoReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("twelve bytes") << QByteArray::fromHex("5F5072696E74657230303100") << true
                                  << QStringLiteral("Printer001");
    QTest::newRow("header and end not examined")
        << QByteArray::fromHex("AA5072696E746572303031FF") << true << QStringLiteral("Printer001");
    QTest::newRow("unprintable bytes")
        << QByteArray::fromHex("5F0041421F7F80FF7E200A00") << true << QStringLiteral("?AB????~ ?");
    QTest::newRow("eleven bytes") << QByteArray::fromHex("5F5072696E746572303031") << false
                                  << QString();
    QTest::newRow("thirteen bytes")
        << QByteArray::fromHex("5F5072696E7465723030310000") << false << QString();
    QTest::newRow("empty") << QByteArray() << false << QString();
}

void TestCommands::serialNoReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    const auto code = SerialNoFromReply(BytesToHex(reply));
    QCOMPARE(code.has_value(), accepted);
    if (accepted)
        QCOMPARE(*code, shown);
}

void TestCommands::modelNameReply_data()
{
    QTest::addColumn<QByteArray>("reply");
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QString>("shown");
    QTest::newRow("ZX-P700") << QByteArray::fromHex("5F5A582D5037303000") << true
                             << QStringLiteral("ZX-P700");
    QTest::newRow("seven bytes") << QByteArray::fromHex("5F414243444500") << true
                                 << QStringLiteral("ABCDE");
    QTest::newRow("six bytes") << QByteArray::fromHex("5F4142434400") << true
                               << QStringLiteral("ABCD");
    QTest::newRow("five bytes") << QByteArray::fromHex("5F41424300") << false << QString();
    QTest::newRow("six not ending in 00")
        << QByteArray::fromHex("5F4142434445") << false << QString();
}

void TestCommands::modelNameReply()
{
    QFETCH(QByteArray, reply);
    QFETCH(bool, accepted);
    QFETCH(QString, shown);
    const auto name = ModelNameFromReply(BytesToHex(reply));
    QCOMPARE(name.has_value(), accepted);
    if (accepted)
        QCOMPARE(*name, shown);
}

QTEST_GUILESS_MAIN(TestCommands)
#include "tst_commands.moc"
