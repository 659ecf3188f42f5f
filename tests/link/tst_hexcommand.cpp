// Commands and replies as text of hexadecimal digit pairs.

#include "common/appsettings.h"
#include "link/hexcommand.h"

#include <QtTest>

using namespace Common;

class TestHexCommand : public QObject {
    Q_OBJECT

private Q_SLOTS:
    void textToHex_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("hex");
        QTest::newRow("code") << QStringLiteral("Printer000")
                              << QStringLiteral("5072696E746572303030");
        QTest::newRow("below 10h keeps two digits") << QStringLiteral("\tA") << "0941";
        QTest::newRow("empty") << QString() << QString();
        QTest::newRow("Latin-1") << QStringLiteral("\u00E9\u00FF") << "E9FF";
        QTest::newRow("outside Latin-1 as '?'") << QStringLiteral("a\u20ACb") << "613F62";
    }
    void textToHex()
    {
        QFETCH(QString, text);
        QFETCH(QString, hex);
        QCOMPARE(TextToHex(text), hex);
    }

    void hexToText_data()
    {
        QTest::addColumn<QString>("hex");
        QTest::addColumn<QString>("text");
        const auto row = [](const char* name, const char* hex, const char* text) {
            QTest::newRow(name) << QString::fromLatin1(hex) << QString::fromLatin1(text);
        };
        row("unprintable as '?'", "41420A", "AB?");
        row("delete", "7F", "?");
        row("tilde and space", "7E20", "~ ");
        row("one digit", "4", "");
        row("five digits", "41424", "AB");
        row("either letter case", "4a4B", "JK");
        row("empty", "", "");
        row("stops at a non-digit", "4Z", "?"); // reads 4
    }
    void hexToText()
    {
        QFETCH(QString, hex);
        QFETCH(QString, text);
        QCOMPARE(HexToText(hex), text);
    }

    void pairReading_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::newRow("lower case") << "1d" << 0x1D;
        QTest::newRow("non-digit second") << "4Z" << 4;
        QTest::newRow("non-digit first") << "Z4" << 0;
        QTest::newRow("largest") << "FF" << 0xFF;
        QTest::newRow("single digit at the end") << "7" << 7;
    }
    void pairReading()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QCOMPARE(int(ReadHexPair(text, 0)), value);
    }

    void bytesBothWays()
    {
        const QByteArray bytes = QByteArray::fromHex("1d4901000aff");
        QCOMPARE(BytesToHex(bytes), QStringLiteral("1D4901000AFF"));
        QCOMPARE(HexToBytes(QStringLiteral("1d4901000aFF")), bytes);
        QCOMPARE(HexToBytes(QStringLiteral("1D4")), QByteArray::fromHex("1d"));
        QCOMPARE(ByteToHex(0x0A), QStringLiteral("0A"));
    }

    void modelIdReply_data()
    {
        QTest::addColumn<int>("modelId");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("match") << 0x35 << "35" << true;
        QTest::newRow("other id") << 0x35 << "36" << false;
        QTest::newRow("three digits") << 0x35 << "035" << false;
        QTest::newRow("one digit") << 0x03 << "3" << false;
        QTest::newRow("empty") << 0x00 << "" << false;
        QTest::newRow("lower case") << 0x5F << "5f" << true;
        QTest::newRow("non-digits read as 0") << 0x00 << "ZZ" << true;
    }
    void modelIdReply()
    {
        QFETCH(int, modelId);
        QFETCH(QString, reply);
        QFETCH(bool, confirmed);
        QCOMPARE(IsModelIdReply(reply, std::uint8_t(modelId)), confirmed);
    }
};

QTEST_GUILESS_MAIN(TestHexCommand)
#include "tst_hexcommand.moc"
