// The serial control wired to the simulated printer: line rate, handshaking,
// DSR and the faults the Serial interface must survive. The printer's clock
// is stepped by hand.

#include "simserialcontrol.h"

#include <QTest>

using Common::Handshaking;
using Sim::SimPrinter;
using Sim::SimSerialControl;

namespace {

const QByteArray kGsI1("\x1D\x49\x01", 3);

} // namespace

class TstSimSerialControl : public QObject {
    Q_OBJECT

    qint64 now_ = 0;
    std::shared_ptr<SimPrinter> printer_;
    std::unique_ptr<SimSerialControl> control_;

    QByteArray takeInput()
    {
        QByteArray bytes;
        while (const std::optional<std::uint8_t> b = control_->inputByte())
            bytes += static_cast<char>(*b);
        return bytes;
    }

private Q_SLOTS:
    void init()
    {
        now_ = 0;
        printer_ = std::make_shared<SimPrinter>();
        printer_->setClock([this] { return now_; });
        printer_->setModelId(0x51);
        control_ = std::make_unique<SimSerialControl>(printer_);
        control_->setCommPort(3);
        QVERIFY(control_->setSettings(QStringLiteral("19200,n,8,1")));
        QVERIFY(control_->open());
    }

    void settingsText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("default") << "19200,n,8,1" << true;
        QTest::newRow("upper case, 5 bits, 1.5 stop") << "9600,O,5,1.5" << true;
        QTest::newRow("no baud") << ",n,8,1" << false;
        QTest::newRow("bad parity") << "9600,x,8,1" << false;
        QTest::newRow("9 bits") << "9600,n,9,1" << false;
        QTest::newRow("blanks around fields") << " 9600, n ,8,1 " << true;
        QTest::newRow("one-digit baud") << "9,n,8,1" << true;
        QTest::newRow("zero baud") << "0,n,8,1" << false;
        QTest::newRow("three fields") << "9600,n,8" << false;
        QTest::newRow("2.5 stop bits") << "9600,n,8,2.5" << false;
    }
    void settingsText()
    {
        QFETCH(QString, text);
        QFETCH(bool, accepted);
        QCOMPARE(control_->setSettings(text), accepted);
        QCOMPARE(control_->settings(), accepted ? text : QStringLiteral("19200,n,8,1"));
        QCOMPARE(control_->errorString().contains(text), !accepted);
    }

    void drainsAtLineRateThenReplies()
    {
        QVERIFY(control_->output(kGsI1));
        QCOMPARE(control_->outBufferCount(), 3);
        now_ = 1; // 19200 baud, 10 bits: 1.92 characters per millisecond
        QCOMPARE(control_->outBufferCount(), 2);
        QCOMPARE(control_->inBufferCount(), 0);
        now_ = 2;
        QCOMPARE(control_->outBufferCount(), 0);
        QCOMPARE(control_->inBufferCount(), 1);
        QCOMPARE(takeInput(), QByteArray("\x51"));
        QCOMPARE(control_->inBufferCount(), 0);
    }

    void slowLineTakesLonger()
    {
        QVERIFY(control_->setSettings(QStringLiteral("1200,e,7,2"))); // 11 bits: 109 per second
        const QByteArray transmission(33, 'x');
        QVERIFY(control_->output(transmission));
        now_ = 200;
        QCOMPARE(control_->outBufferCount(), 33 - 21);
        now_ = 400;
        QCOMPARE(control_->outBufferCount(), 0);
    }

    void lineRateFollowsSettings_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("ms");
        QTest::addColumn<int>("drained");
        QTest::newRow("10 bits") << "19200,n,8,1" << 10 << 19;          // 19.2
        QTest::newRow("11 bits") << "1200,e,7,2" << 100 << 10;          // 10.9
        QTest::newRow("8.5 bits") << "9600,O,5,1.5" << 10 << 11;        // 11.3
        QTest::newRow("11.5 bits") << "115200,m,8,1.5" << 7 << 70;      // 70.1
        QTest::newRow("blanks, 10 bits") << "4800, s ,6,2" << 30 << 14; // 14.4
    }
    void lineRateFollowsSettings()
    {
        QFETCH(QString, text);
        QFETCH(int, ms);
        QFETCH(int, drained);
        QVERIFY(control_->setSettings(text));
        QVERIFY(control_->output(QByteArray(200, 'x')));
        now_ = ms;
        QCOMPARE(control_->outBufferCount(), 200 - drained);
        QCOMPARE(printer_->bytesTaken(), qint64(drained));
    }

    void dsrFollowsThePrinter()
    {
        QVERIFY(control_->dsrHolding());
        // However the ready line drops (the reset drops it too), DSR follows.
        printer_->faults().readyLineDropped = true;
        QVERIFY(!control_->dsrHolding());
        printer_->faults().readyLineDropped = false;
        QVERIFY(control_->dsrHolding());
        control_->close();
        QVERIFY(!control_->dsrHolding());
    }

    void stalledOutputNeverDrains()
    {
        control_->setOutputStalled(true);
        QVERIFY(control_->output(kGsI1));
        now_ = 10000;
        QCOMPARE(control_->outBufferCount(), 3);
        QCOMPARE(printer_->bytesTaken(), qint64(0));
        control_->discardOutput();
        QCOMPARE(control_->outBufferCount(), 0);
    }

    void offlinePrinterWithAndWithoutHandshaking_data()
    {
        QTest::addColumn<bool>("xonXoff");
        QTest::newRow("none: bytes lost") << false;
        QTest::newRow("XON/XOFF: bytes held") << true;
    }
    void offlinePrinterWithAndWithoutHandshaking()
    {
        QFETCH(bool, xonXoff);
        control_->setHandshaking(xonXoff ? Handshaking::XonXoff : Handshaking::None);
        printer_->faults().stopsTaking = true;
        QVERIFY(control_->output(kGsI1));
        now_ = 100;
        QCOMPARE(control_->outBufferCount(), xonXoff ? 3 : 0);
        printer_->faults().stopsTaking = false;
        now_ = 200;
        QCOMPARE(control_->outBufferCount(), 0);
        QCOMPARE(takeInput(), xonXoff ? QByteArray("\x51") : QByteArray());
    }

    void discardInputDropsStaleReply()
    {
        control_->output(QByteArray("\x1D\x28\x45\x03\x00\x01\x49\x4E", 8)); // notice 37 20 00
        now_ = 10;
        QCOMPARE(control_->inBufferCount(), 3);
        control_->discardInput();
        QCOMPARE(control_->inBufferCount(), 0);
    }

    void repliesWhileClosedAreLost()
    {
        control_->output(kGsI1);
        control_->close();
        now_ = 10;
        QVERIFY(control_->open());
        now_ = 20;
        QCOMPARE(control_->inBufferCount(), 0);
    }

    void openFailures()
    {
        QVERIFY(!control_->open());
        QCOMPARE(control_->errorString(), QStringLiteral("Port already open"));
        control_->close();
        control_->setOpenFailure(QStringLiteral("Port in use by another program"));
        QVERIFY(!control_->open());
        QVERIFY(!control_->portOpen());
        QCOMPARE(control_->errorString(), QStringLiteral("Port in use by another program"));
        QVERIFY(!control_->output(kGsI1));
        QCOMPARE(control_->inBufferCount(), 0);
    }

    void vanishedPrinter()
    {
        printer_->faults().vanishAfterBytes = 2;
        control_->output(kGsI1);
        now_ = 100;
        QCOMPARE(control_->outBufferCount(), 0); // the line still sends
        QCOMPARE(control_->inBufferCount(), 0);
        QVERIFY(!control_->dsrHolding());
    }
};

QTEST_GUILESS_MAIN(TstSimSerialControl)
#include "tst_simserialcontrol.moc"
