// Commands and replies as text of hexadecimal digit pairs.

#include "link/hexcommand.h"

#include <QtTest>

using namespace Common;

class TestHexCommand : public QObject {
    Q_OBJECT

    enum Conversion { ToHex, FromHex, Pair, Bytes };

private Q_SLOTS:
    void conversion_data()
    {
        QTest::addColumn<int>("conversion");
        QTest::addColumn<QString>("in");
        QTest::addColumn<QString>("out");
        const auto row = [](const char* name, Conversion c, const QString& in, const char* out) {
            QTest::newRow(name) << int(c) << in << QString::fromLatin1(out);
        };
        row("below 10h and Latin-1", ToHex, QStringLiteral("\tA\u00E9\u00FF"), "0941E9FF");
        row("outside Latin-1 as '?'", ToHex, QStringLiteral("a\u20ACb"), "613F62");
        row("printable 20h..7Eh only", FromHex, QStringLiteral("1F207E7F0A"), "? ~??");
        row("trailing digit ignored", FromHex, QStringLiteral("4a4B4"), "JK");
        row("pair, lower case", Pair, QStringLiteral("1d"), "29");
        row("pair, largest", Pair, QStringLiteral("FF"), "255");
        row("pair, non-digit second", Pair, QStringLiteral("4Z"), "4");
        row("pair, non-digit first", Pair, QStringLiteral("Z4"), "0");
        row("pair, single digit at the end", Pair, QStringLiteral("7"), "7");
        row("bytes, trailing digit ignored", Bytes, QStringLiteral("1d4901000aFF4"),
            "1D4901000AFF");
    }
    void conversion()
    {
        QFETCH(int, conversion);
        QFETCH(QString, in);
        QString out;
        switch (conversion) {
        case ToHex:
            out = TextToHex(in);
            break;
        case FromHex:
            out = HexToText(in);
            break;
        case Pair:
            out = QString::number(ReadHexPair(in, 0));
            break;
        default:
            out = BytesToHex(HexToBytes(in));
        }
        QTEST(out, "out");
    }

    void modelIdReply_data()
    {
        QTest::addColumn<int>("modelId");
        QTest::addColumn<QString>("reply");
        QTest::addColumn<bool>("confirmed");
        QTest::newRow("match") << 0x35 << "35" << true;
        QTest::newRow("lower case") << 0x5F << "5f" << true;
        QTest::newRow("other id") << 0x35 << "36" << false;
        QTest::newRow("three digits") << 0x35 << "035" << false;
        QTest::newRow("one digit") << 0x03 << "3" << false;
    }
    void modelIdReply()
    {
        QFETCH(int, modelId);
        QFETCH(QString, reply);
        QTEST(IsModelIdReply(reply, std::uint8_t(modelId)), "confirmed");
    }
};

QTEST_GUILESS_MAIN(TestHexCommand)
#include "tst_hexcommand.moc"
