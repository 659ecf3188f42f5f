// The simulated printer's own behaviour: the replies, the framing of user
// setting commands by pL/pH, the user setting mode, the reset and the faults.

#include "escposframer.h"
#include "simprinter.h"

#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>

using Sim::SimPrinter;

namespace {

const QByteArray kGsI1("\x1D\x49\x01", 3);
const QByteArray kGsI44("\x1D\x49\x44", 3);
const QByteArray kGsI43("\x1D\x49\x43", 3);
const QByteArray kIn("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8);
const QByteArray kOut("\x1D\x28\x45\x04\x00\x02\x4F\x55\x54", 9);
const QByteArray kNotice("\x37\x20\x00", 3);

QByteArray StoreCode(const QByteArray& code)
{
    return QByteArray("\x1D\x28\x45\x0B\x00\xF0", 6) + code;
}

QByteArray StoreName(const QByteArray& name)
{
    QByteArray field = name.left(50);
    field.append(50 - field.size(), '\0');
    return QByteArray("\x1D\x28\x45\x33\x00\xE8", 6) + field;
}

// The 33-byte identification transmission as the tool sends it.
QByteArray CodeTransmission(const QByteArray& code)
{
    return kIn + StoreCode(code) + kOut;
}

} // namespace

class TstSimPrinter : public QObject {
    Q_OBJECT

    qint64 now_ = 0;
    std::unique_ptr<SimPrinter> printer_;

    // Feeds everything (the printer must take it all) and returns what it
    // transmits at once.
    QByteArray exchange(const QByteArray& bytes)
    {
        const qint64 taken = printer_->feed(bytes);
        if (taken != bytes.size())
            qWarning("printer took %lld of %lld bytes", taken, qint64(bytes.size()));
        return printer_->takeReply();
    }

private Q_SLOTS:
    void init()
    {
        now_ = 0;
        printer_ = std::make_unique<SimPrinter>();
        printer_->setClock([this] { return now_; });
        printer_->setModelId(0x51);
        printer_->setIdentificationCode("Printer001");
        printer_->setModelName("ZX-P700");
    }

    void queries_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("GS I 1") << kGsI1 << QByteArray("\x51");
        QTest::newRow("GS I 44h") << kGsI44 << QByteArray("\x5FPrinter001\x00", 12);
        QTest::newRow("GS I 43h") << kGsI43 << QByteArray("\x5FZX-P700\x00", 9);
        QTest::newRow("GS I 2 ignored") << QByteArray("\x1D\x49\x02") << QByteArray();
        QTest::newRow("two queries") << kGsI1 + kGsI1 << QByteArray("\x51\x51");
    }
    void queries()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QCOMPARE(exchange(command), reply);
    }

    void nameReplyStopsAtFirstNul_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QByteArray>("reply");
        QTest::newRow("empty") << QByteArray() << QByteArray("\x5F\x00", 2);
        QTest::newRow("nul inside") << QByteArray("AB\0CD", 5) << QByteArray("_AB\0", 4);
        QTest::newRow("cut at 50") << QByteArray(60, 'N') << '\x5F' + QByteArray(50, 'N') + '\0';
    }
    void nameReplyStopsAtFirstNul()
    {
        QFETCH(QByteArray, stored);
        QFETCH(QByteArray, reply);
        printer_->setModelName(stored);
        QCOMPARE(exchange(kGsI43), reply);
    }

    void codeTransmissionSplitAnywhere_data()
    {
        QTest::addColumn<int>("piece");
        for (int piece : {1, 7, 33})
            QTest::newRow(qPrintable(QStringLiteral("%1-byte feeds").arg(piece))) << piece;
    }
    void codeTransmissionSplitAnywhere()
    {
        QFETCH(int, piece);
        const QByteArray transmission = CodeTransmission("Printer042");
        QCOMPARE(transmission.size(), 33);
        QByteArray replies;
        for (int i = 0; i < transmission.size(); i += piece)
            replies += exchange(transmission.mid(i, piece));
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer042"));
        QCOMPARE(replies, kNotice);
        QVERIFY(!printer_->inUserSettingMode());
        QVERIFY(printer_->resetting());
        QStringList texts;
        for (const Sim::SimCommand& c : printer_->commandLog())
            texts << c.text;
        QCOMPARE(texts, (QStringList{QStringLiteral("GS ( E fn 1 IN"),
                                     QStringLiteral("GS ( E fn F0h \"Printer042\""),
                                     QStringLiteral("GS ( E fn 2 OUT")}));
    }

    void unknownFunctionSkippedByLength()
    {
        // Function 30h with parameters that look like GS I 1: they must be
        // passed over as the function's bytes, not answered.
        const QByteArray unknown = QByteArray("\x1D\x28\x45\x06\x00\x30", 6) + kGsI1 + "ZZ";
        QCOMPARE(exchange(kIn + unknown.left(4)), kNotice);
        QCOMPARE(exchange(unknown.mid(4)), QByteArray());
        QCOMPARE(exchange(StoreCode("ABCDEFGHIJ") + kOut), QByteArray());
        QCOMPARE(printer_->identificationCode(), QByteArray("ABCDEFGHIJ"));
        QCOMPARE(printer_->commandLog().at(1).note, QStringLiteral("function skipped"));
    }

    void storesOnlyInUserSettingMode()
    {
        QCOMPARE(exchange(StoreCode("Outside001") + StoreName("Outside")), QByteArray());
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer001"));
        QCOMPARE(printer_->modelName().left(8), QByteArray("ZX-P700\0", 8));
        QCOMPARE(printer_->commandLog().back().note,
                 QStringLiteral("ignored: not in the user setting mode"));

        // A wrong length inside the mode is ignored but still framed by pL/pH.
        const QByteArray nineBytes = QByteArray("\x1D\x28\x45\x0A\x00\xF0", 6) + "ShortCode";
        exchange(kIn + nineBytes + StoreName("ZX-Z99") + kOut);
        QCOMPARE(printer_->identificationCode(), QByteArray("Printer001"));
        QCOMPARE(printer_->modelName(), QByteArray("ZX-Z99").leftJustified(50, '\0'));
    }

    void userSettingModeIgnoresQueriesAndSecondIn()
    {
        QCOMPARE(exchange(kIn), kNotice);
        QVERIFY(printer_->inUserSettingMode());
        QCOMPARE(exchange(kGsI1), QByteArray());
        QCOMPARE(exchange(kIn), QByteArray());
        QCOMPARE(exchange(QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4F", 8)), QByteArray()); // "IO"
        QVERIFY(printer_->inUserSettingMode());
    }

    void outOutsideModeDoesNotReset()
    {
        exchange(kOut);
        QVERIFY(!printer_->resetting());
        QCOMPARE(exchange(kGsI1), QByteArray("\x51"));
    }

    void resetTakesNoInputForItsTime_data()
    {
        QTest::addColumn<int>("resetMs");
        QTest::newRow("default") << SimPrinter::kDefaultResetMs;
        QTest::newRow("none") << 0;
    }
    void resetTakesNoInputForItsTime()
    {
        QFETCH(int, resetMs);
        printer_->setResetTimeMs(resetMs);
        // OUT and GS I 1 in one feed: the query is not taken.
        const QByteArray block = CodeTransmission("Printer002") + kGsI1;
        const qint64 taken = printer_->feed(block);
        const QByteArray rest = block.mid(taken);
        printer_->takeReply();
        if (resetMs == 0) {
            QCOMPARE(rest, QByteArray());
            return;
        }
        QCOMPARE(rest, kGsI1);
        QCOMPARE(printer_->msUntilTaking(), std::optional<qint64>(resetMs));
        QVERIFY(!printer_->readyLine());
        now_ += resetMs - 1;
        QCOMPARE(printer_->feed(rest), qint64(0));
        now_ += 1;
        QCOMPARE(printer_->feed(rest), qint64(3));
        QCOMPARE(printer_->takeReply(), QByteArray("\x51"));
        QVERIFY(printer_->readyLine());
    }

    void faults_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QByteArray>("reply");
        QTest::addColumn<QString>("fault");
        QTest::newRow("silent") << kGsI44 << QByteArray() << "silent";
        QTest::newRow("silent notice") << kIn << QByteArray() << "silent";
        QTest::newRow("other model") << kGsI1 << QByteArray("\x35") << "other";
        QTest::newRow("other model leaves 44h")
            << kGsI44 << QByteArray("\x5FPrinter001\0", 12) << "other";
        QTest::newRow("garbage") << kGsI1 << QByteArray("\xE3\x0F\x7C\x81\xFF\x5A\x11")
                                 << "garbage";
        QTest::newRow("short") << kGsI44 << QByteArray("\x5FPrinter0") << "short";
        QTest::newRow("short to nothing") << kGsI1 << QByteArray() << "short";
        QTest::newRow("long") << kGsI1 << QByteArray("\x51\xAA\xAA") << "long";
    }
    void faults()
    {
        QFETCH(QByteArray, command);
        QFETCH(QByteArray, reply);
        QFETCH(QString, fault);
        Sim::SimFaults& f = printer_->faults();
        if (fault == QLatin1String("silent"))
            f.silent = true;
        else if (fault == QLatin1String("other"))
            f.otherModelId = 0x35;
        else if (fault == QLatin1String("garbage"))
            f.garbageReplies = true;
        else if (fault == QLatin1String("short"))
            f.replyLengthChange = -3;
        else if (fault == QLatin1String("long"))
            f.replyLengthChange = 2;
        QCOMPARE(exchange(command), reply);
    }

    void lateReplyComesWhenDue()
    {
        printer_->faults().replyDelayMs = 300;
        QCOMPARE(exchange(kGsI1), QByteArray());
        QCOMPARE(printer_->msUntilReply(), std::optional<qint64>(300));
        now_ += 299;
        QCOMPARE(printer_->takeReply(), QByteArray());
        now_ += 1;
        QCOMPARE(printer_->takeReply(), QByteArray("\x51"));
        QVERIFY(!printer_->msUntilReply());
    }

    void stopsTakingBytes()
    {
        printer_->faults().stopsTaking = true;
        QCOMPARE(printer_->feed(kGsI1), qint64(0));
        QVERIFY(!printer_->msUntilTaking());
        QVERIFY(printer_->commandLog().empty());
        printer_->faults().stopsTaking = false;
        QCOMPARE(exchange(kGsI1), QByteArray("\x51"));
    }

    void vanishesMidExchange()
    {
        QSignalSpy gone(printer_.get(), &SimPrinter::gone);
        printer_->faults().vanishAfterBytes = 5;
        // GS I 1 is taken and answered, then the printer goes after two more
        // bytes, with its answer to them (and the pending reply) lost.
        printer_->faults().replyDelayMs = 10;
        QCOMPARE(printer_->feed(kGsI1 + kGsI1), qint64(5));
        QVERIFY(printer_->vanished());
        QCOMPARE(gone.count(), 1);
        now_ += 100;
        QCOMPARE(printer_->takeReply(), QByteArray());
        QCOMPARE(printer_->feed(kGsI1), qint64(0));
        QVERIFY(!printer_->readyLine());
    }

    void readyLineDropped()
    {
        QVERIFY(printer_->readyLine());
        printer_->faults().readyLineDropped = true;
        QVERIFY(!printer_->readyLine());
        QCOMPARE(exchange(kGsI1), QByteArray("\x51")); // it still works, only DSR is low
    }

    // The data of a GS ( x command must never be read as a query; any other
    // command is its prefix and one byte.
    void framesOtherCommands_data()
    {
        QTest::addColumn<QByteArray>("command");
        QTest::addColumn<QString>("text");
        const QByteArray q = kGsI1;
        QTest::newRow("GS ( k QR")
            << QByteArray("\x1D\x28\x6B\x06\x00\x31\x50\x30", 8) + q << "GS ( k";
        QTest::newRow("GS ( L, pH counts 256")
            << QByteArray("\x1D\x28\x4C\x02\x01", 5) + q.repeated(86) << "GS ( L";
        QTest::newRow("GS ( k empty") << QByteArray("\x1D\x28\x6B\x00\x00", 5) << "GS ( k";
        QTest::newRow("GS I 2") << QByteArray("\x1D\x49\x02") << "GS I 2";
        QTest::newRow("ESC @") << QByteArray("\x1B\x40") << "ESC @";
        QTest::newRow("ESC then GS") << QByteArray("\x1B\x1D") << "ESC 1Dh";
        QTest::newRow("FS .") << QByteArray("\x1C\x2E") << "FS .";
        QTest::newRow("DLE EOT") << QByteArray("\x10\x04") << "DLE 4";
        QTest::newRow("GS V") << QByteArray("\x1D\x56") << "GS V";
    }
    void framesOtherCommands()
    {
        QFETCH(QByteArray, command);
        QFETCH(QString, text);
        QCOMPARE(exchange("Text\n" + command + kGsI1), QByteArray("\x51"));
        const auto& log = printer_->commandLog();
        QCOMPARE(int(log.size()), 3);
        QCOMPARE(log.at(0).text, QStringLiteral("data"));
        QCOMPARE(log.at(1).text, text);
        QCOMPARE(log.at(1).bytes, command.left(256)); // the log keeps 256 bytes
        QCOMPARE(log.at(2).text, QStringLiteral("GS I 1"));
    }

    void parameterOfOtherCommandIsData()
    {
        QCOMPARE(exchange(QByteArray("\x1B\x21\x08", 3) + kGsI1), QByteArray("\x51"));
        const auto& log = printer_->commandLog();
        QCOMPARE(int(log.size()), 3);
        QCOMPARE(log.at(0).bytes, QByteArray("\x1B\x21"));
        QCOMPARE(log.at(1).text, QStringLiteral("data"));
        QCOMPARE(log.at(1).bytes, QByteArray("\x08"));
        QCOMPARE(log.at(2).bytes, kGsI1);
    }

    void longBlockHeldOrPassedOver_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("note");
        QTest::newRow("64 KiB held") << 64 * 1024 << QString();
        QTest::newRow("longest passed over") << 5 + 0xFFFF << "65540 bytes passed over";
    }
    void longBlockHeldOrPassedOver()
    {
        // GS ( L with a body full of query patterns, none of them answered.
        QFETCH(int, length);
        QFETCH(QString, note);
        const int body = length - 5;
        QByteArray block("\x1D\x28\x4C", 3);
        block += char(body & 0xFF);
        block += char(body >> 8);
        block += kGsI1.repeated(body / 3 + 1).left(body);
        QCOMPARE(exchange(block + kGsI1), QByteArray("\x51"));
        const auto& log = printer_->commandLog();
        QCOMPARE(int(log.size()), 2);
        QCOMPARE(log.front().text, QStringLiteral("GS ( L"));
        QCOMPARE(log.front().note, note);
        QCOMPARE(log.back().text, QStringLiteral("GS I 1"));
    }

    void commandLogLines()
    {
        now_ = 1234;
        QSignalSpy received(printer_.get(), &SimPrinter::commandReceived);
        exchange(kGsI1 + kIn);
        QCOMPARE(received.count(), 2);
        const Sim::SimCommand first = received.at(0).at(0).value<Sim::SimCommand>();
        QCOMPARE(first.atMs, qint64(1234));
        static const QRegularExpression line(
            QStringLiteral("^\\d\\d:\\d\\d:\\d\\d\\.\\d\\d\\d GS I 1  \\[1D 49 01\\]$"));
        QVERIFY2(line.match(Sim::FormatLogLine(first)).hasMatch(),
                 qPrintable(Sim::FormatLogLine(first)));
        const QString in = Sim::FormatLogLine(printer_->commandLog().back());
        QVERIFY2(in.endsWith(QStringLiteral(
                     "GS ( E fn 1 IN  [1D 28 45 03 00 01 49 4E] (user setting mode)")),
                 qPrintable(in));
    }
};

QTEST_GUILESS_MAIN(TstSimPrinter)
#include "tst_simprinter.moc"
